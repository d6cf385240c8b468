// The table store seen from its callers: what is written reads back as meant, at both
// dBase levels, and the row operations behave as the runs rely on.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "store/RegionalSettings.h"
#include "store/RunError.h"
#include "store/Table.h"
#include "tests/support/ErrorText.h"
#include "tests/support/ScratchFolder.h"

namespace tto {
namespace {

using testing::ErrorOf;
using testing::ReadFileBytes;
using testing::ScratchFolder;

// Every store test runs with the regional settings the system is used with: the comma
// as decimal separator, Spanish date and time formats.
class SpanishRegionalSettings : public ::testing::Environment {
 public:
  void SetUp() override {
    RegionalSettings spanish;
    spanish.decimalSeparator = ',';
    spanish.shortDateFormat = "dd/MM/yyyy";
    spanish.longTimeFormat = "H:mm:ss";
    SetCurrentRegionalSettings(spanish);
  }
};
[[maybe_unused]] ::testing::Environment* const kSpanish =
    ::testing::AddGlobalTestEnvironment(new SpanishRegionalSettings);

// Every kind of field; the long name makes the same schema a level-7 table.
std::vector<FieldDef> AllKinds(bool level7) {
  return {{"COD", FieldKind::Text, 10},
          {"ACTIVO", FieldKind::Boolean, 0},
          {"NUM", FieldKind::Integer, 0},
          {"HORAS", FieldKind::Float, 0},
          {level7 ? "ABREV_GESTION" : "GESTION", FieldKind::Text, 20}};
}

class EveryLevel : public ::testing::TestWithParam<bool> {};

TEST_P(EveryLevel, EveryFieldKindReadsBackAsWritten) {
  const bool level7 = GetParam();
  const std::string longName = level7 ? "ABREV_GESTION" : "GESTION";
  ScratchFolder folder;
  CreateTable(folder.path(), "KINDS", AllKinds(level7));
  {
    Table table("KINDS");
    OpenTable open(table, folder.path());
    table.Append();
    table.SetText("COD", "Mat\xE9");
    table.SetBoolean("ACTIVO", true);
    table.SetInteger("NUM", -2147483647);
    table.SetFloat("HORAS", -0.125);
    table.SetText(longName, "x");
    table.Post();
    table.Append();
    table.SetBoolean("ACTIVO", false);
    table.SetInteger("NUM", 2147483647);
    table.SetFloat("HORAS", 2.5);
    table.Post();
    table.Append();  // a row whose fields are never written
    table.Post();
    open.Close();
  }
  Table table("KINDS");
  OpenTable open(table, folder.path());
  const std::vector<FieldInfo> fields = table.Fields();
  ASSERT_EQ(fields.size(), 5u);
  EXPECT_EQ(fields[0].type, 'C');
  EXPECT_EQ(fields[1].type, 'L');
  EXPECT_EQ(fields[2].type, level7 ? 'I' : 'N');
  EXPECT_EQ(fields[3].type, level7 ? 'O' : 'N');
  EXPECT_EQ(fields[4].name, longName);
  EXPECT_EQ(table.RecordCount(), 3);

  table.First();
  EXPECT_EQ(table.Text("COD"), "Mat\xE9");
  EXPECT_EQ(table.Text("ACTIVO"), "True");
  EXPECT_EQ(table.Integer("NUM"), -2147483647);
  EXPECT_EQ(table.Text("NUM"), "-2147483647");
  EXPECT_DOUBLE_EQ(table.Float("HORAS"), -0.125);
  EXPECT_EQ(table.Text(longName), "x");
  table.Next();
  EXPECT_EQ(table.Text("COD"), "");
  EXPECT_EQ(table.Text("ACTIVO"), "False");
  EXPECT_EQ(table.Integer("NUM"), 2147483647);
  EXPECT_EQ(table.Text(std::size_t{3}), "2,5");
  table.Next();
  for (const char* name : {"COD", "ACTIVO", "NUM", "HORAS"}) {
    EXPECT_TRUE(table.IsBlank(name)) << name;
    EXPECT_EQ(table.Text(name), "") << name;
  }
  EXPECT_EQ(table.Integer("NUM"), 0);
  EXPECT_EQ(table.Float("HORAS"), 0.0);
  table.Next();
  EXPECT_TRUE(table.Eof());
}

INSTANTIATE_TEST_SUITE_P(Level4AndLevel7, EveryLevel, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Level7" : "Level4"; });

class Written : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateTable(folder.path(), "CODES",
                {{"COD", FieldKind::Text, 4}, {"N", FieldKind::Integer, 0}});
    table.Open(folder.path());
  }
  void AppendRow(std::string_view code, int n) {
    table.Append();
    table.SetText("COD", code);
    table.SetInteger("N", n);
    table.Post();
  }
  ScratchFolder folder;
  Table table{"CODES"};
};

TEST_F(Written, TextIsCutToTheFieldWidthAndEmptyTextIsBlank) {
  AppendRow("ABCDEFG", 1);
  AppendRow("", 2);
  table.First();
  EXPECT_EQ(table.Text("COD"), "ABCD");
  table.Next();
  EXPECT_TRUE(table.IsBlank("COD"));
}

TEST_F(Written, RowsComeBackInTheOrderTheyWereAppended) {
  for (int i = 0; i < 1000; ++i) AppendRow(std::to_string(999 - i), i);
  table.Close();
  table.Open(folder.path());
  int expected = 0;
  for (table.First(); !table.Eof(); table.Next()) {
    ASSERT_EQ(table.Integer("N"), expected);
    ASSERT_EQ(table.Text("COD"), std::to_string(999 - expected));
    ++expected;
  }
  EXPECT_EQ(expected, 1000);
}

TEST_F(Written, LocateFindsTheFirstWholeCaseSensitiveMatch) {
  AppendRow("ab", 1);
  AppendRow("AB", 2);
  AppendRow("AB", 3);
  AppendRow("A", 4);
  struct Case {
    const char* text;
    int row;  // 0: not found
  } cases[] = {{"AB", 2},   {"ab", 1},  {"A", 4}, {"Ab", 0},
               {"AB  ", 2}, {" AB", 0}, {"", 0},  {"ABCDE", 0}};
  for (const Case& c : cases) {
    table.First();
    table.Next();  // somewhere in the middle: Locate starts from the first row anyway
    table.Next();
    const bool found = table.Locate("COD", c.text);
    EXPECT_EQ(found, c.row != 0) << c.text;
    if (found) {
      EXPECT_EQ(table.Integer("N"), c.row) << c.text;
    }
  }
}

TEST_F(Written, LocateOfAnEmptyTextFindsABlankField) {
  AppendRow("X", 1);
  AppendRow("", 2);
  ASSERT_TRUE(table.Locate("COD", ""));
  EXPECT_EQ(table.Integer("N"), 2);
}

TEST_F(Written, EditChangesAnAppendedRowBeforeAndAfterItReachesTheFile) {
  AppendRow("55", 1);
  AppendRow("30", 1);
  ASSERT_TRUE(table.Locate("COD", "55"));
  table.Edit();
  table.SetInteger("N", table.Integer("N") + 1);
  table.Post();
  table.Close();
  table.Open(folder.path());
  ASSERT_TRUE(table.Locate("COD", "30"));
  table.Edit();
  table.SetInteger("N", 7);
  table.Post();
  table.Close();
  table.Open(folder.path());
  table.First();
  EXPECT_EQ(table.Integer("N"), 2);
  table.Next();
  EXPECT_EQ(table.Integer("N"), 7);
}

TEST_F(Written, ARowNeverPostedIsDroppedOnClose) {
  AppendRow("A", 1);
  table.Append();
  table.SetText("COD", "B");
  table.Close();
  table.Open(folder.path());
  EXPECT_EQ(table.RecordCount(), 1);
}

TEST_F(Written, AFieldTheTableLacksIsAnErrorNamingFieldAndTable) {
  AppendRow("A", 1);
  const std::string error = ErrorOf([&] { (void)table.Text("NOPE"); });
  EXPECT_NE(error.find("NOPE"), std::string::npos) << error;
  EXPECT_NE(error.find("CODES"), std::string::npos) << error;
}

TEST(TableLock, ASecondOpenerIsRefusedUntilTheFirstCloses) {
  ScratchFolder folder;
  CreateTable(folder.path(), "PROFT", {{"ABREV", FieldKind::Text, 10}});
  Table first("PROFT");
  first.Open(folder.path());
  Table second("PROFT");
  const std::string error = ErrorOf([&] { second.Open(folder.path()); });
  EXPECT_EQ(error, "La tabla PROFT (" + (folder / "PROFT.DBF").string() +
                       ") est\xE1 en uso por otro programa");
  EXPECT_FALSE(second.IsOpen());
  first.Close();
  second.Open(folder.path());
  EXPECT_TRUE(second.IsOpen());
}

TEST(TableLock, ATableGoingAwayReleasesItsLock) {
  ScratchFolder folder;
  CreateTable(folder.path(), "PROFT", {{"ABREV", FieldKind::Text, 10}});
  {
    Table first("PROFT");
    first.Open(folder.path());
  }
  Table second("PROFT");
  second.Open(folder.path());
  EXPECT_TRUE(second.IsOpen());
}

TEST(TableFiles, TablesAreFoundWhateverTheCaseOfTheirFileName) {
  ScratchFolder folder;
  CreateTable(folder.path(), "SOLUC", {{"ASIG", FieldKind::Text, 10}});
  std::filesystem::rename(folder / "SOLUC.DBF", folder / "soluc.dbf");
  EXPECT_EQ(FindFileIgnoringCase(folder.path(), "SOLUC.DBF"), folder / "soluc.dbf");
  Table table("SOLUC");
  table.Open(folder.path());
  EXPECT_EQ(table.Path(), folder / "soluc.dbf");
}

TEST(TableFiles, RebuildDeletesEveryCaseVariantAndWritesUpperCaseNames) {
  ScratchFolder folder;
  folder.Write("countses.dbf", "old");
  folder.Write("CountSes.Mdx", "old");
  RebuildTable(folder.path(), "COUNTSES",
               {{"DURACION", FieldKind::Text, 10}, {"NSES", FieldKind::Integer, 0}},
               {{"NSES", "NSES"}});
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"COUNTSES.DBF", "COUNTSES.MDX"}));
}

