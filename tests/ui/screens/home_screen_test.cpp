#include "ui/screens/home_screen.h"

#include <gtest/gtest.h>

#include "extras/trending.h"
#include "tests/fixtures/temp_data_home.h"
#include "tests/ui/render/test_pictures.h"
#include "i18n/translate.h"

namespace {

TEST(HomeLayout, TilesAt1280x720AndShrinkToTwentyEightInLowWindows) {
  EXPECT_DOUBLE_EQ(HomeTileHeight(720), 48);
  const RectF first = HomeTileRect(0, 1280, 720);
  EXPECT_DOUBLE_EQ(first.top, 100);
  EXPECT_DOUBLE_EQ(first.Height(), 48);
  EXPECT_NEAR(first.left, 43 * 1280 / 1920.0, 1e-9);
  EXPECT_NEAR(first.right, 389 * 1280 / 1920.0, 1e-9);
  // Each next tile one gap (7/1080 of the height) below the previous.
  for (int i = 1; i < kHomeTileCount; ++i) {
    EXPECT_NEAR(HomeTileRect(i, 1280, 720).top, HomeTileRect(i - 1, 1280, 720).bottom + 7 * 720 / 1080.0, 1e-9);
  }
  EXPECT_DOUBLE_EQ(HomeTileHeight(1080), 72);

  // 300 high: eight tiles of 32 do not fit, so they take the natural height.
  const double h300 = HomeTileHeight(300);
  EXPECT_LT(h300, 32);
  EXPECT_GT(h300, 28);
  // Lower still: 28, and the last tiles run past the bottom edge.
  EXPECT_DOUBLE_EQ(HomeTileHeight(200), 28);
  EXPECT_GT(HomeTileRect(7, 640, 200).bottom, 200);
  // Where 32 fits, 32 is the least (72/1080 of 400 would be 26.7).
  EXPECT_DOUBLE_EQ(HomeTileHeight(400), 32);
}

TEST(HomeLayout, SwatchesButtonsAndHitTests) {
  HomeView view;
  view.dashColor = 4;
  for (int i = 0; i < kAccentCount; ++i) {
    EXPECT_DOUBLE_EQ(HomeSwatchCircle(i, view.dashColor, 1920, 1080).radius, i == 4 ? 8 : 6) << i;
  }
  EXPECT_DOUBLE_EQ(HomeSwatchCircle(0, 0, 1920, 1080).x, 1896 - 196);
  EXPECT_DOUBLE_EQ(HomeSwatchCircle(0, 0, 1920, 1080).y, 128);

  EXPECT_EQ(HomeActionButtonRect(0, 1920, 1080), (RectF{1368, 1020, 1536, 1064}));
  EXPECT_DOUBLE_EQ(HomeActionButtonRect(2, 1920, 1080).right, 1896);
  // A narrow window keeps the buttons right of the menu column.
  // The buttons' pixel sizes follow the text (a third at 640 x 480).
  EXPECT_DOUBLE_EQ(HomeActionButtonRect(0, 640, 480).left, 640 - 552 / 3.0);

  auto hit = [&](const RectF& r) { return HomeHitTest((r.left + r.right) / 2, (r.top + r.bottom) / 2, 1920, 1080, view); };
  EXPECT_EQ(hit(HomeTileRect(5, 1920, 1080)), (HomeHit{HomeHit::Kind::Tile, 5}));
  EXPECT_EQ(hit(HomeActionButtonRect(1, 1920, 1080)), (HomeHit{HomeHit::Kind::ActionButton, 1}));
  const Circle swatch = HomeSwatchCircle(6, view.dashColor, 1920, 1080);
  EXPECT_EQ(HomeHitTest(swatch.x + 1, swatch.y - 1, 1920, 1080, view), (HomeHit{HomeHit::Kind::Swatch, 6}));
  EXPECT_EQ(HomeHitTest(1876, 45, 1920, 1080, view).kind, HomeHit::Kind::Bell);
  EXPECT_EQ(HomeHitTest(1000, 500, 1920, 1080, view).kind, HomeHit::Kind::None);

  // The open panel takes every click: its buttons in messages mode, nothing
  // below it.
  view.panelOpen = true;
  view.messagesMode = true;
  EXPECT_EQ(hit(HomeTileRect(0, 1920, 1080)).kind, HomeHit::Kind::None);
  EXPECT_EQ(hit(HomePanelButtonRect(1, 1920, 1080)), (HomeHit{HomeHit::Kind::PanelButton, 1}));
  view.messagesMode = false;
  EXPECT_EQ(hit(HomePanelButtonRect(1, 1920, 1080)).kind, HomeHit::Kind::Panel);
}

TEST(HomeTexts, ClockMonthInTheLanguageAndUnreadBadge) {
  EXPECT_EQ(HomeClockTime(LocalTime{2026, 1, 1, 0, 5}, true), u"12:05 AM");
  EXPECT_EQ(HomeClockTime(LocalTime{2026, 1, 1, 12, 0}, true), u"12:00 PM");
  EXPECT_EQ(HomeClockTime(LocalTime{2026, 1, 1, 23, 59}, true), u"11:59 PM");
  EXPECT_EQ(HomeClockTime(LocalTime{2026, 1, 1, 9, 7}, true), u"09:07 AM");
  EXPECT_EQ(HomeClockTime(LocalTime{2026, 1, 1, 0, 5}, false), u"00:05");
  EXPECT_EQ(HomeDayText(LocalTime{2026, 1, 3}), u"03");

  const LocalTime may{2026, 5, 17, 10, 0};
  EXPECT_EQ(HomeMonthYearText(0, may), u"May - 2026");
  EXPECT_EQ(HomeMonthYearText(LanguageIndex(u"ro"), may), u"mai - 2026");
  EXPECT_EQ(HomeMonthYearText(LanguageIndex(u"de"), may), u"Mai - 2026");
  // An index past the list uses the first locale.
  EXPECT_EQ(HomeMonthYearText(40, may), u"May - 2026");

  EXPECT_EQ(UnreadBadgeCount(11, u"m11", u""), 9);  // never seen: all, at most 9
  EXPECT_EQ(UnreadBadgeCount(3, u"m3", u""), 3);
  EXPECT_EQ(UnreadBadgeCount(12, u"m12", u"m11"), 1);  // one new after a seen one
  EXPECT_EQ(UnreadBadgeCount(12, u"m12", u"m12"), 0);
  EXPECT_EQ(UnreadBadgeCount(0, u"", u"m4"), 0);
  EXPECT_EQ(MessageSeenKey(u"", u"Hello"), u"Hello");
  EXPECT_EQ(MessageSeenKey(u"42", u"Hello"), u"42");
}

// The Home screen painted offscreen at 1920 x 1080 over a plain mid-grey
// backdrop, sampled where no text or icon lies.
class HomePaint : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(WriteSolidPng(BackdropFile(), 64, 36, Rgba{0.5, 0.5, 0.5, 1})); }

  TempDataHome home_;
  RenderResources res_{home_.Root()};
};

