// The teaching-load table ASIGT: one row per subject of each group, with its load in
// sessions worked in single precision from the hours and the session lengths.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "intake/Builders.h"
#include "intake/TeachingLoad.h"
#include "store/RegionalSettings.h"
#include "store/RunError.h"
#include "store/XmlDocument.h"
#include "tests/intake/IntakeHarness.h"

namespace tto::testing {
namespace {

// ---------------------------------------------------------------------------------------
// The load of one subject.

struct LoadCase {
  const char* hours;
  SessionLengths lengths;
  float load;
};

TEST(TeachingLoadRule, WorksTheLoadAsVelmoraDoes) {
  const std::vector<LoadCase> cases = {
      // Whole hours (characters 4 and 5 are "00") stand as they are.
      {"04,00", {}, 4.0f},
      {"04,00", {55, 50, 60}, 4.0f},
      {"10,00", {50, 0, 0}, 10.0f},
      {"1,500", {50, 0, 0}, 1.5f},
      {"00,00", {}, 1.0f},
      {"00,00", {50, 0, 0}, 1.0f},
      // 150 minutes: the first length that divides, else rounded up hours.
      {"02,50", {50, 0, 0}, 3.0f},
      {"02,50", {55, 50, 0}, 3.0f},
      {"02,50", {55, 0, 0}, 3.0f},
      {"02,50", {45, 40, 60}, 3.0f},
      {"02,5", {50, 0, 0}, 3.0f},
      // 75 minutes: the second or third length when the first does not divide.
      {"01,25", {50, 25, 0}, 3.0f},
      {"01,25", {50, 20, 25}, 3.0f},
      {"01,25", {50, 0, 25}, 3.0f},
      {"01,25", {50, 20, 0}, 2.0f},
      // 79.8 minutes: no length divides.
      {"01,33", {55, 50, 60}, 2.0f},
      {"01,33", {1, 2, 3}, 2.0f},
      // One-digit hour: characters 4 and 5 are not "00", so 240 minutes.
      {"4,00", {60, 0, 0}, 4.0f},
      {"4,00", {30, 0, 0}, 8.0f},
      {"4,00", {55, 50, 0}, 4.0f},
      // Single precision: 0.1 h is 6 minutes exactly once stored, 1.1 h is 66.
      {"00,10", {3, 0, 0}, 2.0f},
      {"01,10", {66, 0, 0}, 1.0f},
      // No first length: no length divides, whatever the others.
      {"02,50", {0, 0, 0}, 3.0f},
      {"00,50", {0, 15, 0}, 1.0f},
      // A negative length (a slot ending before it starts) divides like any other.
      {"02,50", {-50, 0, 0}, -3.0f},
  };
  for (const LoadCase& c : cases) {
    EXPECT_EQ(TeachingLoad(c.hours, c.lengths), c.load)
        << c.hours << " with " << c.lengths.first << ", " << c.lengths.second << ", "
        << c.lengths.third;
  }
}

TEST(TeachingLoadRule, HoursThatAreNotANumberEndTheRun) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"abc", "'abc' no es un valor punto flotante v\xE1lido"},
      {"", "'' no es un valor punto flotante v\xE1lido"},
      {"02.50", "'02.50' no es un valor punto flotante v\xE1lido"},
      {"2,5h", "'2,5h' no es un valor punto flotante v\xE1lido"},
  };
  for (const auto& [hours, message] : cases) {
    try {
      TeachingLoad(hours, {50, 0, 0});
      ADD_FAILURE() << "no error for " << hours;
    } catch (const RunError& error) {
      EXPECT_EQ(std::string(error.what()), message);
    }
  }
  // Far beyond any week: a clear error instead of an overflow.
  for (const char* hours : {"99999999,00", "1e30", "-1e30"}) {
    try {
      TeachingLoad(hours, {50, 0, 0});
      ADD_FAILURE() << "no error for " << hours;
    } catch (const RunError& error) {
      EXPECT_NE(std::string(error.what()).find(hours), std::string::npos) << error.what();
    }
  }
}

