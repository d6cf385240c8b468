// Tables written by other programs, SOLUC first: every header level, every field type,
// deleted rows, blank numbers, and the conversions the return run relies on.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "store/RegionalSettings.h"
#include "store/RunError.h"
#include "store/Table.h"
#include "tests/store/ForeignTable.h"
#include "tests/support/ErrorText.h"
#include "tests/support/ScratchFolder.h"

namespace tto {
namespace {

using testing::DoubleBytes;
using testing::ErrorOf;
using testing::ForeignTable;
using testing::LongBytes;
using testing::ScratchFolder;
using testing::TimestampBytes;

// Spanish settings for the duration of a test, whatever the machine's locale.
class SpanishSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = CurrentRegionalSettings();
    RegionalSettings spanish;
    spanish.decimalSeparator = ',';
    spanish.shortDateFormat = "dd/MM/yyyy";
    spanish.longTimeFormat = "H:mm:ss";
    SetCurrentRegionalSettings(spanish);
  }
  void TearDown() override { SetCurrentRegionalSettings(saved_); }

  std::vector<std::vector<std::string>> ReadAll(const std::string& name) {
    Table table(name);
    OpenTable open(table, folder.path());
    std::vector<std::vector<std::string>> rows;
    const std::size_t fields = table.Fields().size();
    for (table.First(); !table.Eof(); table.Next()) {
      std::vector<std::string> row;
      for (std::size_t i = 0; i < fields; ++i) row.push_back(table.Text(i));
      rows.push_back(row);
    }
    return rows;
  }

  ScratchFolder folder;

 private:
  RegionalSettings saved_;
};

// SOLUC as Velmora might write it at dBASE III/IV/5: numbers in N fields, a deleted row.
ForeignTable Soluc(std::uint8_t version, std::uint8_t languageDriver) {
  ForeignTable table(version, languageDriver);
  table.Field("ASIG", 'C', 10)
      .Field("TAREA", 'C', 10)
      .Field("DIA", 'N', 2)
      .Field("HORA", 'N', 5, 2)
      .Field("CODGRUPO", 'C', 10)
      .Field("PROF", 'C', 10)
      .Field("AULA", 'C', 10);
  table.Row({"MA01", "CCM", " 1", " 3.00", "1A", "PRO", "A1"})
      .Row({"XX", "CCM", " 9", " 9.00", "1B", "", ""}, /*deleted=*/true)
      .Row({"GUA", "GUA", " 5", "11.50", "", "P\xC9R", ""})
      .Row({"LE01", "CCM", "  ", "     ", "1A", "", ""});
  return table;
}

class SolucAtEveryLevel : public SpanishSettings,
                          public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(SolucAtEveryLevel, DeletedRowsAreSkippedAndNumbersReadAsFloatToStrWrites) {
  const auto [version, driver] = GetParam();
  folder.Write(
      "SOLUC.DBF",
      Soluc(static_cast<std::uint8_t>(version), static_cast<std::uint8_t>(driver)).Bytes());
  EXPECT_EQ(ReadAll("SOLUC"),
            (std::vector<std::vector<std::string>>{{"MA01", "CCM", "1", "3", "1A", "PRO", "A1"},
                                                   {"GUA", "GUA", "5", "11,5", "", "P\xC9R", ""},
                                                   {"LE01", "CCM", "", "", "1A", "", ""}}));
  Table table("SOLUC");
  OpenTable open(table, folder.path());
  EXPECT_EQ(table.RecordCount(), 3);
  ASSERT_TRUE(table.Locate("ASIG", "GUA"));
  EXPECT_EQ(table.Integer("DIA"), 5);
  EXPECT_DOUBLE_EQ(table.Float("HORA"), 11.5);
  EXPECT_EQ(table.Integer("HORA"), 12);  // rounds, as a float field does
  EXPECT_FALSE(table.Locate("ASIG", "XX")) << "a deleted row is never found";
  ASSERT_TRUE(table.Locate("ASIG", "LE01"));
  EXPECT_EQ(table.Integer("DIA"), 0);
  EXPECT_EQ(table.Float("HORA"), 0.0);
  EXPECT_TRUE(table.IsBlank("DIA"));
}

INSTANTIATE_TEST_SUITE_P(
    Headers, SolucAtEveryLevel,
    ::testing::Values(std::pair{0x03, 0x00},    // dBASE III
                      std::pair{0x03, 0x58},    // dBASE IV / 5 for Windows, WEurope ANSI
                      std::pair{0x03, 0x1B},    // dBASE 5 for DOS
                      std::pair{0x8B, 0x57},    // dBASE IV with memo file
                      std::pair{0x83, 0x00}));  // dBASE III with memo file

