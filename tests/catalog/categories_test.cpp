#include "catalog/categories.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::u16string> Ids(const std::vector<Category>& categories) {
  std::vector<std::u16string> ids;
  for (const auto& c : categories) ids.push_back(c.id);
  return ids;
}

TEST(Categories, LiveRebuildPutsSpecialsFirstAdultLastAndABadIndexOnAll) {
  std::vector<Category> list = {{u"ALL", u""},          {u"FAVORITES", u"fav"}, {u"Movies 18+", u"10"},
                                {u"News", u"11"},        {u"Late", u"XXX3"},     {u"Recently Viewed", u"recent"},
                                {u"Sports", u"12"},      {u"Misc", u""},         {u"+ Add Group", u"addgrp"}};
  int index = 7;
  RebuildLiveCategories(list, index);
  EXPECT_EQ(Ids(list), (std::vector<std::u16string>{u"addgrp", u"recent", u"", u"fav", u"lock", u"11", u"12", u"",
                                                     u"10", u"XXX3"}));
  EXPECT_EQ(list[0].name, u"+ Add Group");
  EXPECT_EQ(list[2].name, u"All");
  EXPECT_EQ(list[7].name, u"Misc");  // an empty id under another name is the server's own
  EXPECT_EQ(index, 7);

  // A second rebuild keeps the list as it is: the specials never pile up.
  const auto once = list;
  RebuildLiveCategories(list, index);
  EXPECT_EQ(list, once);

  for (int bad : {0, -1, 6, 99}) {  // 0 is "+ Add Group"; the list has 6 entries
    std::vector<Category> news = {{u"News", u"1"}};
    int fallback = bad;
    RebuildLiveCategories(news, fallback);
    EXPECT_EQ(fallback, kLiveAllIndex) << bad;
  }
  std::vector<Category> news = {{u"News", u"1"}};
  index = 5;
  RebuildLiveCategories(news, index);
  EXPECT_EQ(index, 5);
}

TEST(Categories, VodRebuildHasFourSpecialsAndNoAdultSplit) {
  std::vector<Category> list = {{u"ALL", u""}, {u"FAVORITES", u"fav"}, {u"XXX", u"5"}, {u"Drama", u"6"}};
  int index = -3;
  RebuildVodCategories(list, index);
  EXPECT_EQ(Ids(list), (std::vector<std::u16string>{u"recent", u"", u"fav", u"lock", u"5", u"6"}));
  EXPECT_EQ(list[1].name, u"All");
  EXPECT_EQ(index, kItemAllIndex);
  index = 6;
  RebuildVodCategories(list, index);
  EXPECT_EQ(index, kItemAllIndex);
}

TEST(Categories, SortKeyTrimsDecorationAndIsAViewIntoTheName) {
  const std::u16string starred = u"* BBC One HD *";
  const std::u16string_view key = SortKey(starred);
  EXPECT_EQ(key, u"BBC One HD");
  EXPECT_GE(key.data(), starred.data());
  EXPECT_LE(key.data() + key.size(), starred.data() + starred.size());

  EXPECT_EQ(SortKey(u"|UK| Sky"), u"UK| Sky");
  EXPECT_EQ(SortKey(u"*** !!"), u"*** !!");  // nothing to start with: the whole name
  EXPECT_EQ(SortKey(u""), u"");
  EXPECT_EQ(SortKey(u"[PT] RTP 1 (HD) -"), u"[PT] RTP 1 (HD)");
  EXPECT_EQ(SortKey(u"+18 Zone"), u"+18 Zone");
  EXPECT_EQ(SortKey(u"\u2605 \u00c9toile \u2605"), u"\u00c9toile");
  EXPECT_EQ(SortKey(u"\u0416 Sport"), u"Sport");  // Cyrillic lies outside the Latin range
}

TEST(Categories, LockedWhenLockOrAnAdultCategoryIsSelected) {
  std::vector<Category> list = {{u"News", u"1"}, {u"Night 18+", u"2"}};
  int index = 2;
  RebuildLiveCategories(list, index);
  EXPECT_FALSE(CurrentLiveCategoryLocked(list, 2));
  EXPECT_TRUE(CurrentLiveCategoryLocked(list, 4));  // "Lock"
  EXPECT_FALSE(CurrentLiveCategoryLocked(list, 5));
  EXPECT_TRUE(CurrentLiveCategoryLocked(list, 6));
  EXPECT_FALSE(CurrentLiveCategoryLocked(list, 7));
  EXPECT_FALSE(CurrentLiveCategoryLocked(list, -1));

  // The adult test ignores case and looks at the id only for "xxx".
  EXPECT_TRUE(IsAdultCategory({u"Movies 18+", u"7"}));
  EXPECT_TRUE(IsAdultCategory({u"ADULT Night", u"8"}));
  EXPECT_TRUE(IsAdultCategory({u"Porn", u"9"}));
  EXPECT_TRUE(IsAdultCategory({u"Late", u"XXX12"}));
  EXPECT_TRUE(IsAdultCategory({u"xXx", u"1"}));
  EXPECT_FALSE(IsAdultCategory({u"Sports", u"adult"}));  // only "xxx" counts in an id
  EXPECT_FALSE(IsAdultCategory({u"Kids 18", u"xx"}));
  EXPECT_FALSE(IsAdultCategory({u"", u""}));
}

}  // namespace
