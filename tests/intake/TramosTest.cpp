// The time-slot table DIASHORAST, the length tally COUNTSES and the three session lengths.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "store/Table.h"
#include "tests/intake/IntakeHarness.h"
#include "tests/support/TableRows.h"

namespace tto::testing {
namespace {

std::string Sesion(const std::string& dia, const std::string& inicio, const std::string& fin) {
  return XmlElement("Sesion", {{"Dia", dia}, {"HoraInicio", inicio}, {"HoraFin", fin}});
}

std::string Body(const std::vector<std::string>& sesiones) {
  return sesiones.empty() ? std::string() : XmlSection("Sesiones", sesiones);
}

// Monday sessions of the given lengths in minutes, one after the other from 08:00.
std::vector<std::string> MondayOfLengths(const std::vector<int>& lengths) {
  std::vector<std::string> sesiones;
  int start = 8 * 60;
  auto hhmm = [](int minutes) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", minutes / 60, minutes % 60);
    return std::string(text);
  };
  for (int length : lengths) {
    sesiones.push_back(Sesion("L", hhmm(start), hhmm(start + length)));
    start += length;
  }
  return sesiones;
}

const std::vector<std::string> kSlotFields = {"DIHO",     "DIA",       "TEXTODIA",  "HORA",
                                              "TEXTOHOR", "HORADESDE", "HORAHASTA", "MINUTOS"};

struct SlotCase {
  const char* name;
  std::vector<std::string> sesiones;
  Columns rows;  // kSlotFields
};

class Slots : public ::testing::TestWithParam<SlotCase> {};

TEST_P(Slots, WriteOneRowPerSlotInDayAndTimeOrder) {
  const SlotCase& c = GetParam();
  IntakeHarness harness;
  harness.RunWith(Body(c.sesiones));
  ASSERT_EQ(harness.shell.messages, std::vector<std::string>{"Proceso finalizado"});
  EXPECT_EQ(harness.Read("DIASHORAST", kSlotFields), c.rows);
  // CODDIHO and SESION_ORDEN are never written, PLANTILLA is written empty.
  for (const Row& row : ReadRows(harness.exchange.path(), "DIASHORAST")) {
    EXPECT_EQ(row.at("CODDIHO"), "");
    EXPECT_EQ(row.at("SESION_ORDEN"), "");
    EXPECT_EQ(row.at("PLANTILLA"), "");
  }
  harness.ExpectTablesFree({"DIASHORAST", "COUNTSES"});
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, Slots,
    ::testing::Values(
        SlotCase{"NoSessions", {}, {}},
        SlotCase{"SingleSessionIsLikeNone", {Sesion("L", "08:00", "08:55")}, {}},
        SlotCase{"SortedByDayThenStartThenEnd",
                 {Sesion("M", "09:00", "09:55"), Sesion("L", "10:00", "10:55"),
                  Sesion("M", "08:00", "08:55"), Sesion("L", "08:00", "09:00"),
                  Sesion("L", "08:00", "08:30")},
                 {{"11", "1", "Lunes", "1", "08:00-08:30", "08:00", "08:30", "30"},
                  {"12", "1", "Lunes", "2", "08:00-09:00", "08:00", "09:00", "60"},
                  {"13", "1", "Lunes", "3", "10:00-10:55", "10:00", "10:55", "55"},
                  {"21", "2", "Martes", "1", "08:00-08:55", "08:00", "08:55", "55"},
                  {"22", "2", "Martes", "2", "09:00-09:55", "09:00", "09:55", "55"}}},
        SlotCase{"RepeatedSessionGivesTwoSlots",
                 {Sesion("J", "08:00", "08:55"), Sesion("J", "08:00", "08:55")},
                 {{"41", "4", "Jueves", "1", "08:00-08:55", "08:00", "08:55", "55"},
                  {"42", "4", "Jueves", "2", "08:00-08:55", "08:00", "08:55", "55"}}},
        SlotCase{"EveryDayByItsLetter",
                 {Sesion("D", "10:00", "11:00"), Sesion("S", "10:00", "11:00"),
                  Sesion("V", "10:00", "11:00"), Sesion("J", "10:00", "11:00"),
                  Sesion("X", "10:00", "11:00"), Sesion("M", "10:00", "11:00"),
                  Sesion("L", "10:00", "11:00")},
                 {{"11", "1", "Lunes", "1", "10:00-11:00", "10:00", "11:00", "60"},
                  {"21", "2", "Martes", "1", "10:00-11:00", "10:00", "11:00", "60"},
                  {"31", "3", "Mi\xE9rcoles", "1", "10:00-11:00", "10:00", "11:00", "60"},
                  {"41", "4", "Jueves", "1", "10:00-11:00", "10:00", "11:00", "60"},
                  {"51", "5", "Viernes", "1", "10:00-11:00", "10:00", "11:00", "60"},
                  {"61", "6",
                   "S\xE1"
                   "bado",
                   "1", "10:00-11:00", "10:00", "11:00", "60"},
                  {"71", "7", "Domingo", "1", "10:00-11:00", "10:00", "11:00", "60"}}},
        SlotCase{"FullDayNamesCountByTheirFirstLetter",
                 {Sesion("Martes", "09:00", "10:00"), Sesion("Miércoles", "08:00", "09:00"),
                  Sesion(" Lunes ", "08:00", "09:00")},
                 {{"11", "1", "Lunes", "1", "08:00-09:00", "08:00", "09:00", "60"},
                  {"21", "2", "Martes", "1", "08:00-09:00", "08:00", "09:00", "60"},
                  {"22", "2", "Martes", "2", "09:00-10:00", "09:00", "10:00", "60"}}},
        SlotCase{"EmptyOrBlankDayPassedOver",
                 {Sesion("", "", ""), Sesion("L", "08:00", "09:00"), Sesion("   ", "x", "y"),
                  XmlElement("Sesion", {{"Dia", " "}}), Sesion("L", "09:00", "10:00")},
                 {{"11", "1", "Lunes", "1", "08:00-09:00", "08:00", "09:00", "60"},
                  {"12", "1", "Lunes", "2", "09:00-10:00", "09:00", "10:00", "60"}}},
        SlotCase{"EndBeforeStartGivesNegativeMinutes",
                 {Sesion("L", "10:00", "09:30"), Sesion("L", "08:00", "08:00")},
                 {{"11", "1", "Lunes", "1", "08:00-08:00", "08:00", "08:00", "0"},
                  {"12", "1", "Lunes", "2", "10:00-09:30", "10:00", "09:30", "-30"}}}),
    [](const ::testing::TestParamInfo<SlotCase>& info) { return std::string(info.param.name); });

TEST(SlotTable, TenthSlotOfADayHasTwoDigitNumber) {
  IntakeHarness harness;
  std::vector<std::string> sesiones = MondayOfLengths(std::vector<int>(11, 30));
  sesiones.push_back(Sesion("M", "08:00", "08:30"));
  harness.RunWith(Body(sesiones));
  ASSERT_EQ(harness.shell.messages, std::vector<std::string>{"Proceso finalizado"});
  const Columns rows = harness.Read("DIASHORAST", {"DIHO", "HORA", "TEXTOHOR"});
  ASSERT_EQ(rows.size(), 12u);
  EXPECT_EQ(rows[8], (std::vector<std::string>{"19", "9", "12:00-12:30"}));
  EXPECT_EQ(rows[9], (std::vector<std::string>{"110", "10", "12:30-13:00"}));
  EXPECT_EQ(rows[10], (std::vector<std::string>{"111", "11", "13:00-13:30"}));
  EXPECT_EQ(rows[11], (std::vector<std::string>{"21", "1", "08:00-08:30"}));
}

struct TallyCase {
  const char* name;
  std::vector<std::string> sesiones;
  Columns countses;  // DURACION, NSES
  int duracion1, duracion2, duracion3;
};

class LengthTally : public ::testing::TestWithParam<TallyCase> {};

TEST_P(LengthTally, CountsLengthsInOrderOfFirstOccurrence) {
  const TallyCase& c = GetParam();
  IntakeHarness harness;
  harness.state.Duracion1 = harness.state.Duracion2 = harness.state.Duracion3 = 99;
  harness.RunWith(Body(c.sesiones));
  ASSERT_EQ(harness.shell.messages, std::vector<std::string>{"Proceso finalizado"});
  EXPECT_EQ(harness.Read("COUNTSES", {"DURACION", "NSES"}), c.countses);
  EXPECT_EQ(harness.state.Duracion1, c.duracion1);
  EXPECT_EQ(harness.state.Duracion2, c.duracion2);
  EXPECT_EQ(harness.state.Duracion3, c.duracion3);
  // The index is written with the table, so Velmora finds COUNTSES.MDX beside it.
  EXPECT_FALSE(FindFileIgnoringCase(harness.exchange.path(), "COUNTSES.MDX").empty());
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, LengthTally,
    ::testing::Values(
        TallyCase{"NoSessions", {}, {}, 0, 0, 0},
        TallyCase{"SingleSessionIsLikeNone", {Sesion("L", "08:00", "08:55")}, {}, 0, 0, 0},
        TallyCase{"FirstThreeLengthsMet",
                  MondayOfLengths({55, 55, 50, 60, 50}),
                  {{"55", "2"}, {"50", "2"}, {"60", "1"}},
                  55,
                  50,
                  60},
        TallyCase{"OneLengthOnly", MondayOfLengths({45, 45, 45}), {{"45", "3"}}, 45, 0, 0},
        TallyCase{"FourthLengthNotASessionLength",
                  MondayOfLengths({30, 45, 50, 60, 60, 60}),
                  {{"30", "1"}, {"45", "1"}, {"50", "1"}, {"60", "3"}},
                  30,
                  45,
                  50},
        TallyCase{"SlotOrderNotDocumentOrder",
                  {Sesion("M", "08:00", "09:00"), Sesion("L", "09:00", "09:50"),
                   Sesion("L", "08:00", "08:55")},
                  {{"55", "1"}, {"50", "1"}, {"60", "1"}},
                  55,
                  50,
                  60},
        TallyCase{
            "FirstSlotOfNoLength", MondayOfLengths({0, 50}), {{"0", "1"}, {"50", "1"}}, 0, 50, 0},
        TallyCase{"NegativeLengthTallied",
                  {Sesion("L", "10:00", "09:30"), Sesion("L", "11:00", "10:30"),
                   Sesion("M", "08:00", "08:55")},
                  {{"-30", "2"}, {"55", "1"}},
                  -30,
                  55,
                  0}),
    [](const ::testing::TestParamInfo<TallyCase>& info) { return std::string(info.param.name); });

// A later run with fewer than two sessions leaves nothing of an earlier run's slots: the
// tables and the slot list are empty and the lengths are 0.
TEST(SlotTable, SecondRunWithFewerThanTwoSessionsStartsAfresh) {
  IntakeHarness harness;
  harness.RunWith(Body(MondayOfLengths({55, 50, 60})));
  ASSERT_EQ(harness.Read("DIASHORAST", {"DIHO"}).size(), 3u);
  for (const std::vector<std::string>& sesiones :
       {std::vector<std::string>{Sesion("L", "08:00", "09:00")}, std::vector<std::string>{}}) {
    harness.RunWith(Body(MondayOfLengths({55, 50, 60})));
    harness.RunWith(Body(sesiones));
    EXPECT_EQ(harness.Read("DIASHORAST", {"DIHO"}), Columns{});
    EXPECT_EQ(harness.Read("COUNTSES", {"DURACION"}), Columns{});
    EXPECT_TRUE(harness.state.ListBoxPlanti.empty());
    EXPECT_EQ(harness.state.Duracion1, 0);
    EXPECT_EQ(harness.state.Duracion2, 0);
    EXPECT_EQ(harness.state.Duracion3, 0);
  }
  EXPECT_EQ(harness.shell.messages, std::vector<std::string>(5, "Proceso finalizado"));
}

TEST(SlotTable, SlotListKeepsEqualEntriesSorted) {
  IntakeHarness harness;
  harness.RunWith(Body({Sesion("M", "08:00", "09:00"), Sesion("L", "09:00", "10:00"),
                        Sesion("M", "08:00", "09:00")}));
  EXPECT_EQ(harness.state.ListBoxPlanti,
            (std::vector<std::string>{"109:0010:00 09:00-10:00", "208:0009:00 08:00-09:00",
                                      "208:0009:00 08:00-09:00"}));
}

// Errors while the sessions are collected: DIASHORAST has been rebuilt and stays empty;
// COUNTSES and the session lengths keep what the earlier run left.
TEST(SlotErrors, SessionThatCannotBeReadEndsTheRunBeforeAnySlot) {
  struct Case {
    const char* name;
    std::string badSession;
    std::vector<std::string> expectedInMessage;
  };
  const std::vector<Case> cases = {
      {"DayLetterUnknown",
       Sesion("Quarta", "08:00", "09:00"),
       {"'Quarta'", "sesi\xF3n 3", "l\xEDnea 6", "L, M, X, J, V, S, D"}},
      {"LowerCaseDayLetter", Sesion("lunes", "08:00", "09:00"), {"'lunes'", "sesi\xF3n 3"}},
      {"DigitForADay", Sesion("1", "08:00", "09:00"), {"'1'", "sesi\xF3n 3"}},
      {"NoDay",
       XmlElement("Sesion", {{"HoraInicio", "08:00"}, {"HoraFin", "09:00"}}),
       {"Sesion", "Dia"}},
      {"DayWithoutEnd",
       XmlElement("Sesion", {{"Dia", "L"}, {"HoraInicio", "08:00"}}),
       {"Sesion", "HoraFin"}},
      {"DayWithoutStart",
       XmlElement("Sesion", {{"Dia", "L"}, {"HoraFin", "08:00"}}),
       {"Sesion", "HoraInicio"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IntakeHarness harness;
    harness.RunWith(Body(MondayOfLengths({55, 50})));
    harness.RunWith(Body({Sesion("L", "08:00", "08:30"), Sesion("M", "08:00", "08:30"),
                          c.badSession, Sesion("X", "08:00", "08:30")}));
    ASSERT_EQ(harness.shell.messages.size(), 2u);
    const std::string& message = harness.shell.messages[1];
    for (const std::string& part : c.expectedInMessage) {
      EXPECT_NE(message.find(part), std::string::npos) << message << " lacks " << part;
    }
    EXPECT_TRUE(harness.HasTable("DIASHORAST"));
    EXPECT_EQ(harness.Read("DIASHORAST", {"DIHO"}), Columns{});
    EXPECT_EQ(harness.Read("COUNTSES", {"DURACION", "NSES"}), (Columns{{"55", "1"}, {"50", "1"}}));
    EXPECT_EQ(harness.state.Duracion1, 55);
    EXPECT_EQ(harness.state.Duracion2, 50);
    harness.ExpectTablesFree({"DIASHORAST", "COUNTSES"});
  }
}

// Times that are not HH:MM shift the fixed positions of the slot entry. Where a piece then
// does not read as an integer the run ends with the conversion error, after the slots
// sorted before it; where every piece still reads, the slot is written as cut.
TEST(SlotErrors, TimeNotHhMmEndsTheRunWhereItsPieceIsRead) {
  struct Case {
    const char* name;
    std::string inicio, fin;
    std::string message;
    Columns rows;  // DIHO, TEXTOHOR, MINUTOS
  };
  const Columns before = {{"11", "08:00-08:30", "30"}, {"12", "08:30-09:00", "30"}};
  const std::vector<Case> cases = {
      {"OneDigitStartHour", "8:00", "09:00", "'8:' no es un valor entero v\xE1lido", before},
      {"OneDigitEndHour", "09:00", "9:30", "'9:' no es un valor entero v\xE1lido", before},
      // "1 -" sorts before every entry that has a time.
      {"Empty", "", "", "' -' no es un valor entero v\xE1lido", {}},
      {"Letters", "ab:cd", "09:00", "'ab' no es un valor entero v\xE1lido", before},
      {"Seconds", "09:00:00", "10:00:00", "':0' no es un valor entero v\xE1lido", before},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IntakeHarness harness;
    harness.RunWith(Body(MondayOfLengths({55, 50})));
    harness.RunWith(Body({Sesion("L", "08:00", "08:30"), Sesion("L", "08:30", "09:00"),
                          Sesion("L", c.inicio, c.fin), Sesion("M", "08:00", "09:00")}));
    ASSERT_EQ(harness.shell.messages.size(), 2u);
    EXPECT_EQ(harness.shell.messages[1], c.message);
    EXPECT_EQ(harness.Read("DIASHORAST", {"DIHO", "TEXTOHOR", "MINUTOS"}), c.rows);
    EXPECT_EQ(harness.Read("COUNTSES", {"DURACION", "NSES"}), (Columns{{"55", "1"}, {"50", "1"}}));
    EXPECT_EQ(harness.state.Duracion1, 55);
    EXPECT_EQ(harness.state.Duracion2, 50);
    harness.ExpectTablesFree({"DIASHORAST", "COUNTSES"});
  }
}

TEST(SlotTable, TimesInAnotherFormThatStillCutIntoIntegersAreWrittenAsCut) {
  IntakeHarness harness;
  harness.RunWith(Body({Sesion("L", "08h00", "09h00"), Sesion("L", "10:00", "10:30")}));
  ASSERT_EQ(harness.shell.messages, std::vector<std::string>{"Proceso finalizado"});
  EXPECT_EQ(harness.Read("DIASHORAST", {"DIHO", "TEXTOHOR", "HORADESDE", "MINUTOS"}),
            (Columns{{"11", "08h00-09h00", "08h00", "60"}, {"12", "10:00-10:30", "10:00", "30"}}));
}

}  // namespace
}  // namespace tto::testing
