// The programme grid through the navigator, as the window drives it: how it
// is opened and left, its keys and clicks against the painter's layout,
// what Enter plays, and which channels it asks the guide of.
#include <gtest/gtest.h>

#include "catalog/categories.h"
#include "i18n/translate.h"
#include "net/text.h"
#include "platform/clock.h"
#include "platform/virtual_keys.h"
#include "tests/catalog/test_items.h"
#include "tests/ui/nav/navigator_fixture.h"
#include "tests/ui/render/recording_canvas.h"
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
  // The running programme of a channel with an archive: live (the channel
  // plays full window), or from its start.
  modalKeys = {Vk::Return};
  Press({Vk::Return});
  EXPECT_EQ(actions.playedIds.back(), u"c2");
  EXPECT_EQ(actions.fullVideos, 1);
  OpenFromLiveOn(1);
  modalKeys = {Vk::Down, Vk::Return};
  Press({Vk::Return});
  EXPECT_EQ(actions.catchupRows, (std::vector<int>{2})) << "the running programme, from its start";
  actions.catchupRows.clear();

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
  EXPECT_EQ(modalsShown, 3) << "a past programme offers no choices";

  // A channel without rows plays when Enter is pressed on its empty cell.
  Press({Vk::Down, Vk::Return});
  EXPECT_EQ(actions.playedIds.back(), u"c4");

  // One with an archive but no guide at all replays the hour the arrows
  // picked, from its half hour.
  state.guide.Clear();
  OpenFromLiveOn(1);
  const size_t played = actions.playedIds.size();
  Press({Vk::Left, Vk::Left, Vk::Left, Vk::Return});
  ASSERT_EQ(actions.catchupSlots.size(), 1u);
  const int64_t slot = HalfHourAtOrBefore(state.nav.grid.focusTime);
  EXPECT_EQ(actions.catchupSlots[0], (std::pair<int64_t, int>{slot, 60}));
  EXPECT_LE(slot, NowUnix() - 60 * kMin);
  EXPECT_EQ(actions.playedIds.size(), played) << "not the live channel";
}

// Shift+R records the running programme's channel or schedules one to
// come, B reminds of one to come, Enter on one to come offers both; a
// programme that has ended is neither recorded nor reminded of.
TEST_F(GridTest, RecordAndRemindActOnlyOnWhatHasNotEnded) {
  FillThree(u"c2");
  OpenFromLiveOn(1);
  const std::string next = std::to_string(state.guide.RowsOf(u"c2")[0].start);
  Press({Vk::Record, Vk::Letter('B')});  // running: no reminder of what has begun
  Press({Vk::Right, Vk::Record, Vk::Letter('B')});
  Press({Vk::Left, Vk::Left, Vk::Record, Vk::Letter('B')});  // ended
  EXPECT_EQ(actions.recordCalls, (std::vector<std::string>{"now c2", "schedule c2 " + next, "remind c2 " + next}));

  actions.recordCalls.clear();
  Press({Vk::Right, Vk::Right});
  for (const std::vector<int>& answer : std::vector<std::vector<int>>{
           {Vk::Return}, {Vk::Down, Vk::Return}, {Vk::Down, Vk::Down, Vk::Return}, {Vk::Escape}}) {
    modalKeys = answer;
    Press({Vk::Return});
  }
  EXPECT_EQ(actions.recordCalls,
            (std::vector<std::string>{"schedule c2 " + next, "schedule c2 " + next + " every", "remind c2 " + next}));
  EXPECT_FALSE(state.nav.grid.detailOpen) << "Esc answers nothing";
  EXPECT_EQ(state.CurrentScreen, Screen::Grid);
}

