#include "intake/IntakeRun.h"

#include "core/Messages.h"
#include "core/RunGuard.h"
#include "core/RunSteps.h"
#include "intake/Builders.h"

namespace tto {

void BExportarClick(RunState& state, Shell& shell) {
  AskForSchoolFile(state, shell);
  if (!SchoolFileExists(state.FicheroXML)) {
    EndWithoutFile(state, shell, messages::kNoExisteArchivo);
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
  if (completed) EndCompleted(state, shell);
}

}  // namespace tto
