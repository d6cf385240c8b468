#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tto {

// Program text is 8-bit Windows-1252 ("ANSI") held in std::string. These functions are
// the only crossings between it and UTF-8 (XML documents, Qt, the terminal, file paths).

// UTF-8 to Windows-1252. A character the code page lacks, or a broken UTF-8 sequence,
// becomes '?'.
std::string Utf8ToAnsi(std::string_view utf8);

// Windows-1252 to UTF-8. The five bytes the code page leaves undefined (81 8D 8F 90 9D)
// map to the C1 control characters of the same value, as Windows does.
std::string AnsiToUtf8(std::string_view ansi);

// A native file path in program text, for messages.
std::string PathToAnsi(const std::filesystem::path& path);

// Attribute text: leading and trailing characters at or below the blank (U+0020) removed.
std::string TrimAttributeText(std::string_view ansi);

// Case folding of Windows-1252 letters: ASCII and the accented Latin letters (é and É
// fold together; e and é stay apart). Two texts are equal ignoring case exactly when
// their folded forms are equal, so the folded form serves as a hash key.
std::string AnsiFoldCase(std::string_view ansi);
bool AnsiEqualsIgnoreCase(std::string_view a, std::string_view b);

// Lower-case form of program text (ASCII and accented Latin letters).
std::string AnsiLowerCase(std::string_view ansi);

}  // namespace tto
