#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/RunState.h"
#include "store/Table.h"

namespace tto {

// The answer Locate gives on one working table, kept for the whole return run: each value
// of the key field maps to the wanted fields of the first row, in natural order, that holds
// it (exact, case-sensitive, whole value without trailing fill blanks). The return run holds
// its tables exclusively and writes none of them, so the answers cannot go stale; one walk
// of the table replaces a walk per solution row.
//
// The table is read on the first Find, not before: a run whose solution never reaches a
// lookup reads nothing of that table, and a table that cannot be read fails where a search
// on it would have failed.
class FirstMatchIndex {
 public:
  FirstMatchIndex(Table& table, std::string keyField, std::vector<std::string> wantedFields);

  // The wanted fields' texts of the first row whose key field equals key, in the order the
  // fields were given; nullptr when no row holds it. The pointer is valid while the index
  // lives.
  const std::vector<std::string>* Find(std::string_view key);

 private:
  struct Entry {
    std::vector<std::string> values;
    // Reading the wanted fields failed: the search that finds this row fails the same way.
    std::exception_ptr error;
  };
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept {
      return std::hash<std::string_view>{}(text);
    }
  };

  void Build();

  Table& table_;
  std::string keyField_;
  std::vector<std::string> wantedFields_;
  bool built_ = false;
  std::unordered_map<std::string, Entry, TextHash, std::equal_to<>> entries_;
};

// The five searches that translate a solution row back into the school file's codes.
struct SolutionLookups {
  explicit SolutionLookups(RunState& state);

  FirstMatchIndex grupos;      // GRUPOST: ABREV -> ABREV
  FirstMatchIndex materias;    // ASIGNOMT: COD -> ABREV_GESTION
  FirstMatchIndex profesores;  // PROFT: ABREV -> ABREV
  FirstMatchIndex aulas;       // AULAT: ABREV -> ABREV_GESTION
  FirstMatchIndex tramos;      // DIASHORAST: DIHO -> HORADESDE, HORAHASTA
};

}  // namespace tto
