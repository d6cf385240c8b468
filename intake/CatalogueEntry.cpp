#include "intake/CatalogueEntry.h"

#include <optional>
#include <string>

#include "intake/CodeRegistry.h"
#include "intake/MainList.h"

namespace tto {

namespace {

// The short code an element receives, or nothing when it receives no row. Registers the
// name whenever it is new, with or without a row, so that a later element of the same name
// falls back on its own prefix.
std::optional<std::string> ShortCode(RunState& state, const std::string& code,
                                     const std::string& name) {
  const std::string prefix = code.substr(0, 4);
  std::string candidate;
  if (state.NombresUsados.contains(name)) {
    candidate = prefix;
  } else {
    state.NombresUsados.insert(name);
    // A new name whose prefix is already a short code receives no row; its name stays
    // registered all the same.
    if (state.CodigosUsados.contains(prefix)) return std::nullopt;
    candidate = FirstTwoLastTwo(code);
  }
  if (state.CodigosUsados.contains(candidate)) return std::nullopt;
  state.CodigosUsados.insert(candidate);
  return candidate;
}

void AddCatalogueEntry(RunState& state, Table& catalogue, const XmlNode& element, bool esTarea) {
  const std::string code = element.AttributeText("Codigo");
  const std::string name = element.AttributeText("Denominacion");
  const std::optional<std::string> shortCode = ShortCode(state, code, name);
  if (!shortCode) return;

  // The registries hold whole values; the store cuts what does not fit its field.
  catalogue.Append();
  catalogue.SetText("COD", *shortCode);
  catalogue.SetText("CODLARGO", name.substr(0, 8));
  catalogue.SetText("NOMBRE", name);
  catalogue.SetBoolean("ESTAREA", esTarea);
  catalogue.SetText("ABREV_GESTION", code);
  catalogue.Post();
}

}  // namespace

const std::vector<FieldDef>& CatalogueFields() {
  // ABREV_GESTION is longer than a level-4 field name, so the store writes level 7.
  static const std::vector<FieldDef> fields = {
      {"COD", FieldKind::Text, 10},       {"CODLARGO", FieldKind::Text, 10},
      {"NOMBRE", FieldKind::Text, 80},    {"CODTAREA", FieldKind::Text, 12},
      {"ESTAREA", FieldKind::Boolean, 0}, {"ABREV_GESTION", FieldKind::Text, 10},
  };
  return fields;
}

void AddCatalogueEntries(RunState& state, Table& catalogue, const XmlNodeList& elements,
                         bool esTarea) {
  if (!TakesMainList(elements)) return;
  for (std::size_t i = 0; i < elements.Count(); ++i) {
    AddCatalogueEntry(state, catalogue, elements.Item(i), esTarea);
  }
}

}  // namespace tto
