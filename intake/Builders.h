#pragma once

#include "core/RunState.h"

namespace tto {

// The table builders of the intake run, called in this order. Each reads state.DocXML and
// rebuilds its tables in the exchange folder; an error ends the run (RunError).
void CrearTablaMaterias(RunState& state);
void CrearTablaActividades(RunState& state);
void CrearTablaProfesores(RunState& state);
void CrearTablaAulas(RunState& state);
void CrearTablaGrupos(RunState& state);
void CrearTablaTramos(RunState& state);
void CrearTablaAsignaciones(RunState& state);

}  // namespace tto
