// The system's ANSI code page: a character it lacks becomes "?", never a
// look-alike that the system would choose by best fit.

#include <windows.h>

#include <gtest/gtest.h>

#include "ansi_code_page.h"

namespace {

TEST(AnsiCodePageWindows, LookAlikesAreNotSubstituted) {
  if (GetACP() != 1252) GTEST_SKIP() << "checked on code page 1252, not " << GetACP();
  // Latin a with macron and fullwidth A: best fit would give "a" and "A".
  EXPECT_EQ(platform::ToAnsi(u"x\u0101\uff21y"), "x??y");
  EXPECT_EQ(platform::ToAnsi(u"\u00e9\u20ac"), "\xe9\x80") << "what it has, it keeps";
  EXPECT_EQ(platform::FromAnsi("\xe9\x80"), u"\u00e9\u20ac");
}

TEST(AnsiCodePageWindows, OneQuestionMarkPerCharacterBeyondTheBasicPlane) {
  if (GetACP() == CP_UTF8) GTEST_SKIP() << "UTF-8 has every character";
  EXPECT_EQ(platform::ToAnsi(u"a\U0001F5A8b"), "a?b");
  EXPECT_EQ(platform::ToAnsi(u"a\xd800" u"b\xdc00"), "a?b?") << "lone surrogates";
}

}  // namespace
