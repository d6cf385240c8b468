#include "intake/TeachingLoad.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "intake/TextPiece.h"
#include "store/Conversions.h"
#include "store/RunError.h"

namespace tto {
namespace {

// Loads are counted in whole sessions further on. Far beyond a week's hours, a text is
// corrupt; below this bound even a load in minutes divided by a length of 1 still counts
// as a 32-bit number of sessions.
constexpr double kLargestLoad = 1.0e7;

[[noreturn]] void LoadOutOfRange(std::string_view hoursText) {
  throw RunError("Las horas '" + std::string(hoursText) +
                 "' est\xE1n fuera del margen de una carga semanal");
}

// True when the quotient is a whole number. The load is held in single precision but
// divided in double: a single has 24 significant bits, so a quotient that is not whole
// stays at least 2^-24 (relative) away from the nearest whole number, far above double's
// rounding, and the answer is the exact one.
bool DividesWhole(float minutes, int length, float& quotient) {
  const double q = static_cast<double>(minutes) / length;
  if (q - std::trunc(q) != 0.0) return false;
  quotient = static_cast<float>(q);
  return true;
}

}  // namespace

float TeachingLoad(std::string_view hoursText, const SessionLengths& lengths) {
  const std::string_view text = hoursText == "00,00" ? std::string_view("01,00") : hoursText;
  const double converted = StrToFloat(text);
  if (!(std::fabs(converted) <= kLargestLoad)) LoadOutOfRange(hoursText);

  // The working value is a single: every store into it rounds to 32 bits.
  float h = static_cast<float>(converted);
  if (TextPiece(text, 4, 2) == "00") return h;

  h = h * 60.0f;
  float load = 0.0f;
  // A first length of 0 (fewer than two sessions, or a first slot of no length) would be a
  // division by zero: such a load counts as one that no length divides.
  if (lengths.first != 0) {
    if (DividesWhole(h, lengths.first, load)) return load;
    if (lengths.second != 0 && DividesWhole(h, lengths.second, load)) return load;
    if (lengths.third != 0 && DividesWhole(h, lengths.third, load)) return load;
  }
  return static_cast<float>(std::ceil(static_cast<double>(h) / 60.0));
}

std::string SessionPattern(float load) {
  const double rounded = std::ceil(static_cast<double>(load));
  if (!(rounded > 0.0)) return {};
  if (rounded > static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    char text[64];
    std::snprintf(text, sizeof text, "%.0f", rounded);
    throw RunError("La carga " + std::string(text) + " no cabe en un patr\xF3n de sesiones");
  }
  const auto sessions = static_cast<std::int32_t>(rounded);
  if (sessions <= 13) return std::string(static_cast<std::size_t>(sessions), '1');
  return std::to_string(sessions - 13) + std::string(13, '1');
}

}  // namespace tto
