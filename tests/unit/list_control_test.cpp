// The list control: appended or sorted items, a 16-bit count, a full list.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "list_control.h"

namespace {

std::vector<std::u16string> Items(const platform::ListControl& list) {
  std::vector<std::u16string> items;
  for (std::int32_t i = 0; i < list.ListCount(); ++i) items.push_back(list.List(i));
  return items;
}

TEST(ListControl, PlainListAppendsInArrivalOrder) {
  platform::ListControl list;
  for (const auto* item : {u"zeta", u"alpha", u"Mid", u"alpha"}) list.AddItem(item);
  EXPECT_EQ(list.ListCount(), 4);
  EXPECT_EQ(Items(list),
            (std::vector<std::u16string>{u"zeta", u"alpha", u"Mid", u"alpha"}));
}

TEST(ListControl, SortingListPlacesItemsRegardlessOfCase) {
  platform::ListControl list(/*sorted=*/true);
  for (const auto* item : {u"zeta", u"alpha", u"Mid", u"beta"}) list.AddItem(item);
  EXPECT_EQ(Items(list),
            (std::vector<std::u16string>{u"alpha", u"beta", u"Mid", u"zeta"}));
}

TEST(ListControl, KeepsEmptyAndNonAsciiItemsExactly) {
  platform::ListControl list;
  list.AddItem(u"");
  list.AddItem(u"Dr\u00fccker");
  EXPECT_EQ(Items(list), (std::vector<std::u16string>{u"", u"Dr\u00fccker"}));
}

TEST(ListControl, ReadingPastTheEndIsAnError) {
  platform::ListControl list;
  list.AddItem(u"only");
  EXPECT_THROW(list.List(1), platform::ListControlError);
  EXPECT_THROW(list.List(-1), platform::ListControlError);
}

TEST(ListControl, FullListRefusesTheNextItemAndKeepsWhatItHas) {
  platform::ListControl list;
  for (std::int32_t i = 0; i < platform::ListControl::kMaxItems; ++i)
    list.AddItem(u"x");
  EXPECT_EQ(list.ListCount(), 32767);
  EXPECT_THROW(list.AddItem(u"one too many"), platform::ListControlError);
  EXPECT_EQ(list.ListCount(), 32767);
  EXPECT_EQ(list.List(32766), u"x");
}

}  // namespace
