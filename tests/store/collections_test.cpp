#include "store/collections.h"
#include "catalog/category_visibility.h"

#include <gtest/gtest.h>

TEST(Collections, FavoritesToggleNewestFirstLocksInTheOrderMade) {
  IdList favs;
  EXPECT_EQ(ToggleFavoriteId(favs, u"x"), "fav_add");
  EXPECT_EQ(ToggleFavoriteId(favs, u"x"), "fav_rem");
  EXPECT_TRUE(favs.empty());  // twice on a non-favorite: as it was

  for (auto id : {u"1", u"2", u"3"}) ToggleFavoriteId(favs, id);
  EXPECT_EQ(favs, (IdList{u"3", u"2", u"1"}));
  ToggleFavoriteId(favs, u"1");
  ToggleFavoriteId(favs, u"1");
  EXPECT_EQ(favs, (IdList{u"1", u"3", u"2"}));  // twice on a deep one: to the front

  IdList duplicated{u"a", u"b", u"a"};  // only a hand-edited file holds this
  EXPECT_EQ(ToggleFavoriteId(duplicated, u"a"), "fav_rem");
  EXPECT_EQ(duplicated, IdList{u"b"});  // "removed" means no longer a favorite

  // Channel locks keep the order they were made in.
  IdList locks;
  for (auto id : {u"1", u"2", u"3"}) EXPECT_EQ(ToggleChannelLockId(locks, id), "locked");
  EXPECT_EQ(locks, (IdList{u"1", u"2", u"3"}));
  EXPECT_EQ(ToggleChannelLockId(locks, u"2"), "unlocked");
  EXPECT_EQ(ToggleChannelLockId(locks, u"2"), "locked");
  EXPECT_EQ(locks, (IdList{u"1", u"3", u"2"}));
}

TEST(Collections, HistoryKeepsRepeatsAndFortyEntries) {
  IdList history;
  for (int i = 0; i < 45; ++i) PushHistory(history, i % 2 ? u"odd" : u"even");
  ASSERT_EQ(history.size(), kHistoryLimit);
  EXPECT_EQ(history.front(), u"even");  // the 45th push (i = 44)
  EXPECT_EQ(history[1], u"odd");

  IdList tooLong(50, u"old");  // a file may hold more than the limit
  PushHistory(tooLong, u"new");
  EXPECT_EQ(tooLong.size(), kHistoryLimit);
  EXPECT_EQ(tooLong.front(), u"new");
}

TEST(Collections, ResumePositions) {
  ResumeMap resume;
  SetResumePosition(resume, u"m1", 15000);
  SetResumePosition(resume, u"m2", 15001);
  EXPECT_EQ(ResumeOffer(resume, u"m1"), std::nullopt);  // not above the threshold
  EXPECT_EQ(ResumeOffer(resume, u"m2"), 15001);
  EXPECT_EQ(ResumeOffer(resume, u"none"), std::nullopt);

  SetResumePosition(resume, u"m2", 0);  // the file would drop it anyway
  SetResumePosition(resume, u"", 50000);
  ClearResumePosition(resume, u"m1");
  EXPECT_TRUE(resume.empty());
}

TEST(Collections, HiddenCategories) {
  const std::vector<Category> categories = {
      {u"+ Add Group", u"addgrp"}, {u"Recently Viewed", u"recent"}, {u"All", u""}, {u"Favorite", u"fav"},
      {u"Lock", u"lock"},          {u"News", u"10"},                {u"Kids", u"11"}, {u"Sport", u"12"}};
  IdList hidden;
  ToggleHiddenId(hidden, u"11");
  ToggleHiddenId(hidden, u"10");
  ToggleHiddenId(hidden, u"11");
  ToggleHiddenId(hidden, u"11");
  EXPECT_EQ(hidden, (IdList{u"10", u"11"}));  // removed when present, appended otherwise

  // Synthetic ids stay visible even when a file lists them as hidden.
  hidden.insert(hidden.end(), {u"fav", u"", u"recent", u"lock", u"addgrp"});
  EXPECT_EQ(VisibleCategoryIndices(categories, hidden), (std::vector<int>{0, 1, 2, 3, 4, 7}));
  EXPECT_EQ(VisibleCategoryIndices(categories, {}).size(), categories.size());
  EXPECT_EQ(HideCandidates(categories), (std::vector<int>{5, 6, 7}));
}

TEST(Collections, GroupsStartWithTheBestChannelTakeEachOnceAndDeleteInRange) {
  std::vector<ChannelGroup> groups;
  EXPECT_EQ(CreateGroup(groups, u"", u"5", u"6"), -1);  // cancelled prompt
  EXPECT_EQ(CreateGroup(groups, u"A", u"5", u"6"), 0);
  EXPECT_EQ(CreateGroup(groups, u"B", u"", u"6"), 1);
  EXPECT_EQ(CreateGroup(groups, u"C", u"", u""), 2);
  EXPECT_EQ(groups, (std::vector<ChannelGroup>{{u"A", {u"5"}}, {u"B", {u"6"}}, {u"C", {}}}));

  EXPECT_FALSE(AddChannelToGroup(groups[0], u""));  // nothing played in this run
  EXPECT_TRUE(AddChannelToGroup(groups[0], u"2"));
  EXPECT_FALSE(AddChannelToGroup(groups[0], u"2"));
  EXPECT_EQ(groups[0].ids, (IdList{u"5", u"2"}));

  EXPECT_EQ(DeleteGroup(groups, 2, 2), 1);  // the last one pointed past the end
  EXPECT_EQ(DeleteGroup(groups, 0, 0), 0);
  EXPECT_EQ(groups, (std::vector<ChannelGroup>{{u"B", {u"6"}}}));
  EXPECT_EQ(DeleteGroup(groups, 5, 3), 0);  // out of range: nothing removed
  EXPECT_EQ(groups.size(), 1u);
  EXPECT_EQ(DeleteGroup(groups, 0, 0), 0);
  EXPECT_TRUE(groups.empty());
}