TEST_F(SpanishSettings, Level7TablesReadEveryBinaryTypeAndSkipTheirPropertyArea) {
  ForeignTable level7(0x04);
  level7.Field("ASIGNATURA_LARGA", 'C', 12)
      .Field("DIA", 'I', 4)
      .Field("HORA", 'O', 8)
      .Field("CONTADOR", '+', 4)
      .Field("CUANDO", '@', 8)
      .Field("ACTIVO", 'L', 1)
      .Field("FECHA", 'D', 8)
      .Field("PESO", 'F', 10, 3)
      .ExtraHeaderBytes(40);
  level7
      .Row({"Matem\xE1ticas", LongBytes(25), DoubleBytes(2.5), LongBytes(1),
            TimestampBytes(2026, 11, 5, 10, 30, 0), "T", "20261105", "     2.500"})
      .Row({"borrada", LongBytes(1), DoubleBytes(1), LongBytes(2), std::string(8, '\0'), "F",
            "        ", "          "},
           /*deleted=*/true)
      .Row({"", LongBytes(-5), DoubleBytes(-0.125), LongBytes(3),
            TimestampBytes(2026, 1, 2, 0, 0, 0), "?", "        ", "    -1.000"})
      .Row({"nulos", std::string(4, '\0'), std::string(8, '\0'), LongBytes(4), std::string(8, '\0'),
            " ", "2026XX05", "          "});
  folder.Write("ASIGT.DBF", level7.Bytes());
  EXPECT_EQ(
      ReadAll("ASIGT"),
      (std::vector<std::vector<std::string>>{
          {"Matem\xE1ticas", "25", "2,5", "1", "05/11/2026 10:30:00", "True", "05/11/2026", "2,5"},
          {"", "-5", "-0,125", "3", "02/01/2026", "", "", "-1"},
          {"nulos", "", "", "4", "", "", "2026XX05", ""}}));
  Table table("ASIGT");
  OpenTable open(table, folder.path());
  const std::vector<FieldInfo> fields = table.Fields();
  ASSERT_EQ(fields.size(), 8u);
  EXPECT_EQ(fields[0].name, "ASIGNATURA_LARGA");
  EXPECT_EQ(fields[7].type, 'F');
  EXPECT_EQ(fields[7].decimals, 3);
  ASSERT_TRUE(table.Locate("ASIGNATURA_LARGA", "nulos"));
  EXPECT_EQ(table.Integer("DIA"), 0);
  EXPECT_TRUE(table.IsBlank("DIA"));
  EXPECT_EQ(table.Float("HORA"), 0.0);
}

TEST_F(SpanishSettings, ReadingAsIntegerAndFloatFollowsTheFieldKind) {
  ForeignTable mixed(0x03, 0x58);
  mixed.Field("TEXTO", 'C', 8).Field("REAL", 'N', 8, 2).Field("LOGICO", 'L', 1);
  mixed.Row({" 12 ", "    2.50", "T"})
      .Row({"3,75", "    3.50", "F"})
      .Row({"-2", "   -2.50", " "})
      .Row({"abc", "        ", "?"});
  folder.Write("MIXED.DBF", mixed.Bytes());
  Table table("MIXED");
  OpenTable open(table, folder.path());
  struct Expected {
    std::string integerOfText;  // value, or the error text
    double floatOfText;
    int integerOfReal;  // half to even, as Delphi's Round
  };
  const std::vector<Expected> rows = {
      {"12", 12.0, 2}, {"'3,75' no es un valor entero v\xE1lido", 3.75, 4}, {"-2", -2.0, -2}};
  table.First();
  for (const Expected& expected : rows) {
    std::string integer;
    try {
      integer = std::to_string(table.Integer("TEXTO"));
    } catch (const RunError& error) {
      integer = error.what();
    }
    EXPECT_EQ(integer, expected.integerOfText);
    EXPECT_DOUBLE_EQ(table.Float("TEXTO"), expected.floatOfText);
    EXPECT_EQ(table.Integer("REAL"), expected.integerOfReal);
    table.Next();
  }
  EXPECT_EQ(ErrorOf([&] { (void)table.Integer("TEXTO"); }),
            "'abc' no es un valor entero v\xE1lido");
  EXPECT_EQ(ErrorOf([&] { (void)table.Float("TEXTO"); }),
            "'abc' no es un valor punto flotante v\xE1lido");
  EXPECT_EQ(table.Text("LOGICO"), "");
}

TEST_F(SpanishSettings, ANumericFieldHoldingGarbageIsAnErrorNamingFieldAndTable) {
  ForeignTable bad(0x03, 0x58);
  bad.Field("DIA", 'N', 3).Row({"1x2"});
  folder.Write("SOLUC.DBF", bad.Bytes());
  Table table("SOLUC");
  OpenTable open(table, folder.path());
  const std::string error = ErrorOf([&] { (void)table.Integer("DIA"); });
  EXPECT_NE(error.find("DIA"), std::string::npos) << error;
  EXPECT_NE(error.find("SOLUC"), std::string::npos) << error;
  EXPECT_NE(error.find("1x2"), std::string::npos) << error;
}

