#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tto::cli {

enum class Command { Intake, Return, Dump, Help, Version };

// One call of `transtarvos`, as its arguments give it.
struct Invocation {
  Command command = Command::Help;
  // --exchange DIR: the exchange folder instead of Wine's C:\ZTEMP.
  std::optional<std::filesystem::path> exchange;
  // The school file (intake, return) or the table name or .DBF path (dump).
  std::string operand;
};

// Arguments that make no call; the text says what is wrong.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Exit statuses.
inline constexpr int kExitCompleted = 0;    // the run completed ("Proceso finalizado")
inline constexpr int kExitRunError = 1;     // the run ended with an error
inline constexpr int kExitMissingFile = 2;  // the school file (or SOLUC) does not exist
inline constexpr int kExitUsage = 64;       // the arguments make no call

// Parses the arguments after the program's name; throws UsageError.
Invocation ParseCommandLine(const std::vector<std::string>& arguments);

// The text of --help.
std::string HelpText();

}  // namespace tto::cli
