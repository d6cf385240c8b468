#include "store/MdxFormat.h"

#include <algorithm>
#include <cstring>

#include "store/DbfFormat.h"

namespace tto::mdx {

namespace {

using dbf::FormatError;
using dbf::ReadLe16;
using dbf::ReadLe32;
using dbf::WriteLe16;
using dbf::WriteLe32;

void PutDate(std::uint8_t* p, const Date& date) {
  p[0] = date.year;
  p[1] = date.month;
  p[2] = date.day;
}

Date GetDate(const std::uint8_t* p) {
  return Date{p[0], p[1], p[2]};
}

void PutName(std::uint8_t* p, std::string_view name, std::size_t capacity) {
  std::memcpy(p, name.data(), std::min(name.size(), capacity));
}

std::string GetName(std::span<const std::uint8_t> area) {
  std::string name(area.begin(), std::find(area.begin(), area.end(), std::uint8_t{0}));
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

}  // namespace

void FileHeader::EncodeTo(std::span<std::uint8_t> out) const {
  std::fill_n(out.begin(), kFileHeaderSize, std::uint8_t{0});
  std::uint8_t* p = out.data();
  p[0] = version;
  PutDate(p + 1, created);
  PutName(p + 4, tableName, 16);
  WriteLe16(p + 20, blockPages);
  WriteLe16(p + 22, blockBytes);
  p[24] = production;
  p[25] = tagSlots;
  p[26] = tagEntrySize;
  WriteLe16(p + 28, tagsInUse);
  p[31] = languageDriver;
  WriteLe32(p + 32, pages);
  WriteLe32(p + 36, freeListPage);
  WriteLe32(p + 40, freeBlocks);
  PutDate(p + 44, updated);
  p[529] = 0x01;  // always set by dBASE; readers expect it
}

FileHeader FileHeader::DecodeFrom(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kFileHeaderSize)
    throw FormatError("la cabecera del \xEDndice est\xE1 incompleta");
  const std::uint8_t* p = bytes.data();
  FileHeader header;
  header.version = p[0];
  header.created = GetDate(p + 1);
  header.tableName = GetName(bytes.subspan(4, 16));
  header.blockPages = ReadLe16(p + 20);
  header.blockBytes = ReadLe16(p + 22);
  header.production = p[24];
  header.tagSlots = p[25];
  header.tagEntrySize = p[26];
  header.tagsInUse = ReadLe16(p + 28);
  header.languageDriver = p[31];
  header.pages = ReadLe32(p + 32);
  header.freeListPage = ReadLe32(p + 36);
  header.freeBlocks = ReadLe32(p + 40);
  header.updated = GetDate(p + 44);
  return header;
}

void TagEntry::EncodeTo(std::span<std::uint8_t> out) const {
  std::fill_n(out.begin(), kTagEntrySize, std::uint8_t{0});
  std::uint8_t* p = out.data();
  WriteLe32(p, headerPage);
  PutName(p + 4, name, kMaxTagNameLength);
  p[15] = keyFormat;
  p[16] = leftThread;
  p[17] = rightThread;
  p[18] = backThread;
  p[19] = 0x02;  // constant in every index dBASE writes
  p[20] = static_cast<std::uint8_t>(keyType);
}

TagEntry TagEntry::DecodeFrom(std::span<const std::uint8_t> bytes) {
  const std::uint8_t* p = bytes.data();
  TagEntry entry;
  entry.headerPage = ReadLe32(p);
  entry.name = GetName(bytes.subspan(4, 11));
  entry.keyFormat = p[15];
  entry.leftThread = p[16];
  entry.rightThread = p[17];
  entry.backThread = p[18];
  entry.keyType = static_cast<char>(p[20]);
  return entry;
}

void TagHeader::EncodeTo(std::span<std::uint8_t> out) const {
  std::fill_n(out.begin(), kBlockSize, std::uint8_t{0});
  std::uint8_t* p = out.data();
  WriteLe32(p, rootPage);
  WriteLe32(p + 4, nodePages);
  p[8] = keyFormat;
  p[9] = static_cast<std::uint8_t>(keyType);
  p[11] = languageDriver;
  WriteLe16(p + 12, keyLength);
  WriteLe16(p + 14, maxKeys);
  WriteLe16(p + 16, secondaryKeyType);
  WriteLe16(p + 18, entryLength);
  p[20] = serial;
  p[23] = unique;
  PutName(p + 24, expression, kMaxExpressionLength);
  p[245] = hasFilter;
  p[246] = hasKeys;
  WriteLe32(p + 248, firstLeafPage);
  WriteLe32(p + 252, lastNodePage);
  PutDate(p + 257, date);
  p[480] = plainField;
}

TagHeader TagHeader::DecodeFrom(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kBlockSize)
    throw FormatError("la cabecera de una etiqueta est\xE1 incompleta");
  const std::uint8_t* p = bytes.data();
  TagHeader header;
  header.rootPage = ReadLe32(p);
  header.nodePages = ReadLe32(p + 4);
  header.keyFormat = p[8];
  header.keyType = static_cast<char>(p[9]);
  header.languageDriver = p[11];
  header.keyLength = ReadLe16(p + 12);
  header.maxKeys = ReadLe16(p + 14);
  header.secondaryKeyType = ReadLe16(p + 16);
  header.entryLength = ReadLe16(p + 18);
  header.serial = p[20];
  header.unique = p[23];
  header.expression = GetName(bytes.subspan(24, 220));
  header.hasFilter = p[245];
  header.hasKeys = p[246];
  header.firstLeafPage = ReadLe32(p + 248);
  header.lastNodePage = ReadLe32(p + 252);
  header.date = GetDate(p + 257);
  header.plainField = p[480];
  return header;
}

