// The teacher table PROFT: distinct codes ignoring letter case, full names, departments.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/intake/IntakeHarness.h"

namespace tto::testing {
namespace {

std::string Profesor(const std::string& codigo, const std::string& nombre = "Ana",
                     const std::string& apellido1 = "Gil", const std::string& apellido2 = "Sanz",
                     const std::string& codigoDep = "") {
  return XmlElement("Profesor", {{"Codigo", codigo},
                                 {"Nombre", nombre},
                                 {"Apellido1", apellido1},
                                 {"Apellido2", apellido2},
                                 {"CodigoDep", codigoDep}});
}

std::string Dep(const std::string& codigoDep) {
  return Profesor("P", "Ana", "Gil", "Sanz", codigoDep);
}

std::string Departamento(const std::string& codigo, const std::string& denominacion) {
  return XmlElement("Departamento", {{"Codigo", codigo}, {"Denominacion", denominacion}});
}

std::string TeacherBody(const std::vector<std::string>& profesores,
                        const std::vector<std::string>& departamentos) {
  std::string body;
  if (!profesores.empty()) body += XmlSection("Profesores", profesores);
  if (!departamentos.empty()) body += XmlSection("Departamentos", departamentos);
  return body;
}

const std::string kAnaGilSanz = "Ana, Gil Sanz";

struct TeacherCase {
  const char* name;
  std::vector<std::string> profesores;
  std::vector<std::string> departamentos;
  Columns rows;  // ABREV, NOMBRE, DEPART (program text)
};

void PrintTo(const TeacherCase& c, std::ostream* os) {
  *os << c.name;
}

class Teachers : public ::testing::TestWithParam<TeacherCase> {};

TEST_P(Teachers, WriteOneRowPerTeacher) {
  const TeacherCase& c = GetParam();
  IntakeHarness harness;
  harness.RunWith(TeacherBody(c.profesores, c.departamentos));
  ASSERT_EQ(harness.shell.messages, std::vector<std::string>{"Proceso finalizado"});
  EXPECT_EQ(harness.Read("PROFT", {"ABREV", "NOMBRE", "DEPART"}), c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, Teachers,
    ::testing::Values(
        TeacherCase{"NoTeachers", {}, {}, {}},
        TeacherCase{"SingleTeacherIsLikeNone", {Profesor("1234")}, {}, {}},
        TeacherCase{
            "RepeatedCodeGetsStemAndNumber",
            {Profesor("1234"), Profesor("1234"), Profesor("1234")},
            {},
            {{"1234", kAnaGilSanz, ""}, {"1231", kAnaGilSanz, ""}, {"1232", kAnaGilSanz, ""}}},
        TeacherCase{"StemSkipsTakenNumber",
                    {Profesor("12"), Profesor("121"), Profesor("12")},
                    {},
                    {{"12", kAnaGilSanz, ""}, {"121", kAnaGilSanz, ""}, {"122", kAnaGilSanz, ""}}},
        TeacherCase{"LetterCaseIgnored",
                    {Profesor("ABC"), Profesor("abc"), Profesor("JOSÉ"), Profesor("josé")},
                    {},
                    {{"ABC", kAnaGilSanz, ""},
                     {"abc1", kAnaGilSanz, ""},
                     {"JOS\xC9", kAnaGilSanz, ""},
                     {"jos1", kAnaGilSanz, ""}}},
        TeacherCase{"EmptyCodes",
                    {Profesor(""), Profesor("  ")},
                    {},
                    {{"", kAnaGilSanz, ""}, {"1", kAnaGilSanz, ""}}},
        TeacherCase{"ElevenCharacterCodesComparedWholeAndCut",
                    {Profesor("ABCDEFGHIJK"), Profesor("ABCDEFGHIJX")},
                    {},
                    {{"ABCDEFGHIJ", kAnaGilSanz, ""}, {"ABCDEFGHIJ", kAnaGilSanz, ""}}},
        TeacherCase{"AttributeTextIsTrimmed",
                    {Profesor(" 1234 ", " Ana ", " Gil ", " Sanz ", " 7 "), Profesor("99")},
                    {},
                    {{"1234", kAnaGilSanz, "7"}, {"99", kAnaGilSanz, ""}}}),
    [](const ::testing::TestParamInfo<TeacherCase>& info) { return info.param.name; });

const std::string kLong = std::string(60, 'x');

INSTANTIATE_TEST_SUITE_P(
    Names, Teachers,
    ::testing::Values(TeacherCase{"FullNameJoinsItsParts",
                                  {Profesor("1", "X", "Y", "Z"), Profesor("2", "X", "", "Z"),
                                   Profesor("3", "", "Y", "Z"), Profesor("4", "X", "Y", ""),
                                   Profesor("5", "José María", "Peñalver", "Núñez")},
                                  {},
                                  {{"1", "X, Y Z", ""},
                                   {"2", "X,  Z", ""},
                                   {"3", ", Y Z", ""},
                                   {"4", "X, Y", ""},
                                   {"5",
                                    "Jos\xE9 Mar\xED"
                                    "a, Pe\xF1"
                                    "alver N\xFA\xF1"
                                    "ez",
                                    ""}}},
                      TeacherCase{"LongValuesCutByTheStore",
                                  {Profesor("1", kLong, kLong, kLong, "D"), Profesor("2")},
                                  {Departamento("D", kLong), Departamento("E", "Otro")},
                                  {{"1", (kLong + ", " + kLong).substr(0, 80), kLong.substr(0, 40)},
                                   {"2", kAnaGilSanz, ""}}}),
    [](const ::testing::TestParamInfo<TeacherCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Departments, Teachers,
    ::testing::Values(
        TeacherCase{"FirstExactMatchGivesTheName",
                    {Dep(""), Dep("7"), Dep("8"), Dep("9"), Dep("A"), Dep("a")},
                    {Departamento("7", "Matemáticas"), Departamento("8", "Lengua"),
                     Departamento("7", "Repetido"), Departamento("a", "Artes")},
                    {{"P", kAnaGilSanz, ""},
                     {"P1", kAnaGilSanz, "Matem\xE1ticas"},
                     {"P2", kAnaGilSanz, "Lengua"},
                     {"P3", kAnaGilSanz, "9"},
                     {"P4", kAnaGilSanz, "A"},
                     {"P5", kAnaGilSanz, "Artes"}}},
        TeacherCase{"OnlyDepartmentIsNotLookedUp",
                    {Dep("7"), Dep("")},
                    {Departamento("7", "Matemáticas")},
                    {{"P", kAnaGilSanz, "7"}, {"P1", kAnaGilSanz, ""}}},
        TeacherCase{"OnlyDepartmentMayLackItsAttributes",
                    {Dep("7"), Dep("8")},
                    {XmlElement("Departamento", {})},
                    {{"P", kAnaGilSanz, "7"}, {"P1", kAnaGilSanz, "8"}}},
        TeacherCase{"DepartmentsPastTheMatchAreNotRead",
                    {Dep("7"), Dep("")},
                    {Departamento("7", "Matemáticas"), XmlElement("Departamento", {})},
                    {{"P", kAnaGilSanz, "Matem\xE1ticas"}, {"P1", kAnaGilSanz, ""}}},
        TeacherCase{"EmptyDepartmentCodeReadsNoDepartment",
                    {Dep(""), Dep("")},
                    {XmlElement("Departamento", {}), Departamento("7", "Matemáticas")},
                    {{"P", kAnaGilSanz, ""}, {"P1", kAnaGilSanz, ""}}},
        TeacherCase{"NameOfAnotherDepartmentIsNotRead",
                    {Dep("8"), Dep("")},
                    {XmlElement("Departamento", {{"Codigo", "7"}}), Departamento("8", "Lengua")},
                    {{"P", kAnaGilSanz, "Lengua"}, {"P1", kAnaGilSanz, ""}}}),
    [](const ::testing::TestParamInfo<TeacherCase>& info) { return info.param.name; });

// A department scan that meets a department without Codigo, or a matching department
// without Denominacion, ends the run; the teachers posted before stay in PROFT.
TEST(TeacherErrors, DepartmentLackingWhatTheScanReadsEndsTheRun) {
  struct Case {
    std::vector<std::string> departamentos;
    std::string codigoDep;
    std::string attribute;
  };
  const std::vector<Case> cases = {
      {{XmlElement("Departamento", {{"Denominacion", "Sin código"}}), Departamento("7", "M")},
       "7",
       "Codigo"},
      {{Departamento("7", "M"), XmlElement("Departamento", {{"Denominacion", "Sin código"}})},
       "9",
       "Codigo"},
      {{Departamento("8", "L"), XmlElement("Departamento", {{"Codigo", "7"}})},
       "7",
       "Denominacion"},
  };
  for (const Case& c : cases) {
    IntakeHarness harness;
    harness.RunWith(TeacherBody({Dep(""), Dep(c.codigoDep), Dep("")}, c.departamentos));
    ASSERT_EQ(harness.shell.messages.size(), 1u) << c.attribute;
    const std::string& message = harness.shell.messages[0];
    EXPECT_NE(message.find("Departamento"), std::string::npos) << message;
    EXPECT_NE(message.find(c.attribute), std::string::npos) << message;
    EXPECT_EQ(harness.Read("PROFT", {"ABREV", "DEPART"}), (Columns{{"P", ""}}));
    EXPECT_FALSE(harness.HasTable("AULAT"));
    harness.ExpectTablesFree({"ASIGNOMT", "PROFT"});
  }
}

}  // namespace
}  // namespace tto::testing
