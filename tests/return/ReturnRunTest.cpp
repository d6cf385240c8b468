// The return run from the click to its end: the message and the dialog, the precondition,
// the new root of the result file, and what the run leaves behind for the next run.

#include <gtest/gtest.h>

#include <ctime>
#include <regex>
#include <string>
#include <vector>

#include "core/Messages.h"
#include "intake/IntakeRun.h"
#include "store/RegionalSettings.h"
#include "tests/return/ReturnHarness.h"
#include "tests/support/ScratchFolder.h"

namespace tto::testing {
namespace {

const std::string kAbrir = std::string("message:") + messages::kAbrirFicheroOrdalis;
const std::string kNoExiste = std::string("message:") + messages::kNoExisteArchivoXmlOSolucion;
const std::string kFinalizado = std::string("message:") + messages::kProcesoFinalizado;

const SolucRow kLesson = {"MA01", "CCM", "1", "1", "1A", "P1", "AU1"};
const std::string kLessonLine =
    LessonLine("CCM", "P1", "1A", "MATE01", "AULA12", "L", "08:00", "08:55");

// --- The precondition -------------------------------------------------------------------

struct MissingFileCase {
  const char* name;
  bool hosted;
  bool offerSchoolFile;  // else the dialog is cancelled with nothing picked before
  bool pickedFileGone;   // the picked school file is deleted before the run
  bool writeSoluc;
  bool exchangeFolderMissing;
};

class MissingFile : public ::testing::TestWithParam<MissingFileCase> {};

TEST_P(MissingFile, ShowsTheMessageAndTouchesNothing) {
  const MissingFileCase& c = GetParam();
  ReturnHarness harness;
  harness.WriteWorkingTables();
  if (c.writeSoluc) harness.WriteSoluc({kLesson});
  if (c.hosted) harness.state.NumParametros = 2;
  if (c.offerSchoolFile) {
    const auto file = harness.OfferSchoolFile(SchoolFileXml());
    if (c.pickedFileGone) std::filesystem::remove(file);
  } else {
    harness.OfferCancel();
  }
  if (c.exchangeFolderMissing) {
    harness.state.exchange = ExchangeFolder(harness.exchange / "missing");
  }

  harness.Run();

  std::vector<std::string> expected = {kAbrir, "dialog", kNoExiste};
  if (c.hosted) expected.push_back("close");
  EXPECT_EQ(harness.shell.events, expected);
  EXPECT_EQ(harness.state.ResultadoTransformacion, c.hosted ? -1 : 0);
  EXPECT_EQ(harness.state.DocXML, nullptr) << "no document is created";
  EXPECT_FALSE(harness.Result().has_value());
  harness.ExpectNoTableHeld();
}

INSTANTIATE_TEST_SUITE_P(
    Precondition, MissingFile,
    ::testing::Values(MissingFileCase{"FirstRunDialogCancelled", false, false, false, true, false},
                      MissingFileCase{"FirstRunDialogCancelledHosted", true, false, false, true,
                                      false},
                      MissingFileCase{"SolucMissing", false, true, false, false, false},
                      MissingFileCase{"SolucMissingHosted", true, true, false, false, false},
                      MissingFileCase{"PickedSchoolFileGone", false, true, true, true, false},
                      MissingFileCase{"ExchangeFolderMissing", false, true, false, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

// --- The result file --------------------------------------------------------------------

class ReturnRun : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = CurrentRegionalSettings();
    harness.WriteWorkingTables();
  }
  void TearDown() override { SetCurrentRegionalSettings(saved_); }

  ReturnHarness harness;

 private:
  RegionalSettings saved_;
};

TEST_F(ReturnRun, NewRootKeepsOnlyTheSchoolsIdentityAndOneHorario) {
  harness.WriteSoluc({kLesson});
  // Values with blanks around them, an accented letter the code page has and one it lacks
  // (U+0142); other attributes and children of the old root; a comment and a processing
  // instruction around the root.
  harness.OfferSchoolFile(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!-- Exportado por Ordalis -->\n"
      "<?ordalis version=\"3\"?>\n"
      "<Centro Version=\" 3.1 \" Otro=\"x\" Codigo=\"  28001234\t\" "
      "Nombre=\" IES Vel\xC3\xA1zquez \xC5\x82 \" CursoEscolar=\"2024/2025 \">\n"
      "  <Materias><Materia Codigo=\"MATE01\" Denominacion=\"Matem\xC3\xA1ticas\"/>"
      "<Materia Codigo=\"LENGUA\" Denominacion=\"Lengua\"/></Materias>\n"
      "  <horario><actividad tipo=\"viejo\"/></horario>\n"
      "</Centro>\n"
      "<!-- fin -->\n");

  harness.Run();

  EXPECT_EQ(harness.shell.events,
            (std::vector<std::string>{kAbrir, "dialog", "wait:on", "wait:off", kFinalizado}));
  EXPECT_EQ(harness.state.ResultadoTransformacion, 1);
  const auto result = harness.Result();
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->topLevel,
            (std::vector<std::string>{"comment: Exportado por Ordalis ", "pi:ordalis",
                                      "comment: fin ", "element:Centro"}));
  const ElementView& centro = result->root;
  EXPECT_EQ(centro.name, "Centro");
  EXPECT_EQ(centro.AttributeNames(), (std::vector<std::string>{"Codigo", "Nombre", "CursoEscolar",
                                                               "FechaExportacion", "Version"}));
  EXPECT_EQ(centro.Attribute("Codigo"), "28001234");
  EXPECT_EQ(centro.Attribute("Nombre"), "IES Vel\xC3\xA1zquez ?");
  EXPECT_EQ(centro.Attribute("CursoEscolar"), "2024/2025");
  EXPECT_EQ(centro.Attribute("Version"), "3.1");
  ASSERT_EQ(centro.children.size(), 1u);
  EXPECT_EQ(centro.children[0].name, "horario");
  EXPECT_TRUE(centro.children[0].attributes.empty());
  EXPECT_EQ(result->Activities(), std::vector<std::string>{kLessonLine});
  harness.ExpectNoTableHeld();
}

TEST_F(ReturnRun, HostedRunSetsTheFlagAndClosesAfterTheMessage) {
  harness.WriteSoluc({kLesson});
  harness.state.NumParametros = 2;
  harness.OfferSchoolFile(SchoolFileXml());

  harness.Run();

  EXPECT_EQ(harness.shell.events, (std::vector<std::string>{kAbrir, "dialog", "wait:on", "wait:off",
                                                            kFinalizado, "close"}));
  EXPECT_EQ(harness.state.ResultadoTransformacion, 1);
  EXPECT_TRUE(harness.Result().has_value());
}

TEST_F(ReturnRun, EmptySolucGivesAnEmptyHorario) {
  harness.WriteSoluc({});
  harness.OfferSchoolFile(SchoolFileXml());

  harness.Run();

  const auto result = harness.Result();
  ASSERT_TRUE(result.has_value());
  ASSERT_EQ(result->root.children.size(), 1u);
  EXPECT_EQ(result->root.children[0].name, "horario");
  EXPECT_TRUE(result->root.children[0].children.empty());
}

TEST_F(ReturnRun, SolucIsFoundWhateverTheCaseOfItsFileName) {
  harness.WriteSoluc({kLesson});
  std::filesystem::rename(harness.exchange / "SOLUC.DBF", harness.exchange / "soluc.dbf");
  harness.OfferSchoolFile(SchoolFileXml());

  harness.Run();

  const auto result = harness.Result();
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->Activities(), std::vector<std::string>{kLessonLine});
}

struct StampCase {
  const char* name;
  const char* shortDate;
  const char* longTime;
  const char* pattern;
  const char* todayPattern;  // strftime form of the date part
};

class ExportStamp : public ReturnRun, public ::testing::WithParamInterface<StampCase> {};

TEST_P(ExportStamp, IsTheRegionalShortDateBlankLongTime) {
  const StampCase& c = GetParam();
  RegionalSettings regional;
  regional.shortDateFormat = c.shortDate;
  regional.longTimeFormat = c.longTime;
  SetCurrentRegionalSettings(regional);
  harness.WriteSoluc({});
  harness.OfferSchoolFile(SchoolFileXml());

  const std::time_t before = std::time(nullptr);
  harness.Run();
  const std::time_t after = std::time(nullptr);

  const auto result = harness.Result();
  ASSERT_TRUE(result.has_value());
  const std::string stamp = result->root.Attribute("FechaExportacion");
  EXPECT_TRUE(std::regex_match(stamp, std::regex(c.pattern))) << stamp;
  // The date part is the run's day (either end of the run, should it cross midnight).
  std::vector<std::string> days;
  for (std::time_t moment : {before, after}) {
    std::tm local{};
    localtime_r(&moment, &local);
    char day[32];
    std::strftime(day, sizeof day, c.todayPattern, &local);
    days.emplace_back(day);
  }
  const std::string datePart = stamp.substr(0, stamp.find(' '));
  EXPECT_TRUE(datePart == days[0] || datePart == days[1]) << stamp;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ExportStamp,
    ::testing::Values(StampCase{"SpanishDefaults", "dd/MM/yyyy", "H:mm:ss",
                                R"(\d\d/\d\d/\d{4} \d{1,2}:\d\d:\d\d)", "%d/%m/%Y"},
                      StampCase{"IsoLike", "yyyy-MM-dd", "HH:mm:ss",
                                R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)", "%Y-%m-%d"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Runs one after another -------------------------------------------------------------

TEST_F(ReturnRun, SecondRunReplacesTheFirstsResultAndKeepsTheSchoolFile) {
  harness.WriteSoluc({kLesson});
  harness.OfferSchoolFile(SchoolFileXml());
  harness.Run();
  ASSERT_EQ(harness.Result()->Activities(), std::vector<std::string>{kLessonLine});

  harness.WriteSoluc({});
  harness.OfferCancel();
  harness.Run();

  EXPECT_EQ(harness.shell.messages.back(), messages::kProcesoFinalizado);
  EXPECT_EQ(harness.state.ResultadoTransformacion, 1);
  const auto second = harness.Result();
  ASSERT_TRUE(second.has_value());
  EXPECT_TRUE(second->Activities().empty());
  EXPECT_EQ(harness.SchoolFolderFiles(),
            (std::vector<std::string>{"ResultadoTarvoscentro.xml", "centro.xml"}));
  harness.ExpectNoTableHeld();
}

TEST_F(ReturnRun, EarlierResultFilePickedAgainGivesAResultOfTheResult) {
  harness.WriteSoluc({kLesson});
  harness.OfferSchoolFile(SchoolFileXml());
  harness.Run();
  ASSERT_TRUE(harness.Result().has_value());

  harness.shell.dialogAnswers.push_back(harness.ResultPath().string());
  harness.Run();

  EXPECT_EQ(harness.shell.messages.back(), messages::kProcesoFinalizado);
  const auto again = harness.Result("ResultadoTarvoscentro.xml");
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ(again->root.Attribute("Codigo"), "28001234");
  EXPECT_EQ(again->root.Attribute("Nombre"), "IES Centro");
  EXPECT_EQ(again->root.Attribute("Version"), "3.1");
  ASSERT_EQ(again->root.children.size(), 1u) << "the old horario is gone with the old root";
  EXPECT_EQ(again->Activities(), std::vector<std::string>{kLessonLine});
  EXPECT_EQ(harness.SchoolFolderFiles(),
            (std::vector<std::string>{"ResultadoTarvosResultadoTarvoscentro.xml",
                                      "ResultadoTarvoscentro.xml", "centro.xml"}));
}

// A school file small enough to follow by hand through intake: subjects MATE01 (COD MA01)
// and LENGUA (LEUA), activity types GUARDIA (GUIA) and REUNION (REON), teachers P1 and P2,
// rooms AULA12 (AU1) and A12, groups 1A and 2B, Monday and Tuesday slots 08:00-08:55 and
// 08:55-09:50 (DIHO 11, 12, 21, 22).
std::string IntakeSchoolFile() {
  return SchoolFileXml(
      "<Materias><Materia Codigo=\"MATE01\" Denominacion=\"Matem\xC3\xA1ticas\"/>"
      "<Materia Codigo=\"LENGUA\" Denominacion=\"Lengua Castellana\"/></Materias>\n"
      "<TiposActividad><TipoActividad Codigo=\"GUARDIA\" Denominacion=\"Guardia\"/>"
      "<TipoActividad Codigo=\"REUNION\" Denominacion=\"Reuni\xC3\xB3n\"/></TiposActividad>\n"
      "<Profesores>"
      "<Profesor Codigo=\"P1\" Nombre=\"Ana\" Apellido1=\"Ruiz\" Apellido2=\"Gil\" "
      "CodigoDep=\"\"/>"
      "<Profesor Codigo=\"P2\" Nombre=\"Luis\" Apellido1=\"Gil\" Apellido2=\"Sanz\" "
      "CodigoDep=\"\"/></Profesores>\n"
      "<Aulas><Aula Codigo=\"AULA12\" Denominacion=\"Aula 12\"/>"
      "<Aula Codigo=\"A12\" Denominacion=\"A12\"/></Aulas>\n"
      "<Grupos>"
      "<Grupo Codigo=\"1A\" Denominacion=\"1A\" CodigoEnsenanza=\"E1\" Turno=\"M\" Curso=\"1\" "
      "Letra=\"A\" CodigoTutor=\"P1\"><MateriasGrupo>"
      "<MateriaGrupo Codigo=\"MATE01\" Horas=\"04,00\"/></MateriasGrupo></Grupo>"
      "<Grupo Codigo=\"2B\" Denominacion=\"2B\" CodigoEnsenanza=\"E1\" Turno=\"M\" Curso=\"2\" "
      "Letra=\"B\" CodigoTutor=\"\"><MateriasGrupo>"
      "<MateriaGrupo Codigo=\"LENGUA\" Horas=\"03,00\"/></MateriasGrupo></Grupo>"
      "</Grupos>\n"
      "<Sesiones><Sesion Dia=\"L\" HoraInicio=\"08:00\" HoraFin=\"08:55\"/>"
      "<Sesion Dia=\"L\" HoraInicio=\"08:55\" HoraFin=\"09:50\"/>"
      "<Sesion Dia=\"M\" HoraInicio=\"08:00\" HoraFin=\"08:55\"/>"
      "<Sesion Dia=\"M\" HoraInicio=\"08:55\" HoraFin=\"09:50\"/></Sesiones>\n");
}

const std::vector<SolucRow> kIntakeSoluc = {
    {"MA01", "CCM", "1", "1", "1A", "P1", "AU1"},
    {"LEUA", "CCM", "2", "2", "2B", "P2", "A12"},
    {"GUIA", "GUIA", "1", "2", "", "P2", "AU1"},
};

const std::vector<std::string> kIntakeActivities = {
    LessonLine("CCM", "P1", "1A", "MATE01", "AULA12", "L", "08:00", "08:55"),
    LessonLine("CCM", "P2", "2B", "LENGUA", "A12", "M", "08:55", "09:50"),
    TaskLine("GUIA", "P2", "", "AULA12", "L", "08:55", "09:50"),
};

TEST_F(ReturnRun, IntakeThenReturnWithTheDialogCancelledUsesTheIntakesSchoolFile) {
  harness.OfferSchoolFile(IntakeSchoolFile());
  BExportarClick(harness.state, harness.shell);
  ASSERT_EQ(harness.shell.messages.back(), messages::kProcesoFinalizado);
  harness.WriteSoluc(kIntakeSoluc);
  harness.shell.events.clear();

  harness.OfferCancel();
  harness.Run();

  EXPECT_EQ(harness.shell.events,
            (std::vector<std::string>{kAbrir, "dialog", "wait:on", "wait:off", kFinalizado}));
  const auto result = harness.Result();
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->Activities(), kIntakeActivities);
}

TEST_F(ReturnRun, IntakeAfterAReturnFindsEveryTableFree) {
  harness.OfferSchoolFile(IntakeSchoolFile());
  BExportarClick(harness.state, harness.shell);
  harness.WriteSoluc(kIntakeSoluc);
  harness.OfferCancel();
  harness.Run();
  ASSERT_EQ(harness.shell.messages.back(), messages::kProcesoFinalizado);

  harness.OfferCancel();
  BExportarClick(harness.state, harness.shell);
  EXPECT_EQ(harness.shell.messages.back(), messages::kProcesoFinalizado);

  harness.OfferCancel();
  harness.Run();
  EXPECT_EQ(harness.shell.messages.back(), messages::kProcesoFinalizado);
  const auto result = harness.Result();
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->Activities(), kIntakeActivities);
  harness.ExpectNoTableHeld();
}

}  // namespace
}  // namespace tto::testing
