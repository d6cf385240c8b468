// Two dBase engines that are not ours, TDbf and dbfread, read every kind of table the
// store writes, and TDbf uses our production index.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/Table.h"
#include "tests/support/IndependentReaders.h"
#include "tests/support/ScratchFolder.h"

namespace tto {
namespace {

using testing::ExpectIndependentReadersAgree;
using testing::ReadFileBytes;
using testing::ScratchFolder;
using testing::TdbfFindKey;
using testing::TdbfTagOrder;

struct Schema {
  const char* table;
  std::vector<FieldDef> fields;
};

// The working tables' schemas: level 7 where a name is longer than ten characters.
const Schema kSchemas[] = {
    {"ASIGNOMT",
     {{"COD", FieldKind::Text, 10},
      {"CODLARGO", FieldKind::Text, 10},
      {"NOMBRE", FieldKind::Text, 80},
      {"CODTAREA", FieldKind::Text, 12},
      {"ESTAREA", FieldKind::Boolean, 0},
      {"ABREV_GESTION", FieldKind::Text, 10}}},
    {"DIASHORAST",
     {{"DIHO", FieldKind::Text, 10},
      {"MINUTOS", FieldKind::Text, 8},
      {"SESION_ORDEN", FieldKind::Integer, 0},
      {"PLANTILLA", FieldKind::Text, 20}}},
    {"ASIGT",
     {{"CASIG", FieldKind::Text, 10},
      {"HORAS", FieldKind::Float, 0},
      {"NUM", FieldKind::Integer, 0},
      {"ASIG_GESTION", FieldKind::Text, 10}}},
    {"PROFT",
     {{"ABREV", FieldKind::Text, 10},
      {"NOMBRE", FieldKind::Text, 80},
      {"ACTIVO", FieldKind::Boolean, 0},
      {"NUM", FieldKind::Integer, 0},
      {"HORAS", FieldKind::Float, 0}}},
};

class EverySchema : public ::testing::TestWithParam<Schema> {};

// Each row writes every field but one (a different one each row), so that written,
// cut, empty and never-written values of every kind all appear.
TEST_P(EverySchema, IndependentReadersSeeWhatWeWrote) {
  const Schema& schema = GetParam();
  ScratchFolder folder;
  RebuildTable(folder.path(), schema.table, schema.fields);
  const std::vector<std::string> texts = {"Matem\xE1ticas \x80", "", "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
                                          " lead", "x"};
  const std::vector<double> floats = {2.5, -0.125, 0, 123456.7891, 1e10};
  const std::vector<int> integers = {25, -5, 0, 2147483647, -2147483647};
  {
    Table table(schema.table);
    OpenTable open(table, folder.path());
    for (std::size_t row = 0; row < 6; ++row) {
      table.Append();
      for (std::size_t f = 0; f < schema.fields.size(); ++f) {
        if (f == row % schema.fields.size()) continue;  // never written in this row
        const FieldDef& field = schema.fields[f];
        const std::size_t k = (row + f) % texts.size();
        switch (field.kind) {
          case FieldKind::Text:
            table.SetText(field.name, texts[k]);
            break;
          case FieldKind::Boolean:
            table.SetBoolean(field.name, k % 2 == 0);
            break;
          case FieldKind::Integer:
            table.SetInteger(field.name, integers[k]);
            break;
          case FieldKind::Float:
            table.SetFloat(field.name, floats[k]);
            break;
        }
      }
      table.Post();
    }
    open.Close();
  }
  ExpectIndependentReadersAgree(folder / (std::string(schema.table) + ".DBF"));
}

INSTANTIATE_TEST_SUITE_P(WorkingTables, EverySchema, ::testing::ValuesIn(kSchemas),
                         [](const auto& info) { return std::string(info.param.table); });

TEST(IndependentReaders, TdbfWalksCountsesByItsTagAndFindsAKey) {
  ScratchFolder folder;
  RebuildTable(folder.path(), "COUNTSES",
               {{"DURACION", FieldKind::Text, 10}, {"NSES", FieldKind::Integer, 0}},
               {{"NSES", "NSES"}});
  {
    Table table("COUNTSES");
    OpenTable open(table, folder.path());
    for (const char* minutes : {"55", "110", "30"}) {
      table.Append();
      table.SetText("DURACION", minutes);
      table.SetInteger("NSES", 1);
      table.Post();
    }
    // Counts change after the rows were appended, as the slot builder tallies them.
    for (auto [minutes, count] : {std::pair{"55", 25}, {"110", 3}, {"30", 10}}) {
      ASSERT_TRUE(table.Locate("DURACION", minutes));
      table.Edit();
      table.SetInteger("NSES", count);
      table.Post();
    }
    open.Close();
  }
  const auto dbf = folder / "COUNTSES.DBF";
  EXPECT_EQ(TdbfTagOrder(dbf, "NSES"), (std::vector<std::string>{"110 | 3", "30 | 10", "55 | 25"}));
  EXPECT_EQ(TdbfFindKey(dbf, "NSES", "10"), 3u);
  EXPECT_EQ(TdbfFindKey(dbf, "NSES", "7"), std::nullopt);
  ExpectIndependentReadersAgree(dbf);
}

TEST(IndependentReaders, TdbfUsesAnIndexOfSeveralLevels) {
  ScratchFolder folder;
  RebuildTable(folder.path(), "COUNTSES",
               {{"DURACION", FieldKind::Text, 10}, {"NSES", FieldKind::Integer, 0}},
               {{"NSES", "NSES"}});
  {
    Table table("COUNTSES");
    OpenTable open(table, folder.path());
    for (int i = 0; i < 5000; ++i) {
      table.Append();
      table.SetText("DURACION", std::to_string(i));
      if (i % 97 != 0) table.SetInteger("NSES", (i * 7919) % 1000 - 500);  // some left blank
      table.Post();
    }
    open.Close();
  }
  ExpectIndependentReadersAgree(folder / "COUNTSES.DBF");
}

TEST(IndependentReaders, AnIndexOutOfOrderMakesTheCheckFail) {
  ScratchFolder folder;
  RebuildTable(folder.path(), "COUNTSES",
               {{"DURACION", FieldKind::Text, 10}, {"NSES", FieldKind::Integer, 0}},
               {{"NSES", "NSES"}});
  {
    Table table("COUNTSES");
    OpenTable open(table, folder.path());
    for (int count : {25, 3, 10}) {
      table.Append();
      table.SetInteger("NSES", count);
      table.Post();
    }
    open.Close();
  }
  // Swap the first two leaf entries: keys 3 and 10 now come in the wrong order.
  std::string index = ReadFileBytes(folder / "COUNTSES.MDX");
  std::swap_ranges(index.begin() + 0xC08, index.begin() + 0xC18, index.begin() + 0xC18);
  folder.Write("COUNTSES.MDX", index);
  ::testing::TestPartResultArray failures;
  {
    ::testing::ScopedFakeTestPartResultReporter intercept(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
    ExpectIndependentReadersAgree(folder / "COUNTSES.DBF");
  }
  bool tagBlamed = false;
  for (int i = 0; i < failures.size(); ++i) {
    tagBlamed |=
        std::string(failures.GetTestPartResult(i).message()).find("tag NSES") != std::string::npos;
  }
  EXPECT_TRUE(tagBlamed) << failures.size() << " failures, none about the tag";
}

}  // namespace
}  // namespace tto
