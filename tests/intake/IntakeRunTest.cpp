// The intake run as the person sees it: dialog, precondition, messages, result flag,
// closing in hosted mode, and what an error leaves behind.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "intake/IntakeRun.h"
#include "store/Table.h"
#include "tests/intake/IntakeHarness.h"

namespace tto::testing {
namespace {

const std::vector<std::string> kCatalogue = {"COD", "NOMBRE"};
const std::vector<std::string> kTeachers = {"ABREV", "NOMBRE", "DEPART"};
const std::vector<std::string> kRooms = {"ABREV", "ABREV_GESTION"};

std::string Materia(const std::string& codigo, const std::string& denominacion) {
  return XmlElement("Materia", {{"Codigo", codigo}, {"Denominacion", denominacion}});
}

std::string Profesor(const std::string& codigo, const std::string& apellido2 = "Sanz") {
  return XmlElement("Profesor", {{"Codigo", codigo},
                                 {"Nombre", "Ana"},
                                 {"Apellido1", "Gil"},
                                 {"Apellido2", apellido2},
                                 {"CodigoDep", "MAT"}});
}

std::string ProfesorSinApellido2(const std::string& codigo) {
  return XmlElement(
      "Profesor",
      {{"Codigo", codigo}, {"Nombre", "Luis"}, {"Apellido1", "Ruiz"}, {"CodigoDep", "MAT"}});
}

std::string Aula(const std::string& codigo) {
  return XmlElement("Aula", {{"Codigo", codigo}, {"Denominacion", "Aula " + codigo}});
}

const std::string kDepartments =
    XmlSection("Departamentos",
               {XmlElement("Departamento", {{"Codigo", "MAT"}, {"Denominacion", "Matemáticas"}}),
                XmlElement("Departamento", {{"Codigo", "LEN"}, {"Denominacion", "Lengua"}})});

// A small complete school: two subjects, two activity types, two teachers, two rooms.
const std::string kSchoolA =
    XmlSection("Materias", {Materia("MAT", "Matemáticas"), Materia("LENGUA", "Lengua")}) +
    XmlSection("TiposActividad",
               {XmlElement("TipoActividad", {{"Codigo", "GUA"}, {"Denominacion", "Guardia"}}),
                XmlElement("TipoActividad", {{"Codigo", "REU"}, {"Denominacion", "Reunión"}})}) +
    XmlSection("Profesores", {Profesor("P1"), Profesor("P2")}) + kDepartments +
    XmlSection("Aulas", {Aula("A1"), Aula("A2")});

// Another school whose second teacher lacks Apellido2.
const std::string kSchoolWithBadTeacher =
    XmlSection("Materias", {Materia("FIS", "Física"), Materia("QUI", "Química")}) +
    XmlSection("Profesores", {Profesor("T1"), ProfesorSinApellido2("T2"), Profesor("T3")}) +
    kDepartments + XmlSection("Aulas", {Aula("X1"), Aula("X2")});

const Columns kCatalogueA = {
    {"MAT", "Matem\xE1ticas"}, {"LEUA", "Lengua"}, {"GUA", "Guardia"}, {"REU", "Reuni\xF3n"}};
const Columns kTeachersA = {{"P1", "Ana, Gil Sanz", "Matem\xE1ticas"},
                            {"P2", "Ana, Gil Sanz", "Matem\xE1ticas"}};
const Columns kRoomsA = {{"A1", "A1"}, {"A2", "A2"}};

void ExpectTablesOfSchoolA(const IntakeHarness& harness) {
  EXPECT_EQ(harness.Read("ASIGNOMT", kCatalogue), kCatalogueA);
  EXPECT_EQ(harness.Read("PROFT", kTeachers), kTeachersA);
  EXPECT_EQ(harness.Read("AULAT", kRooms), kRoomsA);
}

// --- No school file ---------------------------------------------------------------------

enum class Pick { Cancel, MissingFile, Folder };

struct NoFileCase {
  const char* name;
  bool hosted;
  Pick pick;
  int flagBefore;
  std::vector<std::string> events;
  int flagAfter;
};

void PrintTo(const NoFileCase& c, std::ostream* os) {
  *os << c.name;
}

class NoSchoolFile : public ::testing::TestWithParam<NoFileCase> {};

TEST_P(NoSchoolFile, ShowsNoExisteArchivoAndTouchesNothing) {
  const NoFileCase& c = GetParam();
  IntakeHarness harness;
  harness.state.NumParametros = c.hosted ? 2 : 0;
  harness.state.ResultadoTransformacion = c.flagBefore;
  std::string picked;
  switch (c.pick) {
    case Pick::Cancel:
      harness.shell.dialogAnswers.push_back(std::nullopt);
      break;
    case Pick::MissingFile:
      picked = (harness.files / "nadie.xml").string();
      harness.shell.dialogAnswers.push_back(picked);
      break;
    case Pick::Folder:
      picked = harness.files.path().string();
      harness.shell.dialogAnswers.push_back(picked);
      break;
  }
  harness.Run();

  EXPECT_EQ(harness.shell.events, c.events);
  EXPECT_EQ(harness.state.ResultadoTransformacion, c.flagAfter);
  EXPECT_EQ(harness.state.FicheroXML, picked);
  EXPECT_EQ(harness.state.DocXML, nullptr);
  EXPECT_TRUE(std::filesystem::is_empty(harness.exchange.path()));
}

const std::vector<std::string> kNoFileStandAlone = {"dialog", "message:No existe archivo"};
const std::vector<std::string> kNoFileHosted = {"dialog", "message:No existe archivo", "close"};

INSTANTIATE_TEST_SUITE_P(
    Precondition, NoSchoolFile,
    ::testing::Values(
        NoFileCase{"StandAloneCancelled", false, Pick::Cancel, 0, kNoFileStandAlone, 0},
        NoFileCase{"StandAloneCancelledKeepsEarlierFlag", false, Pick::Cancel, 1, kNoFileStandAlone,
                   1},
        NoFileCase{"StandAloneMissingFile", false, Pick::MissingFile, 0, kNoFileStandAlone, 0},
        NoFileCase{"StandAloneFolderIsNoFile", false, Pick::Folder, 0, kNoFileStandAlone, 0},
        NoFileCase{"HostedCancelled", true, Pick::Cancel, 0, kNoFileHosted, -1},
        NoFileCase{"HostedMissingFile", true, Pick::MissingFile, 0, kNoFileHosted, -1}),
    [](const ::testing::TestParamInfo<NoFileCase>& info) { return info.param.name; });

// --- Completed runs -----------------------------------------------------------------------

TEST(IntakeRun, CompletesWithMessageFlagAndClosingInHostedMode) {
  for (const bool hosted : {false, true}) {
    IntakeHarness harness;
    harness.state.NumParametros = hosted ? 2 : 0;
    const std::filesystem::path school = harness.OfferSchoolFile(kSchoolA);
    harness.Run();

    std::vector<std::string> expected = {"dialog", "wait:on", "wait:off",
                                         "message:Proceso finalizado"};
    if (hosted) expected.push_back("close");
    EXPECT_EQ(harness.shell.events, expected) << "hosted " << hosted;
    EXPECT_EQ(harness.state.ResultadoTransformacion, 1);
    EXPECT_EQ(harness.state.FicheroXML, school.string());
    EXPECT_NE(harness.state.DocXML, nullptr);
    ExpectTablesOfSchoolA(harness);
  }
}

TEST(IntakeRun, CancelledDialogUsesFileOfEarlierRunOfEitherKind) {
  IntakeHarness harness;
  // As a return run leaves it: the path picked there, no table yet.
  harness.state.FicheroXML = harness.files.Write("centro.xml", SchoolFileXml(kSchoolA)).string();
  harness.shell.dialogAnswers.push_back(std::nullopt);
  harness.Run();
  EXPECT_EQ(harness.shell.messages, std::vector<std::string>{"Proceso finalizado"});
  ExpectTablesOfSchoolA(harness);

  // An intake run's pick is kept the same way; the document is a new one.
  const XmlDocument* first = harness.state.DocXML.get();
  harness.OfferSchoolFile(kSchoolA, "otro.xml");
  harness.Run();
  harness.shell.dialogAnswers.push_back(std::nullopt);
  harness.Run();
  EXPECT_EQ(harness.shell.dialogsShown, 3);
  EXPECT_EQ(harness.shell.messages.size(), 3u);
  EXPECT_EQ(harness.state.FicheroXML, (harness.files / "otro.xml").string());
  EXPECT_NE(harness.state.DocXML.get(), first);
  ExpectTablesOfSchoolA(harness);
}

TEST(IntakeRun, TwoRunsWithTheSameFileLeaveTheSameTables) {
  IntakeHarness harness;
  harness.RunWith(kSchoolA);
  const Columns catalogue =
      harness.Read("ASIGNOMT", {"COD", "CODLARGO", "NOMBRE", "ESTAREA", "ABREV_GESTION"});
  harness.shell.dialogAnswers.push_back(std::nullopt);
  harness.Run();
  EXPECT_EQ(harness.shell.messages,
            (std::vector<std::string>{"Proceso finalizado", "Proceso finalizado"}));
  EXPECT_EQ(harness.Read("ASIGNOMT", {"COD", "CODLARGO", "NOMBRE", "ESTAREA", "ABREV_GESTION"}),
            catalogue);
  ExpectTablesOfSchoolA(harness);
}

// Sets an environment variable for one scope.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value, 1);
  }
  ~ScopedEnvironment() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Every builder runs on a complete school file; CURSOST's old files go, and nothing of it
// is created again.
TEST(IntakeRun, CompleteSchoolFileLeavesEveryWorkingTable) {
  // The school file writes hours with a decimal comma, as the Spanish regional settings
  // (those of a machine without a locale) read them.
  ScopedEnvironment locale("LC_ALL", "C");
  IntakeHarness harness;
  harness.exchange.Write("CURSOST.DBF", "old");
  harness.exchange.Write("cursost.mdx", "old");
  harness.shell.dialogAnswers.push_back(
      (std::filesystem::path(TTO_FIXTURES_DIR) / "school" / "realistic.xml").string());
  harness.Run();

  EXPECT_EQ(harness.shell.messages, std::vector<std::string>{"Proceso finalizado"});
  EXPECT_EQ(harness.state.ResultadoTransformacion, 1);
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(harness.exchange.path())) {
    files.push_back(entry.path().filename().string());
  }
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"ASIGNOMT.DBF", "ASIGT.DBF", "AULAT.DBF",
                                             "COUNTSES.DBF", "COUNTSES.MDX", "DIASHORAST.DBF",
                                             "GRUPOST.DBF", "PROFT.DBF"}));
  harness.ExpectTablesFree(
      {"ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "DIASHORAST", "COUNTSES", "ASIGT"});
}

// Files whose selections find nothing: every builder leaves its table empty and the run
// completes.
TEST(IntakeRun, SchoolFileWithoutElementsGivesEmptyTables) {
  const std::vector<std::string> files = {
      SchoolFileXml(""),
      "<?xml version=\"1.0\"?><Escuela><Materias>" + Materia("MAT", "M") + Materia("LEN", "L") +
          "</Materias></Escuela>",
      "<?xml version=\"1.0\"?><Centro><Materias><Materia Codigo=\"MAT\"",
      "",
  };
  for (const std::string& file : files) {
    IntakeHarness harness;
    harness.RunWith(kSchoolA);  // earlier tables, to be replaced by empty ones
    harness.shell.dialogAnswers.push_back(harness.files.Write("vacio.xml", file).string());
    harness.Run();
    EXPECT_EQ(harness.shell.messages.back(), "Proceso finalizado") << file;
    EXPECT_EQ(harness.state.ResultadoTransformacion, 1);
    for (const char* table : {"ASIGNOMT", "PROFT", "AULAT"}) {
      EXPECT_TRUE(harness.Read(table, {}).empty()) << table << " after " << file;
    }
  }
}

// --- Errors -------------------------------------------------------------------------------

// The second teacher lacks Apellido2: the catalogue is already rebuilt, PROFT keeps the
// teacher posted before, AULAT keeps the earlier run's rooms.
TEST(IntakeRunError, MissingAttributeInTeachersStopsTheRunThere) {
  for (const bool hosted : {false, true}) {
    IntakeHarness harness;
    harness.RunWith(kSchoolA);
    harness.state.NumParametros = hosted ? 2 : 0;
    harness.state.ResultadoTransformacion = 0;  // as a fresh start of the program
    harness.shell.events.clear();
    harness.shell.messages.clear();

    harness.RunWith(kSchoolWithBadTeacher);

    ASSERT_EQ(harness.shell.messages.size(), 1u);
    const std::string error = harness.shell.messages[0];
    EXPECT_NE(error.find("Profesor"), std::string::npos) << error;
    EXPECT_NE(error.find("Apellido2"), std::string::npos) << error;
    EXPECT_EQ(harness.shell.events,
              (std::vector<std::string>{"dialog", "wait:on", "wait:off", "message:" + error}));
    EXPECT_FALSE(harness.shell.waiting);
    EXPECT_EQ(harness.shell.closes, 0) << "hosted " << hosted;
    EXPECT_EQ(harness.state.ResultadoTransformacion, 0);

    EXPECT_EQ(harness.Read("ASIGNOMT", kCatalogue),
              (Columns{{"FIS", "F\xEDsica"}, {"QUI", "Qu\xEDmica"}}));
    EXPECT_EQ(harness.Read("PROFT", kTeachers),
              (Columns{{"T1", "Ana, Gil Sanz", "Matem\xE1ticas"}}));
    EXPECT_EQ(harness.Read("AULAT", kRooms), kRoomsA);
    harness.ExpectTablesFree({"ASIGNOMT", "PROFT", "AULAT"});

    // Nothing is held: the next run deletes, creates and opens every table.
    harness.RunWith(kSchoolA);
    EXPECT_EQ(harness.shell.messages.back(), "Proceso finalizado");
    EXPECT_EQ(harness.state.ResultadoTransformacion, 1);
    ExpectTablesOfSchoolA(harness);
  }
}

TEST(IntakeRunError, FlagKeepsItsValueAfterAnError) {
  IntakeHarness harness;
  harness.RunWith(kSchoolA);
  ASSERT_EQ(harness.state.ResultadoTransformacion, 1);
  harness.RunWith(kSchoolWithBadTeacher);
  EXPECT_EQ(harness.state.ResultadoTransformacion, 1);
}

// Velmora holding PROFT: the rebuild cannot replace it, the run ends with the store's
// error, and the catalogue built before stays.
TEST(IntakeRunError, TableHeldByAnotherProgramEndsTheRun) {
  IntakeHarness harness;
  harness.RunWith(kSchoolA);
  {
    Table velmora{"PROFT"};
    velmora.Open(harness.exchange.path());
    harness.RunWith(kSchoolWithBadTeacher.substr(0, kSchoolWithBadTeacher.find("<Profesores>")));
    EXPECT_NE(harness.shell.messages.back(), "Proceso finalizado");
    EXPECT_NE(harness.shell.messages.back().find("PROFT"), std::string::npos)
        << harness.shell.messages.back();
    EXPECT_FALSE(harness.shell.waiting);
    velmora.Close();
  }
  EXPECT_EQ(harness.Read("ASIGNOMT", kCatalogue),
            (Columns{{"FIS", "F\xEDsica"}, {"QUI", "Qu\xEDmica"}}));
  EXPECT_EQ(harness.Read("PROFT", kTeachers), kTeachersA);
  EXPECT_EQ(harness.Read("AULAT", kRooms), kRoomsA);
}

TEST(IntakeRunError, MissingExchangeFolderIsNamed) {
  IntakeHarness harness;
  harness.state.NumParametros = 2;
  const std::filesystem::path missing = harness.exchange / "ZTEMP";
  harness.state.exchange = ExchangeFolder(missing);
  harness.RunWith(kSchoolA);
  ASSERT_EQ(harness.shell.messages.size(), 1u);
  EXPECT_NE(harness.shell.messages[0].find("C:\\ZTEMP"), std::string::npos);
  EXPECT_NE(harness.shell.messages[0].find(missing.string()), std::string::npos);
  EXPECT_EQ(harness.state.ResultadoTransformacion, 0);
  EXPECT_EQ(harness.shell.closes, 0);
  EXPECT_FALSE(harness.shell.waiting);
}

}  // namespace
}  // namespace tto::testing
