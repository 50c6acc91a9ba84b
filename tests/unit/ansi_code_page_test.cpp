// Texts handed to system functions go as a copy in the ANSI code page; a
// variable gets its copy back after the call.

#include <gtest/gtest.h>

#include <string>

#include "ansi_argument.h"
#include "ansi_code_page.h"
#include "scratch_profile.h"

using namespace std::string_literals;

namespace {

class AnsiCodePage : public testing::Test {
 protected:
  void SetUp() override {
    // Single-byte ASCII on Linux; whatever the system has on Windows.
    testing_support::UseAnsiLocale("C");
  }
};

TEST_F(AnsiCodePage, AsciiRoundTripsUnchanged) {
  std::u16string all;
  for (char16_t c = 1; c < 0x80; ++c) all.push_back(c);
  const std::string bytes = platform::ToAnsi(all);
  ASSERT_EQ(bytes.size(), all.size());
  for (std::size_t i = 0; i < all.size(); ++i)
    EXPECT_EQ(static_cast<char16_t>(bytes[i]), all[i]);
  EXPECT_EQ(platform::FromAnsi(bytes), all);
}

TEST_F(AnsiCodePage, NulsAreCarriedLikeAnyCharacter) {
  const std::u16string text = u"a\0b\0\0"s;
  EXPECT_EQ(platform::ToAnsi(text), "a\0b\0\0"s);
  EXPECT_EQ(platform::FromAnsi("a\0b\0\0"s), text);
}

TEST_F(AnsiCodePage, MissingCharacterBecomesQuestionMark) {
  // No single-byte code page has this ideograph.
  EXPECT_EQ(platform::ToAnsi(u"x\u4e2dy"), "x?y");
  EXPECT_EQ(platform::FromAnsi(platform::ToAnsi(u"x\u4e2dy")), u"x?y");
}

TEST_F(AnsiCodePage, EmptyTextStaysEmpty) {
  EXPECT_EQ(platform::ToAnsi(u""), "");
  EXPECT_EQ(platform::FromAnsi(""), u"");
}

TEST(AnsiCodePageUtf8, MultiByteCharactersRoundTrip) {
  if (!testing_support::UseAnsiLocale("C.UTF-8"))
    GTEST_SKIP() << "this platform's ANSI code page is fixed for the process";
  const std::u16string text = u"\u00e4\u4e2d\U0001F5A8";  // a printer emoji too
  const std::string bytes = platform::ToAnsi(text);
  EXPECT_EQ(bytes, "\xc3\xa4\xe4\xb8\xad\xf0\x9f\x96\xa8");
  EXPECT_EQ(platform::FromAnsi(bytes), text);
}

TEST(AnsiCodePageUtf8, BrokenBytesAndLoneSurrogatesBecomeQuestionMarks) {
  if (!testing_support::UseAnsiLocale("C.UTF-8"))
    GTEST_SKIP() << "this platform's ANSI code page is fixed for the process";
  EXPECT_EQ(platform::FromAnsi("a\xff" "b\xc3"), u"a?b?");
  EXPECT_EQ(platform::ToAnsi(u"a\xd800" "b"), "a?b");
}

TEST_F(AnsiCodePage, VariableReceivesItsConvertedCopyBack) {
  std::u16string variable = u"Sektion\u4e2d";
  {
    platform::AnsiArgument argument(variable);
    EXPECT_STREQ(argument.in(), "Sektion?");
    argument.out()[0] = 's';  // what a call may write into a buffer
    argument.WriteBack();
  }
  EXPECT_EQ(variable, u"sektion?");
}

TEST_F(AnsiCodePage, ConstantAndNullArgumentsHaveNoWayBack) {
  platform::AnsiArgument constant(u"windows");
  EXPECT_STREQ(constant.in(), "windows");
  constant.WriteBack();  // nothing to write to; must not fail
  platform::AnsiArgument null(nullptr);
  EXPECT_EQ(null.in(), nullptr);
  EXPECT_EQ(null.out(), nullptr);
}

}  // namespace
