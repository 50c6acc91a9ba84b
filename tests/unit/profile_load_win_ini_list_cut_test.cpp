// ProfileLoadWinIniList over a profile that answers a cut list as Windows XP
// and Wine do, leaving the buffer's last byte alone: the count alone must
// tell the list was cut.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ansi_code_page.h"
#include "list_control.h"
#include "main_window.h"
#include "scratch_profile.h"
#include "xp_profile_double.h"

namespace {

using Names = std::vector<std::u16string>;

// `count` names of `width` copies of `fill`, each made unique by two
// characters from `digits` on.
Names MakeNames(int count, std::size_t width, char16_t fill, char16_t digits) {
  Names names;
  for (int i = 0; i < count; ++i) {
    std::u16string name(width, fill);
    name += static_cast<char16_t>(digits + i / 20);
    name += static_cast<char16_t>(digits + i % 20);
    names.push_back(name);
  }
  return names;
}

struct CutCase {
  const char* name;
  const char* locale;
  Names keys;
  int listed;  // how many of the first keys the list ends up with
};

void PrintTo(const CutCase& c, std::ostream* out) { *out << c.name; }

const CutCase kCutCases[] = {
    // 58 + 2 bytes and a NUL: 132 names fit in 8100 bytes, the 133rd is cut.
    {"SingleByteNames", "C", MakeNames(140, 58, u'k', u'A'), 132},
    // 28 + 2 two-byte characters and a NUL: the same 61 bytes, so 132 fit,
    // but the count reaches past the text they become, over the cut name.
    {"MultiByteNames", "C.UTF-8", MakeNames(140, 28, u'\u00e4', u'\u0100'),
     132},
    // 81 names of 99 bytes and their NULs take 8100 bytes, the final NUL
    // makes 8101: the list fits, yet the count is the size less 2, as for a
    // cut one; the NUL before the end shows every name is whole.
    {"ListOneShortOfTheBuffer", "C", MakeNames(81, 97, u'k', u'A'), 81},
    // 8102 exactly: answered as cut, so the last name, though whole, goes.
    {"ListFillingTheBuffer", "C",
     [] {
       Names names = MakeNames(81, 97, u'k', u'A');
       names.back() += u'x';
       return names;
     }(),
     80},
};

class ListCutByXpProfile : public testing::TestWithParam<CutCase> {};

TEST_P(ListCutByXpProfile, ListsOnlyTheNamesTheCountVouchesFor) {
  const CutCase& c = GetParam();
  if (!testing_support::UseAnsiLocale(c.locale) && std::string(c.locale) != "C")
    GTEST_SKIP() << "needs the " << c.locale << " ANSI code page";
  if (std::string(c.locale) != "C" && !testing_support::AnsiCodePageIsMultiByte())
    GTEST_SKIP() << "needs a multi-byte ANSI code page";
  std::vector<std::string> ansi;
  for (const auto& key : c.keys) ansi.push_back(platform::ToAnsi(key));
  testing_support::AnswerKeyListWith(ansi);

  Form1 form;
  platform::ListControl list;
  std::u16string section = u"PellomarKeys";
  EXPECT_EQ(form.ProfileLoadWinIniList(list, section), c.listed);
  Names items;
  for (std::int32_t i = 0; i < list.ListCount(); ++i) items.push_back(list.List(i));
  EXPECT_EQ(items, Names(c.keys.begin(), c.keys.begin() + c.listed));
}

INSTANTIATE_TEST_SUITE_P(
    ProfileLoadWinIniList, ListCutByXpProfile, testing::ValuesIn(kCutCases),
    [](const auto& test_case) { return std::string(test_case.param.name); });

}  // namespace
