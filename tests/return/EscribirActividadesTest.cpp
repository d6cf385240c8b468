// What each solution row becomes in horario: the pass it belongs to, the rows left out,
// and the codes translated back through the working tables. Every case runs on a SOLUC
// with numeric fields (level 4), with binary long and double fields (level 7), and with
// day and slot held as text.

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "core/Messages.h"
#include "tests/return/ReturnHarness.h"

namespace tto::testing {
namespace {

struct ActivityCase {
  const char* name;
  std::vector<SolucRow> rows;
  std::vector<std::string> expected;
};

// Working tables (see ReturnHarness::WriteWorkingTables): subjects MA01 -> MATE01,
// LEUA -> LENGUA, MAT -> MATX, GUAR -> GUARDIA (a task type); teachers P1, P2; rooms
// AU1 -> AULA12, A12 -> A12, Labo -> (empty); groups 1A, 1EOA, 2BAC; slots 11, 12, 21, 22
// (08:00-08:55, 08:55-09:50), 111 (15:00-15:55), 61 (09:00-10:00), 71 (10:00-11:00). Each
// table ends with a duplicate of its first key that must never be reached.
const std::vector<ActivityCase> kActivityCases = {
    {"LessonTranslatedThroughEveryTable",
     {{"MA01", "CCM", "1", "2", "1A", "P1", "AU1"}},
     {LessonLine("CCM", "P1", "1A", "MATE01", "AULA12", "L", "08:55", "09:50")}},
    {"TaskKeepsItsGroupHasNoSubjectAndNamesItsRoomCodigAula",
     {{"GUAR", "GUAR", "2", "1", "1EOA", "P2", "A12"}},
     {TaskLine("GUAR", "P2", "1EOA", "A12", "M", "08:00", "08:55")}},
    {"FirstRowInNaturalOrderAnswersEverySearch",
     {{"MA01", "CCM", "1", "1", "1A", "P1", "AU1"}},
     {LessonLine("CCM", "P1", "1A", "MATE01", "AULA12", "L", "08:00", "08:55")}},
    {"DayZeroOrSlotZeroIsNeverWritten",
     {{"MA01", "CCM", "0", "1", "1A", "P1", "AU1"},
      {"MA01", "CCM", "1", "0", "1A", "P1", "AU1"},
      {"GUAR", "GUAR", "0", "1", "1A", "P1", "AU1"},
      {"GUAR", "GUAR", "1", "0", "1A", "P1", "AU1"}},
     {}},
    {"AsigAndTareaDifferingOnlyInCaseMakeALesson",
     {{"MAT", "mat", "1", "1", "1A", "P1", "AU1"}},
     {LessonLine("mat", "P1", "1A", "MATX", "AULA12", "L", "08:00", "08:55")}},
    {"UnknownGroupLeavesOutTheLessonButNotTheTask",
     {{"MA01", "CCM", "1", "1", "9Z", "P1", "AU1"},
      {"GUAR", "GUAR", "1", "1", "9Z", "P1", "AU1"},
      {"GUAR", "GUAR", "1", "2", "", "P1", "AU1"}},
     {TaskLine("GUAR", "P1", "9Z", "AULA12", "L", "08:00", "08:55"),
      TaskLine("GUAR", "P1", "", "AULA12", "L", "08:55", "09:50")}},
    {"UnknownSubjectIsLeftOutInBothPasses",
     {{"XX01", "CCM", "1", "1", "1A", "P1", "AU1"}, {"XX01", "XX01", "1", "1", "1A", "P1", "AU1"}},
     {}},
    {"UnknownTeacherOrRoomGivesAnEmptyAttribute",
     {{"MA01", "CCM", "1", "1", "1A", "NOPE", "NOPE"},
      {"GUAR", "GUAR", "1", "1", "1A", "", ""},
      {"LEUA", "CCM", "2", "2", "2BAC", "P2", "Labo"}},
     {LessonLine("CCM", "", "1A", "MATE01", "", "L", "08:00", "08:55"),
      LessonLine("CCM", "P2", "2BAC", "LENGUA", "", "M", "08:55", "09:50"),
      TaskLine("GUAR", "", "1A", "", "L", "08:00", "08:55")}},
    {"SearchesAreExactCaseSensitiveAndWholeValue",
     {{"ma01", "CCM", "1", "1", "1A", "P1", "AU1"},
      {"MA0", "CCM", "1", "1", "1A", "P1", "AU1"},
      {"MA01", "CCM", "1", "1", "1a", "P1", "AU1"},
      {"MA01", "CCM", "1", "1", "1", "P1", "AU1"},
      {"MA01", "CCM", "1", "1", "1A", "p1", "au1"}},
     {LessonLine("CCM", "", "1A", "MATE01", "", "L", "08:00", "08:55")}},
    {"SaturdayAndSundayHaveTheirLetters",
     {{"MA01", "CCM", "6", "1", "1A", "P1", "AU1"}, {"MA01", "CCM", "7", "1", "1A", "P1", "AU1"}},
     {LessonLine("CCM", "P1", "1A", "MATE01", "AULA12", "S", "09:00", "10:00"),
      LessonLine("CCM", "P1", "1A", "MATE01", "AULA12", "D", "10:00", "11:00")}},
    {"DayElevenSlotOneSharesTheKeyOfDayOneSlotEleven",
     {{"MA01", "CCM", "11", "1", "1A", "P1", "AU1"}, {"MA01", "CCM", "1", "11", "1A", "P1", "AU1"}},
     {LessonLine("CCM", "P1", "1A", "MATE01", "AULA12", "", "15:00", "15:55"),
      LessonLine("CCM", "P1", "1A", "MATE01", "AULA12", "L", "15:00", "15:55")}},
    {"SlotMissingFromDiashorastLeavesTheRowOut",
     {{"MA01", "CCM", "2", "9", "1A", "P1", "AU1"},
      {"MA01", "CCM", "8", "1", "1A", "P1", "AU1"},
      {"GUAR", "GUAR", "3", "1", "1A", "P1", "AU1"}},
     {}},
    {"IdenticalRowsGiveIdenticalElements",
     {{"LEUA", "CCM", "2", "1", "1EOA", "P2", "A12"},
      {"LEUA", "CCM", "2", "1", "1EOA", "P2", "A12"}},
     {LessonLine("CCM", "P2", "1EOA", "LENGUA", "A12", "M", "08:00", "08:55"),
      LessonLine("CCM", "P2", "1EOA", "LENGUA", "A12", "M", "08:00", "08:55")}},
    {"RowAfterALeftOutRowCarriesNoneOfItsValues",
     {{"MA01", "CCM", "2", "9", "1A", "P1", "AU1"},
      {"LEUA", "CCM", "1", "1", "1EOA", "NOPE", "NOPE"},
      {"MA01", "CCM", "1", "1", "9Z", "P1", "AU1"},
      {"GUAR", "GUAR", "1", "2", "", "", ""}},
     {LessonLine("CCM", "", "1EOA", "LENGUA", "", "L", "08:00", "08:55"),
      TaskLine("GUAR", "", "", "", "L", "08:55", "09:50")}},
    {"LessonsComeFirstThenTasksEachInSolucOrder",
     {{"GUAR", "GUAR", "1", "1", "T1", "P1", "AU1"},
      {"MA01", "CCM", "1", "1", "1A", "P1", "AU1"},
      {"GUAR", "GUAR", "1", "2", "T2", "P2", "A12"},
      {"LEUA", "CCM", "2", "2", "1EOA", "P2", "A12"}},
     {LessonLine("CCM", "P1", "1A", "MATE01", "AULA12", "L", "08:00", "08:55"),
      LessonLine("CCM", "P2", "1EOA", "LENGUA", "A12", "M", "08:55", "09:50"),
      TaskLine("GUAR", "P1", "T1", "AULA12", "L", "08:00", "08:55"),
      TaskLine("GUAR", "P2", "T2", "A12", "L", "08:55", "09:50")}},
};

class Activities : public ::testing::TestWithParam<std::tuple<ActivityCase, SolucLayout>> {};

TEST_P(Activities, WrittenUnderHorarioAsTranslated) {
  const auto& [activityCase, layout] = GetParam();
  ReturnHarness harness;
  harness.WriteWorkingTables();
  harness.WriteSoluc(activityCase.rows, layout);
  harness.OfferSchoolFile(SchoolFileXml());

  harness.Run();

  ASSERT_EQ(harness.shell.messages.back(), messages::kProcesoFinalizado);
  const auto result = harness.Result();
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->Activities(), activityCase.expected);
  harness.ExpectNoTableHeld();
}

INSTANTIATE_TEST_SUITE_P(Rows, Activities,
                         ::testing::Combine(::testing::ValuesIn(kActivityCases),
                                            ::testing::Values(SolucLayout::Numeric,
                                                              SolucLayout::Binary,
                                                              SolucLayout::Text)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "_" +
                                  LayoutName(std::get<1>(info.param));
                         });

// The layouts above are what they claim: the binary layout really is a level-7 table with
// long and double fields, so the cases cover numbers read from binary fields.
TEST(SolucLayouts, BinaryLayoutHoldsDayAndSlotInLongAndDoubleFields) {
  ReturnHarness harness;
  harness.WriteSoluc({{"MA01", "CCM", "1", "2", "1A", "P1", "AU1"}}, SolucLayout::Binary);
  Table soluc{"SOLUC"};
  OpenTable open(soluc, harness.exchange.path());
  std::string types;
  for (const FieldInfo& field : soluc.Fields()) {
    if (field.name == "DIA" || field.name == "HORA") types += field.type;
  }
  EXPECT_EQ(types, "IO");
  soluc.First();
  EXPECT_EQ(soluc.Text("DIA"), "1");
  EXPECT_EQ(soluc.Text("HORA"), "2");
}

}  // namespace
}  // namespace tto::testing
