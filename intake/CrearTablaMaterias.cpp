#include "intake/Builders.h"

namespace tto {

// Placeholder until the builder lands.
void CrearTablaMaterias(RunState&) {}

}  // namespace tto
