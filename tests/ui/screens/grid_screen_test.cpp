// The programme grid through the navigator, as the window drives it: how it
// is opened and left, its keys and clicks against the painter's layout,
// what Enter plays, and which channels it asks the guide of.
#include <gtest/gtest.h>

#include "catalog/categories.h"
#include "net/text.h"
#include "platform/clock.h"
#include "platform/virtual_keys.h"
#include "tests/catalog/test_items.h"
#include "tests/ui/nav/navigator_fixture.h"
#include "ui/screens/grid_screen.h"
#include "ui/screens/live_screen.h"

namespace {

constexpr int64_t kMin = 60;

class GridTest : public NavigatorTest {
 protected:
  GridTest() {
    actions.state = &state;
    actions.tracksPlaying = true;
    navigator.SetSurfaceSize(1280, 720);
    auto live = std::make_shared<ItemList>();
    for (int i = 1; i <= 40; ++i) {
      // The fields are views: the texts live until the item copied them.
      const std::u16string n = AsciiToWide(std::to_string(i)), id = u"c" + n, name = u"Channel " + n;
      live->push_back(TestItem(ItemKind::Live, {.id = id, .name = name, .categoryId = u"n", .num = n},
                         i == 2 ? 1 : 0));  // channel 2 keeps an archive
    }
    state.catalog.LiveChannels = live;
    state.catalog.LiveCategories = {{u"News", u"n"}};
    int index = kLiveAllIndex;
    RebuildLiveCategories(state.catalog.LiveCategories, index);
    state.account.IsXtream = true;
  }
  // Channel `id`: a programme that ended an hour ago, the running one and
  // the next, listed out of order (the store's row 1 is the past one).
  void FillThree(std::u16string_view id) {
    const int64_t now = NowUnix();
    state.guide.Fill(id,
                     {EpgEntry{u"", u"Next", now + 60 * kMin, 60, u"Later tonight."},
                      EpgEntry{u"", u"Earlier", now - 120 * kMin, 60, u"It ended."},
                      EpgEntry{u"", u"Now on", now - 60 * kMin, 120, u"Running."}},
                     GuideOrigin::FullTable, now);
  }
  void OpenFromLiveOn(int row) {
    navigator.SetScreen(Screen::Live);
    state.nav.ChannelIndex = row;
    Press({Vk::Letter('P')});
  }
  void Pointer(PointerEvent::Kind kind, double x, double y, int notches = 0) {
    navigator.OnPointer(PointerEvent{kind, int(x), int(y), notches}, 1280, 720, 0);
  }
  void ClickAt(const RectF& r) { Pointer(PointerEvent::Kind::Up, (r.left + r.right) / 2, (r.top + r.bottom) / 2); }
};

TEST_F(GridTest, OpensFromLiveByKeyAndButtonAndFromThePlayerAndGoesBackThere) {
  navigator.SetScreen(Screen::Live);
  const int stopsOnLive = actions.stops;
  OpenFromLiveOn(4);
  ASSERT_EQ(state.CurrentScreen, Screen::Grid);
  EXPECT_EQ(actions.stops, stopsOnLive) << "the preview's stream stays (heard, not shown)";
  EXPECT_EQ(state.nav.ChannelIndex, 4) << "the Live selection is the grid's focus";
  EXPECT_GT(actions.gridGuideAsks, 0);
  Press({Vk::Escape});
  EXPECT_EQ(state.CurrentScreen, Screen::Live);

  const LiveLayout live = LiveLayoutOf(state, 1, 0, 1280, 720);
  ClickAt(live.buttons[3]);
  EXPECT_EQ(state.CurrentScreen, Screen::Grid);
  Press({Vk::Back});
  EXPECT_EQ(state.CurrentScreen, Screen::Live);

  // From the Player the stream stays, and Esc shows it full window again.
  playing.lastUrl = u"http://x/live/c5.ts";
  navigator.SetScreen(Screen::Player);
  const int stops = actions.stops;
  Press({Vk::Letter('P')});
  ASSERT_EQ(state.CurrentScreen, Screen::Grid);
  EXPECT_EQ(actions.stops, stops) << "the stream is kept for the way back";
  const int full = actions.fullVideos;
  Press({Vk::Escape});
  EXPECT_EQ(actions.fullVideos, full + 1);
}

TEST_F(GridTest, RowsMoveByChannelPageAndNumberAndStayInView) {
  OpenFromLiveOn(0);
  const GuideGridLayout l = GuideGridLayoutOf(state, 1280, 720);
  const int page = l.rows.visible;
  ASSERT_GT(page, 3);
  Press({Vk::Up});
  EXPECT_EQ(state.nav.ChannelIndex, 0) << "the first row stays";
  Press({Vk::Down, Vk::Down});
  EXPECT_EQ(state.nav.ChannelIndex, 2);
  Press({Vk::PageDown});
  EXPECT_EQ(state.nav.ChannelIndex, 2 + page);
  EXPECT_EQ(state.nav.grid.first, 2 + page - (page - 1)) << "scrolled just enough to show it";
  Press({Vk::PageDown, Vk::PageDown, Vk::PageDown, Vk::PageDown, Vk::PageDown});
  EXPECT_EQ(state.nav.ChannelIndex, 39);
  EXPECT_EQ(state.nav.grid.first, 40 - page);
  // Digits jump as on Live ("1", "2" reaches channel 12) and play nothing.
  const int plays = actions.plays;
  Press({Vk::Digit(1), Vk::Digit(2)});
  EXPECT_EQ(state.nav.ChannelIndex, 11);
  EXPECT_EQ(state.CurrentScreen, Screen::Grid);
  EXPECT_EQ(actions.plays, plays);
  EXPECT_LE(state.nav.grid.first, 11);
  EXPECT_GT(state.nav.grid.first + page, 11);
}

TEST_F(GridTest, EnterPlaysRunningReplaysArchivedPastAndOpensTheFuture) {
  FillThree(u"c2");  // archived
  FillThree(u"c3");  // no archive
  OpenFromLiveOn(1);
  // The running programme: the channel plays full window.
  Press({Vk::Return});
  EXPECT_EQ(actions.playedIds.back(), u"c2");
  EXPECT_EQ(actions.fullVideos, 1);

  OpenFromLiveOn(1);
  Press({Vk::Left});  // to the programme that ended (the window scrolls to it)
  EXPECT_LE(state.nav.grid.windowStart, NowUnix() - 120 * kMin + 1);
  Press({Vk::Return});
  EXPECT_EQ(actions.catchupRows, (std::vector<int>{1})) << "the stored row of the past programme";
  EXPECT_EQ(state.nav.ChannelIndex, 1);

  OpenFromLiveOn(1);
  modalKeys = {Vk::Down, Vk::Down, Vk::Down, Vk::Return};  // the choices' last: the description
  Press({Vk::Right, Vk::Return});  // still to come: the choices, then its description
  EXPECT_TRUE(actions.recordCalls.empty());
  EXPECT_TRUE(state.nav.grid.detailOpen);
  EXPECT_EQ(actions.catchupRows.size(), 1u);
  Press({Vk::Escape});
  EXPECT_FALSE(state.nav.grid.detailOpen);
  EXPECT_EQ(state.CurrentScreen, Screen::Grid) << "Esc closes the description first";

  // A past programme without an archive only shows, with the notice why.
  Press({Vk::Down, Vk::Left, Vk::Left, Vk::Return});
  EXPECT_EQ(state.nav.ChannelIndex, 2);
  EXPECT_EQ(actions.catchupRows.size(), 1u);
  EXPECT_TRUE(state.nav.grid.detailOpen);
  EXPECT_FALSE(state.toast.text.empty());

  // A channel without rows plays when Enter is pressed on its empty cell.
  Press({Vk::Down, Vk::Return});
  EXPECT_EQ(actions.playedIds.back(), u"c4");
}

// Esc on a programme the grid replayed comes back to the grid where it was
// left (not to Live, nor to a Player whose replay has stopped); opened
// anew from the Player, it starts at now again.
TEST_F(GridTest, BackFromAReplayIsTheGridAsItWasLeft) {
  FillThree(u"c2");
  OpenFromLiveOn(1);
  Press({Vk::Left});
  const GridNav left = state.nav.grid;
  state.CurrentScreen = Screen::Player;  // the replay plays
  state.nav.backFromReplay = true;       // and is left (LeavePlayerTarget)
  navigator.SetScreen(Screen::Grid);
  EXPECT_FALSE(state.nav.backFromReplay);
  EXPECT_EQ(state.nav.grid.focusTime, left.focusTime);
  EXPECT_EQ(state.nav.grid.windowStart, left.windowStart);
  EXPECT_EQ(state.nav.ChannelIndex, 1);
  Press({Vk::Escape});
  EXPECT_EQ(state.CurrentScreen, Screen::Live);
  EXPECT_EQ(actions.fullVideos, 0);

  state.CurrentScreen = Screen::Player;
  navigator.SetScreen(Screen::Grid);
  EXPECT_GT(state.nav.grid.focusTime, left.focusTime);
  EXPECT_EQ(state.nav.grid.from, Screen::Player);
}

TEST_F(GridTest, AClickFocusesACellASecondActsAsEnterAndTheWheelScrollsRows) {
  FillThree(u"c3");
  OpenFromLiveOn(0);
  GuideGridLayout l = GuideGridLayoutOf(state, 1280, 720);
  // The running programme of channel 3 (row offset 2 from the first shown),
  // begun before the window: its first cell.
  const int offset = 2 - l.first;
  const std::vector<GridCell> cells = GridCellsIn(GridTimeline(state.guide.RowsOf(u"c3")), l.windowStart);
  ASSERT_FALSE(cells.empty());
  const RectF cell = l.CellRect(offset, cells.front().from, cells.front().to);
  ClickAt(cell);
  EXPECT_EQ(state.nav.ChannelIndex, 2);
  EXPECT_EQ(actions.fullVideos, 0) << "the first click only focuses";
  EXPECT_EQ(GuideGridHitTest(l, state, (cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2),
            (GuideGridHit{GuideGridHit::Kind::Cell, 2, cells.front().index}));
  ClickAt(cell);
  EXPECT_EQ(actions.playedIds.back(), u"c3");
  EXPECT_EQ(actions.fullVideos, 1);

  OpenFromLiveOn(0);
  const int focus = state.nav.ChannelIndex;
  Pointer(PointerEvent::Kind::Wheel, 700, 600, -1);
  EXPECT_EQ(state.nav.grid.first, 3);
  EXPECT_EQ(state.nav.ChannelIndex, focus) << "the wheel leaves the focus";
  l = GuideGridLayoutOf(state, 1280, 720);
  EXPECT_EQ(GuideGridHitTest(l, state, l.ChannelRect(0).left + 5, l.ChannelRect(0).top + 5),
            (GuideGridHit{GuideGridHit::Kind::Channel, 3}));
  ClickAt(l.back);
  EXPECT_EQ(state.CurrentScreen, Screen::Live);
}

TEST_F(GridTest, AsksOnlyTheVisibleRowsNotHeldFreshTheFocusedLast) {
  FillThree(u"c3");
  OpenFromLiveOn(0);
  const int64_t now = NowUnix();
  const int page = state.nav.grid.rows;
  std::vector<GuideWish> wishes = GridGuideWishes(state, now);
  ASSERT_EQ(int(wishes.size()), page - 1) << "channel 3 is held fresh";
  EXPECT_EQ(wishes.back(), (GuideWish{u"c1", false})) << "the focused row is the newest wish";
  EXPECT_EQ(wishes[wishes.size() - 2], (GuideWish{u"c2", true})) << "archived: with the past";
  EXPECT_EQ(wishes.front().streamId, u"c" + AsciiToWide(std::to_string(page)));
  // A row under way is not asked again, nor a channel the parental rule
  // locks until the PIN was given.
  state.guideRequests.Want(u"c1", false, 0);
  state.settings.ParentalOn = true;
  state.settings.LockCh = {u"c2"};
  wishes = GridGuideWishes(state, now);
  EXPECT_EQ(int(wishes.size()), page - 3);
  state.ChannelPinPassed = true;
  EXPECT_EQ(int(GridGuideWishes(state, now).size()), page - 2);
  state.settings.ParentalOn = false;

  // 170,000 channels: still only the page on screen.
  auto many = std::make_shared<ItemList>();
  for (int i = 0; i < 170000; ++i) {
    const std::u16string id = AsciiToWide(std::to_string(i));
    many->push_back(TestItem(ItemKind::Live, {.id = id, .name = u"N", .categoryId = u"n"}));
  }
  SetLiveChannels(many);
  state.nav.ChannelIndex = 120000;
  state.nav.grid.first = 119998;
  EXPECT_EQ(int(GridGuideWishes(state, now).size()), page);
}

}  // namespace
