#include "store/Conversions.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "store/RegionalSettings.h"
#include "store/RunError.h"

namespace tto {
namespace {

// The error text, or nothing when the conversion succeeded.
template <typename Convert>
std::optional<std::string> ErrorOf(Convert convert) {
  try {
    convert();
  } catch (const RunError& error) {
    return std::string(error.what());
  }
  return std::nullopt;
}

struct IntCase {
  const char* text;
  std::int32_t value;
};

TEST(StrToInt, AcceptsWhatDelphiAccepts) {
  const IntCase cases[] = {
      {"0", 0},
      {"7", 7},
      {"0042", 42},  // leading zeros
      {"+15", 15},   // plus sign
      {"-15", -15},  // minus sign
      {"-0", 0},
      {"   12", 12},                     // leading blanks
      {"  -3", -3},                      // blanks, then the sign
      {"2147483647", 2147483647},        // largest
      {"-2147483648", -2147483647 - 1},  // smallest
      {"$1A2B", 0x1A2B},                 // hexadecimal, as start-up reads the handle
      {"$ff", 255},                      // hexadecimal digits in either case
      {"$00000000001", 1},               // leading zeros do not count towards the limit
      {"-$10", -16},                     // sign before the '$'
      {"  $7FFFFFFF", 2147483647},
      {"$80000000", -2147483647 - 1},  // 32-bit pattern, as Delphi reads it
      {"$FFFFFFFF", -1},
  };
  for (const IntCase& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(StrToInt(c.text), c.value);
  }
}

TEST(StrToInt, RejectsEverythingElseWithTheSystemText) {
  const char* const cases[] = {
      "",             // empty
      " ",            // blanks only
      "12 ",          // trailing blank
      "1 2",          // inner blank
      "+",            // lone sign
      "-",            //
      "+-1",          // two signs
      "- 1",          // blank after the sign
      "$",            // '$' with nothing after it
      "$$1A",         // a second prefix
      "$0x1A",        // start-up's "$" before a parameter already carrying 0x
      "0x1A",         // C's prefix
      "$xyz",         // not hexadecimal digits
      "$1G",          //
      "12a",          // letters
      "abc",          //
      "1.5",          // fractions
      "1,5",          //
      "1e3",          // exponents
      "\t5",          // only blanks count as blanks
      "2147483648",   // beyond 32 bits
      "-2147483649",  //
      "99999999999999999999",
      "$100000000",  // nine significant hexadecimal digits
  };
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(ErrorOf([&] { StrToInt(text); }),
              "'" + std::string(text) + "' no es un valor entero v\xE1lido");
  }
}

TEST(StrToInt, NulByteEndsNothing) {
  // A NUL byte is no digit and no end: the whole text must be the number.
  EXPECT_THROW(StrToInt(std::string("1\0"
                                    "2",
                                    3)),
               RunError);
  EXPECT_THROW(StrToFloat(std::string("1\0"
                                      "2",
                                      3),
                          ','),
               RunError);
}

struct FloatCase {
  const char* text;
  double value;
};

TEST(StrToFloat, AcceptsWhatDelphiAcceptsWithTheGivenSeparator) {
  const FloatCase cases[] = {
      {"0", 0},
      {"3", 3},
      {"3,5", 3.5},
      {"-3,5", -3.5},
      {"+3,5", 3.5},
      {"  3,5", 3.5},  // leading blanks
      {"3,5  ", 3.5},  // trailing blanks
      {" -0,25 ", -0.25},
      {"5,", 5},    // separator without decimals
      {",5", 0.5},  // separator without integer digits
      {"0001,5000", 1.5},
      {"1E3", 1000},  // exponent
      {"1e3", 1000},
      {"2,5E-2", 0.025},
      {"2,5e+2", 250},
      {",5E1", 5},
      {"1E-400", 0},  // below a double's range: zero
      {"1,7976931348623157E308", std::numeric_limits<double>::max()},
  };
  for (const FloatCase& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_DOUBLE_EQ(StrToFloat(c.text, ','), c.value);
  }
  EXPECT_DOUBLE_EQ(StrToFloat("3.5", '.'), 3.5);
  EXPECT_DOUBLE_EQ(StrToFloat(" .5e1 ", '.'), 5);
}

TEST(StrToFloat, RejectsEverythingElseWithTheSystemText) {
  const char* const cases[] = {
      "",         // empty
      "   ",      // blanks only
      ",",        // separator without digits
      "-",        // lone sign
      "+,",       //
      "3.5",      // the other separator
      "1,234,5",  // a second separator
      "1.234,5",  // thousands separator
      "3,5a",     // letters
      "a3",       //
      "3 ,5",     // inner blank
      "- 3",      // blank after the sign
      "1E",       // exponent without digits
      "1E+",      //
      "E5",       // exponent without a number
      "1E5,5",    // fraction in the exponent
      "INF",      // no special values
      "NAN",      //
      "$10",      // no hexadecimal
      "0x10",     //
      "\t3",      // only blanks count as blanks
      "1E400",    // beyond a double's range
      "-1E400",   //
  };
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(ErrorOf([&] { StrToFloat(text, ','); }),
              "'" + std::string(text) + "' no es un valor punto flotante v\xE1lido");
  }
  EXPECT_EQ(ErrorOf([] { StrToFloat("3,5", '.'); }),
            "'3,5' no es un valor punto flotante v\xE1lido");
}

