#include "core/ExchangeFolder.h"

#include <cstdlib>
#include <system_error>

#include "store/AnsiText.h"
#include "store/RunError.h"
#include "store/Table.h"

namespace tto {

namespace {

std::filesystem::path WineDriveC() {
  std::filesystem::path prefix;
  if (const char* wine = std::getenv("WINEPREFIX"); wine != nullptr && *wine != '\0') {
    prefix = wine;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    prefix = std::filesystem::path(home) / ".wine";
  } else {
    prefix = ".wine";
  }
  return prefix / "dosdevices" / "c:";
}

}  // namespace

ExchangeFolder::ExchangeFolder(std::filesystem::path overrideFolder)
    : override_(std::move(overrideFolder)) {}

std::filesystem::path ExchangeFolder::Resolve() const {
  std::filesystem::path expected;
  std::filesystem::path found;
  if (override_) {
    expected = *override_;
    std::error_code ec;
    if (std::filesystem::is_directory(expected, ec)) found = expected;
  } else {
    const std::filesystem::path driveC = WineDriveC();
    expected = driveC / "ZTEMP";
    found = FindFileIgnoringCase(driveC, "ZTEMP");
    std::error_code ec;
    if (!found.empty() && !std::filesystem::is_directory(found, ec)) found.clear();
  }
  if (found.empty()) {
    throw RunError("No existe la carpeta de intercambio " + std::string(kWindowsPath) + " (" +
                   PathToAnsi(expected) + ")");
  }
  return found;
}

bool ExchangeFolder::HasFile(std::string_view fileName) const {
  try {
    const std::filesystem::path file = FindFileIgnoringCase(Resolve(), fileName);
    std::error_code ec;
    return !file.empty() && std::filesystem::is_regular_file(file, ec);
  } catch (const RunError&) {
    return false;
  }
}

}  // namespace tto
