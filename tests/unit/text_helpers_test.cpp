// Cutting NUL-separated items and comma-separated fields.

#include <gtest/gtest.h>

#include <string>

#include "form1_test_access.h"

using namespace std::string_literals;

namespace {

struct NulItemCase {
  const char* name;
  std::u16string text;
  std::u16string item;
  std::u16string rest;
};

void PrintTo(const NulItemCase& c, std::ostream* os) { *os << c.name; }

class TakeFirstNulItemTest : public testing::TestWithParam<NulItemCase> {};

TEST_P(TakeFirstNulItemTest, CutsTheItemBeforeTheFirstNul) {
  const NulItemCase& c = GetParam();
  Form1 form;
  std::u16string text = c.text;
  EXPECT_EQ(Form1TestAccess::TakeFirstNulItem(form, text), c.item);
  EXPECT_EQ(text, c.rest);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TakeFirstNulItemTest,
    testing::Values(
        NulItemCase{"TwoItems", u"ab\0cd\0"s, u"ab", u"cd\0"s},
        NulItemCase{"LeadingNul", u"\0x"s, u"", u"x"},
        NulItemCase{"NoNulLeavesTextAlone", u"abc", u"", u"abc"},
        NulItemCase{"NulIsLastCharacter", u"abc\0"s, u"abc", u""},
        NulItemCase{"OnlyNul", u"\0"s, u"", u""},
        NulItemCase{"Empty", u"", u"", u""},
        NulItemCase{"OnlyTheFirstNulCounts", u"a\0\0b"s, u"a", u"\0b"s},
        NulItemCase{"NonAsciiKept", u"\u00e9t\u00e9\0\u4e2d"s, u"\u00e9t\u00e9",
                    u"\u4e2d"},
        NulItemCase{"SpacesAreCharacters", u"  \0 "s, u"  ", u" "}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

struct CommaCase {
  const char* name;
  std::u16string entry;
  std::u16string first;
  std::u16string second;
};

void PrintTo(const CommaCase& c, std::ostream* os) { *os << c.name; }

class SplitCommaFieldsTest : public testing::TestWithParam<CommaCase> {};

TEST_P(SplitCommaFieldsTest, GivesTheFieldsClosedByACommaOnly) {
  const CommaCase& c = GetParam();
  Form1 form;
  // Leftovers from an earlier use must not survive.
  std::u16string first = u"stale", second = u"stale";
  Form1TestAccess::SplitCommaFields(form, c.entry, first, second);
  EXPECT_EQ(first, c.first);
  EXPECT_EQ(second, c.second);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitCommaFieldsTest,
    testing::Values(
        CommaCase{"ThreeFields", u"a,b,c", u"a", u"b"},
        CommaCase{"DeviceEntry", u"Pellomar,winspool,Ne01:", u"Pellomar",
                  u"winspool"},
        CommaCase{"SecondFieldNotClosed", u"winspool,Ne01:", u"winspool", u""},
        CommaCase{"EmptyFirstField", u",x,", u"", u"x"},
        CommaCase{"NoComma", u"abc", u"", u""},
        CommaCase{"Empty", u"", u"", u""},
        CommaCase{"AdjacentCommas", u"a,,b", u"a", u""},
        CommaCase{"SpacesKept", u" a , b ,c", u" a ", u" b "},
        CommaCase{"NulIsAnOrdinaryCharacter", u"a\0b,c\0,d"s, u"a\0b"s,
                  u"c\0"s}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

TEST(SplitCommaFields, WorksOnItsOwnCopyOfTheEntry) {
  Form1 form;
  std::u16string entry = u"one,two,three";
  std::u16string first, second;
  Form1TestAccess::SplitCommaFields(form, entry, first, second);
  EXPECT_EQ(entry, u"one,two,three");
}

}  // namespace