class RegionalSeparator {
 public:
  explicit RegionalSeparator(char separator) : saved_(CurrentRegionalSettings()) {
    RegionalSettings settings = saved_;
    settings.decimalSeparator = separator;
    SetCurrentRegionalSettings(settings);
  }
  ~RegionalSeparator() { SetCurrentRegionalSettings(saved_); }

 private:
  RegionalSettings saved_;
};

TEST(TeachingLoadRule, HoursReadWithTheRegionalDecimalSeparator) {
  RegionalSeparator point('.');
  EXPECT_EQ(TeachingLoad("02.50", {50, 0, 0}), 3.0f);
  EXPECT_EQ(TeachingLoad("04.00", {50, 0, 0}), 4.0f);
  EXPECT_THROW(TeachingLoad("02,50", {50, 0, 0}), RunError);
}

TEST(SessionPatternRule, OnesUpToThirteenThenTheCountAboveThirteen) {
  const std::vector<std::pair<float, std::string>> cases = {
      {-3.0f, ""},
      {0.0f, ""},
      {0.5f, "1"},
      {1.0f, "1"},
      {2.5f, "111"},
      {4.0f, "1111"},
      {13.0f, std::string(13, '1')},
      {14.0f, "1" + std::string(13, '1')},
      {20.0f, "7" + std::string(13, '1')},
      {23.0f, "10" + std::string(13, '1')},
      {113.0f, "100" + std::string(13, '1')},
  };
  for (const auto& [load, pattern] : cases) EXPECT_EQ(SessionPattern(load), pattern) << load;
}

// ---------------------------------------------------------------------------------------
// The table, through whole intake runs.

std::string MateriaGrupo(const std::string& codigo, const std::string& horas) {
  return XmlElement("MateriaGrupo", {{"Codigo", codigo}, {"Horas", horas}});
}

struct GroupAttributes {
  std::string codigo;
  std::string turno = "M";
  std::string ensenanza = "E1";
  std::string curso = "1";
  std::string letra = "A";
};

std::string Grupo(const GroupAttributes& g, const std::vector<std::string>& materias) {
  std::string element = XmlElement("Grupo", {{"Codigo", g.codigo},
                                             {"Denominacion", g.codigo},
                                             {"CodigoEnsenanza", g.ensenanza},
                                             {"Turno", g.turno},
                                             {"Curso", g.curso},
                                             {"Letra", g.letra},
                                             {"CodigoTutor", ""}});
  if (materias.empty()) return element;
  element.erase(element.size() - 2);  // "/>"
  return element + ">" + XmlSection("MateriasGrupo", materias) + "</Grupo>";
}

std::string Sesion(const std::string& inicio, const std::string& fin) {
  return XmlElement("Sesion", {{"Dia", "L"}, {"HoraInicio", inicio}, {"HoraFin", fin}});
}

std::string Body(const std::vector<std::string>& grupos,
                 const std::vector<std::string>& sesiones = {}) {
  std::string body;
  if (!grupos.empty()) body += XmlSection("Grupos", grupos);
  if (!sesiones.empty()) body += XmlSection("Sesiones", sesiones);
  return body;
}

const std::vector<std::string> kShortFields = {"CASIG", "CGRUP", "TURNO", "HORAS", "SESIONES"};

struct LoadTableCase {
  const char* name;
  std::string body;
  Columns rows;  // kShortFields
};

class LoadTable : public ::testing::TestWithParam<LoadTableCase> {};

TEST_P(LoadTable, WritesEachGroupsSubjects) {
  const LoadTableCase& c = GetParam();
  IntakeHarness harness;
  harness.RunWith(c.body);
  ASSERT_EQ(harness.shell.messages, std::vector<std::string>{"Proceso finalizado"});
  EXPECT_EQ(harness.Read("ASIGT", kShortFields), c.rows);
  harness.ExpectTablesFree({"ASIGT", "GRUPOST", "ASIGNOMT"});
}

const std::string kFourteenOnes = std::string(14, '1');
const std::string kThirteenOnes = std::string(13, '1');

