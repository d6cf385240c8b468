#pragma once

#include "core/RunState.h"
#include "core/Shell.h"
#include "store/XmlDocument.h"

namespace tto {

struct SolutionLookups;

// The return run: writes the result file "ResultadoTarvos" + the school file's name from
// Velmora's solution table SOLUC.
void BImportarClick(RunState& state, Shell& shell);

enum class ActivityPass { Lessons, Tasks };

// Appends one actividad element under horario for every row of SOLUC of the pass that
// resolves through the working tables (all seven tables open).
void EscribirActividades(RunState& state, ActivityPass pass, XmlNode horario);

// The same with the run's lookups, so that the two passes of one run read each working
// table once between them.
void EscribirActividades(RunState& state, ActivityPass pass, XmlNode horario,
                         SolutionLookups& lookups);

}  // namespace tto
