#pragma once

#include "core/RunState.h"
#include "core/Shell.h"

namespace tto {

// The intake run: asks for a school file and rebuilds Velmora's working tables from it.
void BExportarClick(RunState& state, Shell& shell);

}  // namespace tto
