// Live pause and rewind: the buffer's rules (how far back, never past live,
// the window), the Player driving them over a fake engine (the cache limits
// of a live load, pause and resume, skips, back to live, a zap clearing the
// buffer, a stream the engine cannot buffer), the previous channel and the
// preferences file that holds the choice.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/playback_control.h"
#include "player/timeshift.h"
#include "store/preferences.h"
#include "tests/player/player_fixture.h"
#include "ui/screens/live_actions.h"

namespace {

PlayRequest Live(std::u16string_view id) { return TestLivePlay(id); }

std::string CacheState(double start, double end) {
  return "{\"cache-end\":" + std::to_string(end + 2) + ",\"total-bytes\":1000,\"seekable-ranges\":[{\"start\":" +
         std::to_string(start) + ",\"end\":" + std::to_string(end) + "}]}";
}

TEST(TimeshiftRules, CacheStateAndBufferSizes) {
  const CacheSpan span = ParseCacheState(
      R"({"cache-end":23.99,"total-bytes":1668336,"seekable-ranges":[{"start":0.5,"end":4},{"start":10.0,"end":21.96}]})");
  EXPECT_TRUE(span.seekable);
  EXPECT_DOUBLE_EQ(span.start, 10.0) << "the range the picture plays in is the last one";
  EXPECT_DOUBLE_EQ(span.end, 21.96);
  EXPECT_EQ(span.bytes, 1668336u);
  for (const char* text : {"", "null", R"({"seekable-ranges":[]})", R"({"seekable-ranges":[{"start":5,"end":5}]})",
                           R"(<html>error</html>)"}) {
    EXPECT_FALSE(ParseCacheState(text).seekable) << text;
  }
  EXPECT_EQ(LiveBufferFor(0).minutes, 0);
  EXPECT_EQ(LiveBufferFor(7).minutes, 0) << "not a choice: off";
  EXPECT_LE(LiveBufferFor(30).forwardBytes + LiveBufferFor(30).backBytes, 1100ull << 20) << "about 1 GiB at most";
}

TEST(TimeshiftRules, SkipsStayWithinTheBufferTheWindowAndLive) {
  TimeshiftState shift;
  shift.window = 300;
  shift.span = {true, 100, 160, 0};
  shift.paused = true;
  shift.sinceMs = 1000;
  EXPECT_DOUBLE_EQ(BehindAt(shift, 21000, 300), 20) << "a pause puts the picture behind by its length";
  EXPECT_DOUBLE_EQ(BehindAt(shift, 1000 + 400000, 300), 300) << "never further than the window";

  // Paused 20 s at stream second 130: back 10 s, then forward 25 s is live.
  TimeshiftSeek back = PlanSkip(shift, 130, -10, 21000, 300);
  EXPECT_FALSE(back.live);
  EXPECT_DOUBLE_EQ(back.behind, 30);
  EXPECT_DOUBLE_EQ(back.target, 120);
  shift.paused = false;
  shift.behind = back.behind;
  const TimeshiftSeek forward = PlanSkip(shift, 120, 35, 30000, 300);
  EXPECT_TRUE(forward.live) << "never past live";
  EXPECT_DOUBLE_EQ(forward.target, 150);

  // The oldest buffered second bounds a skip back; so does the window.
  const TimeshiftSeek oldest = PlanSkip(shift, 105, -60, 30000, 300);
  EXPECT_DOUBLE_EQ(oldest.target, 100);
  EXPECT_DOUBLE_EQ(oldest.behind, 35);
  TimeshiftState wide = shift;
  wide.span = {true, 0, 1000, 0};
  EXPECT_DOUBLE_EQ(PlanSkip(wide, 500, -600, 30000, 300).behind, 300);

  const TimeshiftSeek live = PlanLive(shift, 120, 30000, 300);
  EXPECT_TRUE(live.live);
  EXPECT_DOUBLE_EQ(live.target, 150);
}

class TimeshiftPlayerTest : public PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    player_.SetLiveBuffer(5);
  }
  void Cache(double start, double end, double pos) {
    fake_.properties["demuxer-cache-state"] = CacheState(start, end);
    fake_.properties["time-pos"] = std::to_string(pos);
  }
  std::string LastSeek() const {
    for (auto it = fake_.calls.rbegin(); it != fake_.calls.rend(); ++it)
      if (it->rfind("command [seek]", 0) == 0) return *it;
    return {};
  }
};

