#include "intake/Builders.h"

namespace tto {

// Placeholder until the builder lands.
void CrearTablaProfesores(RunState&) {}

}  // namespace tto
