#include "store/AnsiText.h"

#include <gtest/gtest.h>

#include <string>

namespace tto {
namespace {

struct TextCase {
  std::string utf8;
  std::string ansi;
};

TEST(AnsiText, Utf8AndWindows1252CrossBothWays) {
  const TextCase cases[] = {
      {"", ""},
      {"Aula 1", "Aula 1"},
      {"Matem\xC3\xA1ticas", "Matem\xE1ticas"},
      {"Educaci\xC3\xB3n F\xC3\xADsica", "Educaci\xF3n F\xEDsica"},
      {"Pe\xC3\xB1"
       "alver",
       "Pe\xF1"
       "alver"},
      {"\xC3\x91"
       "and\xC3\xBA",
       "\xD1"
       "and\xFA"},
      {"\xE2\x82\xAC", "\x80"},  // euro sign
      {"\xE2\x80\x9C"
       "x"
       "\xE2\x80\x9D",
       "\x93x\x94"},                                 // curly quotes
      {"\xC5\xA0\xC5\x93\xC5\xB8", "\x8A\x9C\x9F"},  // Š œ Ÿ
      {"\xC2\xA0\xC3\xBF", "\xA0\xFF"},              // no-break space, ÿ
      {"\xC2\x81", "\x81"},                          // an undefined byte maps to its C1 control
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(Utf8ToAnsi(c.utf8), c.ansi);
    EXPECT_EQ(AnsiToUtf8(c.ansi), c.utf8);
  }
}

TEST(AnsiText, WhatTheCodePageLacksOrWhatIsBrokenBecomesQuestionMark) {
  const TextCase cases[] = {
      {"\xCE\xA9", "?"},  // Greek omega
      {"\xE4\xB8\xAD"
       "x",
       "?x"},                     // CJK
      {"\xF0\x9F\x98\x80", "?"},  // emoji: one mark for the whole character
      {"a\xC3", "a?"},            // truncated sequence at the end
      {"\xC3"
       "a",
       "?a"},  // lead byte without continuation
      {"\x80"
       "a",
       "?a"},                     // lone continuation byte
      {"\xC0\xAF", "??"},         // overlong form
      {"\xE0\x80\xAF", "?"},      // overlong three-byte form
      {"\xED\xA0\x80", "?"},      // encoded surrogate
      {"\xF4\x90\x80\x80", "?"},  // beyond U+10FFFF
      {"\xFF", "?"},              // never valid
      {"\xC2\x80", "?"},          // U+0080: no Windows-1252 byte
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(Utf8ToAnsi(c.utf8), c.ansi);
  }
}

TEST(AnsiText, AttributeTextDropsControlsAndBlanksAtBothEnds) {
  EXPECT_EQ(TrimAttributeText("  MATE01 \t\r\n"), "MATE01");
  EXPECT_EQ(TrimAttributeText("\x01\x1F x y \x20"), "x y");
  EXPECT_EQ(TrimAttributeText(" \xA0x\xA0 "), "\xA0x\xA0");  // no-break space is no blank
  EXPECT_EQ(TrimAttributeText("   "), "");
  EXPECT_EQ(TrimAttributeText(""), "");
}

TEST(AnsiText, CaseFoldingJoinsCasesButKeepsAccentsApart) {
  struct Pair {
    const char* a;
    const char* b;
    bool equal;
  };
  const Pair pairs[] = {
      {"aula", "AULA", true},
      {"\xE9", "\xC9", true},                          // é É
      {"Educaci\xF3n", "EDUCACI\xD3N", true},          // ó Ó
      {"\xF1", "\xD1", true},                          // ñ Ñ
      {"\x9A\x9C\x9E\xFF", "\x8A\x8C\x8E\x9F", true},  // š œ ž ÿ
      {"e", "\xE9", false},                            // e é
      {"E", "\xC9", false},
      {"\xF7", "\xD7", false},  // ÷ is not a lower-case ×
      {"\xDF", "SS", false},    // ß stays ß
      {"ab", "abc", false},
      {"", "", true},
  };
  for (const Pair& p : pairs) {
    SCOPED_TRACE(std::string(p.a) + " / " + p.b);
    EXPECT_EQ(AnsiEqualsIgnoreCase(p.a, p.b), p.equal);
    EXPECT_EQ(AnsiFoldCase(p.a) == AnsiFoldCase(p.b), p.equal);
  }
}

TEST(AnsiText, LowerCaseCoversAccentedLetters) {
  EXPECT_EQ(AnsiLowerCase("EXPORTAR"), "exportar");
  EXPECT_EQ(AnsiLowerCase("ImPoRtAr"), "importar");
  EXPECT_EQ(AnsiLowerCase("\xC1\xC9\xCD\xD3\xDA\xD1\x8A\x9F"), "\xE1\xE9\xED\xF3\xFA\xF1\x9A\xFF");
  EXPECT_EQ(AnsiLowerCase("\xD7\xDF 1-2"), "\xD7\xDF 1-2");
}

}  // namespace
}  // namespace tto
