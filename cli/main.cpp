#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/CliShell.h"
#include "cli/CommandLine.h"
#include "cli/Dump.h"
#include "core/RunState.h"
#include "intake/IntakeRun.h"
#include "return/ReturnRun.h"

// transtarvos: the command-line front end for administrators and scripts.

namespace {

int Run(const tto::cli::Invocation& invocation) {
  using tto::cli::Command;
  switch (invocation.command) {
    case Command::Help:
      std::cout << tto::cli::HelpText();
      return tto::cli::kExitCompleted;
    case Command::Version:
      std::cout << "transtarvos " TTO_VERSION "\n";
      return tto::cli::kExitCompleted;
    case Command::Dump:
      return tto::cli::RunDump(invocation, std::cout, std::cerr);
    case Command::Intake:
    case Command::Return:
      break;
  }

  tto::RunState state;
  if (invocation.exchange) state.exchange = tto::ExchangeFolder(*invocation.exchange);
  tto::cli::CliShell shell(std::filesystem::absolute(invocation.operand).string(), std::cout,
                           std::cerr);
  if (invocation.command == Command::Intake) {
    tto::BExportarClick(state, shell);
  } else {
    tto::BImportarClick(state, shell);
  }
  if (shell.Silent()) {
    // A run that said nothing at all must not pass for a success.
    std::cerr << "transtarvos: the run ended without completing\n";
  }
  return shell.ExitStatus();
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  try {
    return Run(tto::cli::ParseCommandLine(arguments));
  } catch (const tto::cli::UsageError& error) {
    std::cerr << "transtarvos: " << error.what() << "\nTry 'transtarvos --help'.\n";
    return tto::cli::kExitUsage;
  } catch (const std::exception& error) {
    std::cerr << "transtarvos: " << error.what() << '\n';
    return tto::cli::kExitRunError;
  }
}
