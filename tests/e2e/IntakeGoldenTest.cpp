// The intake through the command line on a realistic school file (accents, dozens of
// subjects, teachers, rooms, groups and sessions), each table compared with its golden
// dump in tests/fixtures/golden/<TABLE>.txt.
//
// To rewrite the golden dumps after a deliberate change, run this test with
// TTO_UPDATE_GOLDEN=1 and check the differences by hand before committing them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "tests/e2e/CliRun.h"
#include "tests/support/ScratchFolder.h"

namespace tto::testing {
namespace {

// The tables an intake run writes, each with its golden dump.
const char* const kGoldenTables[] = {
    "ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "DIASHORAST", "COUNTSES", "ASIGT",
};

const std::filesystem::path kSchoolFile =
    std::filesystem::path(TTO_FIXTURES_DIR) / "school" / "realistic.xml";
const std::filesystem::path kGoldenFolder = std::filesystem::path(TTO_FIXTURES_DIR) / "golden";

class IntakeGolden : public ::testing::TestWithParam<const char*> {
 protected:
  static void SetUpTestSuite() {
    exchange_ = std::make_unique<ScratchFolder>();
    // Left over from another converter: the intake removes CURSOST whatever its case.
    for (const char* name : {"CURSOST.DBF", "cursost.mdx", "CursoSt.Dbf"}) {
      exchange_->Write(name, "not a table");
    }
    intake_ = Transtarvos("intake --exchange " + Quoted(exchange_->path().string()) + " " +
                          Quoted(kSchoolFile.string()));
  }
  static void TearDownTestSuite() { exchange_.reset(); }

  static std::unique_ptr<ScratchFolder> exchange_;
  static CommandResult intake_;
};

std::unique_ptr<ScratchFolder> IntakeGolden::exchange_;
CommandResult IntakeGolden::intake_;

TEST_P(IntakeGolden, TableMatchesGoldenDump) {
  ASSERT_EQ(intake_.status, 0) << intake_.out;
  ASSERT_NE(intake_.out.find("Proceso finalizado"), std::string::npos) << intake_.out;

  const std::string table = GetParam();
  const CommandResult dump =
      Transtarvos("dump --exchange " + Quoted(exchange_->path().string()) + " " + table);
  ASSERT_EQ(dump.status, 0) << dump.out;

  const std::filesystem::path golden = kGoldenFolder / (table + ".txt");
  if (std::getenv("TTO_UPDATE_GOLDEN") != nullptr) {
    std::ofstream(golden, std::ios::binary) << dump.out;
    GTEST_SKIP() << "rewrote " << golden;
  }
  ASSERT_TRUE(std::filesystem::exists(golden)) << golden;
  EXPECT_EQ(dump.out, ReadFileBytes(golden)) << "table " << table;
}

TEST_F(IntakeGolden, CursostIsGone) {
  ASSERT_EQ(intake_.status, 0) << intake_.out;
  for (const auto& entry : std::filesystem::directory_iterator(exchange_->path())) {
    std::string name = entry.path().filename().string();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    EXPECT_FALSE(name.starts_with("CURSOST.")) << entry.path();
  }
}

INSTANTIATE_TEST_SUITE_P(Realistic, IntakeGolden, ::testing::ValuesIn(kGoldenTables),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param);
                         });

}  // namespace
}  // namespace tto::testing
