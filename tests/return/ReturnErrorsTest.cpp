// Errors that end a return run: the error's text is shown, nothing is written (an earlier
// result file stays as it was), the flag keeps its value, the window stays open, the
// cursor is normal again and no table stays held.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Messages.h"
#include "tests/return/ReturnHarness.h"
#include "tests/support/ScratchFolder.h"

namespace tto::testing {
namespace {

const std::string kAbrir = std::string("message:") + messages::kAbrirFicheroOrdalis;
const SolucRow kLesson = {"MA01", "CCM", "1", "1", "1A", "P1", "AU1"};
const char* const kEarlierResult = "<?xml version=\"1.0\"?>\n<Centro Codigo=\"anterior\"/>\n";

// Prepares the broken run; answers a table it holds open for the length of the run, if any.
using Setup = std::function<std::unique_ptr<Table>(ReturnHarness&)>;

struct ErrorCase {
  const char* name;
  Setup setup;
  std::vector<std::string> messageParts;  // program text the error must name
};

std::unique_ptr<Table> SchoolFile(ReturnHarness& harness, std::string_view xml) {
  harness.WriteSoluc({kLesson});
  harness.OfferSchoolFile(xml);
  return nullptr;
}

std::unique_ptr<Table> Soluc(ReturnHarness& harness, std::vector<SolucRow> rows, SolucLayout layout,
                             std::string_view without = {}) {
  harness.WriteSoluc(rows, layout, without);
  harness.OfferSchoolFile(SchoolFileXml());
  return nullptr;
}

const std::vector<ErrorCase> kErrorCases = {
    {"SchoolFileDoesNotParse",
     [](ReturnHarness& h) { return SchoolFile(h, "<Centro Codigo=\"1\" Nombre="); },
     {"centro.xml"}},
    {"SchoolFileEmpty", [](ReturnHarness& h) { return SchoolFile(h, ""); }, {"centro.xml"}},
    {"RootNamedDifferently",
     [](ReturnHarness& h) {
       return SchoolFile(h,
                         "<Colegio Codigo=\"1\" Nombre=\"n\" CursoEscolar=\"c\" Version=\"v\"/>");
     },
     {"centro.xml", "Colegio"}},
    {"CentroBelowAnotherRoot",
     [](ReturnHarness& h) {
       return SchoolFile(h,
                         "<Raiz><Centro Codigo=\"1\" Nombre=\"n\" CursoEscolar=\"c\" "
                         "Version=\"v\"/></Raiz>");
     },
     {"centro.xml", "Raiz"}},
    {"RootLacksVersion",
     [](ReturnHarness& h) {
       return SchoolFile(h, "<Centro Codigo=\"1\" Nombre=\"n\" CursoEscolar=\"c\"/>");
     },
     {"Centro", "Version"}},
    {"AsigtMissing",
     [](ReturnHarness& h) {
       DeleteTableFiles(h.exchange.path(), "ASIGT");
       return Soluc(h, {kLesson}, SolucLayout::Numeric);
     },
     {"ASIGT"}},
    {"DiashorastHeldByAnotherOpener",
     [](ReturnHarness& h) {
       Soluc(h, {kLesson}, SolucLayout::Numeric);
       auto held = std::make_unique<Table>("DIASHORAST");
       held->Open(h.exchange.path());
       return held;
     },
     {"DIASHORAST"}},
    {"SolucLacksProf",
     [](ReturnHarness& h) { return Soluc(h, {kLesson}, SolucLayout::Numeric, "PROF"); },
     {"PROF", "SOLUC"}},
    {"DiaNotANumber",
     [](ReturnHarness& h) {
       return Soluc(h, {kLesson, {"MA01", "CCM", "X", "1", "1A", "P1", "AU1"}}, SolucLayout::Text);
     },
     {"'X' no es un valor entero v\xE1lido"}},
    {"HoraNotANumber",
     [](ReturnHarness& h) {
       return Soluc(h, {{"GUAR", "GUAR", "1", "abc", "1A", "P1", "AU1"}}, SolucLayout::Text);
     },
     {"'abc' no es un valor punto flotante v\xE1lido"}},
    {"AsignomtLacksAbrevGestion",
     [](ReturnHarness& h) {
       std::vector<FieldDef> schema = AsignomtSchema();
       schema.pop_back();
       DeleteTableFiles(h.exchange.path(), "ASIGNOMT");
       WriteTable(h.exchange.path(), "ASIGNOMT", schema, {{{"COD", "MA01"}}});
       return Soluc(h, {kLesson}, SolucLayout::Numeric);
     },
     {"ABREV_GESTION", "ASIGNOMT"}},
};

class RunEndingError : public ::testing::TestWithParam<std::tuple<ErrorCase, bool>> {};

TEST_P(RunEndingError, EndsTheRunWithNothingWrittenAndNothingHeld) {
  const auto& [errorCase, hosted] = GetParam();
  ReturnHarness harness;
  harness.WriteWorkingTables();
  harness.schools.Write("ResultadoTarvoscentro.xml", kEarlierResult);
  if (hosted) harness.state.NumParametros = 2;
  std::unique_ptr<Table> held = errorCase.setup(harness);

  harness.Run();
  held.reset();

  ASSERT_EQ(harness.shell.messages.size(), 2u);
  const std::string& error = harness.shell.messages[1];
  for (const std::string& part : errorCase.messageParts) {
    EXPECT_NE(error.find(part), std::string::npos) << "'" << part << "' not in: " << error;
  }
  EXPECT_EQ(harness.shell.events, (std::vector<std::string>{kAbrir, "dialog", "wait:on", "wait:off",
                                                            "message:" + error}));
  EXPECT_EQ(harness.state.ResultadoTransformacion, 0);
  EXPECT_EQ(ReadFileBytes(harness.ResultPath()), kEarlierResult);
  EXPECT_EQ(harness.SchoolFolderFiles(),
            (std::vector<std::string>{"ResultadoTarvoscentro.xml", "centro.xml"}));
  harness.ExpectNoTableHeld();
}

INSTANTIATE_TEST_SUITE_P(Errors, RunEndingError,
                         ::testing::Combine(::testing::ValuesIn(kErrorCases), ::testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) ? "_Hosted" : "_StandAlone");
                         });