TEST_F(HomePaint, BackdropVeilTilesAndSwatches) {
  HomeView view;
  view.homeIndex = 2;
  view.dashColor = 3;
  view.backdropKey = u"https://img/1.jpg";
  OffscreenFrame frame(res_, 1920, 1080, view.dashColor);
  PaintHome(res_, view);

  // The menu column is veiled: darker than the backdrop to its right.
  const Pixel column = frame.At(200, 1000);
  const Pixel open = frame.At(1000, 600);
  EXPECT_EQ(open.a, 255);
  EXPECT_NEAR(open.r, 128, 2);
  EXPECT_LT(column.Brightness(), open.Brightness() / 2);

  // The focused tile is lighter than the others (right end of each face).
  auto face = [&](int i) {
    const RectF r = HomeTileRect(i, 1920, 1080);
    return frame.At(static_cast<int>(r.right) - 30, static_cast<int>((r.top + r.bottom) / 2));
  };
  EXPECT_GT(face(2).Brightness(), face(1).Brightness() + 60);
  EXPECT_EQ(face(0).Brightness(), face(7).Brightness());

  // Swatch 3 (green) at its centre, drawn larger as the chosen one.
  const Circle swatch = HomeSwatchCircle(3, view.dashColor, 1920, 1080);
  const Pixel green = frame.At(static_cast<int>(swatch.x), static_cast<int>(swatch.y));
  EXPECT_NEAR(green.r, 26, 2);
  EXPECT_NEAR(green.g, 130, 2);
  EXPECT_NEAR(green.b, 13, 2);

  // The red trailer button at its corner (away from the caption), and no badge.
  const RectF trailer = HomeActionButtonRect(0, 1920, 1080);
  const Pixel red = frame.At(static_cast<int>(trailer.left) + 3, static_cast<int>(trailer.top) + 3);
  EXPECT_NEAR(red.r, 209, 2);
  EXPECT_NEAR(red.g, 31, 2);
  EXPECT_EQ(frame.At(1894, 22).Brightness(), open.Brightness());
}

