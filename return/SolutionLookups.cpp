#include "return/SolutionLookups.h"

#include <utility>

#include "store/RunError.h"

namespace tto {

FirstMatchIndex::FirstMatchIndex(Table& table, std::string keyField,
                                 std::vector<std::string> wantedFields)
    : table_(table), keyField_(std::move(keyField)), wantedFields_(std::move(wantedFields)) {}

const std::vector<std::string>* FirstMatchIndex::Find(std::string_view key) {
  if (!built_) Build();
  // Blanks at the end of a text field are fill, in the table and in the searched text alike.
  while (!key.empty() && key.back() == ' ') key.remove_suffix(1);
  const auto found = entries_.find(key);
  if (found == entries_.end()) return nullptr;
  if (found->second.error) std::rethrow_exception(found->second.error);
  return &found->second.values;
}

void FirstMatchIndex::Build() {
  entries_.clear();
  for (table_.First(); !table_.Eof(); table_.Next()) {
    auto [entry, isFirst] = entries_.try_emplace(table_.Text(keyField_));
    if (!isFirst) continue;
    try {
      entry->second.values.reserve(wantedFields_.size());
      for (const std::string& field : wantedFields_) {
        entry->second.values.push_back(table_.Text(field));
      }
    } catch (const RunError&) {
      entry->second.error = std::current_exception();
    }
  }
  built_ = true;
}

SolutionLookups::SolutionLookups(RunState& state)
    : grupos(state.wwTableGrupos, "ABREV", {"ABREV"}),
      materias(state.wwTableNomAsg, "COD", {"ABREV_GESTION"}),
      profesores(state.wwTableProfesor, "ABREV", {"ABREV"}),
      aulas(state.wwTableAulas, "ABREV", {"ABREV_GESTION"}),
      tramos(state.wwTableTramos, "DIHO", {"HORADESDE", "HORAHASTA"}) {}

}  // namespace tto
