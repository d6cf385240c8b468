#include "examples/WorkingTables.h"

#include <functional>

#include "store/AnsiText.h"
#include "store/Conversions.h"
#include "store/RunError.h"
#include "store/Table.h"

namespace tto::standin {

namespace {

// Walks every row of one table, which stays open only for the walk.
void ForEachRow(const std::filesystem::path& folder, const std::string& name,
                const std::function<void(const Table&)>& visit) {
  if (FindFileIgnoringCase(folder, name + ".DBF").empty()) {
    throw RunError(name + ".DBF is missing in " + PathToAnsi(folder) +
                   ": run the intake first (transtarvos intake --exchange " + PathToAnsi(folder) +
                   " SCHOOLFILE.xml)");
  }
  Table table{name};
  OpenTable open(table, folder);
  for (table.First(); !table.Eof(); table.Next()) visit(table);
  open.Close();
}

}  // namespace

WorkingTables ReadWorkingTables(const std::filesystem::path& folder) {
  WorkingTables tables;
  ForEachRow(folder, "DIASHORAST", [&](const Table& t) {
    tables.slots.push_back({StrToInt(t.Text("DIA")), StrToInt(t.Text("HORA"))});
  });
  ForEachRow(folder, "GRUPOST", [&](const Table& t) {
    tables.groups.push_back({t.Text("ABREV"), t.Text("TURNO"), t.Text("NIVEL"), t.Text("CURSO"),
                             t.Text("GRUPO"), t.Text("TUTOR")});
  });
  ForEachRow(folder, "PROFT", [&](const Table& t) {
    tables.teachers.push_back({t.Text("ABREV"), t.Text("DEPART")});
  });
  ForEachRow(folder, "AULAT", [&](const Table& t) {
    tables.rooms.push_back({t.Text("ABREV"), t.Text("NOMBRE")});
  });
  ForEachRow(folder, "ASIGNOMT", [&](const Table& t) {
    tables.activities.push_back(
        {t.Text("COD"), t.Text("NOMBRE"), t.Text("ABREV_GESTION"), t.Text("ESTAREA") == "True"});
  });
  ForEachRow(folder, "ASIGT", [&](const Table& t) {
    tables.loads.push_back({t.Text("CASIG"), t.Text("CGRUP"), t.Text("TURNO"), t.Text("NIVEL"),
                            t.Text("CURSO"), t.Text("GRUPO"), t.Text("CTAREA"), t.Float("HORAS")});
  });
  return tables;
}

}  // namespace tto::standin
