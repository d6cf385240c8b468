// The group table GRUPOST: short distinct codes, tutors found in PROFT, descriptions that
// name the teaching, and CURSOST gone.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "intake/Builders.h"
#include "store/RunError.h"
#include "store/Table.h"
#include "store/XmlDocument.h"
#include "tests/intake/IntakeHarness.h"

namespace tto::testing {
namespace {

struct GroupAttributes {
  std::string codigo = "1A";
  std::string denominacion = "1A";
  std::string ensenanza = "";
  std::string turno = "M";
  std::string curso = "1";
  std::string letra = "A";
  std::string tutor = "";
};

std::string Grupo(const GroupAttributes& g) {
  return XmlElement("Grupo", {{"Codigo", g.codigo},
                              {"Denominacion", g.denominacion},
                              {"CodigoEnsenanza", g.ensenanza},
                              {"Turno", g.turno},
                              {"Curso", g.curso},
                              {"Letra", g.letra},
                              {"CodigoTutor", g.tutor}});
}

std::string GrupoCode(const std::string& codigo) {
  return Grupo({.codigo = codigo});
}
std::string GrupoTutor(const std::string& tutor) {
  return Grupo({.tutor = tutor});
}
std::string GrupoTeaching(const std::string& ensenanza) {
  return Grupo({.ensenanza = ensenanza});
}

std::string Ensenanza(const std::string& codigo, const std::string& denominacion) {
  return XmlElement("Ensenanza", {{"Codigo", codigo}, {"Denominacion", denominacion}});
}

std::string Profesor(const std::string& codigo) {
  return XmlElement("Profesor", {{"Codigo", codigo},
                                 {"Nombre", "Ana"},
                                 {"Apellido1", "Gil"},
                                 {"Apellido2", "Sanz"},
                                 {"CodigoDep", ""}});
}

std::string Body(const std::vector<std::string>& grupos,
                 const std::vector<std::string>& ensenanzas = {},
                 const std::vector<std::string>& profesores = {}) {
  std::string body;
  if (!profesores.empty()) body += XmlSection("Profesores", profesores);
  if (!ensenanzas.empty()) body += XmlSection("Ensenanzas", ensenanzas);
  if (!grupos.empty()) body += XmlSection("Grupos", grupos);
  return body;
}

const std::vector<std::string> kGrupostFields = {"ABREV", "TURNO",   "NIVEL", "CURSO",
                                                 "GRUPO", "DESCRIP", "TUTOR"};

struct GroupCase {
  const char* name;
  std::string body;
  std::vector<std::string> fields;
  Columns rows;
};

class Groups : public ::testing::TestWithParam<GroupCase> {};

TEST_P(Groups, WriteOneRowPerGroup) {
  const GroupCase& c = GetParam();
  IntakeHarness harness;
  harness.RunWith(c.body);
  ASSERT_EQ(harness.shell.messages, std::vector<std::string>{"Proceso finalizado"});
  EXPECT_EQ(harness.Read("GRUPOST", c.fields), c.rows);
  harness.ExpectTablesFree({"GRUPOST", "PROFT"});
}

const auto GroupCaseName = [](const ::testing::TestParamInfo<GroupCase>& info) {
  return std::string(info.param.name);
};

std::vector<std::string> Codes(const std::vector<std::string>& codes) {
  std::vector<std::string> grupos;
  for (const std::string& code : codes) grupos.push_back(GrupoCode(code));
  return grupos;
}

Columns Column(const std::vector<std::string>& values) {
  Columns rows;
  for (const std::string& value : values) rows.push_back({value});
  return rows;
}

INSTANTIATE_TEST_SUITE_P(
    Codes, Groups,
    ::testing::Values(GroupCase{"NoGroups", Body({}), {"ABREV"}, {}},
                      GroupCase{"SingleGroupIsLikeNone", Body(Codes({"1A"})), {"ABREV"}, {}},
                      GroupCase{"RepeatedCodeGetsStemAndNumber",
                                Body(Codes({"1A", "1A"})),
                                {"ABREV"},
                                Column({"1A", "1A1"})},
                      GroupCase{"FourCharactersStay",
                                Body(Codes({"2BAC", "2B"})),
                                {"ABREV"},
                                Column({"2BAC", "2B"})},
                      GroupCase{"LongCodeKeepsFirstTwoAndLastTwo",
                                Body(Codes({"1ESOA", "1EPOA"})),
                                {"ABREV"},
                                Column({"1EOA", "1EOA"})},
                      GroupCase{"ShortenedCodeIsNotTestedAgain",
                                Body(Codes({"1ESOA", "1ESOA"})),
                                {"ABREV"},
                                Column({"1EOA", "1EOA"})},
                      GroupCase{"CodeTakenByAShortenedOne",
                                Body(Codes({"1ESOA", "1EOA"})),
                                {"ABREV"},
                                Column({"1EOA", "1EO1"})},
                      GroupCase{"ElevenTimesTheSameCode",
                                Body(Codes(std::vector<std::string>(11, "ABC"))),
                                {"ABREV"},
                                Column({"ABC", "ABC1", "ABC2", "ABC3", "ABC4", "ABC5", "ABC6",
                                        "ABC7", "ABC8", "ABC9", "AB10"})},
                      GroupCase{"LetterCaseIgnoredWhenTaken",
                                Body(Codes({"1a", "1A", "1\xC3\xA9", "1\xC3\x89"})),
                                {"ABREV"},
                                Column({"1a", "1A1", "1\xE9",
                                        "1\xC9"
                                        "1"})},
                      GroupCase{"EveryFieldAsRead",
                                Body({Grupo({.codigo = " 1A ",
                                             .denominacion = " Primero A ",
                                             .ensenanza = " E1 ",
                                             .turno = " Ma\xC3\xB1"
                                                      "ana ",
                                             .curso = " 1\xC2\xBA ",
                                             .letra = " A "}),
                                      Grupo({.codigo = "2B",
                                             .denominacion = std::string(90, 'd'),
                                             .ensenanza = "ABCDEFG",
                                             .turno = "T",
                                             .curso = "2345",
                                             .letra = "BCD"})}),
                                kGrupostFields,
                                {{"1A", "M", "E1", "1\xBA", "A", "Primero A", ""},
                                 {"2B", "T", "ABCDE", "234", "BC", std::string(80, 'd'), ""}}}),
    GroupCaseName);

INSTANTIATE_TEST_SUITE_P(
    Tutors, Groups,
    ::testing::Values(
        GroupCase{"TutorFoundInProft",
                  Body({GrupoTutor("P1"), GrupoTutor("P2"), GrupoTutor("P1")}, {},
                       {Profesor("P1"), Profesor("P2")}),
                  {"TUTOR"},
                  Column({"P1", "P2", "P1"})},
        GroupCase{"TutorNotInProftOrOnlyIgnoringCase",
                  Body({GrupoTutor("P9"), GrupoTutor("p1"), GrupoTutor(""), GrupoTutor("P1")}, {},
                       {Profesor("P1"), Profesor("P2")}),
                  {"TUTOR"},
                  Column({"", "", "", "P1"})},
        GroupCase{"TutorLongerThanAnyAbrevIsNotFound",
                  Body({GrupoTutor("ABCDEFGHIJK"), GrupoTutor("ABCDEFGHIJ")}, {},
                       {Profesor("ABCDEFGHIJK"), Profesor("X")}),
                  {"TUTOR"},
                  Column({"", "ABCDEFGHIJ"})},
        GroupCase{"TutorAgainstTheCodeProftGaveOut",
                  // PROFT renames the second P1 to P11: a tutor P11 is found, while P1
                  // stays the first teacher's.
                  Body({GrupoTutor("P11"), GrupoTutor("P1")}, {}, {Profesor("P1"), Profesor("P1")}),
                  {"TUTOR"},
                  Column({"P11", "P1"})},
        GroupCase{"NoTeachersNoTutors",
                  Body({GrupoTutor("P1"), GrupoTutor("P1")}),
                  {"TUTOR"},
                  Column({"", ""})}),
    GroupCaseName);

INSTANTIATE_TEST_SUITE_P(
    Descriptions, Groups,
    ::testing::Values(
        GroupCase{"MatchingTeachingNamed",
                  Body({GrupoTeaching("E1"), GrupoTeaching("E2")},
                       {Ensenanza("E1", "ESO"), Ensenanza("E2", "Bachillerato")}),
                  {"NIVEL", "DESCRIP"},
                  {{"E1", "1A (ESO)"}, {"E2", "1A (Bachillerato)"}}},
        GroupCase{"OnlyTeachingIsNotLookedUp",
                  Body({GrupoTeaching("E1"), GrupoTeaching("E1")}, {Ensenanza("E1", "ESO")}),
                  {"NIVEL", "DESCRIP"},
                  {{"E1", "1A"}, {"E1", "1A"}}},
        GroupCase{"NoMatchingTeaching",
                  Body({GrupoTeaching("E3"), GrupoTeaching("e1")},
                       {Ensenanza("E1", "ESO"), Ensenanza("E2", "Bachillerato")}),
                  {"NIVEL", "DESCRIP"},
                  {{"E3", "1A"}, {"e1", "1A"}}},
        GroupCase{"EmptyTeachingCodeReadsNoTeaching",
                  Body({GrupoTeaching(""), GrupoTeaching("")},
                       {XmlElement("Ensenanza", {}), Ensenanza("",
                                                               "Vac\xC3\xAD"
                                                               "a")}),
                  {"NIVEL", "DESCRIP"},
                  {{"", "1A"}, {"", "1A"}}},
        GroupCase{"EmptyTeachingName",
                  Body({GrupoTeaching("E1"), GrupoTeaching("E2")},
                       {Ensenanza("E1", ""), Ensenanza("E2", "  ")}),
                  {"DESCRIP"},
                  Column({"1A ()", "1A ()"})},
        GroupCase{"FirstOfRepeatedTeachingCodes",
                  Body({GrupoTeaching("E1"), GrupoTeaching("E2")},
                       {Ensenanza("E1", "ESO"), Ensenanza("E1", "Otra"), Ensenanza("E2", "FP"),
                        XmlElement("Ensenanza", {})}),
                  {"DESCRIP"},
                  Column({"1A (ESO)", "1A (FP)"})},
        GroupCase{"LongTeachingCodeLookedUpWholeAndCut",
                  Body({GrupoTeaching("BACHCT"), GrupoTeaching("BACHC")},
                       {Ensenanza("BACHC", "Corto"), Ensenanza("BACHCT", "Bachillerato")}),
                  {"NIVEL", "DESCRIP"},
                  {{"BACHC", "1A (Bachillerato)"}, {"BACHC", "1A (Corto)"}}},
        GroupCase{
            "DescriptionCutToItsField",
            Body({Grupo({.denominacion = std::string(75, 'd'), .ensenanza = "E1"}),
                  GrupoTeaching("E2")},
                 {Ensenanza("E1", "Educaci\xC3\xB3n Secundaria"), Ensenanza("E2", "\xE2\x82\xAC")}),
            {"DESCRIP"},
            Column({std::string(75, 'd') + " (Edu", "1A (\x80)"})}),
    GroupCaseName);

// Groups are read in full before anything else; a teaching scan stops at the first match
// and fails only where a teaching it reaches lacks what it reads. Rows posted before the
// failing group stay.
TEST(GroupErrors, MissingAttributeEndsTheRunWithTheRowsBefore) {
  struct Case {
    const char* name;
    std::vector<std::string> grupos;
    std::vector<std::string> ensenanzas;
    std::string element;
    std::string attribute;
  };
  const std::string noTutor = XmlElement("Grupo", {{"Codigo", "2A"},
                                                   {"Denominacion", "2A"},
                                                   {"CodigoEnsenanza", ""},
                                                   {"Turno", "M"},
                                                   {"Curso", "2"},
                                                   {"Letra", "A"}});
  const std::vector<Case> cases = {
      {"GroupWithoutTutorCode",
       {GrupoCode("1A"), noTutor, GrupoCode("3A")},
       {},
       "Grupo",
       "CodigoTutor"},
      {"TeachingWithoutCodeBeforeTheMatch",
       {GrupoCode("1A"), Grupo({.codigo = "2A", .ensenanza = "E2"})},
       {Ensenanza("E1", "ESO"), XmlElement("Ensenanza", {{"Denominacion", "X"}}),
        Ensenanza("E2", "FP")},
       "Ensenanza",
       "Codigo"},
      {"TeachingWithoutCodeAndNoMatch",
       {GrupoCode("1A"), Grupo({.codigo = "2A", .ensenanza = "E9"})},
       {Ensenanza("E1", "ESO"), XmlElement("Ensenanza", {{"Denominacion", "X"}})},
       "Ensenanza",
       "Codigo"},
      {"MatchingTeachingWithoutName",
       {GrupoCode("1A"), Grupo({.codigo = "2A", .ensenanza = "E2"})},
       {Ensenanza("E1", "ESO"), XmlElement("Ensenanza", {{"Codigo", "E2"}})},
       "Ensenanza",
       "Denominacion"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IntakeHarness harness;
    harness.RunWith(Body(c.grupos, c.ensenanzas));
    ASSERT_EQ(harness.shell.messages.size(), 1u);
    const std::string& message = harness.shell.messages[0];
    EXPECT_NE(message.find(c.element), std::string::npos) << message;
    EXPECT_NE(message.find(c.attribute), std::string::npos) << message;
    EXPECT_EQ(harness.Read("GRUPOST", {"ABREV"}), Column({"1A"}));
    EXPECT_FALSE(harness.HasTable("DIASHORAST"));
    harness.ExpectTablesFree({"GRUPOST", "PROFT"});
  }
}

// Teachings past the first match, and teachings of a group whose teaching code is empty,
// are never read: a defective one there does no harm.
TEST(GroupErrors, TeachingsTheScanDoesNotReachAreNotRead) {
  IntakeHarness harness;
  harness.RunWith(Body({GrupoTeaching("E1"), GrupoTeaching("")},
                       {Ensenanza("E1", "ESO"), XmlElement("Ensenanza", {})}));
  ASSERT_EQ(harness.shell.messages, std::vector<std::string>{"Proceso finalizado"});
  EXPECT_EQ(harness.Read("GRUPOST", {"DESCRIP"}), Column({"1A (ESO)", "1A"}));
}

TEST(GroupTable, RemovesEveryCaseVariantOfCursost) {
  IntakeHarness harness;
  for (const char* name :
       {"CURSOST.DBF", "cursost.dbf", "CursoSt.Dbf", "CURSOST.MDX", "cursost.mdx", "CURSOSt.mDx"}) {
    harness.exchange.Write(name, "not a table");
  }
  harness.exchange.Write("CURSOST.TXT", "kept");
  harness.RunWith(Body(Codes({"1A", "2A"})));
  ASSERT_EQ(harness.shell.messages, std::vector<std::string>{"Proceso finalizado"});
  EXPECT_TRUE(FindFileIgnoringCase(harness.exchange.path(), "CURSOST.DBF").empty());
  EXPECT_TRUE(FindFileIgnoringCase(harness.exchange.path(), "CURSOST.MDX").empty());
  EXPECT_FALSE(FindFileIgnoringCase(harness.exchange.path(), "CURSOST.TXT").empty());
  EXPECT_TRUE(harness.HasTable("GRUPOST"));
  EXPECT_TRUE(FindFileIgnoringCase(harness.exchange.path(), "GRUPOST.MDX").empty());
}

TEST(GroupTable, SecondRunLeavesNothingOfTheFirst) {
  IntakeHarness harness;
  harness.RunWith(Body(Codes({"1A", "1A", "2B"})));
  harness.RunWith(Body(Codes({"1A"})));
  EXPECT_EQ(harness.shell.messages,
            (std::vector<std::string>{"Proceso finalizado", "Proceso finalizado"}));
  EXPECT_EQ(harness.Read("GRUPOST", {"ABREV"}), Columns{});
}

TEST(GroupTable, MissingTeacherTableEndsTheRunNamingIt) {
  IntakeHarness harness;
  harness.state.DocXML = std::make_unique<XmlDocument>();
  harness.state.DocXML->Load(
      harness.files.Write("centro.xml", SchoolFileXml(Body(Codes({"1A", "2A"})))));
  try {
    CrearTablaGrupos(harness.state);
    FAIL() << "no error";
  } catch (const RunError& error) {
    EXPECT_NE(std::string(error.what()).find("PROFT"), std::string::npos) << error.what();
  }
  EXPECT_EQ(harness.Read("GRUPOST", {"ABREV"}), Columns{});
  EXPECT_FALSE(harness.state.wwTableProfesor.IsOpen());
}

}  // namespace
}  // namespace tto::testing
