// The browsing screens through the navigator, as the window drives them:
// key tables, the scrolling rules, clicks hit-tested against the painters'
// layouts, favorites, groups and the search.
#include <gtest/gtest.h>

#include "catalog/categories.h"
#include "catalog/channel_choice.h"
#include "platform/clock.h"
#include "platform/virtual_keys.h"
#include "tests/catalog/test_items.h"
#include "tests/fixtures/temp_data_home.h"
#include "tests/ui/nav/navigator_fixture.h"
#include "tests/ui/render/test_pictures.h"
#include "i18n/languages.h"
#include "i18n/translate.h"
#include "net/text.h"
#include "ui/nav/navigator.h"
#include "ui/screens/browse_frame.h"
#include "ui/screens/catchup_screen.h"
#include "ui/screens/groups_screen.h"
#include "ui/screens/item_grid.h"
#include "ui/screens/live_actions.h"
#include "ui/screens/live_history.h"
#include "ui/screens/live_screen.h"
#include "ui/screens/search_screen.h"

namespace {

std::u16string AsciiToWideNumber(int n) { return AsciiToWide(std::to_string(n)); }

class BrowseTest : public NavigatorTest {
 protected:
  BrowseTest() {
    actions.state = &state;
    navigator.SetSurfaceSize(1280, 720);
    // Live: 40 news channels (category "n"), none in "e" (empty), sport hidden.
    auto live = std::make_shared<ItemList>(*TestItems(ItemKind::Live, u"c", 40, u"n"));
    const SharedItems sport = TestItems(ItemKind::Live, u"s", 3, u"s");
    for (const CatalogItem& c : *sport) live->push_back(c);
    state.catalog.LiveChannels = live;
    state.catalog.LiveCategories = {{u"News", u"n"}, {u"Empty", u"e"}, {u"Sport", u"s"}, {u"Last", u"z"}};
    state.settings.HideLive = {u"s"};
    state.catalog.Movies = TestItems(ItemKind::Vod, u"m", 60, u"m");
    state.catalog.MovieCategories = {{u"Drama", u"m"}, {u"Comedy", u"k"}};
    state.catalog.Series = TestItems(ItemKind::Series, u"q", 7, u"q");
    state.catalog.SeriesCategories = {{u"Shows", u"q"}};
    // The lists as a download leaves them: the program's own entries in front.
    int liveIndex = kLiveAllIndex, item = kItemAllIndex;
    RebuildLiveCategories(state.catalog.LiveCategories, liveIndex);
    RebuildVodCategories(state.catalog.MovieCategories, item);
    RebuildVodCategories(state.catalog.SeriesCategories, item);
  }
  void Pointer(PointerEvent::Kind kind, double x, double y, uint64_t at = 0, int notches = 0) {
    navigator.OnPointer(PointerEvent{kind, int(x), int(y), notches}, 1280, 720, at);
  }
  std::u16string LiveCategoryId() { return state.catalog.LiveCategories[size_t(state.nav.live.LiveCategoryIndex)].id; }
  std::u16string SelectedChannelId() { return std::u16string(state.VisibleLive[size_t(state.nav.ChannelIndex)].id()); }
  // The next prompt is answered with `text` and then `finalKey`.
  void Answer(std::u16string_view text, int finalKey = Vk::Return) {
    modalKeys = Typing(text);
    modalKeys.push_back(finalKey);
  }

