#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tto {

// Number conversions with the acceptance rules of the Windows programs this data comes
// from (Delphi's StrToInt, StrToFloat, FloatToStr). Texts are program text.

// Decimal integer, or hexadecimal after a leading '$' (start-up reads the host window's
// handle as "$" + the parameter). Fails with "'%s' no es un valor entero válido".
std::int32_t StrToInt(std::string_view text);

// Decimal number with the given decimal separator. Fails with
// "'%s' no es un valor punto flotante válido".
double StrToFloat(std::string_view text, char decimalSeparator);
// The same with the decimal separator of the regional settings in force.
double StrToFloat(std::string_view text);

// Shortest text that reads back as the same number (15 significant digits at most),
// no padding, no trailing zeros, the given or the regional decimal separator.
std::string FloatToStr(double value, char decimalSeparator);
std::string FloatToStr(double value);

}  // namespace tto
