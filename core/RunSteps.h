#pragma once

#include <string>

#include "core/RunState.h"
#include "core/Shell.h"

namespace tto {

// The steps that begin and end both runs.

// Shows OpenDialogXML; a picked file becomes FicheroXML as a full path, so it stays the
// same file whatever the working folder of a later run. A cancelled dialog keeps the file
// of an earlier run of either kind.
void AskForSchoolFile(RunState& state, Shell& shell);

bool SchoolFileExists(const std::string& path);

// A run that found no file: the message and, hosted, the flag -1 and the window closed.
void EndWithoutFile(RunState& state, Shell& shell, const char* message);

// A completed run: the flag 1, "Proceso finalizado" and, hosted, the window closed once
// the message has been dismissed.
void EndCompleted(RunState& state, Shell& shell);

}  // namespace tto
