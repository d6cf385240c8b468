#pragma once

#include <ostream>

#include "cli/CommandLine.h"

namespace tto::cli {

// `transtarvos dump`: prints a table of the exchange folder (named whatever its case) or a
// .DBF file given by its path. Answers the exit status.
int RunDump(const Invocation& invocation, std::ostream& out, std::ostream& err);

}  // namespace tto::cli
