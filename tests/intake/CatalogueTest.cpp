// The catalogue ASIGNOMT: short codes of subjects and activity types through the shared
// registries CodigosUsados and NombresUsados.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/intake/IntakeHarness.h"

namespace tto::testing {
namespace {

// How the store reads the boolean ESTAREA back as text.
const std::string kTrue = "True";
const std::string kFalse = "False";

std::string Materia(const std::string& codigo, const std::string& denominacion) {
  return XmlElement("Materia", {{"Codigo", codigo}, {"Denominacion", denominacion}});
}

std::string Tipo(const std::string& codigo, const std::string& denominacion) {
  return XmlElement("TipoActividad", {{"Codigo", codigo}, {"Denominacion", denominacion}});
}

std::string CatalogueBody(const std::vector<std::string>& materias,
                          const std::vector<std::string>& tipos) {
  std::string body;
  if (!materias.empty()) body += XmlSection("Materias", materias);
  if (!tipos.empty()) body += XmlSection("TiposActividad", tipos);
  return body;
}

const std::vector<std::string> kCatalogueFields = {"COD",      "CODLARGO", "NOMBRE",
                                                   "CODTAREA", "ESTAREA",  "ABREV_GESTION"};

struct CatalogueCase {
  const char* name;
  std::vector<std::string> materias;
  std::vector<std::string> tipos;
  // COD, CODLARGO, NOMBRE, CODTAREA, ESTAREA, ABREV_GESTION (program text)
  Columns rows;
};

void PrintTo(const CatalogueCase& c, std::ostream* os) {
  *os << c.name;
}

class Catalogue : public ::testing::TestWithParam<CatalogueCase> {};

TEST_P(Catalogue, WritesRowsWithShortCodes) {
  const CatalogueCase& c = GetParam();
  IntakeHarness harness;
  harness.RunWith(CatalogueBody(c.materias, c.tipos));
  ASSERT_EQ(harness.shell.messages, std::vector<std::string>{"Proceso finalizado"});
  EXPECT_EQ(harness.Read("ASIGNOMT", kCatalogueFields), c.rows);
}

const std::string kLongName80 = std::string(80, 'N');

INSTANTIATE_TEST_SUITE_P(
    Rules, Catalogue,
    ::testing::Values(
        CatalogueCase{"NoElements", {}, {}, {}},
        CatalogueCase{"ShortCodesFromSchoolCodes",
                      {Materia("MAT", "Matemáticas"), Materia("LENGUA", "Lengua Castellana"),
                       Materia("ABCD", "Dibujo")},
                      {},
                      {{"MAT", "Matem\xE1ti", "Matem\xE1ticas", "", kFalse, "MAT"},
                       {"LEUA", "Lengua C", "Lengua Castellana", "", kFalse, "LENGUA"},
                       {"ABCD", "Dibujo", "Dibujo", "", kFalse, "ABCD"}}},
        CatalogueCase{"SingleSubjectIsLikeNone",
                      {Materia("MAT", "Matemáticas")},
                      {Tipo("GUA", "Guardia"), Tipo("REU", "Reunión"), Tipo("TUT", "Tutoría")},
                      {{"GUA", "Guardia", "Guardia", "", kTrue, "GUA"},
                       {"REU", "Reuni\xF3n", "Reuni\xF3n", "", kTrue, "REU"},
                       {"TUT",
                        "Tutor\xED"
                        "a",
                        "Tutor\xED"
                        "a",
                        "", kTrue, "TUT"}}},
        CatalogueCase{"SingleActivityTypeIsLikeNone",
                      {Materia("MAT", "Matemáticas"), Materia("FIS", "Física")},
                      {Tipo("GUA", "Guardia")},
                      {{"MAT", "Matem\xE1ti", "Matem\xE1ticas", "", kFalse, "MAT"},
                       {"FIS", "F\xEDsica", "F\xEDsica", "", kFalse, "FIS"}}},
        CatalogueCase{"SameNameShortCodesKeepTheirCodes",
                      {Materia("TUT1", "Tutoría"), Materia("TUT2", "Tutoría")},
                      {},
                      {{"TUT1",
                        "Tutor\xED"
                        "a",
                        "Tutor\xED"
                        "a",
                        "", kFalse, "TUT1"},
                       {"TUT2",
                        "Tutor\xED"
                        "a",
                        "Tutor\xED"
                        "a",
                        "", kFalse, "TUT2"}}},
        CatalogueCase{"SameNameLongCodeFallsBackOnPrefix",
                      {Materia("TUTORIA", "Tutoría"), Materia("TUTORIB", "Tutoría")},
                      {},
                      {{"TUIA",
                        "Tutor\xED"
                        "a",
                        "Tutor\xED"
                        "a",
                        "", kFalse, "TUTORIA"},
                       {"TUTO",
                        "Tutor\xED"
                        "a",
                        "Tutor\xED"
                        "a",
                        "", kFalse, "TUTORIB"}}},
        CatalogueCase{"ListedTwiceWithShortCodeGivesOneRow",
                      {Materia("EF", "Educación Física"), Materia("EF", "Educación Física")},
                      {},
                      {{"EF", "Educaci\xF3", "Educaci\xF3n F\xEDsica", "", kFalse, "EF"}}},
        CatalogueCase{"ListedTwiceWithLongCodeGivesTwoRows",
                      {Materia("LENGUA", "Lengua"), Materia("LENGUA", "Lengua")},
                      {},
                      {{"LEUA", "Lengua", "Lengua", "", kFalse, "LENGUA"},
                       {"LENG", "Lengua", "Lengua", "", kFalse, "LENGUA"}}},
        CatalogueCase{"CodesDifferingInCaseAreDistinct",
                      {Materia("ef", "Educación Física"), Materia("EF", "Ética")},
                      {},
                      {{"ef", "Educaci\xF3", "Educaci\xF3n F\xEDsica", "", kFalse, "ef"},
                       {"EF", "\xC9tica", "\xC9tica", "", kFalse, "EF"}}},
        CatalogueCase{"ShortenedCodeAlreadyTakenGivesNoRow",
                      {Materia("ABCDE", "Primera"), Materia("ABXDE", "Segunda")},
                      {},
                      {{"ABDE", "Primera", "Primera", "", kFalse, "ABCDE"}}},
        CatalogueCase{"TwelveCharacterCodeShortenedAndCut",
                      {Materia("ABCDEFGHIJKL", "Larga"), Materia("X", "Otra")},
                      {},
                      {{"ABKL", "Larga", "Larga", "", kFalse, "ABCDEFGHIJ"},
                       {"X", "Otra", "Otra", "", kFalse, "X"}}},
        CatalogueCase{"BlankCodeOnceThenPrefixTaken",
                      {Materia("  ", "Sin código"), Materia("", "Otra sin código"),
                       Materia("MAT", "Matemáticas")},
                      {},
                      {{"",
                        "Sin c\xF3"
                        "di",
                        "Sin c\xF3"
                        "digo",
                        "", kFalse, ""},
                       {"MAT", "Matem\xE1ti", "Matem\xE1ticas", "", kFalse, "MAT"}}},
        CatalogueCase{
            "NewNameWithTakenPrefixGivesNoRowButIsRegistered",
            {Materia("ABCD", "Dibujo"), Materia("ABCDEF", "Diseño"), Materia("XYZ", "Diseño")},
            {},
            {{"ABCD", "Dibujo", "Dibujo", "", kFalse, "ABCD"},
             {"XYZ", "Dise\xF1o", "Dise\xF1o", "", kFalse, "XYZ"}}},
        CatalogueCase{
            "ActivityTypeMeetsSubjectNameAndCode",
            {Materia("EF", "Educación Física"), Materia("MAT", "Matemáticas")},
            {Tipo("EF", "Educación Física"), Tipo("MAT", "Guardia"), Tipo("REU", "Reunión")},
            {{"EF", "Educaci\xF3", "Educaci\xF3n F\xEDsica", "", kFalse, "EF"},
             {"MAT", "Matem\xE1ti", "Matem\xE1ticas", "", kFalse, "MAT"},
             {"REU", "Reuni\xF3n", "Reuni\xF3n", "", kTrue, "REU"}}},
        CatalogueCase{"ActivityTypesOnly",
                      {},
                      {Tipo("GUARDIA", "Guardia"), Tipo("RD", "Reunión de departamento")},
                      {{"GUIA", "Guardia", "Guardia", "", kTrue, "GUARDIA"},
                       {"RD", "Reuni\xF3n", "Reuni\xF3n de departamento", "", kTrue, "RD"}}},
        CatalogueCase{"AttributeTextIsTrimmed",
                      {Materia(" MAT\t", "  Matemáticas \n"), Materia("FIS ", "Física")},
                      {},
                      {{"MAT", "Matem\xE1ti", "Matem\xE1ticas", "", kFalse, "MAT"},
                       {"FIS", "F\xEDsica", "F\xEDsica", "", kFalse, "FIS"}}},
        CatalogueCase{
            "NamesComparedWholeBeforeTheCut",
            {Materia("MUS001", kLongName80 + "uno"), Materia("MUS002", kLongName80 + "dos")},
            {},
            {{"MU01", "NNNNNNNN", kLongName80, "", kFalse, "MUS001"},
             {"MU02", "NNNNNNNN", kLongName80, "", kFalse, "MUS002"}}},
        CatalogueCase{"CharacterOutsideCodePageBecomesQuestionMark",
                      {Materia("GR", "Griego Ω"), Materia("LAT", "Latín")},
                      {},
                      {{"GR", "Griego ?", "Griego ?", "", kFalse, "GR"},
                       {"LAT", "Lat\xEDn", "Lat\xEDn", "", kFalse, "LAT"}}}),
    [](const ::testing::TestParamInfo<CatalogueCase>& info) { return info.param.name; });

// A Materia or TipoActividad lacking one of its attributes ends the run; the rows posted
// before it stay in the catalogue.
TEST(CatalogueErrors, ElementLackingAttributeKeepsEarlierRows) {
  struct Case {
    std::vector<std::string> materias;
    std::vector<std::string> tipos;
    std::string attribute;
    Columns rows;  // COD
  };
  const std::vector<Case> cases = {
      {{Materia("MAT", "Matemáticas"), XmlElement("Materia", {{"Denominacion", "Física"}})},
       {},
       "Codigo",
       {{"MAT"}}},
      {{Materia("MAT", "Matemáticas"), Materia("FIS", "Física")},
       {Tipo("GUA", "Guardia"), XmlElement("TipoActividad", {{"Codigo", "REU"}})},
       "Denominacion",
       {{"MAT"}, {"FIS"}, {"GUA"}}},
  };
  for (const Case& c : cases) {
    IntakeHarness harness;
    harness.RunWith(CatalogueBody(c.materias, c.tipos));
    ASSERT_EQ(harness.shell.messages.size(), 1u);
    EXPECT_NE(harness.shell.messages[0].find(c.attribute), std::string::npos)
        << harness.shell.messages[0];
    EXPECT_EQ(harness.Read("ASIGNOMT", {"COD"}), c.rows);
    EXPECT_FALSE(harness.HasTable("PROFT"));
  }
}

}  // namespace
}  // namespace tto::testing
