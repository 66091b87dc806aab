// The Sports and Catch-up screens: their keys and what they show.
#include <gtest/gtest.h>

#include "catalog/guide.h"
#include "platform/clock.h"
#include "platform/virtual_keys.h"
#include "i18n/translate.h"
#include "tests/catalog/test_items.h"
#include "tests/ui/nav/navigator_fixture.h"
#include "ui/screens/catchup_screen.h"
#include "ui/screens/sports_screen.h"

namespace {

TEST_F(NavigatorTest, SportsFetchesOnEntryAndKeysClampToTheLines) {
  navigator.SetScreen(Screen::Sports);
  EXPECT_EQ(actions.sportsFetches, 1);
  Press({Vk::Down});
  EXPECT_EQ(state.nav.ListIndex, 0) << "no lines yet";
  state.sports.lines = {u"2026-05-05 20:00  A vs B", u"2026-05-05 21:00  C vs D"};
  Press({Vk::Down, Vk::Down, Vk::Down});
  EXPECT_EQ(state.nav.ListIndex, 1);
  Press({Vk::Up, Vk::Up});
  EXPECT_EQ(state.nav.ListIndex, 0);
  Click(SportsRowRect(1, 1280, 720));
  EXPECT_EQ(state.nav.ListIndex, 1);
  EXPECT_EQ(SportsVisibleRows(1080), 16);
  EXPECT_EQ(SportsVisibleRows(0), 1);
}

TEST_F(NavigatorTest, CatchupDaysStepWithinTheWeekAndAskForTheArchive) {
  navigator.SetScreen(Screen::Catchup);
  EXPECT_TRUE(actions.guides.empty()) << "no channel selected";
  state.nav.ListIndex = 3;
  Press({Vk::Right});
  EXPECT_EQ(state.nav.CatchupDayOffset, 0);
  EXPECT_LT(state.nav.ListIndex, 0) << "a day opens at its latest programme";
  for (int i = 0; i < 9; ++i) Press({Vk::Left});
  EXPECT_EQ(state.nav.CatchupDayOffset, 6);
  Click(CatchupDayRect(2, 1280, 720));
  EXPECT_EQ(state.nav.CatchupDayOffset, 2);
  Press({Vk::Escape});
  EXPECT_EQ(state.CurrentScreen, Screen::Live);
}

// Enter plays the guide row under the highlight of the day shown (the
// day's rows are ordered by start, the guide's may not be); a click plays
// the row already highlighted and only highlights another.
TEST_F(NavigatorTest, CatchupEnterAndClickPlayTheHighlightedProgrammeOfTheDay) {
  const int64_t now = NowUnix();
  const LocalDate yesterday = LocalDateDaysBack(now, 1);
  auto at = [&](int hour) { return FromLocalTime(LocalTime{yesterday.year, yesterday.month, yesterday.day, hour, 0, 0}); };
  // The rows are the selected channel's, as the store holds them.
  auto channels = std::make_shared<ItemList>();
  channels->push_back(TestItem(ItemKind::Live, {.id = u"101", .name = u"One"}));
  SetLiveChannels(channels);
  state.nav.ChannelIndex = 0;
  state.guide.Fill(u"101",
                   {EpgEntry{u"", u"Today", now, 30, u""}, EpgEntry{u"10:00", u"Late", at(10), 60, u""},
                    EpgEntry{u"08:00", u"Early", at(8), 60, u""}},
                   GuideOrigin::FullTable, now);
  navigator.SetScreen(Screen::Catchup);
  Press({Vk::Left, Vk::Return});
  Press({Vk::Up, Vk::Return});
  EXPECT_EQ(actions.catchupRows, (std::vector<int>{1, 2}));
  Press({Vk::Down});
  Click(CatchupRowRect(0, 1280, 720));
  EXPECT_EQ(state.nav.ListIndex, 0);
  EXPECT_EQ(actions.catchupRows.size(), 2u) << "a click on another row only highlights it";
  Click(CatchupRowRect(0, 1280, 720));
  EXPECT_EQ(actions.catchupRows.back(), 2);
  Press({Vk::Left, Vk::Return});  // a day without programmes: nothing plays
  EXPECT_EQ(actions.catchupRows.size(), 3u);
}

// The list holds what has started, opens at the latest (the guide may come
// after the screen) and keeps its place when a replay is left back to it.
TEST_F(NavigatorTest, CatchupListsWhatHasAiredOpenAtTheLatest) {
  const int64_t now = NowUnix();
  const LocalDate today = LocalDateDaysBack(now, 0);
  const int64_t midnight = FromLocalTime(LocalTime{today.year, today.month, today.day, 0, 0, 0});
  const int64_t tomorrow = FromLocalTime(LocalTime{today.year, today.month, today.day, 23, 59, 59});
  auto channels = std::make_shared<ItemList>();
  channels->push_back(TestItem(ItemKind::Live, {.id = u"101", .name = u"One"}));
  SetLiveChannels(channels);
  state.nav.ChannelIndex = 0;
  navigator.SetScreen(Screen::Catchup);
  state.guide.Fill(u"101",
                   {EpgEntry{u"", u"To come", now + (tomorrow - now) / 2 + 1, 30, u""},
                    EpgEntry{u"", u"Early", midnight + (now - midnight) / 2, 30, u""},
                    EpgEntry{u"", u"Running", now, 30, u""}, EpgEntry{u"", u"Untimed", 0, 30, u""}},
                   GuideOrigin::FullTable, now);
  EXPECT_EQ(CatchupRows(state, now), (std::vector<int32_t>{1, 2}));
  Press({Vk::Return});
  Press({Vk::Down, Vk::Return});
  Press({Vk::Up, Vk::Up, Vk::Return});
  EXPECT_EQ(actions.catchupRows, (std::vector<int>{2, 2, 1}));
  state.CurrentScreen = Screen::Player;
  state.nav.backFromReplay = true;
  navigator.SetScreen(Screen::Catchup);
  Press({Vk::Return});
  EXPECT_EQ(actions.catchupRows.back(), 1) << "back from the replay, where it was left";
}

TEST(CatchupDays, LocaleNamesAndCalendarDaysBack) {
  // 00:30 local on 5 May 2026: yesterday is 4 May, not a day 24 hours earlier by accident.
  LocalTime local{2026, 5, 5, 0, 30, 0};
  const int64_t now = FromLocalTime(local);
  EXPECT_EQ(CatchupDayText(now, 0, 0), u"Tue  05/05");
  EXPECT_EQ(CatchupDayText(now, 1, 0), u"Mon  04/05");
  const int ro = LanguageIndex(u"ro");
  EXPECT_EQ(CatchupDayText(now, 6, ro).substr(CatchupDayText(now, 6, ro).size() - 5), u"29/04");
}

}  // namespace
