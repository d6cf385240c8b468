#pragma once

#include <filesystem>
#include <string_view>

namespace tto {

// Writes one value of a settings (INI) file with the Windows rules: section and key are
// found without regard to case; the value is replaced in place, or the key is appended
// at the end of its section, or a missing section is appended at the end of the file.
// Every other byte, line endings included, stays as it was (a new file uses CRLF). The
// file is replaced atomically. Fails with "Unable to write to %s" (the path).
void WriteIniString(const std::filesystem::path& file, std::string_view section,
                    std::string_view key, std::string_view value);
void WriteIniInteger(const std::filesystem::path& file, std::string_view section,
                     std::string_view key, int value);

}  // namespace tto
