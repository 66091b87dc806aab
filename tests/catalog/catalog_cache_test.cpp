#include "catalog/catalog_cache.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "store/file_io.h"
#include "tests/fixtures/temp_data_home.h"

namespace {

namespace fs = std::filesystem;

const std::u16string kUrl = u"http://srv.example:8080/get.php?username=u&password=p";

// Every test gets a data folder of its own under the temporary folder.
class CatalogCacheTest : public ::testing::Test {
 protected:
  void Write(const char* name, std::string_view bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  std::string Read(const char* name) { return ReadWholeFile(dir_ / name).value_or("<missing>"); }

  TempDataHome home_;
  const fs::path dir_ = CatalogDir();
};

CatalogItem Item(ItemKind kind, std::u16string_view id, std::u16string_view name, int32_t archive = 0,
                 std::u16string_view rating = u"") {
  CatalogItem::Fields f{id, name, u"cat1", u"epg.id", u"ts", u"http://i.example/1.png", u"7",
                        u"http://s.example/live/u/p/1.ts", u"1700000000", rating};
  return CatalogItem(kind, f, archive);
}

SharedItems ListOf(std::initializer_list<CatalogItem> items) { return std::make_shared<const ItemList>(items); }

Catalog SampleCatalog() {
  Catalog c;
  c.LiveCategories = {{u"All", u""}, {u"Sport \u00e9", u"cat1"}};
  c.LiveChannels = ListOf({Item(ItemKind::Live, u"1", u"\u2605 Caf\u00e9 TV \U0001F600", 1),
                           Item(ItemKind::Live, u"2", u"Catch\rup", -2)});
  c.MovieCategories = {{u"Drama", u"d"}};
  c.Movies = ListOf({Item(ItemKind::Vod, u"m1", u"Film", 0, u"7.5")});
  c.SeriesCategories = {{u"Crime", u"k"}};
  c.Series = ListOf({Item(ItemKind::Series, u"s1", u"Show", 0, u"8")});
  return c;
}

TEST_F(CatalogCacheTest, FilesHoldTheExactBytes) {
  Catalog c;
  c.LiveCategories = {{u"Tab\there", u"c\n1"}};
  c.LiveChannels = ListOf({Item(ItemKind::Live, u"42", u"A\tB\nC\r", -1)});
  SaveCatalogCache(c, kUrl);
  EXPECT_EQ(Read("meta.txt"), "http://srv.example:8080/get.php?username=u&password=p\n");
  EXPECT_EQ(Read("live.tsv"),
            "VS43C1\n"
            "C\tc 1\tTab here\n"
            "I\t42\tA B C\r\tlive\tcat1\tepg.id\tts\thttp://i.example/1.png\t7\thttp://s.example/live/u/p/1.ts\t-1\t"
            "1700000000\t\n");
  EXPECT_EQ(Read("vod.tsv"), "<missing>");  // empty kinds write nothing
}

TEST_F(CatalogCacheTest, ParsingAcceptsShortRatinglessLinesAndSkipsTheRest) {
  Write("live.tsv",
        "-- VS43C1 --\r\n"
        "C\t5\tNews\r\n"
        "C\tonly-two\n"
        "I\t1\tTwelve\tlive\t5\te\tts\ticon\t3\turl\t1\t99\n"              // no rating
        "I\t2\tEleven\tlive\t5\te\tts\ticon\t3\turl\t1\n"                  // too short
        "I\t\tNoId\tlive\t5\te\tts\ticon\t3\turl\t1\t99\tr\n"              // empty id
        "I\t3\tArchive\tlive\t5\te\tts\ticon\t3\turl\t12x\t99\t4.5\textra\r\n"
        "I\t4\tJunk\tvod\t5\te\tts\ticon\t3\turl\tabc\t99\t\n"
        "X\t9\tUnknown\n"
        "I\t5\tCut\tlive\t5\te\tts\ticon\t3\turl\t0\t99\t7");  // last line without LF
  std::vector<Category> categories;
  SharedItems items;
  ASSERT_TRUE(ParseCacheFile(dir_ / "live.tsv", categories, items));
  EXPECT_EQ(categories, (std::vector<Category>{{u"News", u"5"}}));
  ASSERT_EQ(items->size(), 4u);
  EXPECT_EQ((*items)[0].id(), u"1");
  EXPECT_EQ((*items)[0].rating(), u"");
  EXPECT_EQ((*items)[0].added(), u"99");
  EXPECT_EQ((*items)[1].tvArchive(), 12);
  EXPECT_EQ((*items)[1].rating(), u"4.5");  // fields past the 13th are ignored
  EXPECT_EQ((*items)[2].tvArchive(), 0);
  EXPECT_EQ((*items)[2].kindCode(), ItemKind::Vod);
  EXPECT_EQ((*items)[3].rating(), u"7");
}

TEST_F(CatalogCacheTest, AWrongFirstLineLeavesTheListsAlone) {
  std::vector<Category> categories = {{u"Keep", u"k"}};
  const SharedItems original = ListOf({Item(ItemKind::Live, u"1", u"Keep")});
  SharedItems items = original;
  for (std::string_view bytes : {"VS43C\nI\t2\tx\tlive\t\t\t\t\t\t\t0\t\t\n", "", "\nVS43C1\n", "VS42C1\n"}) {
    Write("live.tsv", bytes);
    EXPECT_FALSE(ParseCacheFile(dir_ / "live.tsv", categories, items)) << bytes;
    EXPECT_EQ(items, original);
    EXPECT_EQ(categories.size(), 1u);
  }
  EXPECT_FALSE(ParseCacheFile(dir_ / "absent.tsv", categories, items));
  EXPECT_EQ(items, original);

  // The right magic with no items still replaces both lists.
  Write("live.tsv", "VS43C1\nC\t1\tOnly\n");
  EXPECT_FALSE(ParseCacheFile(dir_ / "live.tsv", categories, items));
  EXPECT_TRUE(items->empty());
  EXPECT_EQ(categories, (std::vector<Category>{{u"Only", u"1"}}));
}

TEST_F(CatalogCacheTest, LoadTrustsOnlyTheSamePlaylistEvenAnEmptyOne) {
  SaveCatalogCache(SampleCatalog(), kUrl);
  Catalog other;
  other.LiveCategories = {{u"Mine", u"m"}};
  EXPECT_FALSE(LoadCatalogCache(kUrl + u"&x", other));
  EXPECT_FALSE(LoadCatalogCache(u"HTTP://srv.example:8080/get.php?username=u&password=p", other));
  EXPECT_TRUE(other.LiveChannels->empty());
  EXPECT_EQ(other.LiveCategories.size(), 1u);

  fs::remove(dir_ / "meta.txt");
  EXPECT_FALSE(LoadCatalogCache(kUrl, other));
  EXPECT_TRUE(other.LiveChannels->empty());

  // An empty playlist matches an empty meta line.
  SaveCatalogCache(SampleCatalog(), u"");
  EXPECT_EQ(Read("meta.txt"), "\n");
  EXPECT_TRUE(LoadCatalogCache(u"", other));
  EXPECT_EQ(other.LiveChannels->size(), 2u);
}

TEST_F(CatalogCacheTest, MoviesAndSeriesDoNotDecideTheResult) {
  Catalog c = SampleCatalog();
  SaveCatalogCache(c, kUrl);
  Write("vod.tsv", "garbage\n");
  Catalog loaded;
  EXPECT_TRUE(LoadCatalogCache(kUrl, loaded));
  EXPECT_TRUE(loaded.Movies->empty());
  EXPECT_EQ(loaded.Series->size(), 1u);

  Write("live.tsv", "VS43C1\n");
  EXPECT_FALSE(LoadCatalogCache(kUrl, loaded));
  EXPECT_EQ(loaded.Series->size(), 1u);
}

TEST_F(CatalogCacheTest, AnEmptyKindKeepsItsFileForTheSamePlaylistOnly) {
  SaveCatalogCache(SampleCatalog(), kUrl);
  const std::string oldLive = Read("live.tsv");

  // The same playlist failed to download live channels: the old ones stay.
  Catalog failed;
  SaveCatalogCache(failed, kUrl);
  EXPECT_EQ(Read("live.tsv"), oldLive);
  Catalog loaded;
  EXPECT_TRUE(LoadCatalogCache(kUrl, loaded));

  // Another playlist whose download failed: the old playlist's channels must
  // not be taken for the new one's on the next start.
  const std::u16string newUrl = u"http://new.example/get.php?username=a&password=b";
  Catalog partial;
  partial.LiveChannels = ListOf({Item(ItemKind::Live, u"n1", u"New")});
  SaveCatalogCache(failed, newUrl);
  EXPECT_EQ(Read("meta.txt"), "http://new.example/get.php?username=a&password=b\n");
  EXPECT_EQ(Read("live.tsv"), "<missing>");
  EXPECT_EQ(Read("vod.tsv"), "<missing>");
  Catalog afterSwitch;
  EXPECT_FALSE(LoadCatalogCache(newUrl, afterSwitch));
  EXPECT_TRUE(afterSwitch.LiveChannels->empty());

  SaveCatalogCache(partial, newUrl);
  EXPECT_TRUE(LoadCatalogCache(newUrl, afterSwitch));
  EXPECT_EQ((*afterSwitch.LiveChannels)[0].id(), u"n1");
  EXPECT_TRUE(afterSwitch.Movies->empty());
}

// What providers put in items: URLs of the derived form for two kinds and two
// accounts, and URLs that only look like it; tabs and line feeds, CR, a long
// name, characters outside the BMP, negative and huge archive values.
ItemList UglyItems() {
  const std::u16string longName = u"\U0001F3C6 " + std::u16string(120, u'\u00e9') + u" FHD \U0001D54F";
  const std::u16string hugeIcon(70000, u'x');  // more text than 16-bit field ends reach
  struct Row {
    ItemKind kind;
    std::u16string_view id, name, url;
    int32_t archive;
  };
  const Row rows[] = {
      {ItemKind::Live, u"101", u"UK: Sky \tSports\n1", u"http://tv.example:8080/live/us%23r/p#ss/101.ts", -3},
      {ItemKind::Live, u"102", longName, u"http://tv.example:8080/live/us%23r/p#ss/102.m3u8", 7},
      {ItemKind::Live, u"1", u"Prefix id", u"http://tv.example:8080/live/u/p/123.ts", 0},        // id is not the tail
      {ItemKind::Live, u"104", u"No suffix", u"http://other.example/live/a/b/104", 0},
      {ItemKind::Live, u"105", u"Query", u"http://tv.example/play?id=105.ts", 0},              // no slash before id
      {ItemKind::Live, u"106", u"Custom", u"rtmp://cdn.example/x/106-backup.flv", 0},
      {ItemKind::Live, u"107", u"Id in a folder", u"http://tv.example/live/107/index.m3u8", 0},
      {ItemKind::Vod, u"m1", u"Film\r", u"http://tv.example:8080/movie/u/p/m1.mkv", -2147483647 - 1},
      {ItemKind::Vod, u"m2", u"No URL", u"", 2147483647},
      {ItemKind::Series, u"s1", u"Show", u"http://tv.example:8080/series/u/p/s1.mp4/", 0},
  };
  ItemList items;
  for (const Row& r : rows) {
    const std::u16string icon = r.id == u"102" ? hugeIcon : u"http://i.example/" + std::u16string(r.id) + u".png";
    items.emplace_back(r.kind,
                       CatalogItem::Fields{r.id, r.name, u"5", u"e\tpg", u"ts", icon, u"", r.url, u"1700000000",
                                           u"4.5"},
                       r.archive);
  }
  return items;
}

TEST_F(CatalogCacheTest, ItemsKeepEveryTextAndURLExactlyAcrossCopies) {
  ItemList copies;
  {
    const ItemList items = UglyItems();
    EXPECT_EQ(items[0].url(), u"http://tv.example:8080/live/us%23r/p#ss/101.ts");
    EXPECT_EQ(items[2].url(), u"http://tv.example:8080/live/u/p/123.ts");
    EXPECT_EQ(items[3].url(), u"http://other.example/live/a/b/104");
    EXPECT_EQ(items[6].url(), u"http://tv.example/live/107/index.m3u8");
    EXPECT_EQ(items[9].url(), u"http://tv.example:8080/series/u/p/s1.mp4/");
    EXPECT_FALSE(items[8].hasUrl());
    // A URL of the derived form is not stored as text; any other one is.
    EXPECT_TRUE(items[0].fields().url.empty());
    EXPECT_TRUE(items[3].fields().url.empty());
    EXPECT_EQ(items[2].fields().url, items[2].url());
    EXPECT_EQ(items[5].fields().url, items[5].url());
    EXPECT_EQ(items[1].icon().size(), 70000u);
    EXPECT_EQ(items[1].added(), u"1700000000");
    EXPECT_EQ(items[1].rating(), u"4.5");
    // Field ends take a byte each up to 255 units of text, two bytes up to
    // 65,535: every field stays whole on both sides of the first step.
    for (size_t name = 230; name <= 260; ++name) {
      const std::u16string text(name, u'n');
      const CatalogItem item(ItemKind::Live, {u"9", text, u"5", u"e", u"ts", u"i", u"7", u"", u"17", u"4.5"}, 0);
      EXPECT_EQ(item.name(), text);
      EXPECT_EQ(item.rating(), u"4.5") << name;
      EXPECT_EQ(item.num(), u"7") << name;
      EXPECT_EQ(CatalogItem(item), item) << name;
    }
    for (const CatalogItem& item : items) {
      const CatalogItem::UrlPieces pieces = item.urlPieces();
      EXPECT_EQ(std::u16string(pieces.prefix) + std::u16string(pieces.id) + std::u16string(pieces.suffix), item.url());
      copies.push_back(item);
    }
    CatalogItem assigned;
    assigned = items[7];
    copies.push_back(assigned);
    EXPECT_NE(items[0], items[1]);
  }
  // The copies own their texts: the originals are gone.
  const ItemList again = UglyItems();
  ASSERT_EQ(copies.size(), again.size() + 1);
  for (size_t i = 0; i < again.size(); ++i) EXPECT_EQ(copies[i], again[i]) << i;
  EXPECT_EQ(copies.back(), again[7]);
  EXPECT_EQ(copies[1].name().size(), again[1].name().size());
  EXPECT_EQ(CatalogItem(), CatalogItem());
  EXPECT_EQ(CatalogItem().url(), u"");
}

// Lists of a million channels keep their texts in large blocks: items at
// the edges of blocks and an item larger than any block must read exactly as
// items built one by one, and a copy must outlive its list.
TEST_F(CatalogCacheTest, ListsBuiltInBlocksMatchItemsBuiltAlone) {
  const auto fieldsOf = [](size_t i, std::u16string& name, std::u16string& id) {
    id = std::u16string(u"") + char16_t(u'0' + i % 10) + char16_t(u'a' + (i / 10) % 26) + u"-" + char16_t(u'A' + i % 26);
    // Lengths that do not divide any block size, and one name larger than
    // the largest block.
    name.assign(i == 17000 ? size_t(5) << 20 : 1 + (i * 37) % 301, char16_t(0x4E00 + i % 500));
  };
  std::vector<CatalogItem> alone;
  SharedItems list;
  {
    ItemListBuilder builder;
    for (size_t i = 0; i < 30000; ++i) {
      std::u16string name, id;
      fieldsOf(i, name, id);
      const std::u16string url = u"http://tv.example/live/u/p/" + id + u".ts";
      const CatalogItem::Fields f{id, name, u"7", u"epg", u"ts", u"", u"1", url, u"", u""};
      builder.Add(ItemKind::Live, f, int32_t(i));
      alone.emplace_back(ItemKind::Live, f, int32_t(i));
    }
    list = builder.Finish();
    EXPECT_TRUE(builder.empty());
  }
  ASSERT_EQ(list->size(), alone.size());
  for (size_t i = 0; i < alone.size(); ++i) ASSERT_EQ((*list)[i], alone[i]) << i;
  EXPECT_EQ((*list)[17000].name().size(), size_t(5) << 20);
  const CatalogItem copy = (*list)[29999];
  list.reset();
  EXPECT_EQ(copy, alone.back());
}

TEST_F(CatalogCacheTest, WriteReadWriteIsByteExactAndItemsOutliveTheirList) {
  Catalog c = SampleCatalog();
  c.LiveCategories = {{u"Sport\t\u00e9", u"5"}, {u"\U0001F600", u"6"}};
  c.LiveChannels = std::make_shared<const ItemList>(UglyItems());
  SaveCatalogCache(c, kUrl);
  // Nothing but the four files: every temporary was renamed away.
  int files = 0;
  for (const auto& entry : fs::directory_iterator(dir_)) {
    ++files;
    EXPECT_TRUE(entry.path().extension() == ".tsv" || entry.path().filename() == "meta.txt") << entry.path();
  }
  EXPECT_EQ(files, 4);
  const std::string first = Read("live.tsv");
  EXPECT_NE(first.find("\thttp://tv.example:8080/live/us%23r/p#ss/101.ts\t-3\t"), std::string::npos);
  EXPECT_NE(first.find("\tUK: Sky  Sports 1\t"), std::string::npos);
  EXPECT_NE(first.find("\t-2147483648\t"), std::string::npos);

  Catalog loaded;
  ASSERT_TRUE(LoadCatalogCache(kUrl, loaded));
  EXPECT_EQ(*loaded.Movies, *c.Movies);
  EXPECT_EQ(*loaded.Series, *c.Series);
  EXPECT_EQ(loaded.MovieCategories, c.MovieCategories);
  EXPECT_EQ(loaded.SeriesCategories, c.SeriesCategories);
  ASSERT_EQ(loaded.LiveChannels->size(), c.LiveChannels->size());
  for (size_t i = 0; i < c.LiveChannels->size(); ++i) {
    const CatalogItem& a = (*loaded.LiveChannels)[i];
    const CatalogItem& b = (*c.LiveChannels)[i];
    EXPECT_EQ(a.url(), b.url()) << i;
    EXPECT_EQ(a.icon(), b.icon()) << i;
    EXPECT_EQ(a.tvArchive(), b.tvArchive()) << i;
  }
  EXPECT_EQ((*loaded.LiveChannels)[1].name(), (*c.LiveChannels)[1].name());
  EXPECT_EQ((*loaded.LiveChannels)[0].name(), u"UK: Sky  Sports 1");
  EXPECT_EQ((*loaded.LiveChannels)[7].name(), u"Film\r");  // a CR inside a name is kept
  const CatalogItem kept = (*loaded.LiveChannels)[9];
  SaveCatalogCache(loaded, kUrl);
  EXPECT_EQ(Read("live.tsv"), first);

  loaded.LiveChannels.reset();
  EXPECT_EQ(kept.url(), u"http://tv.example:8080/series/u/p/s1.mp4/");
  EXPECT_EQ(kept.kindCode(), ItemKind::Series);
  EXPECT_EQ(kept.epgChannelId(), u"e pg");
}

TEST_F(CatalogCacheTest, UnreadableLinesAreSkippedAndTheLastLineNeedsNoLineFeed) {
  Catalog c;
  c.LiveCategories = {{u"News", u"1"}, {u"\u00c9t\u00e9", u"2"}};
  c.LiveChannels = std::make_shared<const ItemList>(UglyItems());
  std::string text = CacheFileText(c.LiveCategories, *c.LiveChannels);
  // Broken UTF-8 in a name: lone bytes (a unit each), a sequence cut by the tab.
  text += "I\t10\tLone\x80\xFF\tlive\t5\te\tts\ticon\t3\thttp://h/live/u/p/10.ts\t0\t99\t7\n";
  text += "I\t11\tCut\xE0\xA0\tlive\t5\te\tts\ticon\t3\thttp://h/live/u/p/11.ts\t0\t99\t7\n";
  text += "C\t3\tLate\r\nX\tjunk\n\nI\t9\tCut\tlive\t5\te\tts\ticon\t3\thttp://h/live/u/p/9.ts\t0\t99\t7";

  std::vector<Category> categories;
  SharedItems items;
  ASSERT_TRUE(ParseCacheText(text, categories, items));
  ASSERT_EQ(items->size(), c.LiveChannels->size() + 3);
  ASSERT_EQ(categories.size(), 3u);
  EXPECT_EQ(categories[2].name, u"Late");
  const CatalogItem& lone = (*items)[items->size() - 3];
  const CatalogItem& cut = (*items)[items->size() - 2];
  EXPECT_EQ(lone.name(), u"Lone\uFFFD\uFFFD");
  EXPECT_EQ(lone.url(), u"http://h/live/u/p/10.ts");
  EXPECT_EQ(cut.name(), u"Cut\uFFFD");
  EXPECT_EQ(cut.added(), u"99");
  EXPECT_EQ(items->back().name(), u"Cut");
  EXPECT_EQ(items->back().url(), u"http://h/live/u/p/9.ts");
}

}  // namespace
