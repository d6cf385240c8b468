#include "intake/Builders.h"

namespace tto {

// Placeholder until the builder lands.
void CrearTablaAsignaciones(RunState&) {}

}  // namespace tto