TEST_F(TimeshiftPlayerTest, PauseResumeSkipAndBackToLive) {
  ASSERT_TRUE(player_.Play(Live(u"1"), 1000));
  EXPECT_EQ(tile_.Count("property demuxer-max-bytes=268435456"), 1u) << "a live load gets the buffer's limits";
  EXPECT_FALSE(player_.SkipLive(-10, 1500)) << "at live Left and Right zap: nothing is skipped";

  Cache(0, 30, 28);
  EXPECT_TRUE(player_.TogglePause(2000));
  EXPECT_TRUE(player_.TimeShifted());
  fake_.properties["pause"] = "yes";
  player_.Tick(12000, PlayerView::Full);
  EXPECT_EQ(player_.Playback().timeshift.shownBehind, 10) << "the strip counts the pause";
  EXPECT_FALSE(player_.TogglePause(12000));
  EXPECT_DOUBLE_EQ(player_.Playback().timeshift.behind, 10);
  EXPECT_EQ(tile_.Count("property pause=no"), 2u) << "the load's, then the resume's";

  Cache(0, 40, 29);
  EXPECT_TRUE(player_.SkipLive(-10, 13000));
  EXPECT_EQ(LastSeek(), "command [seek] [19] [absolute+exact]");
  EXPECT_DOUBLE_EQ(player_.Playback().timeshift.behind, 20);
  EXPECT_TRUE(player_.JumpToLive(14000));
  EXPECT_EQ(LastSeek(), "command [seek] [40] [absolute+exact]") << "live, within what the cache holds";
  EXPECT_FALSE(player_.TimeShifted());
  EXPECT_FALSE(player_.JumpToLive(15000)) << "already at live";
}

TEST_F(TimeshiftPlayerTest, AZapClearsTheBufferAndOtherLoadsGetTheEngineLimitsBack) {
  ASSERT_TRUE(player_.Play(Live(u"1"), 1000));
  Cache(0, 30, 28);
  player_.TogglePause(2000);
  ASSERT_TRUE(player_.TimeShifted());
  ASSERT_TRUE(player_.Play(Live(u"2"), 5000));
  EXPECT_FALSE(player_.TimeShifted()) << "the new stream starts at live, its buffer empty";
  EXPECT_GT(player_.Playback().timeshift.window, 0);

  PlayRequest movie;
  movie.kind = PlayKind::Movie;
  movie.url = u"http://h/movie/u/p/1.mp4";
  movie.itemKey = u"1";
  player_.Play(movie, 6000);
  EXPECT_EQ(player_.Playback().timeshift.window, 0);
  EXPECT_EQ(tile_.Count("property demuxer-max-bytes=32MiB"), 1u);
  EXPECT_EQ(tile_.Count("property demuxer-max-back-bytes=50MiB"), 1u);

  player_.SetLiveBuffer(0);
  fake_.calls.clear();
  player_.Play(Live(u"3"), 8000);
  EXPECT_EQ(tile_.Count("property demuxer-max"), 0u) << "without a buffer a live load sets no limit";
}

TEST_F(TimeshiftPlayerTest, AStreamTheEngineCannotBufferIsSaidOnceAndPausesAsEver) {
  AppState state;
  state.playing = &player_.Playback();
  ASSERT_TRUE(player_.Play(Live(u"1"), 1000));
  fake_.properties["demuxer-cache-state"] = "{\"seekable-ranges\":[]}";
  TogglePauseWithNotice(state, player_, 2000);
  EXPECT_EQ(state.toast.text, u"This channel cannot be paused");
  EXPECT_EQ(tile_.Count("property pause=yes"), 1u) << "the pause itself still happens";
  fake_.properties["pause"] = "yes";
  TogglePauseWithNotice(state, player_, 3000);
  EXPECT_EQ(state.toast.text, u"Pause") << "said once per stream, then the pause as ever";
  EXPECT_FALSE(player_.SkipLive(-10, 4000));
}

TEST(PreviousChannel, TheNewestOtherEntryOfTheHistory) {
  AppState state;
  EXPECT_TRUE(PreviousChannelId(state).empty());
  state.settings.HistoryLive = {u"5", u"5", u"7", u"5"};
  state.LastLiveChannelId = u"5";
  EXPECT_EQ(PreviousChannelId(state), u"7") << "a channel restarted repeats in the history";
  state.LastLiveChannelId.clear();
  EXPECT_EQ(PreviousChannelId(state), u"5") << "at a start: the last channel played";
  EXPECT_FALSE(SelectPreviousChannel(state)) << "no catalog: nothing to select";
}

TEST(Preferences, RoundTripAndWhatAHandEditedFileMayHold) {
  TempDataHome home;
  EXPECT_EQ(LoadPreferences(), Preferences{});
  const Preferences chosen{15, true, "/media/Vid\u00e9os/\"TV\" #1", 0, 30, {}, 0};
  ASSERT_TRUE(SavePreferences(chosen));
  EXPECT_EQ(LoadPreferences(), chosen);
  EXPECT_EQ(std::filesystem::status(PreferencesPath()).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_EQ(ParsePreferences(R"({"liveBufferMinutes": "30", "startOnLastChannel": true, "other": 1})"),
            (Preferences{30, true, "", 1, 5, {}, 0}))
      << "a hand-edited file may quote the number";
  EXPECT_EQ(ParsePreferences(R"({"liveBufferMinutes": 7, "startOnLastChannel": "yes", "paddingAfterMinutes": 4})"),
            Preferences{});
  EXPECT_EQ(ParsePreferences("<br />Notice: x\n{\"liveBufferMinutes\": 5}"), (Preferences{5, false, "", 1, 5, {}, 0}));
}

}  // namespace
