// The bytes the store writes for each level and field kind, against the dBase format.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "store/DbfFormat.h"
#include "store/DbfValues.h"
#include "store/RunError.h"
#include "store/Table.h"
#include "tests/store/ForeignTable.h"
#include "tests/support/ScratchFolder.h"

namespace tto {
namespace {

using testing::ReadFileBytes;
using testing::ScratchFolder;

std::string Hex(std::string_view bytes) {
  static const char* const kDigits = "0123456789ABCDEF";
  std::string text;
  for (unsigned char b : bytes) {
    if (!text.empty()) text += ' ';
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

std::string WriteOneRow(const ScratchFolder& folder, const std::vector<FieldDef>& fields,
                        const std::function<void(Table&)>& set) {
  CreateTable(folder.path(), "T", fields);
  Table table("T");
  OpenTable open(table, folder.path());
  table.Append();
  set(table);
  table.Post();
  open.Close();
  return ReadFileBytes(folder / "T.DBF");
}

TEST(DbfFormat, Level4HeaderAndRecordBytes) {
  ScratchFolder folder;
  const std::string bytes = WriteOneRow(folder,
                                        {{"COD", FieldKind::Text, 3},
                                         {"SI", FieldKind::Boolean, 0},
                                         {"NSES", FieldKind::Integer, 0},
                                         {"HORAS", FieldKind::Float, 0}},
                                        [](Table& t) {
                                          t.SetText("COD", "\xE9x");
                                          t.SetBoolean("SI", true);
                                          t.SetInteger("NSES", 25);
                                          t.SetFloat("HORAS", -0.125);
                                        });
  const std::size_t headerLength = 32 + 4 * 32 + 1;
  ASSERT_EQ(bytes.size(), headerLength + 36 + 1);
  EXPECT_EQ(Hex(bytes.substr(0, 1)), "03");
  EXPECT_EQ(Hex(bytes.substr(4, 8)), "01 00 00 00 A1 00 24 00");  // 1 record, 161, 36
  EXPECT_EQ(Hex(bytes.substr(28, 2)), "00 58");                   // no index, WEurope ANSI
  EXPECT_EQ(bytes.substr(32, 11), std::string("COD\0\0\0\0\0\0\0\0", 11));
  const char types[] = {'C', 'L', 'N', 'N'};
  const int widths[] = {3, 1, 11, 20};
  const int decimals[] = {0, 0, 0, 4};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(bytes[32 + 32 * i + 11], types[i]) << i;
    EXPECT_EQ(bytes[32 + 32 * i + 16], widths[i]) << i;
    EXPECT_EQ(bytes[32 + 32 * i + 17], decimals[i]) << i;
  }
  EXPECT_EQ(bytes[headerLength - 1], '\x0D');
  EXPECT_EQ(bytes.substr(headerLength), " \xE9x T         25             -0.1250\x1A");
}

TEST(DbfFormat, Level7HeaderAndRecordBytes) {
  ScratchFolder folder;
  const std::string bytes = WriteOneRow(folder,
                                        {{"ABREV_GESTION", FieldKind::Text, 2},
                                         {"SI", FieldKind::Boolean, 0},
                                         {"SESION_ORDEN", FieldKind::Integer, 0},
                                         {"N", FieldKind::Integer, 0},
                                         {"HORAS", FieldKind::Float, 0},
                                         {"NADA", FieldKind::Float, 0}},
                                        [](Table& t) {
                                          t.SetText("ABREV_GESTION", "ab");
                                          t.SetInteger("N", -5);
                                          t.SetFloat("HORAS", 2.5);
                                        });
  const std::size_t headerLength = 68 + 6 * 48 + 1;
  ASSERT_EQ(bytes.size(), headerLength + 28 + 1);
  EXPECT_EQ(Hex(bytes.substr(0, 1)), "04");
  EXPECT_EQ(Hex(bytes.substr(28, 2)), "00 00");
  EXPECT_EQ(bytes.substr(32, 9), std::string("DBWINWE0\0", 9));
  EXPECT_EQ(bytes.substr(68, 14), std::string("ABREV_GESTION\0", 14));
  const char types[] = {'C', 'L', 'I', 'I', 'O', 'O'};
  const int widths[] = {2, 1, 4, 4, 8, 8};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(bytes[68 + 48 * i + 32], types[i]) << i;
    EXPECT_EQ(bytes[68 + 48 * i + 33], widths[i]) << i;
  }
  EXPECT_EQ(Hex(bytes.substr(headerLength)),
            "20 61 62 20 "                  // live, "ab", boolean never written
            "00 00 00 00 "                  // SESION_ORDEN never written: null
            "7F FF FF FB "                  // -5
            "C0 04 00 00 00 00 00 00 "      // 2.5
            "00 00 00 00 00 00 00 00 1A");  // never written: null
}

TEST(DbfValues, BinaryEncodingsMatchTheFormatExamples) {
  struct LongCase {
    std::int32_t value;
    const char* hex;
  } longs[] = {{0, "80 00 00 00"},
               {1, "80 00 00 01"},
               {25, "80 00 00 19"},
               {-1, "7F FF FF FF"},
               {-5, "7F FF FF FB"}};
  for (const LongCase& c : longs) {
    std::uint8_t out[4];
    dbf::EncodeLong(c.value, out);
    EXPECT_EQ(Hex(std::string_view(reinterpret_cast<char*>(out), 4)), c.hex) << c.value;
    EXPECT_EQ(dbf::DecodeLong(out), c.value);
  }
  struct DoubleCase {
    double value;
    const char* hex;
  } doubles[] = {{0.0, "80 00 00 00 00 00 00 00"},  {-0.0, "80 00 00 00 00 00 00 00"},
                 {1.0, "BF F0 00 00 00 00 00 00"},  {2.5, "C0 04 00 00 00 00 00 00"},
                 {-1.0, "40 0F FF FF FF FF FF FF"}, {-0.125, "40 3F FF FF FF FF FF FF"}};
  for (const DoubleCase& c : doubles) {
    std::uint8_t out[8];
    dbf::EncodeDouble(c.value, out);
    EXPECT_EQ(Hex(std::string_view(reinterpret_cast<char*>(out), 8)), c.hex) << c.value;
    EXPECT_EQ(dbf::DecodeDouble(out), c.value == 0 ? 0.0 : c.value);
  }
}

TEST(DbfValues, NumbersThatDoNotFitTheirFieldAreRefused) {
  ScratchFolder folder;
  CreateTable(
      folder.path(), "T",
      {{"N", FieldKind::Integer, 0}, {"F", FieldKind::Float, 0}, {"L", FieldKind::Text, 12}});
  Table table("T");
  OpenTable open(table, folder.path());
  table.Append();
  table.SetFloat("F", 999999999999999.0);  // 15 digits, the point and 4 decimals: 20
  std::string error;
  try {
    table.SetFloat("F", 1e16);
  } catch (const RunError& e) {
    error = e.what();
  }
  EXPECT_NE(error.find("no cabe en el campo F"), std::string::npos) << error;
  table.SetText("N", " 12 ");  // a number field takes a text that converts
  table.SetFloat("N", 2.5);    // and rounds to its decimals
  table.SetFloat("L", 2.5);    // a text field takes the number's text
  table.Post();
  EXPECT_EQ(table.Integer("N"), 2);
  EXPECT_EQ(table.Text("L"), "2,5");
}

// Random damage to valid tables of every level: decoding answers a layout or a
// FormatError, and a table that opens can be read through without reading out of bounds
// (the sanitizer build watches).
TEST(DbfFormat, DamagedBytesNeverReadOutOfBounds) {
  testing::ForeignTable level4(0x03, 0x58);
  level4.Field("ASIG", 'C', 5).Field("DIA", 'N', 3).Field("HORA", 'F', 6, 2).Field("L", 'L', 1);
  level4.Row({"MAT", "  1", "  3.00", "T"}).Row({"GUA", "  2", "  4.50", "?"}, true);
  testing::ForeignTable level7(0x04);
  level7.Field("ABREV_GESTION", 'C', 4).Field("I", 'I', 4).Field("O", 'O', 8).Field("D", 'D', 8);
  level7.Row({"x", testing::LongBytes(3), testing::DoubleBytes(-2), "20260101"});
  std::mt19937 random(20261105);
  ScratchFolder folder;
  for (const std::string& original : {level4.Bytes(), level7.Bytes()}) {
    for (int round = 0; round < 400; ++round) {
      std::string bytes = original;
      const int changes = 1 + static_cast<int>(random() % 4);
      for (int c = 0; c < changes; ++c) {
        const std::size_t at = random() % bytes.size();
        bytes[at] = static_cast<char>(random() % 4 == 0 ? 0 : random());
      }
      if (random() % 5 == 0) bytes.resize(random() % bytes.size());
      try {
        dbf::DecodeLayout(
            std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
            bytes.size());
      } catch (const dbf::FormatError&) {
      }
      folder.Write("T.DBF", bytes);
      Table table("T");
      try {
        table.Open(folder.path());
        const std::size_t fields = table.Fields().size();
        for (table.First(); !table.Eof(); table.Next()) {
          for (std::size_t i = 0; i < fields; ++i) {
            try {
              (void)table.Text(i);
              (void)table.Float(i);
            } catch (const RunError&) {
            }
          }
        }
      } catch (const RunError&) {
      }
    }
  }
}

}  // namespace
}  // namespace tto
