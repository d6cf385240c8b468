#include "store/RegionalSettings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace tto {
namespace {

// glibc's newlocale keeps a copy of LOCPATH it never frees; that is glibc's, not ours.
RegionalSettings FromEnvironmentIgnoringGlibcLeak() {
#if defined(__SANITIZE_ADDRESS__)
  __lsan_disable();
#endif
  RegionalSettings settings = RegionalSettings::FromEnvironment();
#if defined(__SANITIZE_ADDRESS__)
  __lsan_enable();
#endif
  return settings;
}

namespace fs = std::filesystem;

std::tm At(int year, int month, int day, int hour, int minute, int second) {
  std::tm when{};
  when.tm_year = year - 1900;
  when.tm_mon = month - 1;
  when.tm_mday = day;
  when.tm_hour = hour;
  when.tm_min = minute;
  when.tm_sec = second;
  return when;
}

struct PatternCase {
  const char* pattern;
  std::tm when;
  const char* text;
};

TEST(FormatDateTime, WritesWindowsPatternLetters) {
  const std::tm morning = At(2024, 3, 5, 7, 8, 9);
  const std::tm evening = At(2005, 12, 25, 19, 45, 30);
  const std::tm midnight = At(2024, 1, 1, 0, 0, 0);
  const PatternCase cases[] = {
      {"dd/MM/yyyy", morning, "05/03/2024"},
      {"d/M/yy", morning, "5/3/24"},
      {"dd/MM/yy", evening, "25/12/05"},
      {"y", evening, "5"},  // year without century, no padding
      {"yyy", morning, "2024"},
      {"H:mm:ss", morning, "7:08:09"},
      {"HH:mm:ss", morning, "07:08:09"},
      {"H:m:s", morning, "7:8:9"},
      {"h:mm tt", evening, "7:45 PM"},
      {"hh:mm:ss tt", morning, "07:08:09 AM"},
      {"h t", midnight, "12 A"},  // midnight is 12 AM
      {"H:mm", midnight, "0:00"},
      {"ddd MMM", morning, "05 03"},  // longer runs: two digits
      {"yyyy-MM-dd'T'HH", morning, "2024-03-05T07"},
      {"'d' d \"de\" M", morning, "d 5 de 3"},  // quoted text is literal
      {"'it''s' h", morning, "it's 7"},         // '' inside quotes is a quote
      {"''", morning, "'"},
      {"dd.MM.yyyy", morning, "05.03.2024"},
      {"%a, !", morning, "%a, !"},  // other characters are literal
      {"", morning, ""},
  };
  for (const PatternCase& c : cases) {
    SCOPED_TRACE(c.pattern);
    EXPECT_EQ(FormatDateTime(c.pattern, c.when), c.text);
  }
}

// Sets environment variables for one scope, restoring them afterwards.
class ScopedEnvironment {
 public:
  void Set(const char* name, const std::string& value) {
    if (!saved_.contains(name)) {
      const char* old = std::getenv(name);
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

TEST(RegionalSettings, WithoutARealLocaleTheSpanishDefaultsHold) {
  for (const char* name : {"C", "POSIX", "C.UTF-8", "no_EXISTE.UTF-8"}) {
    SCOPED_TRACE(name);
    ScopedEnvironment environment;
    environment.Set("LC_ALL", name);
    const RegionalSettings settings = RegionalSettings::FromEnvironment();
    EXPECT_EQ(settings.decimalSeparator, ',');
    EXPECT_EQ(settings.shortDateFormat, "dd/MM/yyyy");
    EXPECT_EQ(settings.longTimeFormat, "H:mm:ss");
  }
}

struct LocaleCase {
  const char* name;
  char decimalSeparator;
  const char* shortDate;
  const char* longTime;
};

// Real locales, compiled for the tests into the build folder (the machine may have none
// installed; compiling takes seconds, so it happens once).
TEST(RegionalSettings, ComeFromTheUsersLocale) {
  const LocaleCase cases[] = {
      {"es_ES", ',', "dd/MM/yy", "HH:mm:ss"},
      {"en_US", '.', "MM/dd/yyyy", "hh:mm:ss tt"},
      {"de_DE", ',', "dd.MM.yyyy", "HH:mm:ss"},
      // Day and month names, or characters Windows-1252 lacks: the Spanish default for
      // that format, the locale for the rest.
      {"ar_SA", '.', "dd/MM/yyyy", "H:mm:ss"},
      {"ja_JP", '.', "dd/MM/yyyy", "H:mm:ss"},
  };
  const fs::path locales = fs::path(TTO_BINARY_DIR) / "test-locales";
  fs::create_directories(locales);
  for (const LocaleCase& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path compiled = locales / (std::string(c.name) + ".UTF-8");
    const std::string command = "localedef -i " + std::string(c.name) + " -f UTF-8 " +
                                compiled.string() + " >/dev/null 2>&1";
    if (!fs::exists(compiled / "LC_TIME") && std::system(command.c_str()) != 0 &&
        !fs::exists(compiled / "LC_TIME")) {
      GTEST_SKIP() << "localedef cannot build " << c.name;
    }
    ScopedEnvironment environment;
    environment.Set("LOCPATH", locales.string());
    environment.Set("LC_ALL", std::string(c.name) + ".UTF-8");
    const RegionalSettings settings = FromEnvironmentIgnoringGlibcLeak();
    EXPECT_EQ(settings.decimalSeparator, c.decimalSeparator);
    EXPECT_EQ(settings.shortDateFormat, c.shortDate);
    EXPECT_EQ(settings.longTimeFormat, c.longTime);
  }
}

TEST(RegionalSettings, TheSettingsInForceCanBeReplaced) {
  const RegionalSettings saved = CurrentRegionalSettings();
  RegionalSettings english;
  english.decimalSeparator = '.';
  english.shortDateFormat = "M/d/yyyy";
  english.longTimeFormat = "h:mm:ss tt";
  SetCurrentRegionalSettings(english);
  EXPECT_EQ(CurrentRegionalSettings().decimalSeparator, '.');
  EXPECT_EQ(CurrentRegionalSettings().shortDateFormat, "M/d/yyyy");
  SetCurrentRegionalSettings(saved);
  EXPECT_EQ(CurrentRegionalSettings().decimalSeparator, saved.decimalSeparator);
}

}  // namespace
}  // namespace tto
