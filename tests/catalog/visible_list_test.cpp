#include "catalog/visible_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>

#include "catalog/categories.h"
#include "tests/catalog/test_items.h"

namespace {

struct Row {
  std::u16string id, name, categoryId, num;
};

SharedItems Items(ItemKind kind, const std::vector<Row>& rows) {
  auto list = std::make_shared<ItemList>();
  for (const Row& r : rows)
    list->push_back(TestItem(kind, {.id = r.id, .name = r.name, .categoryId = r.categoryId, .num = r.num}));
  return list;
}

std::vector<std::u16string> Ids(const VisibleList& list) {
  std::vector<std::u16string> ids;
  for (size_t i = 0; i < list.size(); ++i) ids.emplace_back(list[i].id());
  return ids;
}

using IdVector = std::vector<std::u16string>;

class LiveListTest : public ::testing::Test {
 protected:
  LiveListTest() {
    catalog.LiveCategories = {{u"News", u"n"}, {u"Sport", u"s"}, {u"Night 18+", u"x"}};
    catalog.LiveChannels = Items(ItemKind::Live, {{u"1", u"Zulu News", u"n", u"2"},
                                                  {u"2", u"alpha sport", u"s", u"10"},
                                                  {u"3", u"* Bravo *", u"n", u"1"},
                                                  {u"4", u"Yankee", u"x", u""},
                                                  {u"5", u"|Charlie|", u"s", u"3"}});
  }
  VisibleList Rebuild() {
    VisibleList out;
    RebuildLiveList(catalog, settings, selection, out);
    return out;
  }
  // Selects the live category with this id (after the first rebuild has put
  // the specials in front).
  void Select(std::u16string_view id) {
    Rebuild();
    for (size_t i = 0; i < catalog.LiveCategories.size(); ++i) {
      if (catalog.LiveCategories[i].id == id && catalog.LiveCategories[i].name != u"Misc") {
        selection.LiveCategoryIndex = int(i);
      }
    }
  }

