// The production index (.MDX) that the store writes for COUNTSES-like tables: the exact
// bytes of the small worked example, numeric key encoding and order, and a B-tree of
// several levels for tables with many rows.

#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "store/DbfFormat.h"
#include "store/MdxFormat.h"
#include "store/MdxIndex.h"
#include "store/Table.h"
#include "tests/support/ScratchFolder.h"

namespace tto {
namespace {

using testing::ReadFileBytes;
using testing::ScratchFolder;

// Bytes given as (offset, hex bytes) lines over a zero-filled file.
std::string Bytes(std::size_t size, const std::map<std::size_t, std::vector<int>>& lines) {
  std::string bytes(size, '\0');
  for (const auto& [offset, values] : lines) {
    for (std::size_t i = 0; i < values.size(); ++i)
      bytes[offset + i] = static_cast<char>(values[i]);
  }
  return bytes;
}

std::string Padded(std::string text, std::size_t width, bool right = false) {
  return right ? std::string(width - text.size(), ' ') + text
               : text + std::string(width - text.size(), ' ');
}

void PutDate(std::string& bytes, std::size_t offset) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  bytes[offset] = static_cast<char>(local.tm_year);
  bytes[offset + 1] = static_cast<char>(local.tm_mon + 1);
  bytes[offset + 2] = static_cast<char>(local.tm_mday);
}

const std::vector<FieldDef> kCountses = {{"DURACION", FieldKind::Text, 10},
                                         {"NSES", FieldKind::Integer, 0}};

// The tallying the slot builder does: find the length, add one, or append it.
void Tally(Table& table, const std::string& minutes) {
  if (table.Locate("DURACION", minutes)) {
    table.Edit();
    table.SetInteger("NSES", table.Integer("NSES") + 1);
  } else {
    table.Append();
    table.SetText("DURACION", minutes);
    table.SetInteger("NSES", 1);
  }
  table.Post();
}

TEST(ProductionIndex, CountsesMatchesTheWorkedExampleByteForByte) {
  ScratchFolder folder;
  RebuildTable(folder.path(), "COUNTSES", kCountses, {{"NSES", "NSES"}});
  {
    Table table("COUNTSES");
    OpenTable open(table, folder.path());
    // Rows are appended with 1 and edited up to their counts: 55 x25, 110 x3, 30 x10.
    std::vector<std::string> slots = {"55", "110", "30"};
    slots.insert(slots.end(), 24, "55");
    slots.insert(slots.end(), 2, "110");
    slots.insert(slots.end(), 9, "30");
    for (const std::string& minutes : slots) Tally(table, minutes);
    open.Close();
  }

  std::string dbf = Bytes(164, {{0x00, {0x03, 0, 0, 0, 0x03, 0, 0, 0, 0x61, 0x00, 0x16, 0x00}},
                                {0x1C, {0x01, 0x58}},
                                {0x20, {'D', 'U', 'R', 'A', 'C', 'I', 'O', 'N', 0, 0, 0, 'C'}},
                                {0x30, {0x0A}},
                                {0x40, {'N', 'S', 'E', 'S', 0, 0, 0, 0, 0, 0, 0, 'N'}},
                                {0x50, {0x0B}},
                                {0x5F, {0x01, 0x0D}},
                                {0xA3, {0x1A}}});
  dbf.replace(0x61, 66,
              " " + Padded("55", 10) + Padded("25", 11, true) + " " + Padded("110", 10) +
                  Padded("3", 11, true) + " " + Padded("30", 10) + Padded("10", 11, true));
  PutDate(dbf, 1);
  EXPECT_EQ(ReadFileBytes(folder / "COUNTSES.DBF"), dbf);

  std::string mdx = Bytes(
      4096,
      {{0x0000, {0x02, 0, 0, 0, 'C', 'O', 'U', 'N', 'T', 'S', 'E', 'S'}},
       {0x0010,
        {0, 0, 0, 0, 0x02, 0x00, 0x00, 0x04, 0x01, 0x30, 0x20, 0x00, 0x01, 0x00, 0x00, 0x58}},
       {0x0020, {0x08}},
       {0x0211, {0x01}},
       {0x0220, {0x04, 0, 0, 0, 'N', 'S', 'E', 'S', 0, 0, 0, 0, 0, 0, 0, 0x10}},
       {0x0230, {0, 0, 0, 0x02, 'N'}},
       {0x0800, {0x06, 0, 0, 0, 0x02, 0, 0, 0, 0x10, 'N', 0x00, 0x58, 0x0C, 0x00, 0x3F, 0x00}},
       {0x0810, {0, 0, 0x10, 0, 0x02, 0, 0, 0, 'N', 'S', 'E', 'S'}},
       {0x08F6, {0x01}},
       {0x08F8, {0x06, 0, 0, 0, 0x06, 0, 0, 0}},
       {0x09E0, {0x01}},
       {0x0C00, {0x03, 0, 0, 0, 0, 0, 0, 0}},
       {0x0C08, {0x02, 0, 0, 0, 0x35, 0x29, 0x30}},
       {0x0C18, {0x03, 0, 0, 0, 0x36, 0x29, 0x10}},
       {0x0C28, {0x01, 0, 0, 0, 0x36, 0x29, 0x25}}});
  PutDate(mdx, 1);
  PutDate(mdx, 44);
  PutDate(mdx, 0x901);
  const std::string written = ReadFileBytes(folder / "COUNTSES.MDX");
  ASSERT_EQ(written.size(), mdx.size());
  for (std::size_t i = 0; i < mdx.size(); ++i) {
    ASSERT_EQ(static_cast<int>(static_cast<unsigned char>(written[i])),
              static_cast<int>(static_cast<unsigned char>(mdx[i])))
        << "MDX byte " << i;
  }
}

TEST(ProductionIndex, NumericKeysEncodeAsDBaseWritesThem) {
  struct Case {
    const char* text;
    std::vector<int> bytes;
  } cases[] = {
      {"          0", {0x34, 0x01}},
      {"", {0x34, 0x01}},
      {"1", {0x35, 0x29, 0x10}},
      {"2", {0x35, 0x29, 0x20}},
      {"10", {0x36, 0x29, 0x10}},
      {"123", {0x37, 0x29, 0x12, 0x30}},
      {"-5", {0x35, 0xA9, 0x50}},
      {"125.00", {0x37, 0x29, 0x12, 0x50}},
      {"-200.00", {0x37, 0xA9, 0x20}},
      {"1000.00", {0x38, 0x29, 0x10}},
      {"0.5", {0x34, 0x29, 0x50}},
      {"0.05", {0x33, 0x29, 0x50}},
      {"   -0.1250", {0x34, 0xA9, 0x12, 0x50}},
  };
  for (const Case& c : cases) {
    mdx::NumericKey expected{};
    for (std::size_t i = 0; i < c.bytes.size(); ++i)
      expected[i] = static_cast<std::uint8_t>(c.bytes[i]);
    EXPECT_EQ(mdx::EncodeNumericKey(c.text), expected) << "'" << c.text << "'";
  }
}

TEST(ProductionIndex, NumericKeysCompareInNumericOrder) {
  const char* ascending[] = {"-1000", "-200", "-5", "-0.5", "-0.05", "0",   "0.05",
                             "0.5",   "1",    "2",  "9.99", "10",    "123", "1000"};
  const std::size_t n = std::size(ascending);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n; ++j) {
      const int order = mdx::CompareNumericKeys(mdx::EncodeNumericKey(ascending[i]),
                                                mdx::EncodeNumericKey(ascending[j]));
      EXPECT_EQ(order < 0, i < j) << ascending[i] << " vs " << ascending[j];
      EXPECT_EQ(order == 0, i == j) << ascending[i] << " vs " << ascending[j];
    }
  }
}

