#include "tests/store/ForeignTable.h"

#include <bit>
#include <cstring>
#include <stdexcept>

namespace tto::testing {

namespace {

void Put16(std::string& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}

void Put32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string BigEndian(std::uint64_t value, int size) {
  std::string bytes(static_cast<std::size_t>(size), '\0');
  for (int i = size - 1; i >= 0; --i) {
    bytes[static_cast<std::size_t>(i)] = static_cast<char>(value & 0xFF);
    value >>= 8;
  }
  return bytes;
}

// Days from 0001-01-01 (day 1) to a date, the way a TTimeStamp counts them.
long DayNumber(int year, int month, int day) {
  static const int kBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  const int y = year - 1;
  long days = 365L * y + y / 4 - y / 100 + y / 400 + kBefore[month - 1] + day;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (leap && month > 2) ++days;
  return days;
}

}  // namespace

ForeignTable::ForeignTable(std::uint8_t version, std::uint8_t languageDriver)
    : version_(version), languageDriver_(languageDriver) {}

ForeignTable& ForeignTable::Field(std::string name, char type, int length, int decimals) {
  fields_.push_back(ForeignField{std::move(name), type, length, decimals});
  return *this;
}

ForeignTable& ForeignTable::Row(std::vector<std::string> values, bool deleted) {
  if (values.size() != fields_.size()) throw std::logic_error("row width");
  std::string row(1, deleted ? '*' : ' ');
  for (std::size_t i = 0; i < values.size(); ++i) {
    std::string value = values[i];
    const auto width = static_cast<std::size_t>(fields_[i].length);
    if (value.size() > width) throw std::logic_error("value wider than its field");
    value.resize(width, ' ');
    row += value;
  }
  rows_.push_back(row);
  return *this;
}

ForeignTable& ForeignTable::ExtraHeaderBytes(std::size_t count) {
  extra_ = count;
  return *this;
}

std::string ForeignTable::Bytes() const {
  const std::size_t fixed = Level7() ? 68 : 32;
  const std::size_t descriptor = Level7() ? 48 : 32;
  std::string bytes(fixed, '\0');
  bytes[0] = static_cast<char>(version_);
  bytes[1] = 126;  // 2026
  bytes[2] = 11;
  bytes[3] = 5;
  bytes[29] = static_cast<char>(Level7() ? 0 : languageDriver_);
  if (Level7()) std::memcpy(bytes.data() + 32, "DBWINWE0", 8);
  std::size_t recordSize = 1;
  for (const ForeignField& field : fields_) {
    std::string d(descriptor, '\0');
    std::memcpy(d.data(), field.name.data(), field.name.size());
    if (Level7()) {
      d[32] = field.type;
      d[33] = static_cast<char>(field.length);
      d[34] = static_cast<char>(field.decimals);
    } else {
      d[11] = field.type;
      d[16] = static_cast<char>(field.length);
      d[17] = static_cast<char>(field.decimals);
    }
    bytes += d;
    recordSize += static_cast<std::size_t>(field.length);
  }
  bytes += '\x0D';
  bytes += std::string(extra_, '\0');
  Put32(bytes, 4, recordCount.value_or(static_cast<std::uint32_t>(rows_.size())));
  Put16(bytes, 8, headerLength.value_or(static_cast<std::uint16_t>(bytes.size())));
  Put16(bytes, 10, recordLength.value_or(static_cast<std::uint16_t>(recordSize)));
  for (const std::string& row : rows_) bytes += row;
  if (endOfFileMarker) bytes += '\x1A';
  return bytes;
}

std::string LongBytes(std::int32_t value) {
  return BigEndian(static_cast<std::uint32_t>(value) ^ 0x80000000u, 4);
}

std::string DoubleBytes(double value) {
  std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  bits = value < 0 ? ~bits : bits | 0x8000000000000000ull;
  return BigEndian(bits, 8);
}

std::string TimestampBytes(int year, int month, int day, int hour, int minute, int second) {
  const double milliseconds = static_cast<double>(DayNumber(year, month, day)) * 86400000.0 +
                              ((hour * 60.0 + minute) * 60.0 + second) * 1000.0;
  return BigEndian(std::bit_cast<std::uint64_t>(milliseconds), 8);
}

}  // namespace tto::testing
