#include <cstddef>
#include <string>

#include "intake/Builders.h"
#include "intake/CodeRegistry.h"
#include "intake/MainList.h"

namespace tto {

namespace {

const std::vector<FieldDef>& RoomFields() {
  // EDIFICIO and MAXALUM are Velmora's to fill; ABREV_GESTION needs level 7.
  static const std::vector<FieldDef> fields = {
      {"ABREV", FieldKind::Text, 10},         {"NOMBRE", FieldKind::Text, 80},
      {"EDIFICIO", FieldKind::Text, 1},       {"MAXALUM", FieldKind::Integer, 0},
      {"ABREV_GESTION", FieldKind::Text, 20},
  };
  return fields;
}

}  // namespace

// Rebuilds the room table AULAT. ABREV is Velmora's short code (at most four characters
// unless a stem and number run long); ABREV_GESTION keeps the school file's code as read,
// which is what the return run writes back.
void CrearTablaAulas(RunState& state) {
  const std::filesystem::path folder = state.exchange.Resolve();
  Table& aulat = state.wwTableAulas;
  RebuildTable(folder, aulat.TableName(), RoomFields());
  CodigosTabla registry;

  const XmlNodeList rooms = state.DocXML->SelectNodes("/Centro/Aulas/Aula");
  OpenTable open(aulat, folder);
  if (TakesMainList(rooms)) {
    for (std::size_t i = 0; i < rooms.Count(); ++i) {
      const XmlNode room = rooms.Item(i);
      const std::string name = room.AttributeText("Denominacion");
      const std::string code = room.AttributeText("Codigo");

      // A room without a code is known by the start of its name.
      const std::string given = code.empty() ? name.substr(0, 4) : code;
      const std::string abrev = GiveOutCode(given, registry, LongCodeRule::StemWithNumber);

      aulat.Append();
      aulat.SetText("ABREV", abrev);
      aulat.SetText("NOMBRE", name);
      aulat.SetText("ABREV_GESTION", code);
      aulat.Post();
    }
  }
  open.Close();
}

}  // namespace tto
