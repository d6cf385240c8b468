#include "store/Conversions.h"

#include <locale.h>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "store/RegionalSettings.h"
#include "store/RunError.h"

// The data this system reads was written for Windows programs built with Delphi, and the
// error texts people know are Delphi's. These conversions accept exactly what Delphi's
// StrToInt (System.Val), StrToFloat (SysUtils.TextToFloat) and FloatToStr accept and
// write, so a school file that worked there works here, and one that failed there fails
// here with the same text.

namespace tto {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

[[noreturn]] void ThrowNotInteger(std::string_view text) {
  throw RunError("'" + std::string(text) + "' no es un valor entero v\xE1lido");
}

[[noreturn]] void ThrowNotFloat(std::string_view text) {
  throw RunError("'" + std::string(text) + "' no es un valor punto flotante v\xE1lido");
}

// strtod in the "C" locale whatever the process locale is (Qt sets the user's locale at
// start-up, which would make strtod expect the user's decimal separator).
double ParseCDouble(const std::string& text, bool& overflow) {
  static const locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", locale_t{});
  errno = 0;
  const double value = strtod_l(text.c_str(), nullptr, cLocale);
  overflow = errno == ERANGE && std::isinf(value);
  return value;
}

}  // namespace

// Delphi's Val, as StrToInt uses it:
// - leading blanks (spaces) are skipped; anything after the digits, trailing blanks
//   included, is an error;
// - one optional sign, '+' or '-', directly before the digits or the '$';
// - '$' introduces hexadecimal digits (0-9, A-F in either case); up to $FFFFFFFF is
//   accepted and read as a 32-bit pattern, so $FFFFFFFF is -1, as in Delphi;
// - otherwise decimal digits in the range -2147483648 to 2147483647; beyond it is an error;
// - at least one digit; empty text, a lone sign or '$', a "0x" prefix, letters, inner
//   blanks: errors.
std::int32_t StrToInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i < text.size() && text[i] == '$') {
    ++i;
    if (i == text.size()) ThrowNotInteger(text);
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
      const int digit = HexValue(text[i]);
      if (digit < 0) ThrowNotInteger(text);
      value = value * 16 + static_cast<unsigned>(digit);
      if (value > 0xFFFFFFFFu) ThrowNotInteger(text);
    }
    auto pattern = static_cast<std::uint32_t>(value);
    if (negative) pattern = 0u - pattern;
    return static_cast<std::int32_t>(pattern);
  }
  if (i == text.size()) ThrowNotInteger(text);
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) ThrowNotInteger(text);
    value = value * 10 + (text[i] - '0');
    if (value > 2147483648LL) ThrowNotInteger(text);
  }
  if (negative) value = -value;
  if (value > 2147483647LL) ThrowNotInteger(text);
  return static_cast<std::int32_t>(value);
}

// Delphi's TextToFloat, as StrToFloat uses it:
// - leading and trailing blanks (spaces) are allowed;
// - one optional sign, '+' or '-';
// - decimal digits with at most one decimal separator, which is the given one only
//   (the other one, '.' or ',', is an error like any other character; there are no
//   thousands separators); at least one digit, before or after the separator ("5," and
//   ",5" read; "," does not);
// - an optional exponent: 'E' or 'e', an optional sign, at least one digit;
// - nothing else: empty text, letters, "INF", "NAN", hexadecimal, a second separator are
//   errors;
// - a number beyond the range of a double is an error too (Delphi's assignment to a
//   Double raised an overflow there); one too small for a double reads as 0.
double StrToFloat(std::string_view text, char decimalSeparator) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  std::string plain;  // the number rewritten for strtod in the "C" locale
  if (i < n && (text[i] == '+' || text[i] == '-')) plain += text[i++];
  std::size_t digits = 0;
  for (; i < n && IsDigit(text[i]); ++i, ++digits) plain += text[i];
  if (i < n && text[i] == decimalSeparator) {
    plain += '.';
    for (++i; i < n && IsDigit(text[i]); ++i, ++digits) plain += text[i];
  }
  if (digits == 0) ThrowNotFloat(text);
  if (i < n && (text[i] == 'E' || text[i] == 'e')) {
    plain += 'e';
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) plain += text[i++];
    std::size_t exponentDigits = 0;
    for (; i < n && IsDigit(text[i]); ++i, ++exponentDigits) plain += text[i];
    if (exponentDigits == 0) ThrowNotFloat(text);
  }
  while (i < n && text[i] == ' ') ++i;
  if (i != n) ThrowNotFloat(text);
  bool overflow = false;
  const double value = ParseCDouble(plain, overflow);
  if (overflow) ThrowNotFloat(text);
  return value;
}

double StrToFloat(std::string_view text) {
  return StrToFloat(text, CurrentRegionalSettings().decimalSeparator);
}

// Delphi's FloatToStr (general format, 15 significant digits):
// - the value is rounded to 15 significant digits and trailing zeros are dropped, with
//   the decimal separator only when a fraction remains ("3", "3,5", "0,3" for 0.1 + 0.2);
// - plain notation while the decimal exponent allows it (from 0,0001 up to 15 integer
//   digits); outside that, exponent notation without '+' and without leading zeros in
//   the exponent: "1E15", "1,5E-5", "-2,5E300";
// - zero (negative zero included) is "0"; infinities and NaN are "INF", "-INF", "NAN".
std::string FloatToStr(double value, char decimalSeparator) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0) return "0";

  // d.dddddddddddddde±x: 15 significant digits, correctly rounded.
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.14e", value);
  std::string_view scientific(buffer);
  const bool negative = scientific.front() == '-';
  if (negative) scientific.remove_prefix(1);
  std::string digits;
  digits += scientific[0];
  digits.append(scientific.substr(2, 14));
  const int exponent = std::atoi(buffer + scientific.find('e') + (negative ? 2 : 1));
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = negative ? "-" : "";
  // Delphi's decimal exponent counts the digits before the point: 0,d × 10^(exponent+1).
  const int pointPosition = exponent + 1;
  if (pointPosition > 15 || pointPosition < -3) {
    out += digits[0];
    if (digits.size() > 1) {
      out += decimalSeparator;
      out.append(digits, 1);
    }
    out += 'E';
    out += std::to_string(exponent);
    return out;
  }
  if (pointPosition <= 0) {
    out += '0';
    out += decimalSeparator;
    out.append(static_cast<std::size_t>(-pointPosition), '0');
    out += digits;
    return out;
  }
  const auto integerDigits = static_cast<std::size_t>(pointPosition);
  if (digits.size() <= integerDigits) {
    out += digits;
    out.append(integerDigits - digits.size(), '0');
  } else {
    out.append(digits, 0, integerDigits);
    out += decimalSeparator;
    out.append(digits, integerDigits);
  }
  return out;
}

std::string FloatToStr(double value) {
  return FloatToStr(value, CurrentRegionalSettings().decimalSeparator);
}

}  // namespace tto
