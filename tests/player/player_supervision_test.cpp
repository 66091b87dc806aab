// Movies and episodes on the Player screen over a fake player: the resume
// position (lookup, notice, saving), stepping, leaving, and the supervisor's
// timing rules (resume seek, end of file, stall nudge, the bounded restart
// of a dead preview, a refused stream on the Player, the repaint of a
// changed status).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "player/media_engine.h"
#include "player/player_supervisor.h"
#include "player/remote_control.h"
#include "player/vod_playback.h"
#include "state/app_state.h"
#include "tests/fixtures/fake_mpv.h"
#include "tests/fixtures/temp_data_home.h"

namespace {

CatalogItem Item(ItemKind kind, std::u16string id, std::u16string ext = u"mkv") {
  CatalogItem::Fields fields{};
  fields.id = id;
  const std::u16string name = u"Item " + id;
  fields.name = name;
  fields.containerExt = ext;
  fields.categoryId = u"1";
  return CatalogItem(kind, fields, 0);
}

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(player_.ready);
    state_.account = DeriveXtreamSource(u"http://h:8080/get.php?username=u&password=p");
    state_.series.Episodes = {{u"e1", u"One", u"mp4", u"1"}, {u"e2", u"Two", u"mkv", u"1"}};
  }

  size_t Count(std::string_view prefix) const { return player_.Count(prefix); }
  void PlayEpisode(int index, uint64_t now) {
    state_.playback.currentItem = Item(ItemKind::Series, u"s9");
    state_.nav.EpisodeIndex = index;
    PlayVod(state_, engine_, state_.playback.currentItem, &state_.series.Episodes[size_t(index)], now);
  }
  PlayerSupervisor Supervisor() {
    SupervisorHooks hooks;
    hooks.saveSettings = [this] { ++saves_; };
    hooks.restartPreview = [this] { ++restarts_; };
    hooks.leaveDeadStream = [this] { ++deadLeaves_; };
    hooks.catchupCandidateStep = [this](const CodecSample& s) { codecSamples_.push_back(s); };
    return PlayerSupervisor(state_, engine_, hooks);
  }

  TempDataHome home_;
  FakeEngine player_;
  FakePlayer& fake_ = player_.fake;
  MediaEngine& engine_ = player_.engine;
  AppState state_;
  int saves_ = 0, restarts_ = 0, deadLeaves_ = 0;
  std::vector<CodecSample> codecSamples_;
};

TEST_F(PlayerTest, ResumeLookupNoticeAndHistory) {
  const CatalogItem movie = Item(ItemKind::Vod, u"m1", u"");
  state_.settings.ResumeMs[u"m1"] = 15000;
  PlayVod(state_, engine_, movie, nullptr, 1000);
  EXPECT_EQ(state_.playback.resumeSeconds, 0) << "15000 ms is not worth a resume";
  EXPECT_TRUE(state_.toast.text.empty());
  EXPECT_EQ(state_.CurrentScreen, Screen::Player);
  EXPECT_TRUE(state_.nav.fullVideo);
  EXPECT_EQ(Count("command [loadfile] [http://h:8080/movie/u/p/m1.mp4]"), 1u) << "no extension means mp4";
  EXPECT_EQ(Count("property sid=auto"), 1u);

  state_.settings.ResumeMs[u"m1"] = 15001;
  PlayVod(state_, engine_, movie, nullptr, 2000);
  EXPECT_DOUBLE_EQ(state_.playback.resumeSeconds, 15.001);
  EXPECT_EQ(state_.toast.text, u"Resume 0:15");
  EXPECT_EQ(state_.toast.hideAtMs, 2000u + 2800u);
  // Minutes are not wrapped into hours.
  EXPECT_EQ(ResumeNoticeText(u"Resume", 75 * 60 + 3.9), u"Resume 75:03");

  state_.settings.HistoryMovies.clear();
  for (int i = 0; i < 40; ++i) state_.settings.HistoryMovies.push_back(u"old" + std::u16string(1, char16_t(u'A' + i % 26)));
  PlayVod(state_, engine_, movie, nullptr, 3000);
  ASSERT_EQ(state_.settings.HistoryMovies.size(), 40u);
  EXPECT_EQ(state_.settings.HistoryMovies.front(), u"m1");
  PlayEpisode(0, 4000);
  EXPECT_EQ(state_.settings.HistorySeries.front(), u"s9") << "an episode records its series";
  EXPECT_EQ(state_.playback.itemKey, u"e1");
}

