#include "intake/IntakeRun.h"

#include <filesystem>
#include <system_error>

#include "core/Messages.h"
#include "core/RunGuard.h"
#include "intake/Builders.h"

namespace tto {

namespace {

// The dialog's answer as a full path, so that the school file stays the same file
// whatever the working folder of a later run.
std::string FullPath(std::string picked) {
  if (picked.empty()) return picked;
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(picked, ec);
  return ec ? picked : full.string();
}

bool SchoolFileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

}  // namespace

void BExportarClick(RunState& state, Shell& shell) {
  // A cancelled dialog keeps the file of an earlier run, intake or return.
  if (auto picked = shell.PickSchoolFile()) state.FicheroXML = FullPath(std::move(*picked));

  if (!SchoolFileExists(state.FicheroXML)) {
    shell.ShowMessage(messages::kNoExisteArchivo);
    if (state.Hosted()) {
      state.ResultadoTransformacion = -1;
      shell.CloseMainWindow();
    }
    return;
  }

  // An error ends the run where it happens: the tables already rebuilt stay, the open ones
  // are released by their scopes, the cursor comes back, and the flag and the window stay
  // as they were.
  const bool completed = RunReportingErrors(shell, [&] {
    state.DocXML = std::make_unique<XmlDocument>();
    state.DocXML->Load(state.FicheroXML);

    WaitCursor waiting(shell);
    // Fixed order: the activity types extend the catalogue the subjects start, groups look
    // tutors up in PROFT, and the loads use the session lengths of the time slots.
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
