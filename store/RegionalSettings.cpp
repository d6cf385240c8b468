#include "store/RegionalSettings.h"

#include <langinfo.h>
#include <locale.h>

#include <cstring>
#include <optional>
#include <string_view>

#include "store/AnsiText.h"

// On Windows these settings come from the control panel; here they come from the user's
// locale. A machine without a locale (C, POSIX, C.UTF-8: containers, services) gets the
// settings of the Spanish Windows machines this data comes from, so decimal hours with a
// comma keep converting there.

namespace tto {
namespace {

bool IsNeutralLocale(const char* name) {
  if (name == nullptr || *name == '\0') return true;
  const std::string_view n(name);
  return n == "C" || n == "POSIX" || n.starts_with("C.") || n.starts_with("POSIX.");
}

// One category of the user's locale, or nothing where no real locale is set for it (or
// the one named is not installed).
class UserLocale {
 public:
  UserLocale(int categoryMask, int category, nl_item codesetItem)
      : locale_(newlocale(categoryMask, "", locale_t{})), codesetItem_(codesetItem) {
    if (locale_ != locale_t{} &&
        IsNeutralLocale(nl_langinfo_l(NL_LOCALE_NAME(category), locale_))) {
      freelocale(locale_);
      locale_ = locale_t{};
    }
  }
  ~UserLocale() {
    if (locale_ != locale_t{}) freelocale(locale_);
  }
  UserLocale(const UserLocale&) = delete;
  UserLocale& operator=(const UserLocale&) = delete;

  explicit operator bool() const { return locale_ != locale_t{}; }
  // Program text of a locale item: converted from the category's own character set when
  // that is UTF-8 (other sets are single-byte Latin ones in practice).
  std::string Item(nl_item item) const {
    const std::string raw = nl_langinfo_l(item, locale_);
    const std::string_view codeset = nl_langinfo_l(codesetItem_, locale_);
    return codeset == "UTF-8" ? Utf8ToAnsi(raw) : raw;
  }

 private:
  locale_t locale_;
  nl_item codesetItem_;
};

bool IsPatternLetter(char c) {
  return std::strchr("dMyhHmst", c) != nullptr && c != '\0';
}

// Appends literal text to a Windows pattern, quoting what would read as a pattern letter.
void AppendLiteral(std::string& pattern, char c) {
  if (c == '\'') {
    pattern += "''";
  } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
    pattern += '\'';
    pattern += c;
    pattern += '\'';
  } else {
    pattern += c;
  }
}

// Translates a strftime format (the locale's D_FMT or T_FMT) into a Windows pattern, or
// nothing when it uses a conversion Windows patterns cannot express here (day and month
// names, week numbers, time zones) or a character the code page lacks.
std::optional<std::string> WindowsPatternOf(std::string_view format) {
  std::string pattern;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c != '%') {
      if (c == '?') return std::nullopt;  // a character Windows-1252 lacks
      AppendLiteral(pattern, c);
      continue;
    }
    bool unpadded = false;
    // glibc flags and width, then the E and O modifiers (alternative eras and digits).
    while (i + 1 < format.size() && std::strchr("-_0^#", format[i + 1]) != nullptr) {
      unpadded = unpadded || format[i + 1] == '-' || format[i + 1] == '_';
      ++i;
    }
    while (i + 1 < format.size() && format[i + 1] >= '0' && format[i + 1] <= '9') ++i;
    if (i + 1 < format.size() && (format[i + 1] == 'E' || format[i + 1] == 'O')) ++i;
    if (i + 1 >= format.size()) return std::nullopt;
    const char conversion = format[++i];
    switch (conversion) {
      case 'd':
        pattern += unpadded ? "d" : "dd";
        break;
      case 'e':
        pattern += "d";
        break;
      case 'm':
        pattern += unpadded ? "M" : "MM";
        break;
      case 'y':
        pattern += unpadded ? "y" : "yy";
        break;
      case 'Y':
        pattern += "yyyy";
        break;
      case 'H':
        pattern += unpadded ? "H" : "HH";
        break;
      case 'k':
        pattern += "H";
        break;
      case 'I':
        pattern += unpadded ? "h" : "hh";
        break;
      case 'l':
        pattern += "h";
        break;
      case 'M':
        pattern += unpadded ? "m" : "mm";
        break;
      case 'S':
        pattern += unpadded ? "s" : "ss";
        break;
      case 'p':
      case 'P':
        pattern += "tt";
        break;
      case 'T':
        pattern += "HH:mm:ss";
        break;
      case 'R':
        pattern += "HH:mm";
        break;
      case 'r':
        pattern += "hh:mm:ss tt";
        break;
      case 'D':
        pattern += "MM/dd/yy";
        break;
      case 'F':
        pattern += "yyyy-MM-dd";
        break;
      case 'n':
        pattern += '\n';
        break;
      case 't':
        pattern += '\t';
        break;
      case '%':
        pattern += '%';
        break;
      default:
        return std::nullopt;
    }
  }
  if (pattern.empty()) return std::nullopt;
  return pattern;
}

