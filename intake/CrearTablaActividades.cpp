#include "intake/Builders.h"
#include "intake/CatalogueEntry.h"

namespace tto {

// Appends the activity types to the catalogue the subject builder has just rebuilt. The
// registries are kept as that builder left them: a subject's code or name counts as taken.
void CrearTablaActividades(RunState& state) {
  const std::filesystem::path folder = state.exchange.Resolve();
  const XmlNodeList tipos = state.DocXML->SelectNodes("/Centro/TiposActividad/TipoActividad");
  Table& catalogue = state.wwTableNomAsg;
  OpenTable open(catalogue, folder);
  AddCatalogueEntries(state, catalogue, tipos, true);
  open.Close();
}

}  // namespace tto
