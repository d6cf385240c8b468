#pragma once

// From a table's schema (fields in order, index definitions) to the layout of its new
// file: the lowest dBase level that carries the schema, the column type of each field
// kind, and the production-index flags.

#include <string_view>
#include <vector>

#include "store/DbfFormat.h"
#include "store/MdxIndex.h"
#include "store/Table.h"

namespace tto::dbf {

// Level 4: C(n), L, N(11,0) for integers, N(20,4) for floats.
inline constexpr int kIntegerWidth = 11;
inline constexpr int kFloatWidth = 20;
inline constexpr int kFloatDecimals = 4;
// Level 7: C(n), L, I (4 bytes) for integers, O (8 bytes) for floats.
inline constexpr int kLongWidth = 4;
inline constexpr int kDoubleWidth = 8;
inline constexpr std::size_t kMaxFields = 255;

struct Schema {
  Layout layout;                         // header (no date yet) and descriptors
  std::vector<mdx::TagDefinition> tags;  // empty when the table has no index
};

// Checks the schema and decides the layout. Throws RunError naming the table and what
// is wrong (no fields, a bad or repeated name, a width out of range, an index on a
// table that needs level 7 or on a field that is not numeric).
Schema MakeSchema(std::string_view tableName, const std::vector<FieldDef>& fields,
                  const std::vector<IndexDef>& indexes);

// ASCII comparison ignoring case, for field and tag names.
bool NamesEqual(std::string_view a, std::string_view b);

}  // namespace tto::dbf