// Walks a tag's B-tree from its root and answers the record numbers in key order,
// checking the structure on the way: leaves marked by a zero slot, branch keys equal to
// their child's highest key, and keys ascending.
struct TreeWalk {
  const std::string& bytes;
  std::vector<std::uint32_t> records;
  std::vector<mdx::NumericKey> keys;
  int depth = 0;

  const std::uint8_t* Block(std::uint32_t page) const {
    return reinterpret_cast<const std::uint8_t*>(bytes.data()) + page * mdx::kPageSize;
  }
  mdx::NumericKey KeyAt(const std::uint8_t* entry) const {
    mdx::NumericKey key;
    std::copy(entry + 4, entry + 16, key.begin());
    return key;
  }
  // Answers the highest key below page.
  mdx::NumericKey Walk(std::uint32_t page, int level) {
    depth = std::max(depth, level);
    const std::uint8_t* node = Block(page);
    const std::uint32_t count = dbf::ReadLe32(node);
    EXPECT_LE(count, mdx::kMaxKeysPerNode);
    const std::uint8_t* after = node + 8 + count * 16;
    const std::uint32_t right = dbf::ReadLe32(after);
    if (right == 0) {
      EXPECT_GT(count, 0u);
      for (std::uint32_t i = 0; i < count; ++i) {
        records.push_back(dbf::ReadLe32(node + 8 + i * 16));
        keys.push_back(KeyAt(node + 8 + i * 16));
      }
      return keys.back();
    }
    EXPECT_LT(count, mdx::kMaxKeysPerNode) << "a full node is taken for a leaf";
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint8_t* entry = node + 8 + i * 16;
      EXPECT_EQ(Walk(dbf::ReadLe32(entry), level + 1), KeyAt(entry));
    }
    return Walk(right, level + 1);
  }
};