TEST_F(HomePaint, BadgeAndOverlays) {
  HomeView view;
  view.messageCount = 2;
  view.newestMessageKey = u"m2";
  view.panelOpen = true;
  view.messagesMode = true;
  view.replyOpen = true;
  view.reloading = true;
  OffscreenFrame frame(res_, 1920, 1080);
  PaintHome(res_, view);

  // The badge's red disc, under the two veils.
  const Pixel badge = frame.At(1920 - 26 - 8, 22);
  EXPECT_GT(badge.r, 2 * badge.g);
  // The reply box is white, drawn above everything.
  const RectF box = HomeReplyBoxRect(1920, 1080);
  const Pixel white = frame.At(static_cast<int>(box.right) - 20, static_cast<int>(box.bottom) - 12);
  EXPECT_EQ(white.Brightness(), 3 * 255);
}

// At 1280 x 720, in every language: the month and year stay inside the clock
// band, the wordmark clear of the first tile, and the messages panel's CLOSE
// button shows its face.
TEST_F(HomePaint, SmallWindowKeepsTextsInTheirPlaces) {
  const int w = 1280, h = 720;
  HomeView view;
  view.now = LocalTime{2026, 9, 17, 12, 34, 0, 4};  // September, a long month name
  const RectF band = HomeClockBand(w, h);
  const RectF tile = HomeTileRect(0, w, h);
  for (int language = 0; language < kLanguageCount; ++language) {
    SCOPED_TRACE(language);
    view.language = language;
    OffscreenFrame frame(res_, w, h);
    PaintHome(res_, view);
    const Rgba backdrop = frame.ColourAt(int(band.right) + 40, int(band.bottom) + 3);
    EXPECT_FALSE(frame.InkIn(RectF{band.right + 1, band.top, w - 90.0, band.bottom}, backdrop)) << "right of the band";
    const Rgba veil = frame.ColourAt(5, int(tile.top) - 2);
    EXPECT_FALSE(frame.InkIn(RectF{tile.left, tile.top - 4, tile.right, tile.top}, veil)) << "on the first tile";
  }
  view.panelOpen = view.messagesMode = true;
  OffscreenFrame frame(res_, w, h);
  PaintHome(res_, view);
  const RectF close = HomePanelButtonRect(1, w, h);
  const int y = int((close.top + close.bottom) / 2);
  EXPECT_GT(frame.At(int(close.left) + 6, y).Brightness(), frame.At(int(close.left) - 6, y).Brightness() + 60);
}

// A paint with no frame bound (a repaint asked for before the window has a
// surface) draws nowhere: it neither fails nor leaves anything for the next
// frame.
TEST(HomePaintOutsideAFrame, LeavesNothingForTheNextFrame) {
  RenderResources res;
  PaintHome(res, HomeView{});
  OffscreenFrame frame(res, 16, 16);
  EXPECT_FALSE(frame.AnyInk(0, 16));
}

}  // namespace