TEST(TableFiles, AHeldTableIsNeitherDeletedNorRecreated) {
  ScratchFolder folder;
  const std::vector<FieldDef> schema = {{"ABREV", FieldKind::Text, 10}};
  CreateTable(folder.path(), "PROFT", schema);
  {
    Table table("PROFT");
    OpenTable open(table, folder.path());
    table.Append();
    table.SetText("ABREV", "KEEP");
    table.Post();
  }
  const std::string before = ReadFileBytes(folder / "PROFT.DBF");
  Table holder("PROFT");
  holder.Open(folder.path());
  const std::string error = ErrorOf([&] { RebuildTable(folder.path(), "PROFT", schema); });
  EXPECT_NE(error.find("en uso por otro programa"), std::string::npos) << error;
  EXPECT_EQ(ReadFileBytes(folder / "PROFT.DBF"), before);
  holder.Close();
  RebuildTable(folder.path(), "PROFT", schema);
  EXPECT_NE(ReadFileBytes(folder / "PROFT.DBF"), before);
}

TEST(TableFiles, CreatingInAMissingFolderNamesTheFolder) {
  ScratchFolder folder;
  const std::string error = ErrorOf([&] {
    CreateTable(folder / "nope", "PROFT", {{"ABREV", FieldKind::Text, 10}});
  });
  EXPECT_NE(error.find((folder / "nope").string()), std::string::npos) << error;
}

