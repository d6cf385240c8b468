// The room table AULAT: Velmora's short codes next to the school file's own codes.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/intake/IntakeHarness.h"

namespace tto::testing {
namespace {

std::string Aula(const std::string& codigo, const std::string& denominacion = "Aula") {
  return XmlElement("Aula", {{"Codigo", codigo}, {"Denominacion", denominacion}});
}

std::string RoomBody(const std::vector<std::string>& aulas) {
  return aulas.empty() ? std::string() : XmlSection("Aulas", aulas);
}

struct RoomCase {
  const char* name;
  std::vector<std::string> aulas;
  Columns rows;  // ABREV, NOMBRE, ABREV_GESTION (program text)
};

void PrintTo(const RoomCase& c, std::ostream* os) {
  *os << c.name;
}

class Rooms : public ::testing::TestWithParam<RoomCase> {};

TEST_P(Rooms, WriteOneRowPerRoom) {
  const RoomCase& c = GetParam();
  IntakeHarness harness;
  harness.RunWith(RoomBody(c.aulas));
  ASSERT_EQ(harness.shell.messages, std::vector<std::string>{"Proceso finalizado"});
  EXPECT_EQ(harness.Read("AULAT", {"ABREV", "NOMBRE", "ABREV_GESTION"}), c.rows);
  // EDIFICIO and MAXALUM are Velmora's: never written.
  for (const auto& row : harness.Read("AULAT", {"EDIFICIO", "MAXALUM"})) {
    EXPECT_EQ(row, (std::vector<std::string>{"", ""}));
  }
}

std::vector<std::string> ElevenAbc() {
  return std::vector<std::string>(11, Aula("ABC"));
}

Columns ElevenAbcRows() {
  Columns rows = {{"ABC", "Aula", "ABC"}};
  for (int i = 1; i <= 9; ++i) rows.push_back({"ABC" + std::to_string(i), "Aula", "ABC"});
  rows.push_back({"AB1", "Aula", "ABC"});
  return rows;
}

INSTANTIATE_TEST_SUITE_P(
    Codes, Rooms,
    ::testing::Values(
        RoomCase{"NoRooms", {}, {}}, RoomCase{"SingleRoomIsLikeNone", {Aula("A12")}, {}},
        RoomCase{"ShortCodesStay",
                 {Aula("A12", "Aula 12"), Aula("1234", "Gimnasio")},
                 {{"A12", "Aula 12", "A12"}, {"1234", "Gimnasio", "1234"}}},
        RoomCase{"LongCodesGetTwoCharactersAndNumber",
                 {Aula("AULA12"), Aula("AULA13")},
                 {{"AU1", "Aula", "AULA12"}, {"AU2", "Aula", "AULA13"}}},
        RoomCase{"RepeatedLongCodeIsLongAgain",
                 {Aula("AULA12"), Aula("AULA12")},
                 {{"AU1", "Aula", "AULA12"}, {"AU2", "Aula", "AULA12"}}},
        RoomCase{"RepeatedShortCodeGetsStemAndNumber",
                 {Aula("A12"), Aula("A12")},
                 {{"A12", "Aula", "A12"}, {"A121", "Aula", "A12"}}},
        RoomCase{"LetterCaseIgnored",
                 {Aula("a1"), Aula("A1")},
                 {{"a1", "Aula", "a1"}, {"A11", "Aula", "A1"}}},
        RoomCase{"EmptyCodeTakesStartOfName",
                 {Aula("", "Laboratorio"), Aula(" ", "Lab"), Aula("", "Laboratorio")},
                 {{"Labo", "Laboratorio", ""}, {"Lab", "Lab", ""}, {"Lab1", "Laboratorio", ""}}},
        RoomCase{"EmptyCodeAndName", {Aula("", ""), Aula("", "")}, {{"", "", ""}, {"1", "", ""}}},
        RoomCase{"ElevenRoomsSameCode", ElevenAbc(), ElevenAbcRows()},
        RoomCase{"AccentsAndLongValues",
                 {Aula("LABORATORIO-DE-QUÍMICA-1", "Laboratorio de Química"), Aula("", "Óptica")},
                 {{"LA1", "Laboratorio de Qu\xEDmica",
                   "LABORATORIO-DE-QU\xCD"
                   "MI"},
                  {"\xD3pti", "\xD3ptica", ""}}}),
    [](const ::testing::TestParamInfo<RoomCase>& info) { return info.param.name; });

// A room lacking Denominacion or Codigo ends the run; the rooms posted before stay.
TEST(RoomErrors, RoomLackingAttributeKeepsEarlierRows) {
  for (const std::string attribute : {"Codigo", "Denominacion"}) {
    const std::string other = attribute == "Codigo" ? "Denominacion" : "Codigo";
    IntakeHarness harness;
    harness.RunWith(RoomBody({Aula("A1"), XmlElement("Aula", {{other, "X"}}), Aula("A3")}));
    ASSERT_EQ(harness.shell.messages.size(), 1u);
    EXPECT_NE(harness.shell.messages[0].find(attribute), std::string::npos)
        << harness.shell.messages[0];
    EXPECT_EQ(harness.Read("AULAT", {"ABREV"}), (Columns{{"A1"}}));
    EXPECT_FALSE(harness.HasTable("GRUPOST"));
    harness.ExpectTablesFree({"ASIGNOMT", "PROFT", "AULAT"});
  }
}

}  // namespace
}  // namespace tto::testing
