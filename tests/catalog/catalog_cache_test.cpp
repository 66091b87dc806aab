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

TEST_F(CatalogCacheTest, SaveThenLoadGivesTheSameCatalog) {
  const Catalog saved = SampleCatalog();
  SaveCatalogCache(saved, kUrl);
  Catalog loaded;
  ASSERT_TRUE(LoadCatalogCache(kUrl, loaded));
  EXPECT_EQ(*loaded.LiveChannels, *saved.LiveChannels);  // includes tvArchive 1 and -2, CR kept
  EXPECT_EQ(*loaded.Movies, *saved.Movies);
  EXPECT_EQ(*loaded.Series, *saved.Series);
  EXPECT_EQ(loaded.LiveCategories, saved.LiveCategories);
  EXPECT_EQ(loaded.MovieCategories, saved.MovieCategories);
  EXPECT_EQ(loaded.SeriesCategories, saved.SeriesCategories);
  EXPECT_EQ((*loaded.Movies)[0].kind(), u"vod");

  // Nothing but the four files: every temporary was renamed away.
  int files = 0;
  for (const auto& entry : fs::directory_iterator(dir_)) {
    ++files;
    EXPECT_EQ(entry.path().extension() == ".tsv" || entry.path().filename() == "meta.txt", true) << entry.path();
  }
  EXPECT_EQ(files, 4);
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

}  // namespace
