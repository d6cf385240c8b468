#include "intake/Builders.h"
#include "intake/CatalogueEntry.h"

namespace tto {

// Rebuilds the catalogue ASIGNOMT with the subjects. The registries start empty with the
// table, so during a run they describe exactly the table being built.
void CrearTablaMaterias(RunState& state) {
  const std::filesystem::path folder = state.exchange.Resolve();
  Table& catalogue = state.wwTableNomAsg;
  RebuildTable(folder, catalogue.TableName(), CatalogueFields());
  state.CodigosUsados.clear();
  state.NombresUsados.clear();

  const XmlNodeList materias = state.DocXML->SelectNodes("/Centro/Materias/Materia");
  OpenTable open(catalogue, folder);
  AddCatalogueEntries(state, catalogue, materias, false);
  open.Close();
}

}  // namespace tto
