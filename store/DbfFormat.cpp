#include "store/DbfFormat.h"

#include <algorithm>
#include <cstring>

namespace tto::dbf {

namespace {

// Every version byte of a table without anything we cannot skip: dBASE III to 5 (with or
// without memo, SQL tables), level 7, FoxBASE and FoxPro.
bool KnownVersion(std::uint8_t version) {
  const int level = version & 0x07;
  if (level == 3 || level == 4) return true;
  return version == 0x02 || version == 0x30 || version == 0x31 || version == 0x32 ||
         version == 0xF5;
}

std::string Hex(unsigned value) {
  static const char* const kDigits = "0123456789ABCDEF";
  std::string text = "0x";
  text += kDigits[(value >> 4) & 0x0F];
  text += kDigits[value & 0x0F];
  return text;
}

// The name in a descriptor's name area: up to the first 0x00, which must be there.
std::string DecodeName(std::span<const std::uint8_t> area, std::size_t index) {
  const auto end = std::find(area.begin(), area.end(), std::uint8_t{0});
  if (end == area.end()) {
    throw FormatError("el nombre del campo " + std::to_string(index + 1) + " no termina");
  }
  std::string name(area.begin(), end);
  // Some writers pad names with blanks before the terminator.
  while (!name.empty() && name.back() == ' ') name.pop_back();
  if (name.empty()) {
    throw FormatError("el campo " + std::to_string(index + 1) + " no tiene nombre");
  }
  return name;
}

// Width a binary field must have, or 0 when any width will do.
int RequiredWidth(char type) {
  switch (type) {
    case 'I':
    case '+':
      return 4;
    case 'O':
    case '@':
    case 'D':
      return 8;
    case 'L':
      return 1;
    default:
      return 0;
  }
}

}  // namespace

std::uint16_t ReadLe16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t ReadLe32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void WriteLe16(std::uint8_t* p, std::uint16_t value) {
  p[0] = static_cast<std::uint8_t>(value);
  p[1] = static_cast<std::uint8_t>(value >> 8);
}

void WriteLe32(std::uint8_t* p, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void Header::EncodeTo(std::span<std::uint8_t> out) const {
  std::fill_n(out.begin(), EncodedSize(), std::uint8_t{0});
  std::uint8_t* p = out.data();
  p[0] = version;
  p[1] = year;
  p[2] = month;
  p[3] = day;
  WriteLe32(p + 4, recordCount);
  WriteLe16(p + 8, headerLength);
  WriteLe16(p + 10, recordLength);
  p[28] = productionIndex;
  p[29] = languageDriver;
  if (Level7()) {
    const std::size_t n = std::min(languageDriverName.size(), kLanguageDriverNameSize - 1);
    std::memcpy(p + kHeaderSize, languageDriverName.data(), n);
  }
}

Header Header::DecodeFrom(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kHeaderSize) {
    throw FormatError("el archivo es demasiado corto para una tabla dBase (" +
                      std::to_string(bytes.size()) + " bytes)");
  }
  Header header;
  const std::uint8_t* p = bytes.data();
  header.version = p[0];
  if (!KnownVersion(header.version)) {
    throw FormatError("versi\xF3n de dBase desconocida (" + Hex(header.version) + ")");
  }
  header.year = p[1];
  header.month = p[2];
  header.day = p[3];
  header.recordCount = ReadLe32(p + 4);
  header.headerLength = ReadLe16(p + 8);
  header.recordLength = ReadLe16(p + 10);
  header.productionIndex = p[28];
  header.languageDriver = p[29];
  if (header.Level7()) {
    if (bytes.size() < kLevel7HeaderSize) {
      throw FormatError("el archivo es demasiado corto para una tabla dBase de nivel 7 (" +
                        std::to_string(bytes.size()) + " bytes)");
    }
    const auto name = bytes.subspan(kHeaderSize, kLanguageDriverNameSize);
    header.languageDriverName.assign(name.begin(),
                                     std::find(name.begin(), name.end(), std::uint8_t{0}));
  }
  return header;
}

void FieldDescriptor::EncodeTo(std::span<std::uint8_t> out, bool level7) const {
  const std::size_t size = level7 ? kLevel7DescriptorSize : kDescriptorSize;
  std::fill_n(out.begin(), size, std::uint8_t{0});
  std::uint8_t* p = out.data();
  const std::size_t maxName = level7 ? kMaxLevel7NameLength : kMaxNameLength;
  std::memcpy(p, name.data(), std::min(name.size(), maxName));
  if (level7) {
    p[32] = static_cast<std::uint8_t>(type);
    p[33] = length;
    p[34] = decimals;
    p[37] = productionIndex;
    WriteLe32(p + 42, nextAutoIncrement);
  } else {
    p[11] = static_cast<std::uint8_t>(type);
    p[16] = length;
    p[17] = decimals;
    p[31] = productionIndex;
  }
}

FieldDescriptor FieldDescriptor::DecodeFrom(std::span<const std::uint8_t> bytes, bool level7) {
  // The caller hands exactly one descriptor; the index in messages comes from DecodeLayout.
  FieldDescriptor field;
  const std::uint8_t* p = bytes.data();
  if (level7) {
    field.type = static_cast<char>(p[32]);
    field.length = p[33];
    field.decimals = p[34];
    field.productionIndex = p[37];
    field.nextAutoIncrement = ReadLe32(p + 42);
  } else {
    field.type = static_cast<char>(p[11]);
    field.length = p[16];
    field.decimals = p[17];
    field.productionIndex = p[31];
  }
  return field;
}

void Layout::ComputeLengths() {
  const std::size_t descriptors = fields.size() * header.DescriptorSize();
  header.headerLength = static_cast<std::uint16_t>(header.EncodedSize() + descriptors + 1);
  offsets.clear();
  std::size_t offset = 1;
  for (const FieldDescriptor& field : fields) {
    offsets.push_back(offset);
    offset += field.length;
  }
  header.recordLength = static_cast<std::uint16_t>(offset);
}

std::vector<std::uint8_t> Layout::Encode() const {
  std::vector<std::uint8_t> bytes(header.headerLength, 0);
  header.EncodeTo(bytes);
  std::size_t at = header.EncodedSize();
  for (const FieldDescriptor& field : fields) {
    field.EncodeTo(std::span(bytes).subspan(at), header.Level7());
    at += header.DescriptorSize();
  }
  bytes[at] = kTerminator;
  return bytes;
}

Layout DecodeLayout(std::span<const std::uint8_t> bytes, std::uint64_t fileSize) {
  bytes = bytes.first(static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), fileSize)));
  Layout layout;
  layout.header = Header::DecodeFrom(bytes);
  const Header& header = layout.header;
  const std::size_t fixed = header.EncodedSize();
  const std::size_t descriptorSize = header.DescriptorSize();
  const std::size_t headerLength = header.headerLength;
  if (headerLength > fileSize) {
    throw FormatError("la longitud de cabecera (" + std::to_string(headerLength) +
                      ") supera el tama\xF1o del archivo (" + std::to_string(fileSize) + ")");
  }
  if (headerLength > bytes.size()) {
    throw FormatError("la cabecera (" + std::to_string(headerLength) +
                      " bytes) no est\xE1 completa");
  }
  // Descriptors run from the fixed header to the terminator, all inside the header length.
  std::size_t at = fixed;
  for (;;) {
    if (at >= headerLength) {
      throw FormatError("la longitud de cabecera (" + std::to_string(headerLength) +
                        ") es menor que su lista de campos");
    }
    if (bytes[at] == kTerminator) break;
    if (at + descriptorSize > headerLength) {
      throw FormatError("la longitud de cabecera (" + std::to_string(headerLength) +
                        ") es menor que su lista de campos");
    }
    const auto area = bytes.subspan(at, descriptorSize);
    const std::size_t index = layout.fields.size();
    FieldDescriptor field = FieldDescriptor::DecodeFrom(area, header.Level7());
    field.name = DecodeName(area.first(header.Level7() ? 32 : 11), index);
    if (field.length == 0) {
      throw FormatError("el campo " + field.name + " tiene anchura 0");
    }
    const int required = RequiredWidth(field.type);
    if (required != 0 && field.length != required) {
      throw FormatError("el campo " + field.name + " de tipo " + field.type + " tiene anchura " +
                        std::to_string(field.length) + " en lugar de " + std::to_string(required));
    }
    layout.fields.push_back(std::move(field));
    at += descriptorSize;
  }
  if (layout.fields.empty()) throw FormatError("la tabla no tiene campos");

  std::size_t offset = 1;
  for (const FieldDescriptor& field : layout.fields) {
    layout.offsets.push_back(offset);
    offset += field.length;
  }
  if (offset != header.recordLength) {
    throw FormatError("la longitud de registro (" + std::to_string(header.recordLength) +
                      ") no coincide con la de los campos (" + std::to_string(offset) + ")");
  }
  const std::uint64_t available = fileSize - headerLength;
  const std::uint64_t complete = available / header.recordLength;
  if (complete < header.recordCount) {
    if (complete + 1 == header.recordCount && available % header.recordLength != 0) {
      throw FormatError("el \xFAltimo registro est\xE1 incompleto");
    }
    throw FormatError("la cabecera cuenta " + std::to_string(header.recordCount) +
                      " registros, pero el archivo solo contiene " + std::to_string(complete));
  }
  return layout;
}

}  // namespace tto::dbf