TEST_F(PlayerTest, SaveResumePositionEdges) {
  PlayVod(state_, engine_, Item(ItemKind::Vod, u"m1"), nullptr, 1000);
  auto& resume = state_.settings.ResumeMs;
  fake_.properties["time-pos"] = "7.9";
  EXPECT_EQ(SaveResumePosition(state_, engine_), ResumeSave::Nothing);
  fake_.properties["time-pos"] = "100";
  fake_.properties["duration"] = "25";
  EXPECT_EQ(SaveResumePosition(state_, engine_), ResumeSave::Stored) << "a short duration never removes";
  EXPECT_EQ(resume[u"m1"], 100000);
  fake_.properties["time-pos"] = "103.9";
  EXPECT_EQ(SaveResumePosition(state_, engine_), ResumeSave::Nothing) << "within 4 s of the stored one";
  fake_.properties["time-pos"] = "100";
  fake_.properties["duration"] = "110";
  EXPECT_EQ(SaveResumePosition(state_, engine_), ResumeSave::Removed);
  EXPECT_FALSE(resume.contains(u"m1"));
  fake_.properties["time-pos"] = "";
  EXPECT_EQ(SaveResumePosition(state_, engine_), ResumeSave::Nothing);
}

TEST_F(PlayerTest, LeavingAMovieStopsItAndLeavingLiveKeepsIt) {
  PlayVod(state_, engine_, Item(ItemKind::Vod, u"m1"), nullptr, 1000);
  fake_.properties["time-pos"] = "20.5";
  fake_.properties["duration"] = "600";
  bool changed = false;
  EXPECT_EQ(LeavePlayerTarget(state_, engine_, changed), Screen::Movies);
  EXPECT_TRUE(changed);
  EXPECT_EQ(state_.settings.ResumeMs[u"m1"], 20500);
  EXPECT_EQ(Count("command [stop]"), 1u);
  EXPECT_FALSE(state_.nav.fullVideo);
  EXPECT_TRUE(state_.playback.itemKey.empty());

  PlayEpisode(1, 2000);
  EXPECT_EQ(LeavePlayerTarget(state_, engine_, changed), Screen::Series);

  // Live: nothing stops.
  state_.playback.currentItem = CatalogItem();
  state_.playback.lastChannelId = u"101";
  fake_.calls.clear();
  EXPECT_EQ(LeavePlayerTarget(state_, engine_, changed), Screen::Live);
  EXPECT_EQ(Count("command [stop]"), 0u);

  // The trailer goes back Home and stops; once another load replaced it,
  // it no longer counts.
  state_.playback.trailerUrl = state_.playback.lastUrl = u"http://x/t.mp4";
  EXPECT_EQ(LeavePlayerTarget(state_, engine_, changed), Screen::Home);
  EXPECT_EQ(Count("command [stop]"), 1u);
  state_.playback.trailerUrl = u"http://x/t.mp4";
  state_.playback.lastUrl = u"http://x/live/101.ts";
  EXPECT_EQ(LeavePlayerTarget(state_, engine_, changed), Screen::Live);
}

TEST_F(PlayerTest, StepVodWrapsEpisodesAndMovies) {
  PlayEpisode(1, 1000);
  EXPECT_TRUE(StepVod(state_, engine_, +1, 2000));
  EXPECT_EQ(state_.nav.EpisodeIndex, 0);
  EXPECT_EQ(state_.playback.itemKey, u"e1");
  EXPECT_TRUE(StepVod(state_, engine_, -1, 3000));
  EXPECT_EQ(state_.playback.itemKey, u"e2");
  EXPECT_EQ(Count("command [loadfile] [http://h:8080/series/u/p/e2.mkv]"), 2u);
}

