// The video tile's Player over a fake engine, driven as the application
// drives it (app/playback_control.h): movies and episodes with their resume
// position (lookup, notice, saving), stepping, leaving, and the Player's
// own supervision and its events (resume seek, end of file, stall nudge,
// the bounded restart of a dead preview, a refused stream in full view,
// the catch-up candidates); live plays from the list (the repeat guard,
// the URL and user agent, the history); and the tick's status repaint.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "app/playback_control.h"
#include "app/tick.h"
#include "player/tracks.h"
#include "tests/player/player_fixture.h"

namespace {

CatalogItem Item(ItemKind kind, std::u16string id, std::u16string ext = u"mkv") {
  const std::u16string name = u"Item " + id;
  return TestItem(kind, {.id = id, .name = name, .categoryId = u"1", .containerExt = ext});
}

PlayRequest Live(std::u16string_view id) { return TestLivePlay(id); }

class PlayerTest : public PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    state_.series.Episodes = {{u"e1", u"One", u"mp4", u"1"}, {u"e2", u"Two", u"mkv", u"1"}};
  }

  size_t Count(std::string_view prefix) const { return tile_.Count(prefix); }
  void PlayEpisode(int index, uint64_t now) {
    state_.SeriesShown = Item(ItemKind::Series, u"s9");
    state_.nav.EpisodeIndex = index;
    PlayVod(state_, player_, state_.SeriesShown, &state_.series.Episodes[size_t(index)], now);
  }
};

TEST_F(PlayerTest, ResumeLookupNoticeAndHistory) {
  const CatalogItem movie = Item(ItemKind::Vod, u"m1", u"");
  state_.settings.ResumeMs[u"m1"] = 15000;
  PlayVod(state_, player_, movie, nullptr, 1000);
  EXPECT_EQ(state_.Playing().resumeSeconds, 0) << "15000 ms is not worth a resume";
  EXPECT_TRUE(state_.toast.text.empty());
  EXPECT_TRUE(state_.nav.fullVideo);
  EXPECT_EQ(Count("command [loadfile] [http://h:8080/movie/u/p/m1.mp4]"), 1u) << "no extension means mp4";
  EXPECT_EQ(Count("property sid=auto"), 1u);

  state_.settings.ResumeMs[u"m1"] = 15001;
  PlayVod(state_, player_, movie, nullptr, 2000);
  EXPECT_DOUBLE_EQ(state_.Playing().resumeSeconds, 15.001);
  EXPECT_EQ(state_.toast.text, u"Resume 0:15");
  EXPECT_EQ(state_.toast.hideAtMs, 2000u + 2800u);
  // Minutes are not wrapped into hours.
  EXPECT_EQ(ResumeNoticeText(u"Resume", 75 * 60 + 3.9), u"Resume 75:03");

  EXPECT_EQ(state_.settings.HistoryMovies, (IdList{u"m1", u"m1"})) << "each viewing is recorded";
  PlayEpisode(0, 4000);
  EXPECT_EQ(state_.settings.HistorySeries.front(), u"s9") << "an episode records its series";
  EXPECT_EQ(state_.Playing().itemKey, u"e1");
}