TEST(ProductionIndex, ManyKeysMakeABalancedTreeOfSeveralLevels) {
  ScratchFolder folder;
  const int rows = 5000;  // 80 leaves, two branch levels above them
  CreateTable(folder.path(), "BIG", kCountses, {{"NSES", "NSES"}});
  {
    Table table("BIG");
    OpenTable open(table, folder.path());
    for (int i = 0; i < rows; ++i) {
      table.Append();
      table.SetInteger("NSES", (i * 7919) % 1000 - 500);  // repeated and negative keys
      table.Post();
    }
    open.Close();
  }
  const std::string bytes = ReadFileBytes(folder / "BIG.MDX");
  ASSERT_EQ(bytes.size() % mdx::kPageSize, 0u);
  const auto* header = reinterpret_cast<const std::uint8_t*>(bytes.data());
  EXPECT_EQ(dbf::ReadLe32(header + 32), bytes.size() / mdx::kPageSize);
  const std::uint8_t* tag = header + 4 * mdx::kPageSize;
  const std::uint32_t root = dbf::ReadLe32(tag);
  EXPECT_EQ(dbf::ReadLe32(tag + 252), root) << "the root is the last node allocated";
  EXPECT_EQ(dbf::ReadLe32(tag + 4), bytes.size() / mdx::kPageSize - 6) << "node pages";
  TreeWalk walk{bytes, {}, {}, 0};
  walk.Walk(root, 0);
  EXPECT_EQ(walk.depth, 2);
  EXPECT_EQ(dbf::ReadLe32(tag + 248), 6u) << "first leaf";
  ASSERT_EQ(walk.records.size(), static_cast<std::size_t>(rows));
  for (std::size_t i = 1; i < walk.records.size(); ++i) {
    const int order = mdx::CompareNumericKeys(walk.keys[i - 1], walk.keys[i]);
    ASSERT_LE(order, 0) << i;
    if (order == 0) {
      ASSERT_LT(walk.records[i - 1], walk.records[i]) << i;
    }
  }
  std::vector<std::uint32_t> sorted = walk.records;
  std::sort(sorted.begin(), sorted.end());
  for (std::size_t i = 0; i < sorted.size(); ++i) ASSERT_EQ(sorted[i], i + 1);
}

}  // namespace
}  // namespace tto