TEST_F(PlayerTest, ResumeSeekWaitsForThePictureAndHappensOnce) {
  state_.settings.ResumeMs[u"m1"] = 300000;
  PlayVod(state_, engine_, Item(ItemKind::Vod, u"m1"), nullptr, 10'000);
  PlayerSupervisor supervisor = Supervisor();
  fake_.properties["time-pos"] = "0.5";
  supervisor.Tick(11'000);  // not yet 1200 ms after the load
  fake_.properties["time-pos"] = "0.1";
  supervisor.Tick(12'000);  // the stream has not really started
  EXPECT_EQ(Count("command [seek]"), 0u);
  fake_.properties["time-pos"] = "0.2";
  supervisor.Tick(13'000);
  supervisor.Tick(14'000);
  EXPECT_EQ(Count("command [seek] [300] [absolute+exact]"), 1u);
  EXPECT_EQ(state_.playback.resumeSeconds, 0);
}

TEST_F(PlayerTest, EndOfFileIsIgnoredEarlyThenLeadsToTheNextEpisodeAndTheSeasonEnd) {
  PlayEpisode(0, 100'000);
  state_.settings.ResumeMs[u"e1"] = 50000;
  PlayerSupervisor supervisor = Supervisor();
  fake_.properties["eof-reached"] = "yes";
  supervisor.Tick(105'000);
  EXPECT_EQ(state_.playback.itemKey, u"e1") << "a stale end of file right after the load";
  supervisor.Tick(109'000);
  EXPECT_EQ(state_.playback.itemKey, u"e2");
  EXPECT_EQ(state_.nav.EpisodeIndex, 1);
  EXPECT_FALSE(state_.settings.ResumeMs.contains(u"e1"));
  EXPECT_EQ(state_.toast.text, u"Next episode");
  EXPECT_GE(saves_, 1);

  supervisor.Tick(114'000);  // 5 s after the next load: ignored
  EXPECT_EQ(state_.playback.itemKey, u"e2");
  state_.settings.ResumeMs[u"e2"] = 70000;
  fake_.calls.clear();
  supervisor.Tick(118'000);
  EXPECT_TRUE(state_.playback.itemKey.empty());
  EXPECT_FALSE(state_.settings.ResumeMs.contains(u"e2"));
  EXPECT_EQ(state_.toast.text, u"Season ended") ;
  EXPECT_EQ(Count("command [loadfile]"), 0u) << "the last episode plays nothing after it";
}

TEST_F(PlayerTest, ThreeEqualSamplesWhilePlayingGiveExactlyOneNudge) {
  PlayVod(state_, engine_, Item(ItemKind::Vod, u"m1"), nullptr, 0);
  PlayerSupervisor supervisor = Supervisor();
  fake_.properties["time-pos"] = "42.00";
  fake_.properties["pause"] = "no";
  for (uint64_t t = 20'000; t <= 28'000; t += 4'000) supervisor.Tick(t);
  EXPECT_EQ(Count("command [seek] [0.1] [relative+exact]"), 1u);
  EXPECT_EQ(Count("property pause=no"), 2u) << "the load's own unpause and the nudge";
  // Paused: never nudged, however long it stands.
  fake_.properties["pause"] = "yes";
  for (uint64_t t = 32'000; t <= 60'000; t += 4'000) supervisor.Tick(t);
  EXPECT_EQ(Count("command [seek] [0.1] [relative+exact]"), 1u);
}

TEST_F(PlayerTest, ADeadPreviewIsRestartedWithAGrowingBackOffAndACap) {
  state_.CurrentScreen = Screen::Live;
  state_.playback.lastChannelId = u"101";
  state_.playback.playStartTick = 0;
  fake_.properties["idle-active"] = "yes";
  PlayerSupervisor supervisor = Supervisor();
  std::vector<uint64_t> at;
  for (uint64_t t = 1000; t <= 20 * 60'000; t += 1000) {
    const int before = restarts_;
    supervisor.Tick(t);
    if (restarts_ != before) {
      at.push_back(t);
      state_.playback.playStartTick = t;  // the restart loads again
    }
  }
  ASSERT_EQ(at.size(), size_t(kMaxDeadRestarts)) << "a refused channel is not asked for forever";
  for (size_t i = 2; i < at.size(); ++i) EXPECT_GT(at[i] - at[i - 1], at[i - 1] - at[i - 2]);
  EXPECT_LE(PlayerSupervisor::DeadRestartDelay(50), kDeadRestartMaxMs);

  // Another channel starts the count again; a playing stream resets it.
  state_.playback.lastChannelId = u"102";
  supervisor.Tick(21 * 60'000);
  EXPECT_EQ(restarts_, kMaxDeadRestarts + 1);
}

TEST_F(PlayerTest, ARefusedStreamOnThePlayerLeavesIt) {
  state_.CurrentScreen = Screen::Player;
  state_.playback.lastChannelId = u"101";
  state_.playback.lastUrl = u"http://h/live/u/p/101.ts";
  state_.playback.playStartTick = 10'000;
  fake_.properties["idle-active"] = "yes";
  fake_.properties["video-codec"] = "h264";
  PlayerSupervisor supervisor = Supervisor();
  supervisor.Tick(13'000);
  EXPECT_EQ(deadLeaves_, 0) << "a stream is given a few seconds to start";
  supervisor.Tick(14'500);
  EXPECT_EQ(deadLeaves_, 1);
  ASSERT_FALSE(codecSamples_.empty()) << "the catch-up step runs after the codec sample";
  EXPECT_EQ(codecSamples_[0].codec, u"h264");
}

// The tick's own steps write status texts (a lazy load's "Loading movies…"
// on the grid, the automatic reload's notice): each change is painted.
TEST_F(PlayerTest, ATickThatChangesTheStatusTextRepaints) {
  int repaints = 0;
  std::u16string nextStatus;
  SupervisorHooks hooks;
  hooks.repaint = [&] { ++repaints; };
  hooks.screenTick = [&] { state_.StatusText = nextStatus; };
  state_.CurrentScreen = Screen::Movies;
  PlayerSupervisor supervisor(state_, engine_, hooks);
  supervisor.Tick(1'000);
  EXPECT_EQ(repaints, 0) << "nothing changed";
  nextStatus = u"Loading movies…";
  supervisor.Tick(2'000);
  EXPECT_EQ(repaints, 1);
  supervisor.Tick(3'000);
  EXPECT_EQ(repaints, 1) << "the same text again";
  nextStatus.clear();
  state_.CurrentScreen = Screen::Live;
  supervisor.Tick(4'000);
  EXPECT_EQ(repaints, 2) << "cleared is a change too, on any screen";
}

TEST_F(PlayerTest, AspectCyclesBackToAutoAfterFivePresses) {
  state_.CurrentScreen = Screen::Player;
  for (int i = 0; i < 4; ++i) CycleAspect(state_, engine_, 1000);
  EXPECT_EQ(state_.toast.text, u"2.35:1");
  CycleAspect(state_, engine_, 1000);
  EXPECT_EQ(state_.toast.text, u"Aspect Auto");
  EXPECT_EQ(state_.toast.hideAtMs, 1000u + 2500u);
  // A notice shows once, drawn by the interface: the engine is never asked
  // to draw it too (pause and seek notices neither).
  TogglePauseWithNotice(state_, engine_, 1000);
  fake_.properties["time-pos"] = "12";
  SeekWithNotice(state_, engine_, 10, 1000);
  EXPECT_EQ(state_.toast.text, u"12");
  EXPECT_EQ(Count("command [show-text]"), 0u);
  EXPECT_EQ(Count("property video-aspect-override=-1"), 1u);
  EXPECT_EQ(Count("property video-aspect-override=16:9"), 1u);
}

}  // namespace
