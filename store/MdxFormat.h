#pragma once

// The dBase IV production index (.MDX). Pointers are 512-byte page numbers; storage is
// allocated in blocks of 2 pages (1024 bytes). Pages 0 to 3 hold the file header and the
// tag table (48 slots); each tag has a header block and a B-tree of node blocks.
// Multi-byte integers are little-endian.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tto::mdx {

inline constexpr std::size_t kPageSize = 512;
inline constexpr std::uint16_t kBlockPages = 2;
inline constexpr std::size_t kBlockSize = kPageSize * kBlockPages;
// File header and tag table fill pages 0 to 3, whatever the number of tags.
inline constexpr std::uint32_t kFirstTagPage = 4;
inline constexpr std::size_t kFileHeaderSize = 544;
inline constexpr std::size_t kTagTableOffset = 544;
inline constexpr std::size_t kTagSlots = 48;
inline constexpr std::size_t kTagEntrySize = 32;
inline constexpr std::size_t kMaxTags = 47;
inline constexpr std::size_t kMaxTagNameLength = 10;
inline constexpr std::size_t kMaxExpressionLength = 219;
inline constexpr std::uint8_t kVersion = 0x02;
// Key format bits of the tag entry and tag header.
inline constexpr std::uint8_t kFieldKey = 0x10;
inline constexpr std::uint8_t kDescending = 0x08;
inline constexpr std::uint8_t kUnique = 0x40;
// Numeric keys: 12 bytes of packed decimal; an entry is a 4-byte pointer and the key.
inline constexpr std::size_t kNumericKeySize = 12;
inline constexpr std::size_t kNumericEntrySize = 16;
// A node: key count (4), previous node (4), entries, and one 4-byte pointer after them.
inline constexpr std::size_t kNodeHeaderSize = 8;
inline constexpr std::size_t kMaxKeysPerNode = (kBlockSize - 12) / kNumericEntrySize;  // 63
// Readers take a node that holds the maximum number of keys for a leaf, so a branch
// keeps one key fewer (62 keys, 63 children).
inline constexpr std::size_t kMaxKeysPerBranch = kMaxKeysPerNode - 1;

// A date as the index stores it: year minus 1900, month, day.
struct Date {
  std::uint8_t year = 0;
  std::uint8_t month = 1;
  std::uint8_t day = 1;
};

// Page 0: the file header (the tag table follows it).
struct FileHeader {
  std::uint8_t version = kVersion;
  Date created;
  std::string tableName;  // base name without extension, at most 16 characters
  std::uint16_t blockPages = kBlockPages;
  std::uint16_t blockBytes = static_cast<std::uint16_t>(kBlockSize);
  std::uint8_t production = 1;
  std::uint8_t tagSlots = kTagSlots;
  std::uint8_t tagEntrySize = kTagEntrySize;
  std::uint16_t tagsInUse = 0;
  std::uint8_t languageDriver = 0;  // the table's LDID
  std::uint32_t pages = 0;          // file size / 512
  std::uint32_t freeListPage = 0;
  std::uint32_t freeBlocks = 0;
  Date updated;

  void EncodeTo(std::span<std::uint8_t> out) const;  // out: the first 544 bytes
  static FileHeader DecodeFrom(std::span<const std::uint8_t> bytes);
};

// One slot of the tag table.
struct TagEntry {
  std::uint32_t headerPage = 0;
  std::string name;
  std::uint8_t keyFormat = kFieldKey;
  std::uint8_t leftThread = 0;   // 1-based tag whose name sorts before, 0 = none
  std::uint8_t rightThread = 0;  // 1-based tag whose name sorts after, 0 = none
  std::uint8_t backThread = 0;   // 1-based parent tag, 0 = root
  char keyType = 'N';

  void EncodeTo(std::span<std::uint8_t> out) const;  // 32 bytes
  static TagEntry DecodeFrom(std::span<const std::uint8_t> bytes);
};

// The header block of one tag.
struct TagHeader {
  std::uint32_t rootPage = 0;
  std::uint32_t nodePages = 0;  // pages of this tag's nodes, header not counted
  std::uint8_t keyFormat = kFieldKey;
  char keyType = 'N';
  std::uint8_t languageDriver = 0;
  std::uint16_t keyLength = kNumericKeySize;
  std::uint16_t maxKeys = kMaxKeysPerNode;
  std::uint16_t secondaryKeyType = 0;
  std::uint16_t entryLength = kNumericEntrySize;
  std::uint8_t serial = 2;
  std::uint8_t unique = 0;
  std::string expression;  // the key as typed: the field name
  std::uint8_t hasFilter = 0;
  std::uint8_t hasKeys = 1;
  std::uint32_t firstLeafPage = 0;
  std::uint32_t lastNodePage = 0;
  Date date;
  std::uint8_t plainField = 1;

  void EncodeTo(std::span<std::uint8_t> out) const;                  // one block
  static TagHeader DecodeFrom(std::span<const std::uint8_t> bytes);  // one block
};

// One B-tree node. Leaves point at records (1-based); branches at child pages, each key
// being the highest key of its child, plus the page of the right-most child.
struct Node {
  std::uint32_t previousPage = 0;  // previously allocated node of the tag, 0 = none
  std::vector<std::pair<std::uint32_t, std::array<std::uint8_t, kNumericKeySize>>> entries;
  std::uint32_t rightChild = 0;  // branches only; 0 marks a leaf

  void EncodeTo(std::span<std::uint8_t> out) const;  // one block
};

// A numeric key: byte 0 = 0x34 + digits before the point (minus leading zeros after it
// for values below 1), byte 1 = sign bit, digit count 10, low bits 01; then the
// significant digits as packed BCD. Zero is 34 01 and ten 0x00.
using NumericKey = std::array<std::uint8_t, kNumericKeySize>;

// The key of an N or F field's text ("  -12.50"); a blank or unreadable text keys as 0.
NumericKey EncodeNumericKey(std::string_view fieldText);
// Numeric order: sign, then magnitude (byte 0, then the digit bytes).
int CompareNumericKeys(const NumericKey& a, const NumericKey& b);

}  // namespace tto::mdx