INSTANTIATE_TEST_SUITE_P(
    Rows, LoadTable,
    ::testing::Values(
        LoadTableCase{"NoGroups", Body({}), {}},
        LoadTableCase{
            "SingleGroupIsLikeNone",
            Body({Grupo({"1A"}, {MateriaGrupo("MAT", "04,00"), MateriaGrupo("LEN", "03,00")})}),
            {}},
        LoadTableCase{
            "GroupByGroupInDocumentOrder",
            Body({Grupo({"1A"}, {MateriaGrupo("MAT", "04,00"), MateriaGrupo("LEN", "03,00")}),
                  Grupo({"SIN"}, {}),
                  Grupo({"2B", "T"},
                        {MateriaGrupo("ING", "02,00"), MateriaGrupo("MAT", "05,00")})}),
            {{"MAT", "1A", "M", "4", "1111"},
             {"LEN", "1A", "M", "3", "111"},
             {"ING", "2B", "T", "2", "11"},
             {"MAT", "2B", "T", "5", "11111"}}},
        LoadTableCase{
            "LoadsAboveThirteenSessions",
            Body({Grupo({"1A"}, {MateriaGrupo("A14", "14,00"), MateriaGrupo("A20", "20,00"),
                                 MateriaGrupo("A23", "23,00")}),
                  Grupo({"2B"}, {})}),
            {{"A14", "1A", "M", "14", kFourteenOnes},
             {"A20", "1A", "M", "20", "7" + kThirteenOnes},
             {"A23", "1A", "M", "23", "10" + kThirteenOnes}}},
        LoadTableCase{"EmptySubjectCodeWritesNoRow",
                      Body({Grupo({"1A"}, {MateriaGrupo("", "04,00"), MateriaGrupo("MAT", "02,00"),
                                           MateriaGrupo("  ", "01,00")}),
                            Grupo({"2B"}, {MateriaGrupo("", "03,00")})}),
                      {{"MAT", "1A", "M", "2", "11"}}},
        LoadTableCase{"GroupsSharingACodeEachTakeBothSubjectLists",
                      Body({Grupo({"1A", "M"}, {MateriaGrupo("MAT", "04,00")}),
                            Grupo({"2B", "N"}, {MateriaGrupo("FIS", "01,00")}),
                            Grupo({"1A", "T"}, {MateriaGrupo("LEN", "03,00")})}),
                      {{"MAT", "1A", "M", "4", "1111"},
                       {"LEN", "1A", "M", "3", "111"},
                       {"FIS", "2B", "N", "1", "1"},
                       {"MAT", "1A", "T", "4", "1111"},
                       {"LEN", "1A", "T", "3", "111"}}},
        LoadTableCase{"GroupCodeWithCharacterWindows1252LacksOwnsNoSubject",
                      Body({Grupo({"1\xCE\xA9"}, {MateriaGrupo("MAT", "04,00")}),
                            Grupo({"2B"}, {MateriaGrupo("LEN", "03,00")}),
                            Grupo({"3\xCE\xA9"}, {MateriaGrupo("ING", "02,00")})}),
                      {{"LEN", "2B", "M", "3", "111"}}},
        // The comparison is of the code as program text ("1?") with the code as the
        // document holds it: a group whose code really is "1?" is the one that matches.
        LoadTableCase{"ProgramTextComparedWithTheDocumentsCode",
                      Body({Grupo({"1?", "M"}, {MateriaGrupo("MAT", "04,00")}),
                            Grupo({"1\xCE\xA9", "T"}, {MateriaGrupo("LEN", "03,00")})}),
                      {{"MAT", "1?", "M", "4", "1111"}, {"MAT", "1?", "T", "4", "1111"}}},
        LoadTableCase{"Windows1252CodesAndTrimmedCodesMatch",
                      Body({Grupo({" 1\xC2\xBA"
                                   "A "},
                                  {MateriaGrupo(" MAT ", " 04,00 ")}),
                            Grupo({"2\xC3\x91"}, {MateriaGrupo("LEN", "03,00")})}),
                      {{"MAT",
                        "1\xBA"
                        "A",
                        "M", "4", "1111"},
                       {"LEN", "2\xD1", "M", "3", "111"}}},
        LoadTableCase{
            "SessionLengthsOfTheSameRun",
            // 225 minutes are five sessions of 45, not four hours.
            Body({Grupo({"1A"}, {MateriaGrupo("MAT", "03,75"), MateriaGrupo("LEN", "02,50"),
                                 MateriaGrupo("ING", "01,33")}),
                  Grupo({"2B"}, {})},
                 {Sesion("08:00", "08:45"), Sesion("08:45", "09:30")}),
            {{"MAT", "1A", "M", "5", "11111"},
             {"LEN", "1A", "M", "3", "111"},
             {"ING", "1A", "M", "2", "11"}}},
        LoadTableCase{"FractionalLoadWithoutSessions",
                      Body({Grupo({"1A"}, {MateriaGrupo("MAT", "02,50")}), Grupo({"2B"}, {})}),
                      {{"MAT", "1A", "M", "3", "111"}}},
        LoadTableCase{"FractionalWholeHours",
                      Body({Grupo({"1A"}, {MateriaGrupo("MAT", "1,500")}), Grupo({"2B"}, {})}),
                      {{"MAT", "1A", "M", "1,5", "11"}}}),
    [](const ::testing::TestParamInfo<LoadTableCase>& info) {
      return std::string(info.param.name);
    });

