#include "return/ReturnRun.h"

namespace tto {

// Placeholder until the return run lands.
void BImportarClick(RunState&, Shell&) {}

}  // namespace tto