TEST(StrToFloat, UsesTheRegionalSeparatorInForce) {
  const RegionalSettings saved = CurrentRegionalSettings();
  RegionalSettings settings;
  settings.decimalSeparator = '.';
  SetCurrentRegionalSettings(settings);
  EXPECT_DOUBLE_EQ(StrToFloat("2.25"), 2.25);
  EXPECT_THROW(StrToFloat("2,25"), RunError);
  settings.decimalSeparator = ',';
  SetCurrentRegionalSettings(settings);
  EXPECT_DOUBLE_EQ(StrToFloat("2,25"), 2.25);
  EXPECT_THROW(StrToFloat("2.25"), RunError);
  SetCurrentRegionalSettings(saved);
}

TEST(StrToFloat, DoesNotDependOnTheProcessLocale) {
  // The window sets the user's locale at start-up; reading must not change with it.
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  if (std::setlocale(LC_NUMERIC, "C.UTF-8") == nullptr) GTEST_SKIP() << "no C.UTF-8 locale";
  EXPECT_DOUBLE_EQ(StrToFloat("1,5", ','), 1.5);
  std::setlocale(LC_NUMERIC, saved.c_str());
}

struct FloatTextCase {
  double value;
  const char* text;
};

TEST(FloatToStr, WritesDelphisGeneralFormat) {
  const FloatTextCase cases[] = {
      {0, "0"},
      {-0.0, "0"},
      {3, "3"},
      {-3, "-3"},
      {3.5, "3,5"},
      {-0.25, "-0,25"},
      {0.1 + 0.2, "0,3"},  // 15 significant digits hide the binary noise
      {1.0 / 3, "0,333333333333333"},
      {2.0 / 3, "0,666666666666667"},        // rounded
      {100, "100"},                          // no trailing zeros lost in integers
      {123456789012345, "123456789012345"},  // 15 integer digits: still plain
      {1e15, "1E15"},                        // 16 integer digits: exponent form
      {1234567890123456, "1,23456789012346E15"},
      {1e20, "1E20"},
      {-2.5e300, "-2,5E300"},
      {0.0001, "0,0001"},  // smallest plain
      {0.00012, "0,00012"},
      {0.00001, "1E-5"},
      {1.5e-10, "1,5E-10"},
      {999999999999999.9, "1E15"},  // rounding carries into a new digit
      {std::numeric_limits<double>::infinity(), "INF"},
      {-std::numeric_limits<double>::infinity(), "-INF"},
      {std::nan(""), "NAN"},
  };
  for (const FloatTextCase& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FloatToStr(c.value, ','), c.text);
  }
  EXPECT_EQ(FloatToStr(3.5, '.'), "3.5");
  EXPECT_EQ(FloatToStr(1.5e-10, '.'), "1.5E-10");
}

TEST(FloatToStr, ReadsBackThroughStrToFloat) {
  const double values[] = {0.5, 1.75, 1234.5678, -98.25, 2e-7, 6.02e23};
  for (double value : values) {
    SCOPED_TRACE(value);
    EXPECT_DOUBLE_EQ(StrToFloat(FloatToStr(value, ','), ','), value);
  }
}

}  // namespace
}  // namespace tto