TEST_F(SpanishSettings, AForeignTableWithAnIndexWeCannotKeepIsReadButNotChanged) {
  ForeignTable indexed(0x03, 0x58);
  indexed.Field("ASIG", 'C', 10).Row({"MA01"});
  std::string bytes = indexed.Bytes();
  bytes[28] = 1;  // claims a production index that is not there
  folder.Write("SOLUC.DBF", bytes);
  Table table("SOLUC");
  OpenTable open(table, folder.path());
  table.First();
  EXPECT_EQ(table.Text("ASIG"), "MA01");
  const std::string error = ErrorOf([&] { table.Append(); });
  EXPECT_NE(error.find("SOLUC.MDX"), std::string::npos) << error;
}

// --- damaged headers ---------------------------------------------------------------------

ForeignTable Small() {
  ForeignTable table(0x03, 0x58);
  table.Field("COD", 'C', 4).Field("N", 'N', 3).Row({"A", "  1"}).Row({"B", "  2"});
  return table;
}

struct Damage {
  const char* name;
  std::function<std::string()> bytes;
  const char* says;
};

class DamagedHeader : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedHeader, OpeningNamesTheFileAndWhatIsWrong) {
  ScratchFolder folder;
  folder.Write("SOLUC.DBF", GetParam().bytes());
  for (int attempt = 0; attempt < 2; ++attempt) {  // the second proves no lock was left
    Table table("SOLUC");
    const std::string error = ErrorOf([&] { table.Open(folder.path()); });
    EXPECT_NE(error.find((folder / "SOLUC.DBF").string()), std::string::npos) << error;
    EXPECT_NE(error.find(GetParam().says), std::string::npos) << error;
    EXPECT_FALSE(table.IsOpen());
  }
}

INSTANTIATE_TEST_SUITE_P(Lies, DamagedHeader,
                         ::testing::Values(Damage{"RecordCountBeyondTheEnd",
                                                  [] {
                                                    ForeignTable t = Small();
                                                    t.recordCount = 10;
                                                    return t.Bytes();
                                                  },
                                                  "cuenta 10 registros"},
                                           Damage{"HeaderShorterThanItsFields",
                                                  [] {
                                                    ForeignTable t = Small();
                                                    t.headerLength = 32 + 32 + 16;
                                                    return t.Bytes();
                                                  },
                                                  "menor que su lista de campos"},
                                           Damage{"HeaderWithoutTerminator",
                                                  [] {
                                                    ForeignTable t = Small();
                                                    t.headerLength = 32 + 64;
                                                    return t.Bytes();
                                                  },
                                                  "menor que su lista de campos"},
                                           Damage{"RecordLengthNotMatchingTheFields",
                                                  [] {
                                                    ForeignTable t = Small();
                                                    t.recordLength = 9;
                                                    return t.Bytes();
                                                  },
                                                  "longitud de registro (9)"},
                                           Damage{"FieldWidthZero",
                                                  [] {
                                                    ForeignTable t(0x03, 0x58);
                                                    t.Field("COD", 'C', 0).Row({""});
                                                    return t.Bytes();
                                                  },
                                                  "anchura 0"},
                                           Damage{"NameWithoutTerminator",
                                                  [] {
                                                    std::string bytes = Small().Bytes();
                                                    for (int i = 0; i < 11; ++i)
                                                      bytes[32 + i] = 'X';
                                                    return bytes;
                                                  },
                                                  "no termina"},
                                           Damage{"TruncatedLastRecord",
                                                  [] {
                                                    ForeignTable t = Small();
                                                    t.endOfFileMarker = false;
                                                    std::string bytes = t.Bytes();
                                                    bytes.resize(bytes.size() - 3);
                                                    return bytes;
                                                  },
                                                  "incompleto"},
                                           Damage{"HeaderLongerThanTheFile",
                                                  [] {
                                                    ForeignTable t = Small();
                                                    t.headerLength = 60000;
                                                    return t.Bytes();
                                                  },
                                                  "supera el tama\xF1o del archivo"},
                                           Damage{"TooShortForAHeader",
                                                  [] { return std::string("\x03\x7E\x0B", 3); },
                                                  "demasiado corto"},
                                           Damage{"Level7TooShort",
                                                  [] {
                                                    std::string bytes(40, '\0');
                                                    bytes[0] = 0x04;
                                                    return bytes;
                                                  },
                                                  "nivel 7"},
                                           Damage{"UnknownVersion",
                                                  [] {
                                                    std::string bytes = Small().Bytes();
                                                    bytes[0] = 0x07;
                                                    return bytes;
                                                  },
                                                  "versi\xF3n de dBase desconocida (0x07)"},
                                           Damage{"BinaryFieldOfTheWrongWidth",
                                                  [] {
                                                    ForeignTable t(0x04);
                                                    t.Field("DIA", 'I', 3).Row({"abc"});
                                                    return t.Bytes();
                                                  },
                                                  "anchura 3 en lugar de 4"},
                                           Damage{"NoFields",
                                                  [] {
                                                    ForeignTable t(0x03, 0x58);
                                                    return t.Bytes();
                                                  },
                                                  "no tiene campos"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tto
