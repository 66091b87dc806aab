#include "catalog/search.h"

#include <gtest/gtest.h>

#include "catalog/channel_choice.h"
#include "tests/catalog/test_items.h"

namespace {

SharedItems Named(ItemKind kind, const std::vector<std::pair<std::u16string, std::u16string>>& namesAndNumbers) {
  auto list = std::make_shared<ItemList>();
  int id = 0;
  for (const auto& [name, num] : namesAndNumbers) {
    const std::u16string idText = u"i" + std::u16string(1, char16_t(u'0' + id++ % 10)) + name;
    list->push_back(TestItem(kind, {.id = idText, .name = name, .num = num}));
  }
  return list;
}

std::vector<std::u16string> Names(const SearchResultList& results) {
  std::vector<std::u16string> names;
  for (size_t i = 0; i < results.size(); ++i) names.emplace_back(results[i].name());
  return names;
}

TEST(RunSearch, StopsAtTwoHundredInKindOrder) {
  std::vector<std::pair<std::u16string, std::u16string>> channels;
  for (int i = 0; i < 500; ++i) channels.push_back({u"Sport " + std::u16string(1, char16_t(u'A' + i % 26)), u""});
  Catalog catalog;
  catalog.LiveChannels = Named(ItemKind::Live, channels);
  catalog.Movies = Named(ItemKind::Vod, {{u"Sportsman", u""}});
  catalog.Series = Named(ItemKind::Series, {{u"Sporty", u""}});
  SearchIndexCache cache;
  const SearchResultList many = RunSearch(catalog, u"sport", cache);
  EXPECT_EQ(many.size(), kSearchLimit);
  EXPECT_TRUE(many.OfKind(ItemKind::Vod).empty());
  EXPECT_EQ(many.hits[199].index, 199u) << "catalog order";

  catalog.LiveChannels = Named(ItemKind::Live, {{u"Eurosport", u""}, {u"News", u""}, {u"SPORT 2", u""}});
  const SearchResultList few = RunSearch(catalog, u"Sport", cache);
  EXPECT_EQ(Names(few), (std::vector<std::u16string>{u"Eurosport", u"SPORT 2", u"Sportsman", u"Sporty"}))
      << "a new channel list gets a new index; live, then movies, then series";
  EXPECT_TRUE(RunSearch(catalog, u"", cache).empty());
}

TEST(RunSearch, FoldsCaseAcrossScriptsAndMatchesNumbersAsTyped) {
  Catalog catalog;
  catalog.LiveChannels = Named(ItemKind::Live, {{u"ΕΡΤ Ειδήσεις", u"101"},
                                                {u"Первый КАНАЛ", u"7"},
                                                {u"ÉCOLE Ñandú ŁÓDŹ", u""},
                                                {u"Plain", u"1010"},
                                                {u"\U0001F3C6 Cup \xD800" u"Final", u"٣"}});
  SearchIndexCache cache;
  EXPECT_EQ(Names(RunSearch(catalog, u"ερτ", cache)), std::vector<std::u16string>{u"ΕΡΤ Ειδήσεις"});
  EXPECT_EQ(Names(RunSearch(catalog, u"канал", cache)), std::vector<std::u16string>{u"Первый КАНАЛ"});
  EXPECT_EQ(Names(RunSearch(catalog, u"école ñandú łódź", cache)), std::vector<std::u16string>{u"ÉCOLE Ñandú ŁÓDŹ"});
  EXPECT_EQ(Names(RunSearch(catalog, u"101", cache)), (std::vector<std::u16string>{u"ΕΡΤ Ειδήσεις", u"Plain"}));
  EXPECT_TRUE(RunSearch(catalog, u"s\x01" u"1", cache).empty()) << "separators of the index never match";
  EXPECT_EQ(RunSearch(catalog, u"\U0001F3C6 cup", cache).size(), 1u) << "a character beyond the BMP stays whole";
  EXPECT_EQ(RunSearch(catalog, u"final", cache).size(), 1u) << "a lone surrogate before it does not hide the rest";
  EXPECT_EQ(RunSearch(catalog, u"٣", cache).size(), 1u) << "a number in other digits, as typed";
}

VisibleList Channels(const std::vector<std::pair<std::u16string, std::u16string>>& idsAndNumbers) {
  auto list = std::make_shared<ItemList>();
  std::vector<uint32_t> rows;
  for (const auto& [id, num] : idsAndNumbers) {
    // Fields holds views: the name must outlive the item's construction.
    const std::u16string name = u"Channel " + id;
    rows.push_back(uint32_t(list->size()));
    list->push_back(TestItem(ItemKind::Live, {.id = id, .name = name, .num = num}));
  }
  return VisibleList(list, rows);
}

TEST(ChannelNumberEntry, DigitsKeepUntilThePauseAndFourAtMost) {
  const VisibleList live = Channels({{u"a", u"1"}, {u"b", u"12"}, {u"c", u"007"}, {u"d", u"2"}});
  std::u16string buffer;
  uint64_t last = 0;
  AddNumberDigit(buffer, last, 1, 10'000);
  EXPECT_EQ(ChannelWithNumber(live, buffer), 0);
  AddNumberDigit(buffer, last, 2, 11'000);
  EXPECT_EQ(buffer, u"12");
  EXPECT_EQ(ChannelWithNumber(live, buffer), 1) << "1 then 2 plays channel 12";
  AddNumberDigit(buffer, last, 2, 11'000 + kNumberPauseMs + 1);
  EXPECT_EQ(buffer, u"2") << "a digit after the pause starts a new number";
  AddNumberDigit(buffer, last, 0, 14'000);
  AddNumberDigit(buffer, last, 0, 14'100);
  AddNumberDigit(buffer, last, 7, 14'200);
  EXPECT_EQ(buffer, u"2007");
  AddNumberDigit(buffer, last, 7, 14'300);
  EXPECT_EQ(buffer, u"7") << "a fifth digit starts a new number";
  EXPECT_EQ(ChannelWithNumber(live, buffer), 2) << "\"007\" has the value 7";
  EXPECT_EQ(ChannelWithNumber(live, u"99"), -1);
}

TEST(StepChannel, WrapsAndPassesOverEmptyRepeatedAndLockedChannels) {
  const VisibleList live = Channels({{u"a", u""}, {u"", u""}, {u"a", u""}, {u"b", u""}, {u"c", u""}});
  Settings settings;
  const std::vector<Category> categories = {{u"Lock", u"lock"}};
  LiveListSelection all, lock;
  lock.LiveCategoryIndex = 0;
  EXPECT_EQ(StepChannelIndex(live, 4, +1, settings, categories, all), 0) << "down at the last wraps to the first";
  EXPECT_EQ(StepChannelIndex(live, 0, +1, settings, categories, all), 3) << "an empty id and the same id are passed over";
  EXPECT_EQ(StepChannelIndex(live, 0, -1, settings, categories, all), 4);
  settings.ParentalOn = true;
  settings.LockCh = {u"b", u"c"};
  EXPECT_EQ(StepChannelIndex(live, 0, +1, settings, categories, all), 0) << "only locked others: one pass comes back";
  EXPECT_EQ(StepChannelIndex(live, 0, +1, settings, categories, lock), 3) << "a locked category shows its locked channels";
  EXPECT_EQ(StepChannelIndex(VisibleList(), 0, +1, settings, categories, all), -1);
}

}  // namespace