// The run takes its seven tables in a fixed order; when several are held by Velmora, the
// first of them in that order is the one the error names.
TEST(TableOrder, FirstHeldTableInOpeningOrderIsNamed) {
  const std::vector<std::string> order = {"SOLUC",    "GRUPOST",    "PROFT", "AULAT",
                                          "ASIGNOMT", "DIASHORAST", "ASIGT"};
  for (std::size_t first = 0; first < order.size(); ++first) {
    SCOPED_TRACE(order[first]);
    ReturnHarness harness;
    harness.WriteWorkingTables();
    harness.WriteSoluc({kLesson});
    harness.OfferSchoolFile(SchoolFileXml());
    std::vector<std::unique_ptr<Table>> held;
    for (std::size_t i = first; i < order.size(); ++i) {
      held.push_back(std::make_unique<Table>(order[i]));
      held.back()->Open(harness.exchange.path());
    }

    harness.Run();
    held.clear();

    EXPECT_NE(harness.shell.messages.back().find("La tabla " + order[first] + " "),
              std::string::npos)
        << harness.shell.messages.back();
    EXPECT_FALSE(harness.Result().has_value());
    harness.ExpectNoTableHeld();
  }
}

// A write that fails halfway (the file-size limit stands in for a full disk, which even
// root cannot write past) must not cost the person the result file of an earlier run.
TEST(FailedSave, KeepsTheEarlierResultFileIntact) {
  ReturnHarness harness;
  harness.WriteWorkingTables();
  harness.WriteSoluc({kLesson});
  harness.OfferSchoolFile(SchoolFileXml());
  harness.Run();
  ASSERT_EQ(harness.shell.messages.back(), messages::kProcesoFinalizado);
  const std::string earlier = ReadFileBytes(harness.ResultPath());
  ASSERT_LT(earlier.size(), 4096u);

  harness.WriteSoluc(std::vector<SolucRow>(500, kLesson));
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit limited = saved;
  limited.rlim_cur = 8192;
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  harness.OfferCancel();
  harness.Run();
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_NE(harness.shell.messages.back(), messages::kProcesoFinalizado);
  EXPECT_NE(harness.shell.messages.back().find("ResultadoTarvoscentro.xml"), std::string::npos)
      << harness.shell.messages.back();
  EXPECT_EQ(ReadFileBytes(harness.ResultPath()), earlier);
  EXPECT_EQ(harness.SchoolFolderFiles(),
            (std::vector<std::string>{"ResultadoTarvoscentro.xml", "centro.xml"}));
  harness.ExpectNoTableHeld();
}

}  // namespace
}  // namespace tto::testing
