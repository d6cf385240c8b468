#include "examples/Solution.h"

#include <algorithm>
#include <climits>
#include <tuple>

#include "store/Table.h"

namespace tto::standin {

namespace {

std::vector<Placement> InTimetableOrder(std::vector<Placement> rows) {
  const auto key = [](const Placement& p) {
    return std::tuple(p.slot < 0 ? INT_MAX : p.slot, p.group, p.teacher);
  };
  std::stable_sort(rows.begin(), rows.end(),
                   [&](const Placement& a, const Placement& b) { return key(a) < key(b); });
  return rows;
}

}  // namespace

void WriteSolution(const std::filesystem::path& folder, const WorkingTables& tables,
                   const Timetable& timetable) {
  RebuildTable(folder, "SOLUC",
               {{"ASIG", FieldKind::Text, 10},
                {"TAREA", FieldKind::Text, 10},
                {"DIA", FieldKind::Integer, 0},
                {"HORA", FieldKind::Float, 0},
                {"CODGRUPO", FieldKind::Text, 10},
                {"PROF", FieldKind::Text, 10},
                {"AULA", FieldKind::Text, 10}});
  Table soluc{"SOLUC"};
  OpenTable open(soluc, folder);
  for (const auto* rows : {&timetable.lessons, &timetable.tasks}) {
    for (const Placement& p : InTimetableOrder(*rows)) {
      soluc.Append();
      soluc.SetText("ASIG", p.asig);
      soluc.SetText("TAREA", p.tarea);
      soluc.SetInteger("DIA", p.slot < 0 ? 0 : tables.slots[p.slot].dia);
      soluc.SetFloat("HORA", p.slot < 0 ? 0 : tables.slots[p.slot].hora);
      soluc.SetText("CODGRUPO", p.group < 0 ? std::string() : tables.groups[p.group].abrev);
      soluc.SetText("PROF", p.teacher < 0 ? std::string() : tables.teachers[p.teacher].abrev);
      soluc.SetText("AULA", p.room < 0 ? std::string() : tables.rooms[p.room].abrev);
      soluc.Post();
    }
  }
  open.Close();
}

}  // namespace tto::standin