// The choices say what they do for the programme: each undoes what is set.
TEST_F(GridTest, TheChoicesOfferToUndoWhatIsSet) {
  FillThree(u"c2");
  OpenFromLiveOn(1);
  Press({Vk::Right});
  RenderResources res;
  std::vector<std::string> shown;
  const auto open = [&] {
    shown.clear();
    whileModalOpen = [&] {
      const RecordedFrame frame(res, 1280, 720);
      modal.Current()->Paint(res);
      for (const auto& t : frame.Drawn().texts) shown.push_back(t.text);
    };
    modalKeys = {Vk::Escape};
    Press({Vk::Return});
  };
  const auto has = [&](std::string_view key) {
    return std::find(shown.begin(), shown.end(), WideToUtf8(Translate(key))) != shown.end();
  };
  open();
  EXPECT_TRUE(has("grid_rec_record") && has("grid_rec_every") && has("grid_rec_remind") && has("grid_rec_description"));
  const EpgEntry& next = state.guide.RowsOf(u"c2")[0];
  Recording rule;
  rule.streamId = u"c2";
  rule.start = next.start;
  rule.title = next.title;
  rule.everyAiring = true;
  state.recordings.recordings = {rule};
  state.recordings.reminders = {Reminder{"", u"c2", u"", next.title, next.start, 0}};
  open();
  EXPECT_TRUE(has("grid_rec_cancel") && has("grid_rec_every_cancel") && has("grid_rec_remind_cancel"));
  EXPECT_FALSE(has("grid_rec_record") || has("grid_rec_every") || has("grid_rec_remind"));
  EXPECT_TRUE(actions.recordCalls.empty());
}

// The marks as painted, at the three sizes: the running programme being
// recorded has the red dot in its cell, in its channel's column and in the
// band (it has the focus); the next one, scheduled, a red ring; a reminder
// a clock that is not red.
TEST_F(GridTest, CellsTheChannelColumnAndTheBandCarryTheMarks) {
  FillThree(u"c2");
  FillThree(u"c3");
  OpenFromLiveOn(1);
  const std::vector<EpgEntry>& rows = state.guide.RowsOf(u"c2");  // 0: next, 2: running
  const auto recording = [&](const EpgEntry& e, RecordingState s) {
    Recording r;
    r.streamId = u"c2";
    r.start = e.start;
    r.title = e.title;
    r.state = s;
    return r;
  };
  state.recordings.recordings = {recording(rows[2], RecordingState::Recording),
                                 recording(rows[0], RecordingState::Scheduled)};
  state.recordings.reminders = {Reminder{"", u"c3", u"", rows[0].title, rows[0].start, 0}};
  RenderResources res;
  const GridScreen grid;
  for (const auto& [W, H] : {std::pair{1280, 720}, {1920, 1080}, {3840, 2160}}) {
    SCOPED_TRACE(W);
    const RecordedFrame frame(res, W, H);
    grid.Paint(res, state, LocalTime{});
    const RecordingCanvas& drawn = frame.Drawn();
    const GuideGridLayout l = GuideGridLayoutOf(state, W, H);
    const Rgba red = res.Brush().Red;
    const auto count = [&](const RectF& box, RecordingCanvas::Kind kind, bool isRed) {
      int n = 0;
      for (const auto& shape : drawn.Inside(box, kind)) n += (shape.colour == red) == isRed;
      return n;
    };
    const std::vector<GridProgramme> timeline = GridTimeline(rows);
    const auto cell = [&](int row, int storedRow) {
      for (const GridCell& c : GridCellsIn(timeline, l.windowStart))
        if (timeline[size_t(c.index)].row == storedRow) return l.CellRect(row - l.first, c.from, c.to);
      return RectF{};
    };
    using K = RecordingCanvas::Kind;
    EXPECT_EQ(count(l.ChannelRect(1 - l.first), K::Fill, true), 1);
    EXPECT_EQ(count(l.ChannelRect(2 - l.first), K::Fill, true), 0) << "c3 records nothing";
    EXPECT_EQ(count(cell(1, 2), K::Fill, true), 1);
    EXPECT_EQ(count(cell(1, 0), K::Stroke, true), 1);
    EXPECT_EQ(count(cell(2, 0), K::Stroke, true), 0);
    EXPECT_GE(count(cell(2, 0), K::Stroke, false), 2) << "the clock's face and hands";
    EXPECT_EQ(count(RectF{0, 0, double(W), l.bandBottom}, K::Fill, true), 1);
  }
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
