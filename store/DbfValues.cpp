#include "store/DbfValues.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace tto::dbf {

namespace {

bool AllZero(std::span<const std::uint8_t> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
}

std::uint64_t ReadBe64(const std::uint8_t* p) {
  std::uint64_t value = 0;
  for (int i = 0; i < 8; ++i) value = (value << 8) | p[i];
  return value;
}

void WriteBe64(std::uint8_t* p, std::uint64_t value) {
  for (int i = 7; i >= 0; --i) {
    p[i] = static_cast<std::uint8_t>(value);
    value >>= 8;
  }
}

// Days from 1970-01-01 to a proleptic Gregorian date, and back.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(y + (month <= 2));
}

// TDateTime counts days from 1899-12-30.
constexpr std::int64_t kDelphiEpochFromUnix = -25569;
// TTimeStamp counts days from 0001-01-01 as day 1; day 693594 is 1899-12-30.
constexpr double kTimeStampDateDelta = 693594.0;
constexpr double kMillisecondsPerDay = 86400000.0;

}  // namespace

void EncodeLong(std::int32_t value, std::span<std::uint8_t> out) {
  const std::uint32_t stored = static_cast<std::uint32_t>(value) ^ 0x80000000u;
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(stored >> (24 - 8 * i));
}

std::optional<std::int32_t> DecodeLong(std::span<const std::uint8_t> bytes) {
  if (AllZero(bytes.first(4))) return std::nullopt;
  std::uint32_t stored = 0;
  for (int i = 0; i < 4; ++i) stored = (stored << 8) | bytes[i];
  return static_cast<std::int32_t>(stored ^ 0x80000000u);
}

void EncodeDouble(double value, std::span<std::uint8_t> out) {
  if (value == 0) value = 0.0;  // -0.0 stores as 0.0
  std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  bits = (bits & 0x8000000000000000ull) ? ~bits : bits ^ 0x8000000000000000ull;
  WriteBe64(out.data(), bits);
}

std::optional<double> DecodeDouble(std::span<const std::uint8_t> bytes) {
  if (AllZero(bytes.first(8))) return std::nullopt;
  std::uint64_t bits = ReadBe64(bytes.data());
  bits = (bits & 0x8000000000000000ull) ? bits ^ 0x8000000000000000ull : ~bits;
  return std::bit_cast<double>(bits);
}

std::optional<double> DecodeTimestamp(std::span<const std::uint8_t> bytes) {
  if (AllZero(bytes.first(8))) return std::nullopt;
  const double milliseconds = std::bit_cast<double>(ReadBe64(bytes.data()));
  if (!std::isfinite(milliseconds)) return std::nullopt;
  return milliseconds / kMillisecondsPerDay - kTimeStampDateDelta;
}

bool EncodeNumeric(double value, int decimals, std::span<std::uint8_t> out) {
  if (!std::isfinite(value)) return false;
  char text[400];
  const auto result =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc{}) return false;
  const char* begin = text;
  // A value that rounds to zero is written without a sign.
  if (*begin == '-' && std::all_of(begin + 1, static_cast<const char*>(result.ptr),
                                   [](char c) { return c == '0' || c == '.'; })) {
    ++begin;
  }
  const auto length = static_cast<std::size_t>(result.ptr - begin);
  if (length > out.size()) return false;
  std::fill(out.begin(), out.end() - static_cast<std::ptrdiff_t>(length), std::uint8_t{' '});
  std::memcpy(out.data() + (out.size() - length), begin, length);
  return true;
}

std::string NumericText(std::span<const std::uint8_t> bytes) {
  auto isFill = [](std::uint8_t b) { return b == ' ' || b == 0; };
  std::size_t begin = 0;
  std::size_t end = bytes.size();
  while (begin < end && isFill(bytes[begin])) ++begin;
  while (end > begin && isFill(bytes[end - 1])) --end;
  return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(begin),
                     bytes.begin() + static_cast<std::ptrdiff_t>(end));
}

std::optional<double> ParseNumericText(const std::string& text) {
  std::size_t at = 0;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  const std::size_t digitsStart = at;
  std::size_t digits = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at, ++digits;
  if (at < text.size() && text[at] == '.') {
    ++at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at, ++digits;
  }
  if (at != text.size() || digits == 0) return std::nullopt;
  double value = 0;
  const auto result = std::from_chars(text.data() + digitsStart, text.data() + at, value);
  if (result.ec != std::errc{}) return std::nullopt;
  return negative ? -value : value;
}

std::string TextWithoutFill(std::span<const std::uint8_t> bytes) {
  std::size_t end = bytes.size();
  while (end > 0 && (bytes[end - 1] == ' ' || bytes[end - 1] == 0)) --end;
  return std::string(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(end));
}

std::optional<bool> DecodeLogical(std::uint8_t byte) {
  switch (byte) {
    case 'T':
    case 't':
    case 'Y':
    case 'y':
      return true;
    case 'F':
    case 'f':
    case 'N':
    case 'n':
      return false;
    default:
      return std::nullopt;
  }
}

std::optional<double> DecodeDate(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != 8) return std::nullopt;
  int parts[3] = {0, 0, 0};
  const int widths[3] = {4, 2, 2};
  std::size_t at = 0;
  for (int p = 0; p < 3; ++p) {
    for (int i = 0; i < widths[p]; ++i, ++at) {
      if (bytes[at] < '0' || bytes[at] > '9') return std::nullopt;
      parts[p] = parts[p] * 10 + (bytes[at] - '0');
    }
  }
  const int year = parts[0], month = parts[1], day = parts[2];
  if (year < 1 || month < 1 || month > 12 || day < 1) return std::nullopt;
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) return std::nullopt;
  return static_cast<double>(
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
      kDelphiEpochFromUnix);
}

DateTimeParts SplitDateTime(double dateTime) {
  DateTimeParts parts;
  // Round to the millisecond first so that 0.9999999 of a day does not print 23:59:59.
  const double totalMs = std::round(dateTime * kMillisecondsPerDay);
  if (!std::isfinite(totalMs) || std::fabs(totalMs) > 1e17) return parts;
  const auto ms = static_cast<std::int64_t>(totalMs);
  std::int64_t days = ms / 86400000;
  std::int64_t msOfDay = ms % 86400000;
  if (msOfDay < 0) {  // before 1899-12-30 the fraction still counts forward in the day
    msOfDay = -msOfDay;
  }
  CivilFromDays(days + kDelphiEpochFromUnix, parts.year, parts.month, parts.day);
  parts.hour = static_cast<int>(msOfDay / 3600000);
  parts.minute = static_cast<int>(msOfDay / 60000 % 60);
  parts.second = static_cast<int>(msOfDay / 1000 % 60);
  return parts;
}

}  // namespace tto::dbf
