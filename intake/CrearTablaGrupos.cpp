#include "intake/Builders.h"

namespace tto {

// Placeholder until the builder lands.
void CrearTablaGrupos(RunState&) {}

}  // namespace tto
