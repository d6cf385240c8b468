#pragma once

#include <ctime>
#include <string>

namespace tto {

// The regional settings the system relies on: the decimal separator (hours of the school
// file) and the short date and long time formats (the result file's export stamp).
// Formats use Windows' pattern letters: d dd M MM yy yyyy for dates, h hh H HH m mm s ss
// and tt for times.
struct RegionalSettings {
  char decimalSeparator = ',';
  std::string shortDateFormat = "dd/MM/yyyy";
  std::string longTimeFormat = "H:mm:ss";

  // The user's locale (LC_NUMERIC, LC_TIME); Spanish defaults where none is set (C, POSIX).
  static RegionalSettings FromEnvironment();
};

// The settings in force: read from the environment on first use; tests may replace them.
const RegionalSettings& CurrentRegionalSettings();
void SetCurrentRegionalSettings(const RegionalSettings& settings);

// Date or time text of a broken-down local time in a Windows-style pattern.
std::string FormatDateTime(const std::string& pattern, const std::tm& when);

}  // namespace tto
