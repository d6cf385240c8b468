// The lookups of the return run answer exactly what Locate answers on the same table: the
// first row in natural order whose field equals the text (exact, case-sensitive, whole
// value, trailing fill ignored), and nothing for a text that no row holds.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "return/SolutionLookups.h"
#include "tests/return/ReturnHarness.h"

namespace tto::testing {
namespace {

TEST(FirstMatchIndex, AnswersWhatLocateAnswersForEveryText) {
  ScratchFolder folder;
  WriteTable(folder.path(), "AULAT", AulatSchema(),
             {{{"ABREV", "A1"}, {"ABREV_GESTION", "primera"}},
              {{"ABREV", "a1"}, {"ABREV_GESTION", "minuscula"}},
              {{"ABREV", " A1"}, {"ABREV_GESTION", "con blanco delante"}},
              {{"ABREV", ""}, {"ABREV_GESTION", "sin codigo"}},
              {{"ABREV", "ABCDEFGHIJ"}, {"ABREV_GESTION", "ancho entero"}},
              {{"ABREV", "ABCDEFGHIJKL"}, {"ABREV_GESTION", "cortado"}},
              {{"ABREV", "\xC1ULA"}, {"ABREV_GESTION", "acento"}},
              {{"ABREV", "A1"}, {"ABREV_GESTION", "segunda"}},
              {{"ABREV", ""}, {"ABREV_GESTION", "sin codigo otra vez"}}});
  const std::vector<std::string> probes = {
      "A1",  "a1",         " A1",         "A1 ",          "",        " ",       "A",
      "A12", "ABCDEFGHIJ", "ABCDEFGHIJK", "ABCDEFGHIJKL", "\xC1ULA", "\xE1ULA", "ZZ"};

  Table table{"AULAT"};
  OpenTable open(table, folder.path());
  FirstMatchIndex index(table, "ABREV", {"ABREV_GESTION"});
  for (const std::string& probe : probes) {
    const std::vector<std::string>* found = index.Find(probe);
    table.First();
    const bool located = table.Locate("ABREV", probe);
    ASSERT_EQ(found != nullptr, located) << "'" << probe << "'";
    if (located) {
      EXPECT_EQ(*found, std::vector<std::string>{table.Text("ABREV_GESTION")})
          << "'" << probe << "'";
    }
  }
  ASSERT_NE(index.Find("A1"), nullptr);
  EXPECT_EQ(*index.Find("A1"), std::vector<std::string>{"primera"});
  EXPECT_EQ(*index.Find("ABCDEFGHIJ"), std::vector<std::string>{"ancho entero"})
      << "the cut value comes later";
}

}  // namespace
}  // namespace tto::testing