  TempDataHome home;
};

TEST_F(BrowseTest, LiveCategoryColumnStepsOverHiddenAndClampsWhileChannelsWrap) {
  navigator.SetScreen(Screen::Live);
  EXPECT_EQ(LiveCategoryId(), u"") << "All";
  Press({Vk::Down, Vk::Down, Vk::Down});
  EXPECT_EQ(LiveCategoryId(), u"n");
  EXPECT_EQ(state.VisibleLive.size(), 40u);
  Press({Vk::Down});
  EXPECT_EQ(LiveCategoryId(), u"e");
  EXPECT_TRUE(state.VisibleLive.empty()) << "an empty category lists nothing and plays nothing";
  const size_t playsBefore = actions.played.size();
  Press({Vk::Down});
  EXPECT_EQ(LiveCategoryId(), u"z") << "the hidden Sport category is passed over";
  Press({Vk::Down});
  EXPECT_EQ(LiveCategoryId(), u"z") << "the last visible category stays";
  EXPECT_EQ(actions.played.size(), playsBefore);

  Press({Vk::Up, Vk::Up});
  EXPECT_EQ(LiveCategoryId(), u"n");
  EXPECT_EQ(actions.played.back(), 0) << "the preview follows the category's default channel";
  Press({Vk::Right, Vk::Up});
  EXPECT_EQ(state.nav.ChannelIndex, 39) << "up at the first channel wraps to the last";
  EXPECT_EQ(state.nav.ChannelScroll, 39 - LiveLayoutOf(state, 0, 0, 1280, 720).channels.visible + 1)
      << "the selection is kept in view";
  Press({Vk::Down});
  EXPECT_EQ(state.nav.ChannelIndex, 0);
  EXPECT_EQ(state.nav.ChannelScroll, 0);
  Press({Vk::Left});
  EXPECT_EQ(state.nav.LiveFocus, 0);
}

TEST_F(BrowseTest, LiveRowsAtFiveHundredPixelsAndClicksAgreeWithTheLayout) {
  const LiveLayout low = LiveLayoutOf(state, 0, 0, 900, 500);
  EXPECT_EQ(low.channels.rowHeight, 22);
  EXPECT_EQ(low.channels.visible, 18);

  navigator.SetScreen(Screen::Live);
  const LiveLayout l = LiveLayoutOf(state, int(VisibleLiveCategories(state).size()), 0, 1280, 720);
  const double x = (l.categoryRight + l.channelScrollbarX) / 2;
  const double y = l.channels.RowTop(3) + l.channels.rowHeight / 2.0;
  EXPECT_EQ(LiveHitTest(l, 5, 43, x, y, 1280, 720), (LiveHit{LiveHit::Kind::Channel, 3}));
  Pointer(PointerEvent::Kind::Up, x, y, 1000);
  EXPECT_EQ(state.nav.ChannelIndex, 3);
  EXPECT_EQ(state.nav.LiveFocus, 1);
  EXPECT_EQ(actions.played.back(), 3);

  // Wheel down over the channels scrolls three rows, not past the last page.
  Pointer(PointerEvent::Kind::Wheel, x, y, 1100, -1);
  EXPECT_EQ(state.nav.ChannelScroll, 3);
  Pointer(PointerEvent::Kind::Wheel, x, y, 1100, -100);
  EXPECT_EQ(state.nav.ChannelScroll, 40 - l.channels.visible);
  // The wheel over the guide panel (right half, under the preview) is the guide's.
  Pointer(PointerEvent::Kind::Wheel, 1100, l.guideTop + 40, 1150, 1);
  EXPECT_EQ(state.nav.ChannelScroll, 40 - l.channels.visible);

  // A press on the scroll bar drags the list; its release is not a click.
  Pointer(PointerEvent::Kind::Down, l.channelScrollbarX + 4, l.channels.top, 2000);
  EXPECT_EQ(state.nav.ChannelScroll, 0);
  Pointer(PointerEvent::Kind::Move, l.channelScrollbarX + 4, l.channels.bottom, 2010);
  EXPECT_EQ(state.nav.ChannelScroll, 40 - l.channels.visible);
  const int selected = state.nav.ChannelIndex;
  Pointer(PointerEvent::Kind::Up, l.channelScrollbarX + 4, l.channels.bottom, 2020);
  EXPECT_EQ(state.nav.ScrollDrag, 0);
  EXPECT_EQ(state.nav.ChannelIndex, selected);

  // Header tabs by their design ranges.
  EXPECT_EQ(HeaderTabAt(1280 * 400 / 1920.0, 30, 1280, 720), Screen::Movies);
  EXPECT_FALSE(HeaderTabAt(1280 * 190 / 1920.0, 30, 1280, 720).has_value());
  EXPECT_EQ(HeaderTabAt(1280 * 730 / 1920.0, 30, 1280, 720), Screen::Search) << "730 belongs to the search pill";
  Pointer(PointerEvent::Kind::Up, 1280 * 800 / 1920.0, 30, 3000);
  EXPECT_EQ(state.CurrentScreen, Screen::Search);
}

// A whole provider guide holds the past week before the present: the guide
// panel still opens at the programme on now, and its wheel reaches the past.
TEST_F(BrowseTest, TheGuidePanelOpensAtTheProgrammeOnNowOfAWeekLongGuide) {
  navigator.SetScreen(Screen::Live);
  const LiveLayout before = LiveLayoutOf(state, int(VisibleLiveCategories(state).size()), 0, 1280, 720);
  Pointer(PointerEvent::Kind::Up, (before.categoryRight + before.channelScrollbarX) / 2,
          before.channels.RowTop(3) + before.channels.rowHeight / 2.0, 1000);
  ASSERT_EQ(state.nav.ChannelIndex, 3);
  const int64_t now = NowUnix();
  const int64_t hour = 3600, weekAgo = now - now % hour - 7 * 24 * hour;
  std::vector<EpgEntry> rows;
  for (int64_t start = weekAgo; start < now + 24 * hour; start += hour)
    rows.push_back(EpgEntry{u"00:00", u"Hourly", start, 60, {}});
  const int onNow = int((now - weekAgo) / hour);
  state.guide.Fill(SelectedChannelId(), rows, GuideOrigin::WholeGuide, now);

  const int count = int(rows.size());
  const LiveLayout l = LiveLayoutOf(state, 0, count, 1280, 720);
  EXPECT_EQ(l.guideCurrent, onNow);
  EXPECT_EQ(l.guideFirst, onNow) << "the first row shown is the programme on now, not last week's first";
  Pointer(PointerEvent::Kind::Wheel, 1100, l.guideTop + 40, 1100, 2);
  EXPECT_EQ(state.nav.GuideRowIndex, -2) << "the wheel up goes back into the past";
  EXPECT_EQ(LiveLayoutOf(state, 0, count, 1280, 720).guideFirst, onNow - 2);
  Pointer(PointerEvent::Kind::Wheel, 1100, l.guideTop + 40, 1200, -1000);
  EXPECT_EQ(LiveLayoutOf(state, 0, count, 1280, 720).guideFirst, count - l.guide.visible)
      << "and down stops at the last page";
}

TEST_F(BrowseTest, NumberEntryFavoritesLocksAndTheExternalPlayer) {
  navigator.SetScreen(Screen::Live);
  Press({Vk::Digit(1)}, 10'000);
  Press({Vk::Digit(2)}, 10'500);
  EXPECT_EQ(SelectedChannelId(), u"c12") << "the pause rule itself: ChannelNumberEntry's test";
  EXPECT_EQ(state.toast.text, u"CH 12");

  Press({Vk::Letter('F')});
  EXPECT_EQ(state.settings.FavLive, IdList{u"c12"});
  EXPECT_EQ(state.toast.text, u"Added to favorites");
  Press({Vk::Letter('L')});
  EXPECT_EQ(state.settings.LockCh, IdList{u"c12"});
  Press({Vk::Grave});
  EXPECT_TRUE(state.settings.FavLive.empty());
  EXPECT_EQ(actions.saves, 3);
  // E hands the channel to the external player from either column.
  Press({Vk::Letter('E'), Vk::Left, Vk::Letter('E')});
  EXPECT_EQ(actions.externalOpens, 2);
}

TEST_F(BrowseTest, EnteringLiveRemembersTheChannelAndFallsBackToAll) {
  state.LastLiveChannelId = u"c7";
  state.nav.live.LiveCategoryIndex = 6;  // "Empty" after the five specials
  navigator.SetScreen(Screen::Live);
  EXPECT_EQ(LiveCategoryId(), u"") << "an empty category is replaced by All";
  EXPECT_EQ(SelectedChannelId(), u"c7");

  navigator.SetScreen(Screen::Home);
  state.nav.live.LiveCategoryIndex = 4;  // "Lock", with no locked channels
  navigator.SetScreen(Screen::Live);
  EXPECT_EQ(LiveCategoryId(), u"lock");
  EXPECT_TRUE(state.VisibleLive.empty());
}

TEST_F(BrowseTest, GridKeysTabWrapAndTheScrollingRule) {
  EXPECT_EQ(GridFirstItem(0, 37, 3), 25);
  EXPECT_EQ(GridFirstItem(25, 12, 3), 10);

  navigator.SetScreen(Screen::Movies);
  EXPECT_EQ(state.VisibleItems.size(), 60u);
  Press({Vk::Tab});
  EXPECT_EQ(state.nav.ItemCategoryIndex, 2) << "Favorite";
  Press({Vk::Tab, Vk::Tab, Vk::Tab});
  EXPECT_EQ(state.nav.ItemCategoryIndex, 5) << "Comedy, the last";
  Press({Vk::Down});
  EXPECT_EQ(state.nav.ItemCategoryIndex, 5) << "Down does not wrap";
  Press({Vk::Tab});
  EXPECT_EQ(state.nav.ItemCategoryIndex, 0) << "Tab wraps to the first";
  Press({Vk::Down, Vk::Right});
  EXPECT_EQ(state.nav.ItemFocus, 1);
  Press({Vk::Right, Vk::Right, Vk::Down, Vk::Down});
  EXPECT_EQ(state.nav.ItemIndex, 12);
  Press({Vk::Left});
  EXPECT_EQ(state.nav.ItemFocus, 0);
  EXPECT_EQ(state.nav.ItemIndex, 12) << "Left in the grid keeps the item";
  Press({Vk::Right});
  for (int i = 0; i < 20; ++i) Press({Vk::Down});
  EXPECT_EQ(state.nav.ItemIndex, 59);
  const ItemGridLayout l = ItemGridLayoutOf(state.nav, 6, 60, 1280, 720);
  EXPECT_EQ(l.firstItem, (59 / 5 - l.rows + 1) * 5);
  EXPECT_EQ(GridHitTest(l, 6, 60, l.CellRect(59).left + 5, l.CellRect(59).top + 5, 1280, 720),
            (GridHit{GridHit::Kind::Cell, 59}));

  Press({Vk::Grave});
  EXPECT_EQ(state.settings.FavVod, IdList{u"m60"});
  Press({Vk::Return});
  EXPECT_EQ(actions.movies, std::vector<std::u16string>{u"m60"});
  // A click selects a card, a second click on it plays it; a double click
  // (press, release, second press, release) plays it once.
  Click(l.CellRect(l.firstItem));
  EXPECT_EQ(state.nav.ItemIndex, l.firstItem);
  Click(l.CellRect(l.firstItem));
  EXPECT_EQ(actions.movies.size(), 2u);
  const RectF next = l.CellRect(l.firstItem + 1);
  Click(next);
  Pointer(PointerEvent::Kind::DoubleClick, next.left + 5, next.top + 5);
  Pointer(PointerEvent::Kind::Up, next.left + 5, next.top + 5);
  EXPECT_EQ(actions.movies.size(), 3u);
}

TEST_F(BrowseTest, SeriesEpisodesPanelTakesItsKeys) {
  navigator.SetScreen(Screen::Series);
  Press({Vk::Right, Vk::Return});
  EXPECT_EQ(actions.seriesAsked, std::vector<std::u16string>{u"q1"});
  EXPECT_EQ(actions.autoPlays, std::vector<bool>{false});
  state.series.Episodes = {{u"e1", u"Pilot", u"mp4", u"1"}, {u"e2", u"Second", u"mp4", u"1"}};
  state.nav.EpisodesOpen = true;
  Press({Vk::Down, Vk::Down, Vk::Tab});
  EXPECT_EQ(state.nav.EpisodeIndex, 1) << "clamped";
  EXPECT_EQ(state.nav.ItemCategoryIndex, kItemAllIndex) << "the panel takes every key";
  Press({Vk::Escape});
  EXPECT_FALSE(state.nav.EpisodesOpen);
  EXPECT_EQ(state.CurrentScreen, Screen::Series) << "Esc closes the panel first";
  state.nav.EpisodesOpen = true;
  const EpisodesLayout l = EpisodesLayoutOf(1, 2, 1280, 720);
  Click(RectF{l.left + 10, l.rows.RowTop(0), 1270, l.rows.RowTop(1)});
  EXPECT_EQ(actions.episodes, std::vector<std::u16string>{u"e1"});
  EXPECT_FALSE(state.nav.EpisodesOpen);
}

TEST_F(BrowseTest, SearchTypesDeletesMovesAndOpens) {
  navigator.SetScreen(Screen::Live);
  Press({Vk::Letter('S')});
  EXPECT_EQ(state.CurrentScreen, Screen::Search);
  Type(u"s");
  EXPECT_EQ(state.nav.SearchQuery, u"") << "the S that opened the search is not typed";
  Type(u"channel m1");
  EXPECT_EQ(state.SearchResults.size(), 11u) << "m1 and m10..m19";
  Press({Vk::Letter('M')});
  EXPECT_EQ(state.settings.Volume, Settings{}.Volume) << "M is a letter of the query, not the mute key";
  Type(u"m");
  EXPECT_TRUE(state.SearchResults.empty());
  Press({Vk::Back});
  EXPECT_EQ(state.nav.SearchQuery, u"channel m1");
  EXPECT_EQ(state.SearchResults.size(), 11u) << "Backspace searches again";
  Press({Vk::Down, Vk::Down, Vk::Return});
  EXPECT_EQ(actions.movies, std::vector<std::u16string>{u"m11"});

  SearchCatalog(state, u"channel q");
  Press({Vk::Return});
  EXPECT_EQ(actions.autoPlays, std::vector<bool>{true}) << "a series opens with its first episode playing";

  SearchCatalog(state, u"channel c40");
  const SearchLayout l = SearchLayoutOf(state.SearchResults, 0, 1280, 720);
  ASSERT_EQ(l.sections[0].rows.size(), 1u);
  EXPECT_TRUE(l.sections[1].empty);
  const int fullVideos = actions.fullVideos;
  Click(l.sections[0].rows[0].first);
  EXPECT_EQ(actions.fullVideos, fullVideos + 1) << "a channel plays full-window";
  EXPECT_EQ(SelectedChannelId(), u"c40");

  navigator.SetScreen(Screen::Search);
  state.nav.SearchQuery.clear();
  Press({Vk::Back});
  EXPECT_EQ(state.CurrentScreen, Screen::Live) << "Backspace on an empty query";
}

TEST_F(BrowseTest, TheHistoryKeyListsRecentChannelsAndOpensOneInRecentlyViewed) {
  state.settings.HistoryLive = {u"c9", u"gone", u"c3"};
  navigator.SetScreen(Screen::Live);
  Press({Vk::Letter('H')});
  EXPECT_EQ(state.CurrentScreen, Screen::Catchup);
  EXPECT_TRUE(state.nav.HistoryOpen);
  ASSERT_EQ(state.LiveHistoryChannels.size(), 2u) << "an id the catalog lacks is left out";
  EXPECT_EQ(state.LiveHistoryChannels[0].id(), u"c9") << "history order, newest first";
  EXPECT_TRUE(actions.guides.empty()) << "the history fetches no guide";
  Press({Vk::Down, Vk::Down, Vk::Left});
  EXPECT_EQ(state.nav.ListIndex, 1) << "clamped";
  EXPECT_EQ(state.nav.CatchupDayOffset, 0) << "no days in the history";
  Press({Vk::Return});
  EXPECT_EQ(state.CurrentScreen, Screen::Live);
  EXPECT_FALSE(state.nav.HistoryOpen);
  EXPECT_EQ(LiveCategoryId(), u"recent");
  EXPECT_EQ(SelectedChannelId(), u"c3");
  EXPECT_EQ(actions.played.back(), state.nav.ChannelIndex);

  Press({Vk::Letter('H')});
  Click(LiveHistoryRowRect(0, 1280, 720));
  EXPECT_EQ(SelectedChannelId(), u"c9") << "a click on a row opens it";
  EXPECT_EQ(actions.played.back(), state.nav.ChannelIndex);
  Press({Vk::Letter('C')});
  EXPECT_FALSE(state.nav.HistoryOpen) << "C shows the guide again";
  EXPECT_EQ(actions.guides, std::vector<std::u16string>{u"c9"});
}

TEST_F(BrowseTest, GroupsSelectDeleteAndAdd) {
  state.settings.Groups = {{u"Kids", {u"c5", u"c9"}}, {u"Old", {}}};
  state.LastLiveChannelId = u"c2";
  navigator.SetScreen(Screen::Live);
  Press({Vk::Letter('G')});
  EXPECT_EQ(state.CurrentScreen, Screen::Groups);
  Press({Vk::Down, Vk::Letter('A'), Vk::Letter('A')});
  EXPECT_EQ(state.settings.Groups[1].ids, IdList{u"c2"}) << "added once";
  EXPECT_EQ(state.toast.text, u"Channel added");
  Press({Vk::Delete});
  ASSERT_EQ(state.settings.Groups.size(), 1u);
  EXPECT_EQ(state.nav.GroupIndex, 0) << "kept within the groups left";
  Press({Vk::Return});
  EXPECT_EQ(state.CurrentScreen, Screen::Live);
  EXPECT_EQ(state.nav.live.ActiveGroup, 0);
  EXPECT_EQ(state.VisibleLive.size(), 2u);
  EXPECT_EQ(state.toast.text, u"Kids");
  Press({Vk::Letter('G'), Vk::Escape});
  EXPECT_EQ(state.nav.live.ActiveGroup, -1) << "leaving Groups clears the filter";
  EXPECT_EQ(state.VisibleLive.size(), 43u - 3u);
}

TEST_F(BrowseTest, GroupsAreCreatedFromThePromptOnGroupsAndOnLive) {
  navigator.SetScreen(Screen::Live);
  Press({Vk::Right, Vk::Down});  // channel c2 selected
  Press({Vk::Letter('G')});
  // The window sends the key's character right after it, before any key
  // pressed in the prompt: not part of the name.
  Answer(u"Evening");
  modalKeys.insert(modalKeys.begin(), Ch(u'n'));
  Press({Vk::Letter('N')});
  ASSERT_EQ(state.settings.Groups.size(), 1u);
  EXPECT_EQ(state.settings.Groups[0], (ChannelGroup{u"Evening", {u"c2"}})) << "starts with the selected channel";
  EXPECT_EQ(actions.saves, 1);

  Answer(u"Never", Vk::Escape);
  modalKeys.insert(modalKeys.begin(), Ch(u'+'));
  Press({Vk::OemPlus});
  EXPECT_EQ(state.settings.Volume, Settings{}.Volume) << "+ makes a group here, not louder";
  EXPECT_EQ(state.settings.Groups.size(), 1u) << "a cancelled prompt makes nothing";

  // On Live, choosing "+ Add Group" asks as well; the category shown stays.
  Press({Vk::Escape});
  EXPECT_EQ(state.CurrentScreen, Screen::Live);
  Press({Vk::Left, Vk::Up});
  EXPECT_EQ(LiveCategoryId(), u"recent");
  Answer(u"Late");
  Press({Vk::Up});
  EXPECT_EQ(LiveCategoryId(), u"recent");
  ASSERT_EQ(state.settings.Groups.size(), 2u);
  EXPECT_EQ(state.settings.Groups[1].name, u"Late");
  EXPECT_EQ(modalsShown, 3);
}

// --- What the screens paint -------------------------------------------------

// Names as real providers write them.
const std::u16string kLongChannel = u"VIP Sky Sports Premier League FHD " + std::u16string(66, u'W');
const std::u16string kLongCategory = u"PREMIUM USA SPORTS NETWORKS";

class BrowsePaintTest : public BrowseTest {
 protected:
  BrowsePaintTest() {
    // 1200 channels, the first with a 100-character name, so "All" counts
    // four digits; 24 categories, so the column scrolls.
    auto live = std::make_shared<ItemList>(*TestItems(ItemKind::Live, u"c", 1200, u"n"));
    (*live)[0] = TestItem(ItemKind::Live, {.id = u"long", .name = kLongChannel, .categoryId = u"n", .num = u"1"});
    state.catalog.LiveChannels = live;
    state.catalog.LiveCategories = {{kLongCategory, u"n"}};
    for (int i = 0; i < 24; ++i) state.catalog.LiveCategories.push_back({u"Cat " + AsciiToWideNumber(i), u"x"});
    int liveIndex = kLiveAllIndex;
    RebuildLiveCategories(state.catalog.LiveCategories, liveIndex);
    state.settings.HideLive.clear();
  }
  void Paint(OffscreenFrame&, Screen screen) { screens[screen].Paint(res, state, LocalTime{2026, 9, 17, 12, 0, 0, 4}); }
  RenderResources res;
};

TEST_F(BrowsePaintTest, ALongNameStaysOnOneLineInsideItsRow) {
  navigator.SetScreen(Screen::Live);
  Press({Vk::Right});  // the channels take the focus, the first selected
  ASSERT_EQ(SelectedChannelId(), u"long");
  for (const auto& [w, h] : {std::pair{1280, 720}, {1920, 1080}, {3840, 2160}}) {
    SCOPED_TRACE(w);
    OffscreenFrame frame(res, w, h);
    Paint(frame, Screen::Live);
    const ListRows rows = ListRowsOf(122, 997, 48, h);
    const Rgba bar = AccentColor(0);  // the focused row's fill
    // The rows of pixels the name's ink covers, inside the focused bar.
    int inkTop = -1, inkBottom = -1;
    for (int y = int(rows.top) + 3; y < int(rows.RowTop(1)) - 3; ++y) {
      if (!frame.InkIn(RectF{DesignX(616, w), double(y), DesignX(880, w), y + 1.0}, bar)) continue;
      if (inkTop < 0) inkTop = y;
      inkBottom = y;
    }
    ASSERT_GE(inkTop, 0);
    EXPECT_LT(inkBottom - inkTop, 1.5 * FontPxAt(FontId::Row, FontScaleFor(w, h))) << "one line";
    // The ellipsis ends the line before the marks' column.
    EXPECT_FALSE(frame.InkIn(RectF{DesignX(900, w), rows.top + 3, DesignX(908, w), rows.RowTop(1) - 3}, bar));
  }
}

// Texts that ran over their neighbours at 1280 x 720: a count of four digits
// under the scroll bar, the header's tabs cut ("Ho..."), the Catch-up title
// under the channel's icon (in every language).
TEST_F(BrowsePaintTest, TextsKeepClearOfTheirNeighbours) {
  {
    OffscreenFrame frame(res, 1280, 720);
    for (const auto& [left, right, word] : {std::tuple{54, 175, kMenuHome}, {200, 345, kMenuLive},
                                            {360, 530, kMenuMovies}, {545, 730, kMenuSeries}}) {
      EXPECT_LE(res.MeasureText(FontId::Label, MenuWord(0, word)).first, DesignX(right - left, 1280)) << word;
    }
  }
  for (int language = 0; language < kLanguageCount; ++language) {
    SetCurrentLanguageCode(kLanguages[language].code);
    OffscreenFrame frame(res, 1280, 720);
    PaintCatchup(res, state, 1789000000);
    EXPECT_FALSE(frame.InkIn(DesignRect(492, 30, 590, 110, 1280, 720), Rgba{0.04, 0.05, 0.08, 1})) << language;
  }
  SetCurrentLanguageCode(u"en");
  for (const auto& [w, h] : {std::pair{1280, 720}, {1920, 1080}, {3840, 2160}}) {
    OffscreenFrame frame(res, w, h);
    const CategoryColumnStyle style;
    const RectF count = CategoryCountRect(res, style, 0, 48);
    EXPECT_LT(count.right, CategoryScrollbarX(w)) << w;
    EXPECT_LE(res.MeasureText(FontId::Hint, u"8623").first, count.Width()) << w;
    const RectF name = CategoryNameRect(res, style, 0, 48);
    EXPECT_LE(name.right, count.left) << w;
  }
}

// The focused item against its own background, for every accent colour: the
// focused channel, the current header tab, the focused card's caption and its
// ring, the selected episode.
TEST_F(BrowsePaintTest, TheFocusedItemReadsWithEveryAccent) {
  state.series.Episodes = {{u"e1", u"Pilot", u"mp4", u"1"}, {u"e2", u"Second", u"mp4", u"1"}};
  const int w = 1280, h = 720;
  const ListRows rows = ListRowsOf(122, 997, 48, h);
  const RectF channelName{DesignX(616, w), rows.top + 3, DesignX(880, w), rows.RowTop(1) - 3};
  for (int accent = 0; accent < kAccentCount; ++accent) {
    SCOPED_TRACE(accent);
    state.settings.DashColor = accent;
    navigator.SetScreen(Screen::Live);
    state.nav.LiveFocus = 1;
    state.nav.ChannelIndex = 0;
    {
      OffscreenFrame frame(res, w, h, accent);
      Paint(frame, Screen::Live);
      EXPECT_GE(frame.TextContrast(channelName), 4.5) << "focused channel";
      EXPECT_GE(frame.TextContrast(DesignRect(200, 44, 345, 94, w, h)), 4.5) << "current tab";
    }
    navigator.SetScreen(Screen::Movies);
    state.nav.ItemFocus = 1;
    {
      OffscreenFrame frame(res, w, h, accent);
      Paint(frame, Screen::Movies);
      const RectF cell = ItemGridLayoutOf(state.nav, 4, int(state.VisibleItems.size()), w, h).CellRect(0);
      const RectF card{cell.left, cell.top, cell.right - 10, cell.bottom - 10};
      EXPECT_GE(frame.TextContrast(RectF{card.left + 8, card.bottom - 20, card.right - 8, card.bottom - 5}), 4.5)
          << "focused caption";
      // The ring: at least 3 pixels across the card's left edge nearer the
      // accent than the ground they are drawn on.
      const Rgba ring = AccentColor(accent);
      const int y = int((card.top + card.bottom) / 2);
      const Rgba ground = frame.ColourAt(int(card.left) - 8, y);
      auto distance = [](Rgba a, Rgba b) { return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b); };
      int thick = 0;
      for (int x = int(card.left) - 4; x < int(card.left) + 8; ++x) {
        const Rgba c = frame.ColourAt(x, y);
        if (distance(c, ring) < distance(c, ground)) ++thick;
      }
      EXPECT_GE(thick, 3) << "ring";
    }
    navigator.SetScreen(Screen::Series);
    state.SeriesShown = (*state.catalog.Series)[0];
    state.nav.EpisodesOpen = true;
    state.nav.EpisodeIndex = 0;
    {
      OffscreenFrame frame(res, w, h, accent);
      Paint(frame, Screen::Series);
      const ListRows rows = EpisodesLayoutOf(0, 2, w, h).rows;
      EXPECT_GE(frame.TextContrast(RectF{DesignX(924, w), rows.top + 4, w - 40.0, rows.RowTop(1) - 4}), 4.5)
          << "selected episode";
    }
    state.nav.EpisodesOpen = false;
  }
}

}  // namespace
