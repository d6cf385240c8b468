#include "cli/Dump.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <system_error>

#include "cli/CliShell.h"
#include "core/ExchangeFolder.h"
#include "core/TableDump.h"
#include "store/AnsiText.h"
#include "store/RunError.h"
#include "store/Table.h"

namespace tto::cli {

namespace {

std::string UpperAscii(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

bool IsDbfName(const std::filesystem::path& path) {
  return UpperAscii(path.extension().string()) == ".DBF";
}

struct TablePlace {
  std::filesystem::path folder;
  std::string tableName;
};

// An operand with a folder in it, or ending in .dbf, is a file; anything else names a
// table of the exchange folder.
TablePlace Locate(const Invocation& invocation) {
  const std::filesystem::path operand(invocation.operand);
  if (operand.has_parent_path() || IsDbfName(operand)) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(operand, ec)) {
      throw RunError("No existe el archivo " + PathToAnsi(operand));
    }
    if (!IsDbfName(operand)) {
      throw RunError("No es una tabla dBase (.DBF): " + PathToAnsi(operand));
    }
    const std::filesystem::path folder =
        operand.has_parent_path() ? operand.parent_path() : std::filesystem::path(".");
    return {folder, UpperAscii(operand.stem().string())};
  }
  const ExchangeFolder exchange =
      invocation.exchange ? ExchangeFolder(*invocation.exchange) : ExchangeFolder();
  return {exchange.Resolve(), UpperAscii(invocation.operand)};
}

}  // namespace

int RunDump(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  try {
    const TablePlace place = Locate(invocation);
    Table table(place.tableName);
    OpenTable open(table, place.folder);
    const std::string text = DumpTable(table);
    open.Close();
    out << text << std::flush;
    return kExitCompleted;
  } catch (const RunError& error) {
    err << ToTerminalText(error.what()) << '\n';
  } catch (const std::exception& error) {
    err << error.what() << '\n';
  }
  return kExitRunError;
}

}  // namespace tto::cli
