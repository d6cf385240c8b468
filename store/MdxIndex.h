#pragma once

// The production index of a table as the store maintains it: which tags it has, and the
// whole .MDX file built from the table's rows. The store keeps numeric tags only (a key
// that is one N or F field, ascending, no filter): those are what our tables carry, and
// their collation does not depend on the language driver.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "store/MdxFormat.h"

namespace tto::mdx {

// One tag the store can rebuild: its name and the field its key is.
struct TagDefinition {
  std::string name;
  std::string field;
};

// One key of a tag: the key bytes and the record (1-based) they belong to.
struct KeyEntry {
  NumericKey key;
  std::uint32_t record = 0;
};

struct TagContent {
  TagDefinition definition;
  std::vector<KeyEntry> keys;  // any order; the builder sorts them
};

struct IndexFileInfo {
  std::string tableName;  // base name, upper case
  std::uint8_t languageDriver = 0;
  Date date;
};

// The complete .MDX: header and tag table, then for each tag its header block and its
// B-tree (leaves of up to 63 keys, branches above them, the root allocated last).
std::vector<std::uint8_t> BuildIndexFile(const IndexFileInfo& info, std::vector<TagContent> tags);

// The tags of an existing .MDX. Throws dbf::FormatError when the file is malformed or
// holds a tag the store cannot rebuild (character or date keys, expressions, filters,
// descending or unique tags).
std::vector<TagDefinition> ReadTagDefinitions(const std::filesystem::path& indexFile);

}  // namespace tto::mdx