void Node::EncodeTo(std::span<std::uint8_t> out) const {
  std::fill_n(out.begin(), kBlockSize, std::uint8_t{0});
  std::uint8_t* p = out.data();
  WriteLe32(p, static_cast<std::uint32_t>(entries.size()));
  WriteLe32(p + 4, previousPage);
  std::size_t at = kNodeHeaderSize;
  for (const auto& [pointer, key] : entries) {
    WriteLe32(p + at, pointer);
    std::memcpy(p + at + 4, key.data(), key.size());
    at += kNumericEntrySize;
  }
  WriteLe32(p + at, rightChild);
}

NumericKey EncodeNumericKey(std::string_view fieldText) {
  NumericKey key{};
  key[0] = 0x34;
  key[1] = 0x01;
  std::size_t at = 0;
  while (at < fieldText.size() && (fieldText[at] == ' ' || fieldText[at] == '\0')) ++at;
  bool negative = false;
  if (at < fieldText.size() && (fieldText[at] == '-' || fieldText[at] == '+')) {
    negative = fieldText[at++] == '-';
  }
  std::string integerDigits;
  std::string fractionDigits;
  while (at < fieldText.size() && fieldText[at] >= '0' && fieldText[at] <= '9') {
    integerDigits += fieldText[at++];
  }
  if (at < fieldText.size() && fieldText[at] == '.') {
    ++at;
    while (at < fieldText.size() && fieldText[at] >= '0' && fieldText[at] <= '9') {
      fractionDigits += fieldText[at++];
    }
  }
  const std::size_t firstNonZero = integerDigits.find_first_not_of('0');
  integerDigits.erase(0, firstNonZero == std::string::npos ? integerDigits.size() : firstNonZero);
  int exponent = 0;
  std::string digits;
  if (!integerDigits.empty()) {
    exponent = static_cast<int>(integerDigits.size());
    digits = integerDigits + fractionDigits;
  } else {
    const std::size_t first = fractionDigits.find_first_not_of('0');
    if (first == std::string::npos) return key;  // zero (or blank)
    exponent = -static_cast<int>(first);
    digits = fractionDigits.substr(first);
  }
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  digits.resize(std::min<std::size_t>(digits.size(), 2 * (kNumericKeySize - 2)));
  key[0] = static_cast<std::uint8_t>(0x34 + exponent);
  key[1] = static_cast<std::uint8_t>((negative ? 0x80 : 0x00) | (10 << 2) | 0x01);
  for (std::size_t i = 0; i < digits.size(); ++i) {
    const auto digit = static_cast<std::uint8_t>(digits[i] - '0');
    key[2 + i / 2] |= static_cast<std::uint8_t>(i % 2 == 0 ? digit << 4 : digit);
  }
  return key;
}

int CompareNumericKeys(const NumericKey& a, const NumericKey& b) {
  auto signOf = [](const NumericKey& key) {
    const bool zero =
        std::all_of(key.begin() + 2, key.end(), [](std::uint8_t d) { return d == 0; });
    if (zero) return 0;
    return (key[1] & 0x80) ? -1 : 1;
  };
  const int signA = signOf(a);
  const int signB = signOf(b);
  if (signA != signB) return signA < signB ? -1 : 1;
  if (signA == 0) return 0;
  int magnitude = 0;
  if (a[0] != b[0]) {
    magnitude = a[0] < b[0] ? -1 : 1;
  } else {
    const int bytes = std::memcmp(a.data() + 2, b.data() + 2, kNumericKeySize - 2);
    magnitude = bytes < 0 ? -1 : (bytes > 0 ? 1 : 0);
  }
  return signA < 0 ? -magnitude : magnitude;
}

}  // namespace tto::mdx
