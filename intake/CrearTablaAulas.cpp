#include "intake/Builders.h"

namespace tto {

// Placeholder until the builder lands.
void CrearTablaAulas(RunState&) {}

}  // namespace tto
