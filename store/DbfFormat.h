#pragma once

// The dBase data file (.DBF): fixed header, field descriptors, records. Levels 3 to 5
// share a 32-byte header and 32-byte descriptors; level 7 has a 68-byte header (with the
// language driver's name) and 48-byte descriptors. Multi-byte integers are little-endian.
//
// Decoding never trusts a length it has not checked against the bytes it was given and
// against the file's size; a lie in the header is a FormatError saying what is wrong.

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace tto::dbf {

// What is wrong with the bytes of a table file, in program text, without the file's name
// (the caller knows it and adds it).
class FormatError : public std::runtime_error {
 public:
  explicit FormatError(const std::string& what) : std::runtime_error(what) {}
};

// Fixed header: version, date (3), record count (4), header length (2), record length (2),
// then flags and reserved bytes up to 32.
inline constexpr std::size_t kHeaderSize = 32;
// Level 7 adds the language driver's name (32 bytes) and 4 reserved bytes.
inline constexpr std::size_t kLevel7HeaderSize = 68;
// Name (11), type (1), reserved (4), length (1), decimals (1), reserved (13), MDX flag (1).
inline constexpr std::size_t kDescriptorSize = 32;
// Name (32), type (1), length (1), decimals (1), reserved (2), MDX flag (1), reserved (4),
// next autoincrement value (4), reserved (2).
inline constexpr std::size_t kLevel7DescriptorSize = 48;
// Longest field name each descriptor holds, leaving room for its 0x00 terminator.
inline constexpr std::size_t kMaxNameLength = 10;
inline constexpr std::size_t kMaxLevel7NameLength = 31;
// Byte after the last descriptor, and byte after the last record.
inline constexpr std::uint8_t kTerminator = 0x0D;
inline constexpr std::uint8_t kEndOfFile = 0x1A;
// First byte of every record.
inline constexpr std::uint8_t kLiveRecord = ' ';
inline constexpr std::uint8_t kDeletedRecord = '*';
// Version bytes we write: dBASE III/IV/5 without memo, and level 7 without memo.
inline constexpr std::uint8_t kVersionLevel4 = 0x03;
inline constexpr std::uint8_t kVersionLevel7 = 0x04;
// Language driver 'WEurope' ANSI (code page 1252): its ID at levels 3 to 5, its name at
// level 7 (where byte 29 stays 0).
inline constexpr std::uint8_t kLanguageDriverWEurope = 0x58;
inline constexpr const char* kLanguageDriverNameWEurope = "DBWINWE0";
inline constexpr std::size_t kLanguageDriverNameSize = 32;
// Widest text field a dBase engine accepts.
inline constexpr int kMaxTextWidth = 254;

// The fixed header (32 bytes, or 68 at level 7).
struct Header {
  std::uint8_t version = kVersionLevel4;  // bits 0-2: 3 = levels 3 to 5, 4 = level 7
  std::uint8_t year = 0;                  // of the last update, minus 1900
  std::uint8_t month = 1;
  std::uint8_t day = 1;
  std::uint32_t recordCount = 0;     // deleted records included
  std::uint16_t headerLength = 0;    // offset of the first record
  std::uint16_t recordLength = 0;    // deletion flag + every field
  std::uint8_t productionIndex = 0;  // 1 when NAME.MDX belongs to the table
  std::uint8_t languageDriver = 0;   // LDID (0 at level 7)
  std::string languageDriverName;    // level 7 only, e.g. "DBWINWE0"

  bool Level7() const { return (version & 0x07) == 4; }
  std::size_t EncodedSize() const { return Level7() ? kLevel7HeaderSize : kHeaderSize; }
  std::size_t DescriptorSize() const { return Level7() ? kLevel7DescriptorSize : kDescriptorSize; }

  void EncodeTo(std::span<std::uint8_t> out) const;  // out.size() >= EncodedSize()
  // Decodes the fixed part; the version byte must be one of a dBase or FoxPro table.
  static Header DecodeFrom(std::span<const std::uint8_t> bytes);
};

// One field descriptor (32 bytes, or 48 at level 7).
struct FieldDescriptor {
  std::string name;
  char type = 'C';
  std::uint8_t length = 0;
  std::uint8_t decimals = 0;
  std::uint8_t productionIndex = 0;     // 1 when a production tag's key is exactly this field
  std::uint32_t nextAutoIncrement = 0;  // level 7, type '+'

  void EncodeTo(std::span<std::uint8_t> out, bool level7) const;
  static FieldDescriptor DecodeFrom(std::span<const std::uint8_t> bytes, bool level7);
};

// Header and fields of a table, with each field's offset inside a record.
struct Layout {
  Header header;
  std::vector<FieldDescriptor> fields;
  std::vector<std::size_t> offsets;  // offsets[i]: first byte of field i in a record

  // Header, descriptors and terminator: exactly header.headerLength bytes.
  std::vector<std::uint8_t> Encode() const;
  // Fills headerLength, recordLength and offsets from the fields.
  void ComputeLengths();
};

// Decodes and checks header and descriptors from the first bytes of a table file whose
// whole size is fileSize (bytes may hold the whole file or just its beginning, at least
// the header length). Checks: known version, header length covering the descriptors and
// the terminator, names terminated and non-empty, widths not zero (and right for binary
// types), record length equal to the fields, every counted record inside the file.
Layout DecodeLayout(std::span<const std::uint8_t> bytes, std::uint64_t fileSize);

// Little-endian helpers shared by the format files.
std::uint16_t ReadLe16(const std::uint8_t* p);
std::uint32_t ReadLe32(const std::uint8_t* p);
void WriteLe16(std::uint8_t* p, std::uint16_t value);
void WriteLe32(std::uint8_t* p, std::uint32_t value);

}  // namespace tto::dbf
