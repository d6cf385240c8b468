// Two dBase engines that are not ours, TDbf and dbfread, read the group, time-slot,
// length-tally and teaching-load tables an intake run writes as we wrote them; TDbf also
// walks and searches COUNTSES through its production index.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "store/MdxIndex.h"
#include "tests/intake/IntakeHarness.h"
#include "tests/support/IndependentReaders.h"

namespace tto::testing {
namespace {

std::string Grupo(const std::string& codigo, const std::string& ensenanza, const std::string& tutor,
                  const std::vector<std::string>& materias) {
  std::string element = XmlElement("Grupo", {{"Codigo", codigo},
                                             {"Denominacion", codigo + " Peñalara"},
                                             {"CodigoEnsenanza", ensenanza},
                                             {"Turno", "Mañana"},
                                             {"Curso", "1º"},
                                             {"Letra", "Ñ"},
                                             {"CodigoTutor", tutor}});
  element.erase(element.size() - 2);
  return element + ">" + XmlSection("MateriasGrupo", materias) + "</Grupo>";
}

std::string MateriaGrupo(const std::string& codigo, const std::string& horas) {
  return XmlElement("MateriaGrupo", {{"Codigo", codigo}, {"Horas", horas}});
}

std::string Sesion(const std::string& dia, const std::string& inicio, const std::string& fin) {
  return XmlElement("Sesion", {{"Dia", dia}, {"HoraInicio", inicio}, {"HoraFin", fin}});
}

const std::string kSchool =
    XmlSection("Profesores", {XmlElement("Profesor", {{"Codigo", "P1"},
                                                      {"Nombre", "Ana"},
                                                      {"Apellido1", "Gil"},
                                                      {"Apellido2", "Sanz"},
                                                      {"CodigoDep", ""}}),
                              XmlElement("Profesor", {{"Codigo", "P2"},
                                                      {"Nombre", "Luis"},
                                                      {"Apellido1", "Gil"},
                                                      {"Apellido2", "Sanz"},
                                                      {"CodigoDep", ""}})}) +
    XmlSection(
        "Ensenanzas",
        {XmlElement("Ensenanza", {{"Codigo", "ESO"}, {"Denominacion", "Educación Secundaria"}}),
         XmlElement("Ensenanza", {{"Codigo", "BACHILLER"}, {"Denominacion", "Bachillerato"}})}) +
    XmlSection("Grupos", {Grupo("1ESOA", "ESO", "P1",
                                {MateriaGrupo("MATEMÁTICAS", "04,00"), MateriaGrupo("LEN", "1,500"),
                                 MateriaGrupo("TUT", "00,00"), MateriaGrupo("OPT", "20,00")}),
                          Grupo("1ESOA", "BACHILLER", "p2", {MateriaGrupo("ING", "02,50")}),
                          Grupo("2B", "", "", {MateriaGrupo("FIS", "01,33")})}) +
    XmlSection("Sesiones", {Sesion("Miércoles", "08:00", "08:55"), Sesion("S", "09:00", "08:30"),
                            Sesion("L", "08:00", "08:50"), Sesion("L", "08:50", "09:45"),
                            Sesion("D", "10:00", "10:55"), Sesion("V", "11:00", "11:55"),
                            Sesion("X", "12:00", "12:55")});

struct TableLevel {
  const char* table;
  int level;
};

TEST(GroupSlotLoadTablesForOtherEngines, IndependentReadersSeeWhatTheRunWrote) {
  IntakeHarness harness;
  harness.RunWith(kSchool);
  ASSERT_EQ(harness.shell.messages, std::vector<std::string>{"Proceso finalizado"});

  // Level 7 where a field name is longer than ten characters (SESION_ORDEN, ASIG_GESTION).
  for (const TableLevel& t : {TableLevel{"GRUPOST", 4}, TableLevel{"DIASHORAST", 7},
                              TableLevel{"COUNTSES", 4}, TableLevel{"ASIGT", 7}}) {
    SCOPED_TRACE(t.table);
    const std::filesystem::path dbf = harness.exchange / (std::string(t.table) + ".DBF");
    ASSERT_FALSE(harness.Read(t.table, {}).empty());
    ExpectIndependentReadersAgree(dbf);
    EXPECT_EQ(ReadWithTdbf(dbf).level, t.level);
  }

  for (const auto& [table, field] :
       {std::pair<const char*, const char*>{"DIASHORAST", "SESION_ORDEN"},
        {"ASIGT", "ASIG_GESTION"}}) {
    const ReaderView view = ReadWithTdbf(harness.exchange / (std::string(table) + ".DBF"));
    EXPECT_TRUE(std::any_of(view.fields.begin(), view.fields.end(),
                            [&](const ReaderField& f) { return f.name == field; }))
        << table << " lacks " << field;
  }
}

// Velmora opens COUNTSES with its production index: the one tag NSES, on NSES, walks the
// lengths from the rarest to the most frequent and finds a count.
TEST(GroupSlotLoadTablesForOtherEngines, CountsesIndexIsReadByTdbf) {
  IntakeHarness harness;
  harness.RunWith(kSchool);
  ASSERT_EQ(harness.shell.messages, std::vector<std::string>{"Proceso finalizado"});
  EXPECT_EQ(harness.Read("COUNTSES", {"DURACION", "NSES"}),
            (Columns{{"50", "1"}, {"55", "5"}, {"-30", "1"}}));

  const std::filesystem::path dbf = harness.exchange / "COUNTSES.DBF";
  const std::vector<mdx::TagDefinition> tags =
      mdx::ReadTagDefinitions(harness.exchange / "COUNTSES.MDX");
  ASSERT_EQ(tags.size(), 1u);
  EXPECT_EQ(tags[0].name, "NSES");
  EXPECT_EQ(tags[0].field, "NSES");
  EXPECT_EQ(ReadWithTdbf(dbf).tags, std::vector<std::string>{"NSES"});
  EXPECT_EQ(TdbfTagOrder(dbf, "NSES"), (std::vector<std::string>{"50 | 1", "-30 | 1", "55 | 5"}));
  EXPECT_EQ(TdbfFindKey(dbf, "NSES", "5"), 2u);
  EXPECT_EQ(TdbfFindKey(dbf, "NSES", "2"), std::nullopt);
}

}  // namespace
}  // namespace tto::testing
