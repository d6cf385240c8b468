#pragma once

// Runs the transtarvos command-line front end the way a user's shell does.

#include <string>

namespace tto::testing {

struct CommandResult {
  int status = -1;  // the exit status; -1 when the command could not run or was killed
  std::string out;  // what it wrote to standard output
};

// The argument in single quotes, safe for the shell whatever it holds.
std::string Quoted(const std::string& argument);

// Runs a shell command line; its standard output is captured, standard error passes.
CommandResult RunCommand(const std::string& command);

// Runs transtarvos with the given (already quoted) arguments in the C locale, which gives
// the regional settings of the Spanish machines the school files come from (hours with a
// decimal comma); standard output is captured, standard error passes.
CommandResult Transtarvos(const std::string& arguments);

}  // namespace tto::testing
