#pragma once

// How a dBase record stores each kind of value. Text-stored kinds (C, N, F, L, D) are
// ASCII or code-page text padded with blanks; level 7's binary kinds (I, +, O, @) are
// big-endian with the sign bit turned so that bytes compare in numeric order, and all
// zero bytes for a null value.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tto::dbf {

// I and +: 4 bytes, big-endian, sign bit inverted. Null = four 0x00.
void EncodeLong(std::int32_t value, std::span<std::uint8_t> out);
std::optional<std::int32_t> DecodeLong(std::span<const std::uint8_t> bytes);

// O: 8 bytes, big-endian IEEE double; sign bit inverted for values >= 0, all bits
// inverted for negative values. Null = eight 0x00.
void EncodeDouble(double value, std::span<std::uint8_t> out);
std::optional<double> DecodeDouble(std::span<const std::uint8_t> bytes);

// @: 8 bytes, big-endian IEEE double of milliseconds since 0001-01-01 counted as day 1.
// Answers the date-time as days since 1899-12-30 (a Delphi TDateTime). Null = 0x00s.
std::optional<double> DecodeTimestamp(std::span<const std::uint8_t> bytes);

// N and F: decimal ASCII, right-aligned in the field, exactly `decimals` digits after the
// point. Answers false (and leaves out unchanged) when the value does not fit the width or
// is not finite.
bool EncodeNumeric(double value, int decimals, std::span<std::uint8_t> out);

// The text of an N or F field without its fill: "" when blank (spaces or 0x00 only).
std::string NumericText(std::span<const std::uint8_t> bytes);
// The number an N or F text holds: optional sign, digits, optional point and digits.
// Answers nullopt when the text is not such a number.
std::optional<double> ParseNumericText(const std::string& text);

// Trailing blanks (and 0x00 some writers pad with) removed.
std::string TextWithoutFill(std::span<const std::uint8_t> bytes);

// L: 'T'/'t'/'Y'/'y' true, 'F'/'f'/'N'/'n' false, anything else (blank, '?') unset.
std::optional<bool> DecodeLogical(std::uint8_t byte);

// D: "YYYYMMDD". Answers the date as days since 1899-12-30 (TDateTime), nullopt when
// blank or not a valid date.
std::optional<double> DecodeDate(std::span<const std::uint8_t> bytes);

// Splits a TDateTime into a calendar date and a time of day.
struct DateTimeParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};
DateTimeParts SplitDateTime(double dateTime);

}  // namespace tto::dbf