// The resume points the Player reports every 5 s, as the settings store them.
TEST_F(PlayerTest, ResumePointsAndTheirSaving) {
  PlayVod(state_, player_, Item(ItemKind::Vod, u"m1"), nullptr, 1000);
  auto& resume = state_.settings.ResumeMs;
  fake_.properties["time-pos"] = "7.9";
  EXPECT_EQ(SaveResumePosition(state_, player_), ResumeSave::Nothing);
  fake_.properties["time-pos"] = "100";
  fake_.properties["duration"] = "25";
  EXPECT_EQ(SaveResumePosition(state_, player_), ResumeSave::Stored) << "a short duration never removes";
  EXPECT_EQ(resume[u"m1"], 100000);
  fake_.properties["time-pos"] = "103.9";
  EXPECT_EQ(SaveResumePosition(state_, player_), ResumeSave::Nothing) << "within 4 s of the stored one";
  fake_.properties["time-pos"] = "100";
  fake_.properties["duration"] = "110";
  EXPECT_EQ(SaveResumePosition(state_, player_), ResumeSave::Removed);
  EXPECT_FALSE(resume.contains(u"m1"));
  fake_.properties["time-pos"] = "";
  EXPECT_EQ(SaveResumePosition(state_, player_), ResumeSave::Nothing);

  // In full view the Player reports the point every 5 s; hidden or live, never.
  fake_.properties["time-pos"] = "60";
  fake_.properties["duration"] = "600";
  player_.Tick(10'000, PlayerView::Full);
  player_.Tick(12'000, PlayerView::Full);
  player_.Tick(15'000, PlayerView::Full);
  player_.Tick(20'000, PlayerView::Hidden);
  ASSERT_EQ(Events(PlayerEvent::Kind::ResumePoint), 2u);
  EXPECT_EQ(tile_.events.back().resume.itemKey, u"m1");
  EXPECT_EQ(tile_.events.back().resume.ms, 60000);
  player_.Play(Live(u"101"), 21'000);
  player_.Tick(30'000, PlayerView::Full);
  EXPECT_EQ(Events(PlayerEvent::Kind::ResumePoint), 2u);
}

TEST_F(PlayerTest, LeavingAMovieStopsItAndLeavingLiveKeepsIt) {
  PlayVod(state_, player_, Item(ItemKind::Vod, u"m1"), nullptr, 1000);
  fake_.properties["time-pos"] = "20.5";
  fake_.properties["duration"] = "600";
  bool changed = false;
  EXPECT_EQ(LeavePlayerTarget(state_, player_, changed), Screen::Movies);
  EXPECT_TRUE(changed);
  EXPECT_EQ(state_.settings.ResumeMs[u"m1"], 20500);
  EXPECT_EQ(Count("command [stop]"), 1u);
  EXPECT_FALSE(state_.nav.fullVideo);
  EXPECT_TRUE(state_.Playing().itemKey.empty());

  PlayEpisode(1, 2000);
  EXPECT_EQ(LeavePlayerTarget(state_, player_, changed), Screen::Series);

  // Live: nothing stops.
  player_.Play(Live(u"101"), 3000);
  fake_.calls.clear();
  EXPECT_EQ(LeavePlayerTarget(state_, player_, changed), Screen::Live);
  EXPECT_EQ(Count("command [stop]"), 0u);

  // The trailer goes back Home and stops; once another load replaced it,
  // it no longer counts.
  PlayRequest trailer;
  trailer.kind = PlayKind::Trailer;
  trailer.url = u"http://x/t.mp4";
  player_.Play(trailer, 4000);
  EXPECT_EQ(Count("command [loadfile] [http://x/t.mp4]"), 1u);
  EXPECT_EQ(LeavePlayerTarget(state_, player_, changed), Screen::Home);
  EXPECT_EQ(Count("command [stop]"), 1u);
  player_.Play(trailer, 5000);
  player_.Play(Live(u"102"), 6000);
  EXPECT_EQ(LeavePlayerTarget(state_, player_, changed), Screen::Live);
}

TEST_F(PlayerTest, StepVodWrapsEpisodesAndMovies) {
  PlayEpisode(1, 1000);
  EXPECT_TRUE(StepVod(state_, player_, +1, 2000));
  EXPECT_EQ(state_.nav.EpisodeIndex, 0);
  EXPECT_EQ(state_.Playing().itemKey, u"e1");
  EXPECT_TRUE(StepVod(state_, player_, -1, 3000));
  EXPECT_EQ(state_.Playing().itemKey, u"e2");
  EXPECT_EQ(Count("command [loadfile] [http://h:8080/series/u/p/e2.mkv]"), 2u);
}

TEST_F(PlayerTest, ResumeSeekWaitsForThePictureAndHappensOnce) {
  state_.settings.ResumeMs[u"m1"] = 300000;
  PlayVod(state_, player_, Item(ItemKind::Vod, u"m1"), nullptr, 10'000);
  fake_.properties["time-pos"] = "0.5";
  player_.Tick(11'000, PlayerView::Full);  // not yet 1200 ms after the load
  fake_.properties["time-pos"] = "0.1";
  player_.Tick(12'000, PlayerView::Full);  // the stream has not really started
  EXPECT_EQ(Count("command [seek]"), 0u);
  fake_.properties["time-pos"] = "0.2";
  player_.Tick(13'000, PlayerView::Full);
  player_.Tick(14'000, PlayerView::Full);
  EXPECT_EQ(Count("command [seek] [300] [absolute+exact]"), 1u);
  EXPECT_EQ(state_.Playing().resumeSeconds, 0);
}

TEST_F(PlayerTest, EndOfFileIsIgnoredEarlyThenLeadsToTheNextEpisodeAndTheSeasonEnd) {
  PlayEpisode(0, 100'000);
  state_.settings.ResumeMs[u"e1"] = 50000;
  uint64_t now = 0;
  int nextEpisodes = 0;
  player_.SetObserver([&](const PlayerEvent& event) {
    if (event.kind == PlayerEvent::Kind::Ended) nextEpisodes += FinishVod(state_, player_, event.resume, now);
  });
  fake_.properties["eof-reached"] = "yes";
  player_.Tick(now = 105'000, PlayerView::Full);
  EXPECT_EQ(state_.Playing().itemKey, u"e1") << "a stale end of file right after the load";
  player_.Tick(now = 109'000, PlayerView::Full);
  EXPECT_EQ(state_.Playing().itemKey, u"e2");
  EXPECT_EQ(state_.nav.EpisodeIndex, 1);
  EXPECT_FALSE(state_.settings.ResumeMs.contains(u"e1"));
  EXPECT_EQ(state_.toast.text, u"Next episode");
  EXPECT_EQ(nextEpisodes, 1);

  player_.Tick(now = 114'000, PlayerView::Full);  // 5 s after the next load: ignored
  EXPECT_EQ(state_.Playing().itemKey, u"e2");
  state_.settings.ResumeMs[u"e2"] = 70000;
  fake_.calls.clear();
  player_.Tick(now = 118'000, PlayerView::Full);
  EXPECT_TRUE(state_.Playing().itemKey.empty());
  EXPECT_FALSE(state_.settings.ResumeMs.contains(u"e2"));
  EXPECT_EQ(state_.toast.text, u"Season ended");
  EXPECT_EQ(nextEpisodes, 1);
  EXPECT_EQ(Count("command [loadfile]"), 0u) << "the last episode plays nothing after it";
}

TEST_F(PlayerTest, ThreeEqualSamplesWhilePlayingGiveExactlyOneNudge) {
  PlayVod(state_, player_, Item(ItemKind::Vod, u"m1"), nullptr, 0);
  fake_.properties["time-pos"] = "42.00";
  fake_.properties["pause"] = "no";
  for (uint64_t t = 20'000; t <= 28'000; t += 4'000) player_.Tick(t, PlayerView::Full);
  EXPECT_EQ(Count("command [seek] [0.1] [relative+exact]"), 1u);
  EXPECT_EQ(Count("property pause=no"), 2u) << "the load's own unpause and the nudge";
  // Paused: never nudged, however long it stands; nor in the preview.
  fake_.properties["pause"] = "yes";
  for (uint64_t t = 32'000; t <= 60'000; t += 4'000) player_.Tick(t, PlayerView::Full);
  fake_.properties["pause"] = "no";
  for (uint64_t t = 64'000; t <= 90'000; t += 4'000) player_.Tick(t, PlayerView::Preview);
  EXPECT_EQ(Count("command [seek] [0.1] [relative+exact]"), 1u);
}

TEST_F(PlayerTest, ADeadPreviewIsRestartedWithAGrowingBackOffAndACap) {
  fake_.properties["idle-active"] = "yes";
  std::vector<uint64_t> at;
  uint64_t now = 0;
  player_.SetObserver([&](const PlayerEvent& event) {
    if (event.kind != PlayerEvent::Kind::RestartPreview) return;
    at.push_back(now);
    EXPECT_TRUE(player_.Play(Live(u"101"), now)) << "the restart passes the repeat guard";
  });
  player_.Play(Live(u"101"), 0);
  for (now = 1000; now <= 20 * 60'000; now += 1000) player_.Tick(now, PlayerView::Preview);
  ASSERT_EQ(at.size(), size_t(kMaxDeadRestarts)) << "a refused channel is not asked for forever";
  for (size_t i = 2; i < at.size(); ++i) EXPECT_GT(at[i] - at[i - 1], at[i - 1] - at[i - 2]);
  EXPECT_LE(Player::DeadRestartDelay(50), kDeadRestartMaxMs);
  EXPECT_EQ(Events(PlayerEvent::Kind::Failed), 0u) << "a preview never gives up with a failure";

  // Another channel starts the count again.
  player_.Play(Live(u"102"), now);
  player_.Tick(now += 2000, PlayerView::Preview);
  EXPECT_EQ(at.size(), size_t(kMaxDeadRestarts) + 1);
}

// In full view a refused stream is reported once it had its few seconds;
// catch-up instead walks its candidates and reports when none is left.
TEST_F(PlayerTest, ARefusedStreamAndExhaustedCatchupCandidatesAreFailures) {
  fake_.properties["idle-active"] = "yes";
  player_.Play(Live(u"101"), 10'000);
  player_.Tick(13'000, PlayerView::Full);
  EXPECT_EQ(Events(PlayerEvent::Kind::Failed), 0u) << "a stream is given a few seconds to start";
  player_.Tick(14'500, PlayerView::Full);
  ASSERT_EQ(Events(PlayerEvent::Kind::Failed), 1u);
  EXPECT_EQ(tile_.events.back().failure, PlayerFailure::StreamRefused);

  tile_.events.clear();
  PlayRequest catchup = Live(u"101");
  catchup.kind = PlayKind::Catchup;
  catchup.catchup.candidates = {u"http://h/a/1.ts", u"http://h/a/2.ts"};
  catchup.url = catchup.catchup.candidates.front();
  player_.Play(catchup, 20'000);
  fake_.calls.clear();
  for (uint64_t t = 21'000; t <= 40'000; t += 1000) player_.Tick(t, PlayerView::Full);
  EXPECT_EQ(tile_.Loads(), std::vector<std::string>{"http://h/a/2.ts"});
  ASSERT_GE(Events(PlayerEvent::Kind::Failed), 1u);
  EXPECT_EQ(tile_.events.front().failure, PlayerFailure::CatchupExhausted)
      << "the exhausted candidates are reported before the last one counts as a refused stream";
  EXPECT_FALSE(state_.Playing().catchupActive);

  // Catch-up that gives up more than 4 s after its load is one failure, not
  // also a refused stream in the same tick (its owner has left the Player).
  tile_.events.clear();
  catchup.catchup.candidates.resize(1);
  catchup.url = catchup.catchup.candidates.front();
  player_.Play(catchup, 50'000);
  player_.Tick(51'500, PlayerView::Full);
  player_.Tick(54'100, PlayerView::Full);
  ASSERT_EQ(Events(PlayerEvent::Kind::Failed), 1u);
  EXPECT_EQ(tile_.events.back().failure, PlayerFailure::CatchupExhausted);
}

TEST_F(PlayerTest, AspectPauseAndSeekNotices) {
  for (int i = 0; i < 4; ++i) CycleAspect(state_, player_, 1000);
  EXPECT_EQ(state_.toast.text, u"2.35:1");
  CycleAspect(state_, player_, 1000);
  EXPECT_EQ(state_.toast.text, u"Aspect Auto");
  EXPECT_EQ(state_.toast.hideAtMs, 1000u + 2500u);
  TogglePauseWithNotice(state_, player_, 1000);
  // The engine's times are seconds with six decimals; the notice reads as a
  // clock. A stream of unknown length (no duration): the position alone.
  for (const auto& [position, duration, notice] : {std::tuple{"24.354000", "90.021000", u"0:24 / 1:30"},
                                                   {"3725.5", "7200", u"1:02:05 / 2:00:00"}, {"12", "", u"0:12"}}) {
    fake_.properties["time-pos"] = position;
    fake_.properties["duration"] = duration;
    if (!*duration) fake_.properties.erase("duration");
    SeekWithNotice(state_, player_, 10, 1000);
    EXPECT_EQ(state_.toast.text, notice) << position;
  }
  EXPECT_EQ(Count("property video-aspect-override=-1"), 1u);
  EXPECT_EQ(Count("property video-aspect-override=16:9"), 1u);
}

// The subtitle picker's "Off" turns the track off; the subtitles' place is
// written only when it moves.
TEST_F(PlayerTest, SubtitlesOffAndTheirPlace) {
  player_.Play(Live(u"101"), 1000);
  player_.ChooseTrack(TrackKind::Subtitle, kTrackOff);
  player_.ChooseTrack(TrackKind::Subtitle, 2);
  EXPECT_EQ(Count("property sid=no"), 1u);
  EXPECT_EQ(Count("property sid=2"), 1u);
  player_.SetSubtitlePosition(100);
  player_.SetSubtitlePosition(85);
  player_.SetSubtitlePosition(85);
  player_.SetSubtitlePosition(100);
  EXPECT_EQ(Count("property sub-pos=85"), 1u);
  EXPECT_EQ(Count("property sub-pos=100"), 1u) << "at the bottom from the start";
}

// The tick's own steps write status texts (a lazy load's "Loading movies…"
// on the grid, the automatic reload's notice): each change is painted. Under
// a waiting handler only the steps marked for it run.
TEST(TickSteps, RunInOrderTellWhenTheStatusTextChangedAndWaitForAHandler) {
  std::u16string status, nextStatus;
  std::vector<int> order;
  const std::vector<TickStep> steps = {{"paint", [&](uint64_t) { order.push_back(1); }, true},
                                       {"status", [&](uint64_t) { status = nextStatus, order.push_back(2); }, false}};
  EXPECT_FALSE(RunTickSteps(steps, 1'000, false, status)) << "nothing changed";
  nextStatus = u"Loading movies…";
  EXPECT_FALSE(RunTickSteps(steps, 2'000, true, status)) << "the status step waits for the handler";
  EXPECT_TRUE(RunTickSteps(steps, 3'000, false, status));
  EXPECT_FALSE(RunTickSteps(steps, 4'000, false, status)) << "the same text again";
  nextStatus.clear();
  EXPECT_TRUE(RunTickSteps(steps, 5'000, false, status)) << "cleared is a change too";
  EXPECT_EQ(order, (std::vector<int>{1, 2, 1, 1, 2, 1, 2, 1, 2}));
}

// Live plays from the visible list, over three channels.
class PlayLiveTest : public PlayerTest {
 protected:
  void SetUp() override {
    PlayerTest::SetUp();
    if (HasFatalFailure()) return;
    SetChannels({u"101", u"102", u"103"});
  }

  // The load-related calls, in order: user agent, loadfile and subtitle size.
  std::vector<std::string> LoadCalls() const {
    std::vector<std::string> calls;
    for (const auto& call : fake_.calls)
      if (call.rfind("property user-agent=", 0) == 0 || call.rfind("property sub-font-size=", 0) == 0 ||
          call.rfind("command [loadfile]", 0) == 0)
        calls.push_back(call);
    return calls;
  }
};

TEST_F(PlayLiveTest, RepeatGuardSkipsASecondLoadWithin750Ms) {
  EXPECT_TRUE(PlayLive(state_, player_, 10'000, {}));
  EXPECT_FALSE(PlayLive(state_, player_, 10'500, {}));
  EXPECT_TRUE(PlayLive(state_, player_, 10'800 + 500, {}));
  player_.ForceNextLiveLoad();  // forces the next load
  EXPECT_TRUE(PlayLive(state_, player_, 11'400, {}));
  EXPECT_EQ(tile_.Loads().size(), 3u);
}

// A stream stopped on purpose (the list left, a locked channel's preview
// withheld) is no channel that plays: the screens may not take it for the
// one to fill the window with, asking for it again loads it at once, and
// the supervision neither restarts it nor reports it refused.
TEST_F(PlayLiveTest, AStoppedChannelNoLongerPlaysAndIsNotSupervised) {
  fake_.properties["idle-active"] = "yes";
  EXPECT_TRUE(PlayLive(state_, player_, 10'000, {}));
  player_.Stop();
  EXPECT_EQ(state_.Playing().lastChannelId, u"");
  EXPECT_TRUE(PlayLive(state_, player_, 10'100, {})) << "within the repeat guard, yet loaded";
  player_.Stop();
  for (uint64_t now = 11'000; now <= 120'000; now += 1000) player_.Tick(now, PlayerView::Preview);
  player_.Tick(130'000, PlayerView::Full);
  EXPECT_TRUE(tile_.events.empty());
  EXPECT_EQ(tile_.Loads().size(), 2u);
}

TEST_F(PlayLiveTest, UrlUsesLiveFormatAndUserAgentPrecedesTheLoad) {
  state_.settings.LiveFormat.clear();
  state_.settings.SubSize = 2;
  PlayLive(state_, player_, 1, {});
  const auto calls = LoadCalls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0], "property user-agent=Vistra43/4.3");
  EXPECT_EQ(calls[1], "command [loadfile] [http://h:8080/live/u/p/101.ts] [replace]");
  EXPECT_EQ(calls[2], "property sub-font-size=48");
  state_.settings.LiveFormat = u"m3u8";
  state_.settings.InternalPlayer = 1;
  state_.nav.ChannelIndex = 1;
  PlayLive(state_, player_, 5'000, {});
  EXPECT_EQ(tile_.Loads().back(), "http://h:8080/live/u/p/102.m3u8");
  EXPECT_EQ(LoadCalls()[3], "property user-agent=VLC/3.0.20 LibVLC/3.0.20");
}

TEST_F(PlayLiveTest, InvalidSelectionPlaysNothing) {
  state_.nav.ChannelIndex = 3;
  EXPECT_FALSE(PlayLive(state_, player_, 1, {}));
  EXPECT_TRUE(fake_.calls.empty());
}

}  // namespace