TEST(LoadTableRows, EveryFieldWritten) {
  IntakeHarness harness;
  harness.RunWith(Body({Grupo({"1ESOA-LARGO12",
                               "Ma\xC3\xB1"
                               "ana",
                               "ESOBACH", "1234", "ABC"},
                              {MateriaGrupo("MATEMATICAS1", "04,00")}),
                        Grupo({"2B", "T", "E2", "2", "B"}, {MateriaGrupo("LEN", "03,00")})}));
  ASSERT_EQ(harness.shell.messages, std::vector<std::string>{"Proceso finalizado"});
  EXPECT_EQ(harness.Read("ASIGT", {"CASIG", "CPROF", "CGRUP", "CAULA", "TURNO", "NIVEL", "CURSO",
                                   "GRUPO", "HORAS", "SESIONES", "CTAREA", "ASIG_GESTION"}),
            (Columns{{"MATEMATICA", "", "1ESOA-LARG", "", "M", "ESOBA", "123", "AB", "4", "1111",
                      "CCM", "1ESOA-LARG"},
                     {"LEN", "", "2B", "", "T", "E2", "2", "B", "3", "111", "CCM", "2B"}}));
  // GRUPOST holds the shortened code of the same group; ASIGT keeps the school file's.
  EXPECT_EQ(harness.Read("GRUPOST", {"ABREV"}), (Columns{{"1E12"}, {"2B"}}));
}

