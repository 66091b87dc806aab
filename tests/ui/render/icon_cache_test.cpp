#include "ui/render/icon_cache.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "catalog/catalog_item.h"
#include "net/text.h"
#include "store/data_folder.h"
#include "store/file_io.h"
#include "tests/catalog/test_items.h"
#include "tests/fixtures/temp_data_home.h"
#include "tests/ui/render/test_pictures.h"
#include "ui/render/render_resources.h"

namespace {

// Records the downloads the cache starts; nothing touches the network.
struct FakeDownloads {
  std::vector<IconDownload> started;
  std::vector<std::function<void()>> pending;

  IconDownloadStarter Starter() {
    return [this](IconDownload job, std::function<void()> finished) {
      started.push_back(std::move(job));
      pending.push_back(std::move(finished));
    };
  }
  void FinishAll() {
    for (auto& finished : pending) finished();
    pending.clear();
  }
};

std::u16string Id(int n) {
  char text[8];
  std::snprintf(text, sizeof text, "%03d", n);
  return AsciiToWide(text);
}

constexpr std::u16string_view kUrl = u"http://127.0.0.1:9/icon.png";

// A private data folder and a cache whose downloads are only recorded.
class IconCacheTest : public ::testing::Test {
 protected:
  TempDataHome home;
  FakeDownloads downloads;
  IconCache cache{downloads.Starter()};
};

TEST_F(IconCacheTest, KeysFileNamesAndNoIconWithoutUrlOrId) {
  EXPECT_EQ(IconKey(u"live", u"12"), u"live_12");
  EXPECT_EQ(IconKey(u"", u"12"), u"x_12");
  EXPECT_EQ(IconFile(u"live_12"), DataFolder() / "icons" / "live_12.img");
  EXPECT_EQ(IconFile(u"vod_a/b:c.d é"), DataFolder() / "icons" / "vod_a_b_c_d__.img");
  EXPECT_EQ(IconFile(u""), DataFolder() / "icons" / "x.img");
  EXPECT_EQ(cache.IconFor(u"live", u"1", u"", false), nullptr);
  EXPECT_EQ(cache.IconFor(u"live", u"", kUrl, false), nullptr);
  EXPECT_TRUE(downloads.started.empty());

  const CatalogItem item = TestItem(ItemKind::Vod, {.id = u"7", .name = u"Film", .icon = kUrl});
  cache.IconFor(item, false);
  ASSERT_EQ(downloads.started.size(), 1u);
  EXPECT_EQ(downloads.started[0].url, kUrl);
  EXPECT_EQ(downloads.started[0].file, IconFile(u"vod_7"));
}

TEST_F(IconCacheTest, AtMostEightDownloadsAndEachKeyOnce) {
  for (int i = 0; i < 10; ++i) cache.IconFor(u"live", Id(i), kUrl, true);
  EXPECT_EQ(downloads.started.size(), 8u);
  EXPECT_EQ(cache.DownloadsInFlight(), 8);
  EXPECT_EQ(cache.StateOf(u"live_009"), IconCache::State::None);

  // Asked again while they run: nothing new.
  for (int i = 0; i < 8; ++i) cache.IconFor(u"live", Id(i), kUrl, true);
  EXPECT_EQ(downloads.started.size(), 8u);

  // The finished ones free their places; the two left over start now. The
  // eight that came back empty are not tried again this run.
  downloads.FinishAll();
  EXPECT_EQ(cache.DownloadsInFlight(), 0);
  for (int i = 0; i < 10; ++i) cache.IconFor(u"live", Id(i), kUrl, true);
  EXPECT_EQ(downloads.started.size(), 10u);
  EXPECT_EQ(cache.StateOf(u"live_000"), IconCache::State::Downloading);
}

TEST_F(IconCacheTest, DecodesOnlyBetweenFramesAndABadFileNeverAgain) {
  ASSERT_TRUE(WriteSolidPng(IconFile(u"live_1"), 4, 4, Rgba{0, 1, 0, 1}));

  EXPECT_EQ(cache.IconFor(u"live", u"1", kUrl, true), nullptr);
  EXPECT_FALSE(cache.Holds(u"live_1"));
  EXPECT_TRUE(downloads.started.empty());  // the file is there: no download

  const Picture* icon = cache.IconFor(u"live", u"1", kUrl, false);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(cache.StateOf(u"live_1"), IconCache::State::Loaded);
  // Held now: served even inside a frame.
  EXPECT_EQ(cache.IconFor(u"live", u"1", kUrl, true), icon);

  std::filesystem::create_directories(IconFile(u"live_2").parent_path());
  ASSERT_TRUE(WriteFileAtomically(IconFile(u"live_2"), "<html>404</html>"));

  EXPECT_EQ(cache.IconFor(u"live", u"2", kUrl, false), nullptr);
  EXPECT_EQ(cache.StateOf(u"live_2"), IconCache::State::Failed);
  // Even a good file appearing later is not decoded during this run.
  ASSERT_TRUE(WriteSolidPng(IconFile(u"live_2"), 4, 4, Rgba{0, 1, 0, 1}));
  EXPECT_EQ(cache.IconFor(u"live", u"2", kUrl, false), nullptr);
  EXPECT_TRUE(downloads.started.empty());
}

// A window frame paints the interface, then the strip layer: the posters
// the interface drew without are still awaited after the strips' paint, so
// their arrival paints them (they once waited for the next key).
TEST_F(IconCacheTest, TheMissesOfAFrameOutliveTheLayersPaintedAfterIt) {
  RenderResources res;
  res.SetIconCache(std::make_unique<IconCache>(downloads.Starter()));
  const CatalogItem poster = TestItem(ItemKind::Vod, {.id = u"201", .name = u"Movie", .icon = kUrl});
  {
    OffscreenFrame interface(res, 64, 64);
    EXPECT_EQ(res.IconFor(poster), nullptr);
  }
  { OffscreenFrame strips(res, 64, 64); }
  ASSERT_EQ(downloads.started.size(), 1u);
  ASSERT_TRUE(WriteSolidPng(downloads.started[0].file, 4, 4, Rgba{0, 1, 0, 1}));
  downloads.FinishAll();
  EXPECT_TRUE(res.Icons().MissedIconArrived());
}

TEST_F(IconCacheTest, AFrameRemembersTheIconsItDrewWithoutUntilTheyArrive) {
  EXPECT_EQ(cache.IconFor(u"live", u"3", kUrl, true), nullptr);
  ASSERT_EQ(downloads.started.size(), 1u);
  EXPECT_FALSE(cache.MissedIconArrived()) << "still downloading: another frame would look the same";
  ASSERT_TRUE(WriteSolidPng(IconFile(u"live_3"), 4, 4, Rgba{0, 1, 0, 1}));
  downloads.FinishAll();
  EXPECT_TRUE(cache.MissedIconArrived());
  cache.ForgetMisses();  // the next frame starts its own list
  EXPECT_FALSE(cache.MissedIconArrived());
  cache.IconFor(u"live", u"4", kUrl, false);  // between frames: not a miss of any frame
  ASSERT_TRUE(WriteSolidPng(IconFile(u"live_4"), 4, 4, Rgba{0, 1, 0, 1}));
  EXPECT_FALSE(cache.MissedIconArrived());
}

TEST_F(IconCacheTest, PastEightyBitmapsTheTwentySmallestKeysGo) {
  for (int i = 0; i < 82; ++i) ASSERT_TRUE(WriteSolidPng(IconFile(IconKey(u"live", Id(i))), 2, 2, Rgba{1, 1, 1, 1}));

  for (int i = 0; i < 81; ++i) ASSERT_NE(cache.IconFor(u"live", Id(i), kUrl, false), nullptr);
  EXPECT_EQ(cache.BitmapCount(), 81u);

  ASSERT_NE(cache.IconFor(u"live", Id(81), kUrl, false), nullptr);
  EXPECT_EQ(cache.BitmapCount(), 62u);
  for (int i = 0; i < 20; ++i) {
    EXPECT_FALSE(cache.Holds(IconKey(u"live", Id(i)))) << i;
    EXPECT_EQ(cache.StateOf(IconKey(u"live", Id(i))), IconCache::State::None) << i;
  }
  EXPECT_TRUE(cache.Holds(u"live_020"));
  EXPECT_TRUE(cache.Holds(u"live_081"));

  // A released icon is decoded again from its file when it is needed.
  EXPECT_NE(cache.IconFor(u"live", Id(0), kUrl, false), nullptr);
  EXPECT_TRUE(downloads.started.empty());
}

}  // namespace