std::string Digits(int value, std::size_t minimum) {
  std::string out = std::to_string(value);
  if (out.size() < minimum) out.insert(0, minimum - out.size(), '0');
  return out;
}

std::optional<RegionalSettings>& CurrentSlot() {
  static std::optional<RegionalSettings> current;
  return current;
}

}  // namespace

RegionalSettings RegionalSettings::FromEnvironment() {
  RegionalSettings settings;
  if (const UserLocale numeric(LC_NUMERIC_MASK, LC_NUMERIC, _NL_NUMERIC_CODESET); numeric) {
    const std::string radix = numeric.Item(RADIXCHAR);
    // A multi-byte separator (Arabic) has no single-byte form; keep the comma.
    if (radix.size() == 1 && radix != "?") settings.decimalSeparator = radix[0];
  }
  if (const UserLocale time(LC_TIME_MASK, LC_TIME, _NL_TIME_CODESET); time) {
    if (auto date = WindowsPatternOf(time.Item(D_FMT))) settings.shortDateFormat = *date;
    if (auto clock = WindowsPatternOf(time.Item(T_FMT))) settings.longTimeFormat = *clock;
  }
  return settings;
}

const RegionalSettings& CurrentRegionalSettings() {
  auto& current = CurrentSlot();
  if (!current) current = RegionalSettings::FromEnvironment();
  return *current;
}

void SetCurrentRegionalSettings(const RegionalSettings& settings) {
  CurrentSlot() = settings;
}

// Windows pattern letters, each run of one letter being one field: d dd (day), M MM
// (month), y yy yyyy (year: y and yy without century, three or more letters the full
// year), h hh (12-hour clock), H HH (24-hour clock), m mm (minutes), s ss (seconds), t tt
// (first letter of AM/PM, AM/PM). Longer runs of d, M, h, H, m, s write two digits. Text
// in single or double quotes is literal ('' is a quote); every other character is literal.
std::string FormatDateTime(const std::string& pattern, const std::tm& when) {
  std::string out;
  std::size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    if (c == '\'' && i + 1 < pattern.size() && pattern[i + 1] == '\'') {
      out += '\'';
      i += 2;
      continue;
    }
    if (c == '\'' || c == '"') {
      std::size_t j = i + 1;
      for (; j < pattern.size(); ++j) {
        if (pattern[j] != c) {
          out += pattern[j];
        } else if (c == '\'' && j + 1 < pattern.size() && pattern[j + 1] == '\'') {
          out += '\'';
          ++j;
        } else {
          break;
        }
      }
      i = j + 1;
      continue;
    }
    if (!IsPatternLetter(c)) {
      out += c;
      ++i;
      continue;
    }
    std::size_t run = 1;
    while (i + run < pattern.size() && pattern[i + run] == c) ++run;
    i += run;
    const bool padded = run >= 2;
    auto number = [&](int value) { out += padded ? Digits(value, 2) : std::to_string(value); };
    const int hour12 = when.tm_hour % 12 == 0 ? 12 : when.tm_hour % 12;
    switch (c) {
      case 'd':
        number(when.tm_mday);
        break;
      case 'M':
        number(when.tm_mon + 1);
        break;
      case 'y':
        if (run >= 3) {
          out += Digits(when.tm_year + 1900, 4);
        } else {
          number((when.tm_year + 1900) % 100);
        }
        break;
      case 'h':
        number(hour12);
        break;
      case 'H':
        number(when.tm_hour);
        break;
      case 'm':
        number(when.tm_min);
        break;
      case 's':
        number(when.tm_sec);
        break;
      case 't':
        out += run >= 2 ? (when.tm_hour < 12 ? "AM" : "PM") : (when.tm_hour < 12 ? "A" : "P");
        break;
      default:
        break;
    }
  }
  return out;
}

}  // namespace tto
