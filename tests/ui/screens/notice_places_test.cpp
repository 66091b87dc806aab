// Notices (toasts) show where nothing else is drawn: on Live on the preview,
// on the grid right of the channel's name, on the multi-view above the key
// hint, and on every other screen in a free part of its own layout. Checked
// against each screen's layout at the three window sizes.
#include <gtest/gtest.h>

#include "state/multiview_state.h"
#include "tests/ui/nav/navigator_fixture.h"
#include "tests/catalog/test_items.h"
#include "ui/screens/account_screen.h"
#include "ui/screens/browse_frame.h"
#include "ui/screens/catchup_screen.h"
#include "ui/screens/grid_screen.h"
#include "ui/screens/groups_screen.h"
#include "ui/screens/guide_review_screen.h"
#include "ui/screens/guide_sources_screen.h"
#include "ui/screens/home_screen.h"
#include "ui/screens/live_history.h"
#include "ui/screens/live_screen.h"
#include "ui/screens/multiview_screen.h"
#include "ui/screens/recordings_screen.h"
#include "ui/screens/search_screen.h"
#include "ui/screens/settings_cells.h"
#include "ui/screens/settings_screen.h"
#include "ui/screens/sports_screen.h"

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

// What each of the other screens draws, from the layout functions its
// painter uses: the back button, titles, lists, tiles and texts.
TEST_F(NoticePlaces, TheOtherScreensShowThemClearOfTheirControlsAndTexts) {
  state.settings.Groups.resize(3);
  SearchCatalog(state, u"c");
  for (const auto& [w, h] : kSizes) {
    const RectF back = DesignRect(54, 24, 144, 114, w, h), backLow = SettingsBackRect(w, h);
    std::vector<std::pair<Screen, std::vector<RectF>>> drawn;
    std::vector<RectF> home = {HomeClockBand(w, h), HomeBellHitRect(w, h), HomeLogoRect(w, h),
                               HomeStatusRect(w, h), HomeProviderStatusRect(w, h), HomePanelRect(w, h),
                               RectF{0, 0, HomeColumnWidth(w), double(h)}};
    for (int i = 0; i < 7; ++i) {
      const Circle swatch = HomeSwatchCircle(i, 0, w, h);
      home.push_back(RectF{swatch.x - 8, swatch.y - 8, swatch.x + 8, swatch.y + 8});
    }
    for (int i = 0; i < 3; ++i) home.push_back(HomeActionButtonRect(i, w, h));
    drawn.emplace_back(Screen::Home, home);

    const SearchLayout search = SearchLayoutOf(state.SearchResults, 0, w, h);
    std::vector<RectF> searchDrawn = {search.back, search.queryBox};
    for (const SearchSectionLayout& section : search.sections) {
      searchDrawn.push_back(section.title);
      for (const auto& row : section.rows) searchDrawn.push_back(row.first);
    }
    drawn.emplace_back(Screen::Search, searchDrawn);

    // The title, the channel's icon and name end left of the place.
    std::vector<RectF> catchup = {back, DesignRect(160, 30, 575, 110, w, h), LiveHistoryRowRect(0, w, h)};
    for (int day = 0; day < kCatchupDays; ++day) catchup.push_back(CatchupDayRect(day, w, h));
    catchup.push_back(CatchupRowRect(0, w, h));
    drawn.emplace_back(Screen::Catchup, catchup);

    const GroupsLayout groups = GroupsLayoutOf(0, 3, w, h);
    drawn.emplace_back(Screen::Groups, std::vector<RectF>{WideRect(40, 30, 2360, 136, w, h), groups.newGroupButton,
                                                          groups.RowRect(groups.visible - 1, w)});

    std::vector<RectF> settings = {backLow, RectF{0, DesignY(40, h), double(w), DesignY(146, h)},
                                   SettingsIdentityRect(w, h)};
    for (int cell = 0; cell < kSettingsCellCount; ++cell) settings.push_back(SettingsTileRect(cell, w, h));
    drawn.emplace_back(Screen::Settings, settings);

    drawn.emplace_back(Screen::Sports, std::vector<RectF>{back, RectF{0, 0, WideX(1400, w), DesignY(128, h)},
                                                          SportsRowRect(0, w, h)});

    std::vector<RectF> account = {back,
                                  DesignRect(0, 0, 1346, 1080, w, h),        // the list and its headings
                                  DesignRect(1368, 40, 1896, 960, w, h),     // the site, QR code, MAC and key
                                  AccountQrRect(w, h)};
    drawn.emplace_back(Screen::Account, account);

    const RecordingsLayout recordings = RecordingsLayoutOf(0, 1, w, h);
    drawn.emplace_back(Screen::Recordings,
                       std::vector<RectF>{recordings.back, DesignRect(180, 30, 850, 114, w, h),
                                          recordings.settingsButton, recordings.RowRect(0, w)});

    const GuideSourcesLayout sources = GuideSourcesLayoutOf(0, 3, w, h);
    drawn.emplace_back(Screen::GuideSources,
                       std::vector<RectF>{sources.back, DesignRect(180, 30, 880, 114, w, h), sources.reviewButton,
                                          sources.RowRect(0, w)});
    const GuideReviewLayout review = GuideReviewLayoutOf(0, 1, w, h);
    drawn.emplace_back(Screen::GuideReview, std::vector<RectF>{review.back, DesignRect(180, 30, 1370, 114, w, h),
                                                               review.RowRect(0, w)});

    for (const auto& [screen, rects] : drawn) {
      const RectF notice = screens[screen].NoticeRect(state, w, h);
      const std::string at = std::to_string(int(screen)) + " at " + std::to_string(w) + "x" + std::to_string(h);
      for (const RectF& r : rects) {
        EXPECT_FALSE(Overlap(notice, r)) << at << ": " << r.left << "," << r.top << " " << r.right << "," << r.bottom;
      }
      EXPECT_TRUE(Inside(notice, RectF{0, 0, double(w), double(h)})) << at;
      // A volume level or a channel number in the notice's own font.
      EXPECT_GE(notice.Width(), 0.25 * w) << at;
      EXPECT_GE(notice.Height(), DesignY(60, h)) << at;
    }
  }
}
