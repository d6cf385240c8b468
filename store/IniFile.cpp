#include "store/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "store/AnsiText.h"
#include "store/AtomicFile.h"
#include "store/RunError.h"

// Velmora reads its settings file with the Windows profile functions, so we write it by
// their rules, and touch nothing but the one value: comments, blank lines, spacing,
// other sections and the file's own line endings stay byte for byte.

namespace tto {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kWriteError = "Unable to write to %s";

[[noreturn]] void Fail(const fs::path& file) {
  std::string text(kWriteError);
  text.replace(text.find("%s"), 2, PathToAnsi(file));
  throw RunError(text);
}

// The file's bytes; empty when it does not exist. Anything else that keeps us from
// reading it (a folder, no permission) means we cannot write it either.
std::string ReadExisting(const fs::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT) return {};
    Fail(file);
  }
  std::string bytes;
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  char buffer[8192];
  while (ok) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      ok = errno == EINTR;
      continue;
    }
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  if (!ok) Fail(file);
  return bytes;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A line break inside a name or value would split the line and corrupt the file.
std::string OneLine(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

// One line of the file: [begin, contentEnd) is its text, [contentEnd, end) its line
// ending ("\r\n", "\n", or nothing on a last line without one).
struct Line {
  std::size_t begin;
  std::size_t contentEnd;
  std::size_t end;
};

std::string_view LineText(const std::string& text, const Line& line) {
  return std::string_view(text).substr(line.begin, line.contentEnd - line.begin);
}

Line LineAt(const std::string& text, std::size_t begin) {
  const std::size_t newline = text.find('\n', begin);
  const std::size_t end = newline == std::string::npos ? text.size() : newline + 1;
  std::size_t contentEnd = newline == std::string::npos ? text.size() : newline;
  if (contentEnd > begin && text[contentEnd - 1] == '\r') --contentEnd;
  return {begin, contentEnd, end};
}

// The file's own line ending (that of its first line); CRLF, as Windows writes, for a file
// that has none yet.
std::string LineEndingOf(const std::string& text) {
  const std::size_t newline = text.find('\n');
  if (newline == std::string::npos) return "\r\n";
  return newline > 0 && text[newline - 1] == '\r' ? "\r\n" : "\n";
}

// Whether the last line of text (which ends with a line break) holds only blanks.
bool EndsWithBlankLine(const std::string& text) {
  std::size_t begin = text.size() - 1;  // the final '\n'
  while (begin > 0 && text[begin - 1] != '\n') --begin;
  return Trim(LineText(text, LineAt(text, begin))).empty();
}

// Rules, as the Windows profile functions apply them:
// - a section line is '[' (after blanks) and a name up to ']', compared ignoring case and
//   the blanks around it; the first section of the name is the one written to;
// - in it, a key line is a name before the first '=', compared ignoring case and blanks;
//   the first such line gets the new value in place of its old one (whatever stands after
//   the '=' and its blanks), the key's own spelling and spacing kept;
// - a key the section lacks is added after the section's last non-blank line, so blank
//   lines that separate it from the next section stay after it;
// - a missing section is added at the end of the file (after a blank line, so sections
//   stay apart as people write them).
std::string WithValue(const std::string& text, std::string_view section, std::string_view key,
                      const std::string& entry, std::string_view value) {
  const std::string eol = LineEndingOf(text);
  bool inSection = false;
  bool sectionFound = false;
  std::size_t insertAt = 0;  // end of the section's last non-blank line
  for (std::size_t at = 0; at < text.size();) {
    const Line line = LineAt(text, at);
    at = line.end;
    std::string_view content = LineText(text, line);
    if (line.begin == 0 && content.starts_with("\xEF\xBB\xBF")) content.remove_prefix(3);
    const std::string_view trimmed = Trim(content);
    if (trimmed.starts_with('[')) {
      if (inSection) break;  // the section ended without the key
      const std::size_t close = trimmed.find(']');
      const std::string_view name = Trim(
          trimmed.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
      inSection = AnsiEqualsIgnoreCase(name, section);
      if (inSection) {
        sectionFound = true;
        insertAt = line.end;
      }
      continue;
    }
    if (!inSection || trimmed.empty()) continue;
    insertAt = line.end;
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos ||
        !AnsiEqualsIgnoreCase(Trim(content.substr(0, equals)), key)) {
      continue;
    }
    std::size_t valueBegin = static_cast<std::size_t>(content.data() - text.data()) + equals + 1;
    while (valueBegin < line.contentEnd && IsBlank(text[valueBegin])) ++valueBegin;
    std::string out = text;
    out.replace(valueBegin, line.contentEnd - valueBegin, value);
    return out;
  }

  std::string out = text;
  if (sectionFound) {
    std::string added = entry + eol;
    if (insertAt > 0 && out[insertAt - 1] != '\n') added.insert(0, eol);  // last line lacked one
    out.insert(insertAt, added);
    return out;
  }
  if (!out.empty()) {
    if (out.back() != '\n') out += eol;
    if (!EndsWithBlankLine(out)) out += eol;
  }
  out.append("[").append(section).append("]").append(eol).append(entry).append(eol);
  return out;
}

}  // namespace

void WriteIniString(const fs::path& file, std::string_view section, std::string_view key,
                    std::string_view value) {
  const std::string text = ReadExisting(file);
  const std::string cleanSection = OneLine(section);
  const std::string cleanKey = OneLine(key);
  const std::string cleanValue = OneLine(value);
  const std::string updated =
      WithValue(text, cleanSection, cleanKey, cleanKey + "=" + cleanValue, cleanValue);
  WriteFileAtomically(file, updated, kWriteError);
}

void WriteIniInteger(const fs::path& file, std::string_view section, std::string_view key,
                     int value) {
  WriteIniString(file, section, key, std::to_string(value));
}

}  // namespace tto
