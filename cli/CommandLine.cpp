#include "cli/CommandLine.h"

#include <string_view>

namespace tto::cli {

namespace {

constexpr std::string_view kExchangeOption = "--exchange";

Command CommandNamed(const std::string& word) {
  if (word == "intake") return Command::Intake;
  if (word == "return") return Command::Return;
  if (word == "dump") return Command::Dump;
  throw UsageError("unknown command '" + word + "'");
}

}  // namespace

Invocation ParseCommandLine(const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments) {
    if (argument == "--") break;
    if (argument == "--help" || argument == "-h") return {Command::Help, {}, {}};
    if (argument == "--version") return {Command::Version, {}, {}};
  }
  if (arguments.empty()) throw UsageError("missing command");

  Invocation invocation;
  invocation.command = CommandNamed(arguments[0]);
  std::vector<std::string> operands;
  bool optionsEnded = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
      operands.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    std::string value;
    if (argument == kExchangeOption) {
      if (i + 1 == arguments.size()) throw UsageError("--exchange needs a folder");
      value = arguments[++i];
    } else if (argument.starts_with(std::string(kExchangeOption) + "=")) {
      value = argument.substr(kExchangeOption.size() + 1);
    } else {
      throw UsageError("unknown option '" + argument + "'");
    }
    if (invocation.exchange) throw UsageError("--exchange given twice");
    if (value.empty()) throw UsageError("--exchange needs a folder");
    invocation.exchange = value;
  }

  const char* what =
      invocation.command == Command::Dump ? "a table name or .DBF file" : "the school file";
  if (operands.empty()) throw UsageError(std::string("missing ") + what);
  if (operands.size() > 1) throw UsageError("unexpected argument '" + operands[1] + "'");
  if (operands[0].empty()) throw UsageError(std::string("empty name for ") + what);
  invocation.operand = operands[0];
  return invocation;
}

std::string HelpText() {
  return "Usage:\n"
         "  transtarvos intake [--exchange DIR] SCHOOL.xml\n"
         "      rebuild Velmora's working tables from an Ordalis school file\n"
         "  transtarvos return [--exchange DIR] SCHOOL.xml\n"
         "      write ResultadoTarvosSCHOOL.xml beside the school file from Velmora's\n"
         "      solution table SOLUC\n"
         "  transtarvos dump [--exchange DIR] TABLE|FILE\n"
         "      print a table: its fields (name, type, width, decimals), then its rows;\n"
         "      TABLE is a table of the exchange folder (PROFT, soluc, ...), FILE a path\n"
         "      to a .DBF file\n"
         "  transtarvos --help | --version\n"
         "\n"
         "Options:\n"
         "  --exchange DIR  the exchange folder; by default Velmora's C:\\ZTEMP under Wine,\n"
         "                  $WINEPREFIX/dosdevices/c:/ZTEMP (prefix ~/.wine when unset)\n"
         "\n"
         "Exit status:\n"
         "  0   the run completed (\"Proceso finalizado\"), or the table was printed\n"
         "  1   the run ended with an error (the error on standard error)\n"
         "  2   the school file, or for return the solution table SOLUC, does not exist\n"
         "  64  the arguments make no call\n";
}

}  // namespace tto::cli