// The first group's pass converts the hours of every subject element of the file, its own
// or not, with or without a code: a defective one anywhere ends the run there, after the
// rows posted before it.
TEST(LoadTableErrors, DefectiveSubjectEndsTheRunDuringTheFirstGroupsPass) {
  struct Case {
    const char* name;
    std::string badSubject;
    std::vector<std::string> expectedInMessage;
  };
  const std::vector<Case> cases = {
      {"EmptyCodeWithBadHours",
       MateriaGrupo("", "xx"),
       {"'xx' no es un valor punto flotante v\xE1lido"}},
      {"BadHours",
       MateriaGrupo("FIS", "2,5 h"),
       {"'2,5 h' no es un valor punto flotante v\xE1lido"}},
      {"EmptyHours", MateriaGrupo("FIS", ""), {"'' no es un valor punto flotante v\xE1lido"}},
      {"NoHours", XmlElement("MateriaGrupo", {{"Codigo", "FIS"}}), {"MateriaGrupo", "Horas"}},
      {"NoCode", XmlElement("MateriaGrupo", {{"Horas", "01,00"}}), {"MateriaGrupo", "Codigo"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IntakeHarness harness;
    harness.RunWith(Body({Grupo({"1A"}, {MateriaGrupo("MAT", "04,00")}),
                          Grupo({"2B"}, {MateriaGrupo("LEN", "03,00"), c.badSubject}),
                          Grupo({"1A"}, {MateriaGrupo("ING", "02,00")})}));
    ASSERT_EQ(harness.shell.messages.size(), 1u);
    for (const std::string& part : c.expectedInMessage) {
      EXPECT_NE(harness.shell.messages[0].find(part), std::string::npos)
          << harness.shell.messages[0] << " lacks " << part;
    }
    EXPECT_EQ(harness.Read("ASIGT", {"CASIG", "CGRUP"}), (Columns{{"MAT", "1A"}}));
    harness.ExpectTablesFree({"ASIGT", "GRUPOST", "ASIGNOMT"});
  }
}

// Called on its own, after a run has left GRUPOST and ASIGNOMT in place.
class LoadBuilder : public ::testing::Test {
 protected:
  void Load(const std::string& body) {
    harness.state.DocXML = std::make_unique<XmlDocument>();
    harness.state.DocXML->Load(harness.files.Write("otro.xml", SchoolFileXml(body)));
  }
  // The builder's error text, or "" when it completes.
  std::string Build() {
    try {
      CrearTablaAsignaciones(harness.state);
    } catch (const RunError& error) {
      return error.what();
    }
    return {};
  }
  IntakeHarness harness;
};

// GRUPOST reads every attribute that ASIGT does, so only a file changed between the two
// builders can show this: a group lacking one ends the run after the groups before it.
TEST_F(LoadBuilder, GroupLackingAnAttributeEndsTheRunAfterTheGroupsBefore) {
  harness.RunWith(Body({Grupo({"1A"}, {}), Grupo({"2B"}, {})}));
  const std::string noLetra = XmlElement(
      "Grupo", {{"Codigo", "2B"}, {"Turno", "M"}, {"CodigoEnsenanza", "E"}, {"Curso", "2"}});
  Load(Body({Grupo({"1A"}, {MateriaGrupo("MAT", "04,00")}), noLetra}));
  const std::string message = Build();
  EXPECT_NE(message.find("Letra"), std::string::npos) << message;
  EXPECT_EQ(harness.Read("ASIGT", {"CASIG", "CGRUP"}), (Columns{{"MAT", "1A"}}));
  harness.ExpectTablesFree({"ASIGT", "GRUPOST", "ASIGNOMT"});
}

TEST_F(LoadBuilder, TablesItOpensMustExist) {
  Load(Body({Grupo({"1A"}, {MateriaGrupo("MAT", "04,00")}), Grupo({"2B"}, {})}));
  const std::string message = Build();
  EXPECT_NE(message.find("GRUPOST"), std::string::npos) << message;
  EXPECT_EQ(harness.Read("ASIGT", {"CASIG"}), Columns{});
  EXPECT_FALSE(harness.state.wwTableGrupos.IsOpen());
  EXPECT_FALSE(harness.state.wwTableNomAsg.IsOpen());
}

// The session lengths are the run state's, whatever the document's sessions.
TEST_F(LoadBuilder, UsesTheSessionLengthsItIsGiven) {
  harness.RunWith(Body({Grupo({"1A"}, {}), Grupo({"2B"}, {})}));
  Load(Body({Grupo({"1A"}, {MateriaGrupo("MAT", "02,50"), MateriaGrupo("LEN", "01,25")}),
             Grupo({"2B"}, {})}));
  harness.state.Duracion1 = 55;
  harness.state.Duracion2 = 0;
  harness.state.Duracion3 = 25;
  EXPECT_EQ(Build(), "");
  EXPECT_EQ(harness.Read("ASIGT", {"CASIG", "HORAS"}), (Columns{{"MAT", "6"}, {"LEN", "3"}}));
  EXPECT_EQ(harness.state.Duracion1, 55);
  EXPECT_EQ(harness.state.Duracion3, 25);
}

}  // namespace
}  // namespace tto::testing
