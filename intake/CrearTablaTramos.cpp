#include "intake/Builders.h"

namespace tto {

// Placeholder until the builder lands.
void CrearTablaTramos(RunState&) {}

}  // namespace tto
