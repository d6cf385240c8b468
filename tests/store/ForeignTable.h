#pragma once

// Builds the bytes of dBase tables as other programs write them (dBASE III to 5, level
// 7, with deleted rows, property areas, odd language drivers), field by field and row by
// row, so that tests need no binary fixture. Every header value can be overridden to
// make the lies a damaged file tells.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tto::testing {

struct ForeignField {
  std::string name;
  char type = 'C';
  int length = 1;
  int decimals = 0;
};

class ForeignTable {
 public:
  // version: 0x03 (dBASE III to 5), 0x04 (level 7), 0x8B (dBASE IV with memo) ...
  explicit ForeignTable(std::uint8_t version, std::uint8_t languageDriver = 0);

  ForeignTable& Field(std::string name, char type, int length, int decimals = 0);
  // One row: each field's stored bytes, padded with blanks (text) to the field's width.
  ForeignTable& Row(std::vector<std::string> values, bool deleted = false);
  // Bytes between the terminator and the first record (level 7 property area, FoxPro's
  // backlink).
  ForeignTable& ExtraHeaderBytes(std::size_t count);

  // Header lies.
  std::optional<std::uint32_t> recordCount;
  std::optional<std::uint16_t> headerLength;
  std::optional<std::uint16_t> recordLength;
  bool endOfFileMarker = true;

  std::string Bytes() const;

 private:
  bool Level7() const { return (version_ & 0x07) == 4; }
  std::uint8_t version_;
  std::uint8_t languageDriver_;
  std::size_t extra_ = 0;
  std::vector<ForeignField> fields_;
  std::vector<std::string> rows_;
};

// Big-endian encodings of level 7, written independently of the store's own code.
std::string LongBytes(std::int32_t value);  // I and +
std::string DoubleBytes(double value);      // O
std::string TimestampBytes(int year, int month, int day, int hour, int minute, int second);  // @

}  // namespace tto::testing
