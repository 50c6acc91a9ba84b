// Listing a profile section's key names into a list control.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form1_test_access.h"
#include "list_control.h"
#include "main_window.h"
#include "scratch_profile.h"

namespace {

using Names = std::vector<std::u16string>;

Names Items(const platform::ListControl& list) {
  Names items;
  for (std::int32_t i = 0; i < list.ListCount(); ++i) items.push_back(list.List(i));
  return items;
}

class ProfileLoadWinIniList : public testing::Test {
 protected:
  void SetUp() override { testing_support::UseAnsiLocale("C"); }

  // Writes the keys, in order, into `section`.
  void MakeSection(const std::u16string& section, const Names& keys) {
    for (const auto& key : keys) profile_.Write(section, key, u"1");
  }

  std::int32_t Load(platform::ListControl& list, std::u16string section) {
    return form_.ProfileLoadWinIniList(list, section);
  }

  testing_support::ScratchProfile profile_;
  Form1 form_;
};

TEST_F(ProfileLoadWinIniList, ListsKeysInOrderIntoAnEmptyList) {
  MakeSection(u"PellomarKeys", {u"alpha", u"beta"});
  platform::ListControl list;
  EXPECT_EQ(Load(list, u"PellomarKeys"), 2);
  EXPECT_EQ(Items(list), (Names{u"alpha", u"beta"}));
}

TEST_F(ProfileLoadWinIniList, KeepsWhatTheListHeldAndCountsIt) {
  MakeSection(u"PellomarKeys", {u"alpha", u"beta"});
  platform::ListControl list;
  for (const auto* item : {u"one", u"two", u"three"}) list.AddItem(item);
  EXPECT_EQ(Load(list, u"PellomarKeys"), 5);
  EXPECT_EQ(Items(list), (Names{u"one", u"two", u"three", u"alpha", u"beta"}));
}

TEST_F(ProfileLoadWinIniList, SortingListPlacesTheNamesByItsOrder) {
  MakeSection(u"PellomarKeys", {u"zeta", u"alpha", u"Mid"});
  platform::ListControl list(/*sorted=*/true);
  list.AddItem(u"beta");
  EXPECT_EQ(Load(list, u"PellomarKeys"), 4);
  EXPECT_EQ(Items(list), (Names{u"alpha", u"beta", u"Mid", u"zeta"}));
}

TEST_F(ProfileLoadWinIniList, MissingSectionLeavesTheListAsItWas) {
  MakeSection(u"PellomarKeys", {u"alpha"});
  platform::ListControl empty;
  EXPECT_EQ(Load(empty, u"PellomarNoSuchSection"), 0);
  platform::ListControl held;
  for (const auto* item : {u"one", u"two", u"three"}) held.AddItem(item);
  EXPECT_EQ(Load(held, u"PellomarNoSuchSection"), 3);
  EXPECT_EQ(Items(held), (Names{u"one", u"two", u"three"}));
}

TEST_F(ProfileLoadWinIniList, SectionNameComesBackThroughTheCodePage) {
  MakeSection(u"PellomarKeys", {u"alpha"});
  platform::ListControl list;
  std::u16string ascii = u"PellomarKeys";
  EXPECT_EQ(form_.ProfileLoadWinIniList(list, ascii), 1);
  EXPECT_EQ(ascii, u"PellomarKeys");

  // No single-byte code page has the ideograph: it comes back as "?".
  std::u16string missing = u"Pellomar\u4e2d";
  form_.ProfileLoadWinIniList(list, missing);
  EXPECT_EQ(missing, u"Pellomar?");
}

TEST_F(ProfileLoadWinIniList, NamesOverflowingTheBufferEndWithTheLastCompleteOne) {
  // 60-character names: 8100 bytes hold 132 of them with their NULs and a
  // part of the 133rd, which is cut.
  Names keys;
  for (int i = 0; i < 140; ++i) {
    std::u16string key(60, u'k');
    const std::u16string number = std::u16string(u"000") +
                                  static_cast<char16_t>(u'0' + i / 100) +
                                  static_cast<char16_t>(u'0' + i / 10 % 10) +
                                  static_cast<char16_t>(u'0' + i % 10);
    key.replace(key.size() - number.size(), number.size(), number);
    keys.push_back(key);
  }
  MakeSection(u"PellomarMany", keys);

  Names complete;
  std::size_t used = 0;
  for (const auto& key : keys) {
    used += key.size() + 1;
    if (used > 8102 - 2) break;
    complete.push_back(key);
  }
  ASSERT_LT(complete.size(), keys.size());

  platform::ListControl list;
  EXPECT_EQ(Load(list, u"PellomarMany"), static_cast<std::int32_t>(complete.size()));
  EXPECT_EQ(Items(list), complete);
}

TEST_F(ProfileLoadWinIniList, MultiByteNamesComeOutExactlyWithNoExtraItem) {
  if (!testing_support::UseAnsiLocale("C.UTF-8") ||
      !testing_support::AnsiCodePageIsMultiByte())
    GTEST_SKIP() << "needs a multi-byte ANSI code page";
  // One, two and three multi-byte characters: the byte count runs one, two
  // and three characters past the converted names.
  for (const Names& keys : {Names{u"\u00e4", u"b"}, Names{u"\u00e4\u00f6", u"b"},
                            Names{u"b", u"\u4e2d\u00e4\u00f6"}}) {
    testing_support::ScratchProfile fresh;
    MakeSection(u"PellomarUtf8", keys);
    platform::ListControl list;
    EXPECT_EQ(Load(list, u"PellomarUtf8"), static_cast<std::int32_t>(keys.size()));
    EXPECT_EQ(Items(list), keys);
  }
}

TEST_F(ProfileLoadWinIniList, MultiByteNamesOverflowingTheBufferAddNoCutName) {
  if (!testing_support::UseAnsiLocale("C.UTF-8") ||
      !testing_support::AnsiCodePageIsMultiByte())
    GTEST_SKIP() << "needs a multi-byte ANSI code page";
  // Names of 30 two-byte characters: 61 bytes with the NUL, so 132 fit and
  // the 133rd is cut, while the text they convert to is half as long.
  Names keys;
  for (int i = 0; i < 140; ++i) {
    std::u16string key(28, u'\u00e4');
    key += static_cast<char16_t>(u'\u0100' + i / 20);
    key += static_cast<char16_t>(u'\u0100' + i % 20);
    keys.push_back(key);
  }
  MakeSection(u"PellomarUtf8Many", keys);
  platform::ListControl list;
  EXPECT_EQ(Load(list, u"PellomarUtf8Many"), 132);
  EXPECT_EQ(Items(list), Names(keys.begin(), keys.begin() + 132));
}

TEST_F(ProfileLoadWinIniList, FullListStopsWithAnErrorKeepingWhatWasAdded) {
  MakeSection(u"PellomarKeys", {u"alpha", u"beta", u"gamma"});
  platform::ListControl list;
  for (std::int32_t i = 1; i < platform::ListControl::kMaxItems; ++i)
    list.AddItem(u"x");
  EXPECT_THROW(Load(list, u"PellomarKeys"), platform::ListControlError);
  EXPECT_EQ(list.ListCount(), 32767);
  EXPECT_EQ(list.List(32766), u"alpha");
}

}  // namespace
