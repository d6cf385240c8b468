#include "intake/Builders.h"

namespace tto {

// Placeholder until the builder lands.
void CrearTablaActividades(RunState&) {}

}  // namespace tto