  Catalog catalog;
  Settings settings;
  LiveListSelection selection;
};

TEST_F(LiveListTest, AllListsEveryChannelOutsideHiddenCategories) {
  EXPECT_EQ(Ids(Rebuild()), (IdVector{u"1", u"2", u"3", u"4", u"5"}));
  settings.HideLive = {u"s"};
  EXPECT_EQ(Ids(Rebuild()), (IdVector{u"1", u"3", u"4"}));
  Select(u"n");
  EXPECT_EQ(Ids(Rebuild()), (IdVector{u"1", u"3"}));
}

TEST_F(LiveListTest, RecentFavoriteAndLockUseTheirOwnListsInCatalogOrder) {
  settings.HistoryLive = {u"5", u"1", u"2", u"gone"};
  settings.HideLive = {u"s"};
  Select(u"recent");
  // Viewing order is 5, 1, 2; the list keeps catalog order and drops the
  // hidden category's channels.
  EXPECT_EQ(Ids(Rebuild()), (IdVector{u"1"}));
  settings.HideLive.clear();
  EXPECT_EQ(Ids(Rebuild()), (IdVector{u"1", u"2", u"5"}));

  settings.FavLive = {u"4", u"2"};
  settings.LockCh = {u"3"};
  Select(u"fav");
  EXPECT_EQ(Ids(Rebuild()), (IdVector{u"2", u"4"}));
  Select(u"lock");
  EXPECT_EQ(Ids(Rebuild()), (IdVector{u"3"}));
}

TEST_F(LiveListTest, SortsAreOrdinalOverTheSortKeyOrTheNumberText) {
  settings.LiveSort = 1;
  // Capitals sort before small letters; decorations are ignored.
  EXPECT_EQ(Ids(Rebuild()), (IdVector{u"3", u"5", u"4", u"1", u"2"}));
  settings.LiveSort = 2;
  EXPECT_EQ(Ids(Rebuild()), (IdVector{u"2", u"1", u"4", u"5", u"3"}));
  settings.LiveSort = 3;
  EXPECT_EQ(Ids(Rebuild()), (IdVector{u"4", u"3", u"2", u"1", u"5"}));  // text, not value: "", "1", "10", "2", "3"
  settings.LiveSort = 7;  // unknown: catalog order
  EXPECT_EQ(Ids(Rebuild()), (IdVector{u"1", u"2", u"3", u"4", u"5"}));
  settings.LiveSort = 1;
  Select(u"s");
  EXPECT_EQ(Ids(Rebuild()), (IdVector{u"5", u"2"}));
  // A new item list is sorted anew.
  catalog.LiveChannels = Items(ItemKind::Live, {{u"7", u"Beta", u"s", u""}, {u"8", u"Alpha", u"s", u""}});
  EXPECT_EQ(Ids(Rebuild()), (IdVector{u"8", u"7"}));
}

TEST_F(LiveListTest, GroupShowsExistingMembersInCatalogOrderUnsortedAndUnhidden) {
  settings.Groups = {{u"Mine", {u"5", u"missing", u"1", u"4"}}};
  settings.HideLive = {u"s"};
  settings.LiveSort = 1;
  selection.ActiveGroup = 0;
  EXPECT_EQ(Ids(Rebuild()), (IdVector{u"1", u"4", u"5"}));
  selection.ActiveGroup = 1;  // no such group: the category decides
  EXPECT_EQ(Ids(Rebuild()), (IdVector{u"3", u"4", u"1"}));
}

TEST_F(LiveListTest, ABuiltListKeepsItsItemsWhenTheCatalogIsSwapped) {
  const VisibleList before = Rebuild();
  const CatalogItem* first = &before[0];
  catalog.LiveChannels = Items(ItemKind::Live, {{u"9", u"Other", u"n", u""}});
  EXPECT_EQ(before.size(), 5u);
  EXPECT_EQ(&before[0], first);
  EXPECT_EQ(before[4].name(), u"|Charlie|");
  EXPECT_EQ(before.catalogIndex(4), 4u);
  EXPECT_EQ(before.find(u"3"), 2);
  EXPECT_EQ(before.find(u"9"), -1);
  EXPECT_EQ(Ids(Rebuild()), (IdVector{u"9"}));
}

TEST(LiveListSort, MatchesAPlainSortOnHardNames) {
  // Long shared prefixes (the sort refines eight code units at a time),
  // prefixes of each other, code units above 0x7FFF and names longer than
  // the refinement depth.
  std::mt19937 random(7);
  const std::u16string alphabet = u"aAzZ0 |*\u00e9\u00ff\u0100\uffee\U0001F600";
  std::vector<Row> rows;
  for (int i = 0; i < 3000; ++i) {
    std::u16string name = (i % 3 == 0) ? u"UK: Sky Sports Premier League " : u"";
    if (i % 50 == 0) name += std::u16string(70, u'x');
    const int length = int(random() % 12);
    for (int k = 0; k < length; ++k) name += alphabet[random() % alphabet.size()];
    rows.push_back({std::u16string(u"id") + char16_t(u'A' + i % 26) + std::u16string(size_t(i / 26 + 1), u'.'), name,
                    std::u16string(u"c") + char16_t(u'0' + i % 4), name.substr(0, size_t(i % 5))});
  }
  Catalog catalog;
  catalog.LiveCategories = {{u"C0", u"c0"}, {u"C1", u"c1"}, {u"C2", u"c2"}, {u"C3", u"c3"}};
  catalog.LiveChannels = Items(ItemKind::Live, rows);
  Settings settings;
  LiveListSelection selection;
  // Orders prepared for another list are never used for this one.
  selection.orders = PrepareLiveOrders(Items(ItemKind::Live, {{u"z", u"Z", u"c1", u"1"}}));
  VisibleList list;
  for (int sort : {0, 1, 2, 3}) {
    settings.LiveSort = sort;
    // One category is read through its ranks, "All" through the whole
    // order: both must agree, with a hidden category left out of "All".
    settings.HideLive = {u"c3"};
    selection.LiveCategoryIndex = kLiveAllIndex;
    RebuildLiveList(catalog, settings, selection, list);
    IdVector allOfC1;
    for (size_t i = 0; i < list.size(); ++i) {
      ASSERT_NE(list[i].categoryId(), u"c3");
      if (list[i].categoryId() == u"c1") allOfC1.emplace_back(list[i].id());
    }
    selection.LiveCategoryIndex = 6;  // c1, after the five specials
    RebuildLiveList(catalog, settings, selection, list);
    EXPECT_EQ(Ids(list), allOfC1) << "sort " << sort;
    if (sort == 0) continue;

    settings.HideLive.clear();
    selection.LiveCategoryIndex = kLiveAllIndex;
    RebuildLiveList(catalog, settings, selection, list);
    ASSERT_EQ(list.size(), rows.size());
    for (size_t i = 1; i < list.size(); ++i) {
      const auto key = [&](size_t row) { return sort == 3 ? list[row].num() : SortKey(list[row].name()); };
      if (sort == 2) {
        ASSERT_FALSE(key(i - 1) < key(i)) << i;
      } else {
        ASSERT_FALSE(key(i) < key(i - 1)) << i;
      }
    }
  }
}

class ItemListTest : public ::testing::Test {
 protected:
  ItemListTest() {
    catalog.MovieCategories = {{u"ALL", u""}, {u"FAVORITES", u"fav"}, {u"Drama", u"d"}, {u"Comedy", u"c"}};
    catalog.Movies = Items(ItemKind::Vod, {{u"m1", u"Zorro", u"d", u"3"},
                                           {u"m2", u"Amelie", u"c", u"1"},
                                           {u"m3", u"Brazil", u"d", u"2"}});
    catalog.SeriesCategories = {{u"Crime", u"k"}};
    catalog.Series = Items(ItemKind::Series, {{u"s1", u"Wire", u"k", u""}, {u"s2", u"Office", u"k", u""}});
  }
  VisibleList Rebuild(VodKind kind) {
    VisibleList out;
    RebuildItemList(catalog, kind, settings, index, out);
    return out;
  }

