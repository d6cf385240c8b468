#include "intake/CodeRegistry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tto {
namespace {

struct NumberingCase {
  const char* name;
  LongCodeRule rule;
  std::vector<std::string> codes;
  std::vector<std::string> expected;
};

class CodeNumbering : public ::testing::TestWithParam<NumberingCase> {};

TEST_P(CodeNumbering, GivesEachCodeInTurn) {
  const NumberingCase& c = GetParam();
  CodigosTabla registry;
  std::vector<std::string> given;
  for (const std::string& code : c.codes) given.push_back(GiveOutCode(code, registry, c.rule));
  EXPECT_EQ(given, c.expected);
}

const std::vector<std::string> kElevenAbc(11, "ABC");

INSTANTIATE_TEST_SUITE_P(
    Rules, CodeNumbering,
    ::testing::Values(
        NumberingCase{"TeacherRepeatedFourDigits",
                      LongCodeRule::Keep,
                      {"1234", "1234", "1234"},
                      {"1234", "1231", "1232"}},
        NumberingCase{"TeacherStemSkipsTakenNumber",
                      LongCodeRule::Keep,
                      {"12", "121", "12"},
                      {"12", "121", "122"}},
        NumberingCase{"TeacherCaseIgnored", LongCodeRule::Keep, {"ABC", "abc"}, {"ABC", "abc1"}},
        NumberingCase{"TeacherAccentCaseIgnored",
                      LongCodeRule::Keep,
                      {"\xC9L", "\xE9l", "el"},
                      {"\xC9L", "\xE9l1", "el"}},
        NumberingCase{"TeacherEmptyCodes", LongCodeRule::Keep, {"", ""}, {"", "1"}},
        NumberingCase{"TeacherLongCodeKept", LongCodeRule::Keep, {"ABCDEFGHIJK"}, {"ABCDEFGHIJK"}},
        NumberingCase{"RoomShortCodes",
                      LongCodeRule::StemWithNumber,
                      {"A12", "1234", "A12", "a1", "A1"},
                      {"A12", "1234", "A121", "a1", "A11"}},
        NumberingCase{"RoomLongCodes",
                      LongCodeRule::StemWithNumber,
                      {"AULA12", "AULA13", "AULA12"},
                      {"AU1", "AU2", "AU3"}},
        NumberingCase{
            "RoomElevenAbc",
            LongCodeRule::StemWithNumber,
            kElevenAbc,
            {"ABC", "ABC1", "ABC2", "ABC3", "ABC4", "ABC5", "ABC6", "ABC7", "ABC8", "ABC9", "AB1"}},
        NumberingCase{"GroupShortening",
                      LongCodeRule::FirstTwoLastTwo,
                      {"1A", "1A", "2BAC", "1ESOA", "1EPOA", "1ESOA", "1EOA"},
                      {"1A", "1A1", "2BAC", "1EOA", "1EOA", "1EOA", "1EO1"}},
        NumberingCase{"GroupElevenAbc",
                      LongCodeRule::FirstTwoLastTwo,
                      kElevenAbc,
                      {"ABC", "ABC1", "ABC2", "ABC3", "ABC4", "ABC5", "ABC6", "ABC7", "ABC8",
                       "ABC9", "AB10"}}),
    [](const ::testing::TestParamInfo<NumberingCase>& info) { return info.param.name; });

}  // namespace
}  // namespace tto