TEST(TableFiles, ATableWhoseIndexIsReadOnlyRefusesChangesAndKeepsItsFiles) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write a read-only file";
  ScratchFolder folder;
  CreateTable(folder.path(), "COUNTSES",
              {{"DURACION", FieldKind::Text, 10}, {"NSES", FieldKind::Integer, 0}},
              {{"NSES", "NSES"}});
  std::filesystem::permissions(folder / "COUNTSES.MDX", std::filesystem::perms::owner_read);
  const std::string dataBefore = ReadFileBytes(folder / "COUNTSES.DBF");
  const std::string indexBefore = ReadFileBytes(folder / "COUNTSES.MDX");
  Table table("COUNTSES");
  table.Open(folder.path());
  const std::string error = ErrorOf([&] { table.Append(); });
  EXPECT_NE(error.find("solo lectura"), std::string::npos) << error;
  table.Close();
  EXPECT_EQ(ReadFileBytes(folder / "COUNTSES.DBF"), dataBefore);
  EXPECT_EQ(ReadFileBytes(folder / "COUNTSES.MDX"), indexBefore);
}

TEST(TableSchema, IndexDefinitionsOnALevel7TableAreRefused) {
  ScratchFolder folder;
  const std::string error = ErrorOf([&] {
    CreateTable(folder.path(), "AULAT",
                {{"ABREV_GESTION", FieldKind::Text, 10}, {"N", FieldKind::Integer, 0}},
                {{"N", "N"}});
  });
  EXPECT_NE(error.find("AULAT"), std::string::npos) << error;
  EXPECT_NE(error.find("nivel 7"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(folder / "AULAT.DBF"));
}

}  // namespace
}  // namespace tto