  Catalog catalog;
  Settings settings;
  int index = 1;
};

TEST_F(ItemListTest, ItemsStayInCatalogOrderAndEachKindUsesItsOwnCollections) {
  settings.VodSort = 1;
  settings.LiveSort = 1;
  EXPECT_EQ(Ids(Rebuild(VodKind::Movies)), (IdVector{u"m1", u"m2", u"m3"}));
  EXPECT_EQ(catalog.MovieCategories.size(), 6u);
  EXPECT_EQ(catalog.MovieCategories[4].id, u"d");
  index = 4;
  EXPECT_EQ(Ids(Rebuild(VodKind::Movies)), (IdVector{u"m1", u"m3"}));

  index = 1;  // "All" again
  settings.HideVod = {u"c"};
  settings.FavVod = {u"m2", u"m3"};
  settings.FavSeries = {u"s2"};
  settings.HistoryMovies = {u"m1"};
  settings.HistorySeries = {u"s1"};
  settings.LockCh = {u"s1", u"m3"};
  EXPECT_EQ(Ids(Rebuild(VodKind::Movies)), (IdVector{u"m1", u"m3"}));
  // The specials each kind reads from its own list; in "Favorite" (2) the
  // hidden comedy stays out.
  for (const auto& [special, movie, series] : {std::tuple{2, u"m3", u"s2"}, {0, u"m1", u"s1"}, {3, u"m3", u"s1"}}) {
    index = special;
    EXPECT_EQ(Ids(Rebuild(VodKind::Movies)), IdVector{movie}) << "special " << special;
    EXPECT_EQ(Ids(Rebuild(VodKind::Series)), IdVector{series}) << "special " << special;
  }
}

}  // namespace
