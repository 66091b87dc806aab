// Notices (toasts) show where nothing else is drawn: on Live on the preview,
// on the grid right of the channel's name, on the multi-view above the key
// hint. Checked against each screen's own layout at the three window sizes.
#include <gtest/gtest.h>

#include "state/multiview_state.h"
#include "tests/ui/nav/navigator_fixture.h"
#include "tests/catalog/test_items.h"
#include "ui/screens/browse_frame.h"
#include "ui/screens/grid_screen.h"
#include "ui/screens/live_screen.h"
#include "ui/screens/multiview_screen.h"

namespace {

constexpr std::pair<int, int> kSizes[] = {{1280, 720}, {1920, 1080}, {3840, 2160}};

bool Overlap(const RectF& a, const RectF& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}
bool Inside(const RectF& inner, const RectF& outer) {
  return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top && inner.bottom <= outer.bottom;
}

class NoticePlaces : public NavigatorTest {
 protected:
  void SetUp() override { SetLiveChannels(TestChannels(u"c", 30)); }
};

}  // namespace

TEST_F(NoticePlaces, LiveShowsThemOnThePreviewClearOfTheTabsListsGuideAndButtons) {
  for (const auto& [w, h] : kSizes) {
    const LiveLayout l = LiveLayoutOf(state, 6, 10, w, h);
    const RectF notice = screens[Screen::Live].NoticeRect(state, w, h);
    const std::string at = std::to_string(w) + "x" + std::to_string(h);
    EXPECT_TRUE(Inside(notice, l.preview)) << at;
    EXPECT_FALSE(Overlap(notice, RectF{0, 0, double(w), DesignY(kBodyTop, h)})) << at << ": the header tabs";
    EXPECT_FALSE(Overlap(notice, RectF{0, 0, l.channelRight, double(h)})) << at << ": the lists";
    EXPECT_FALSE(Overlap(notice, RectF{l.channelRight, l.guideTop, double(w), double(h)})) << at << ": the guide";
    for (const RectF& button : l.buttons) EXPECT_FALSE(Overlap(notice, button)) << at;
    EXPECT_FALSE(Overlap(notice, l.previewState)) << at << ": the preview's pause state";
    EXPECT_TRUE(Inside(l.previewState, l.preview)) << at;
    EXPECT_GE(notice.Width(), 0.4 * w) << at << ": room for a channel's name";
  }
}

TEST_F(NoticePlaces, TheGridShowsThemInItsBandBesideTheChannelName) {
  for (const bool detail : {false, true}) {
    state.nav.grid.detailOpen = detail;
    for (const auto& [w, h] : kSizes) {
      const GuideGridLayout l = GuideGridLayoutOf(state, w, h);
      const RectF notice = screens[Screen::Grid].NoticeRect(state, w, h);
      const std::string at = std::to_string(w) + "x" + std::to_string(h);
      EXPECT_LE(notice.bottom, l.bandBottom) << at;
      for (const RectF& r : {l.back, l.channel, l.title, l.times, l.description, l.timeRow}) {
        EXPECT_FALSE(Overlap(notice, r)) << at << " detail " << detail;
      }
      EXPECT_GE(notice.Width(), 0.3 * w) << at;
    }
  }
}

TEST_F(NoticePlaces, TheMultiViewShowsThemClearOfEveryTilesLabelFailureAndTheHint) {
  for (size_t count = 1; count <= 4; ++count) {
    state.multiView.tiles.resize(count);
    for (const auto& [w, h] : kSizes) {
      const ViewOverlayLayout l = ViewOverlayLayoutOf(state.multiView, w, h);
      const RectF notice = screens[Screen::MultiView].NoticeRect(state, w, h);
      const std::string at = std::to_string(count) + " tiles at " + std::to_string(w) + "x" + std::to_string(h);
      ASSERT_EQ(l.labels.size(), count);
      for (size_t i = 0; i < count; ++i) {
        EXPECT_FALSE(Overlap(notice, l.labels[i])) << at << ": tile " << i << "'s label";
        EXPECT_FALSE(Overlap(notice, l.failed[i])) << at << ": tile " << i << "'s failure";
      }
      EXPECT_FALSE(Overlap(notice, l.hint)) << at;
      EXPECT_TRUE(Inside(notice, RectF{0, 0, double(w), double(h)})) << at;
    }
  }
}

TEST_F(NoticePlaces, MoviesAndSeriesShowThemInTheHeaderClearOfTheTabsPillAndMark) {
  for (const Screen screen : {Screen::Movies, Screen::Series}) {
    for (const auto& [w, h] : kSizes) {
      const RectF notice = screens[screen].NoticeRect(state, w, h);
      const std::string at = std::to_string(w) + "x" + std::to_string(h);
      EXPECT_LE(notice.bottom, DesignY(kHeaderBottom, h)) << at;
      EXPECT_LE(notice.right, DesignX(1758, w)) << at << ": the mark";
      for (double x = notice.left; x < notice.right; x += 4) {
        for (double y = notice.top; y < notice.bottom; y += 4) {
          ASSERT_FALSE(HeaderTabAt(x, y, w, h).has_value()) << at << ": a tab or the search pill at " << x;
        }
      }
      EXPECT_GE(notice.Width(), 0.25 * w) << at;
    }
  }
}
