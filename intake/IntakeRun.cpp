#include "intake/IntakeRun.h"

#include <filesystem>
#include <system_error>

#include "core/Messages.h"
#include "core/RunGuard.h"
#include "intake/Builders.h"

namespace tto {

namespace {

bool SchoolFileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

}  // namespace

void BExportarClick(RunState& state, Shell& shell) {
  if (auto picked = shell.PickSchoolFile()) state.FicheroXML = std::move(*picked);

  if (!SchoolFileExists(state.FicheroXML)) {
    shell.ShowMessage(messages::kNoExisteArchivo);
    if (state.Hosted()) {
      state.ResultadoTransformacion = -1;
      shell.CloseMainWindow();
    }
    return;
  }

  const bool completed = RunReportingErrors(shell, [&] {
    state.DocXML = std::make_unique<XmlDocument>();
    state.DocXML->Load(state.FicheroXML);

    WaitCursor waiting(shell);
    CrearTablaMaterias(state);
    CrearTablaActividades(state);
    CrearTablaProfesores(state);
    CrearTablaAulas(state);
    CrearTablaGrupos(state);
    CrearTablaTramos(state);
    CrearTablaAsignaciones(state);
  });
  if (!completed) return;

  state.ResultadoTransformacion = 1;
  shell.ShowMessage(messages::kProcesoFinalizado);
  if (state.Hosted()) shell.CloseMainWindow();
}

}  // namespace tto
