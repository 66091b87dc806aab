// Catch-up: the candidate list (its edge cases and the panel's zone), the
// panel clock's reading, the candidate step and starting a replay.
#include "player/catchup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "catalog/panel_clock.h"
#include "i18n/translate.h"
#include "net/text.h"
#include "app/playback_control.h"
#include "tests/fixtures/xtream_fixture.h"
#include "tests/player/player_fixture.h"
#include "tests/scoped_env.h"

namespace {

constexpr int64_t kStart = 1714595400;  // 2024-05-01 20:30 UTC
const XtreamAccount kAccount = DeriveXtreamSource(u"http://s:8080/get.php?username=u&password=p");

class ZoneTest : public ::testing::Test {
 protected:
  static void UseZone(const char* zone) { TimeZoneGuard::Use(zone); }
  const TimeZoneGuard zone_{"UTC0"};
};

std::vector<std::string> Candidates(int32_t minutes, std::optional<int32_t> panel = std::nullopt) {
  std::vector<std::string> out;
  for (const auto& url : CatchupCandidates(kAccount, u"7", kStart, minutes, panel)) out.push_back(WideToUtf8(url));
  return out;
}

using CatchupCandidatesTest = ZoneTest;

TEST_F(CatchupCandidatesTest, OrderFormsAndTimeTextsInAZoneAwayFromUtc) {
  UseZone("XYZ-2");  // UTC+2, no daylight saving
  const std::vector<std::string> expected = {
      "http://s:8080/timeshift/u/p/90/2024-05-01:22-30/7.ts",
      "http://s:8080/timeshift/u/p/90/2024-05-01:22-30/7.m3u8",
      "http://s:8080/streaming/timeshift.php?username=u&password=p&stream=7&start=2024-05-01:22-30&duration=90",
      "http://s:8080/timeshift/u/p/90/2024-05-01:20-30/7.ts",
      "http://s:8080/timeshift/u/p/60/2024-05-01:22-30/7.ts",
      "http://s:8080/timeshift/u/p/90/2024-05-01:20-30/7.m3u8",
      "http://s:8080/streaming/timeshift.php?username=u&password=p&stream=7&start=2024-05-01:20-30&duration=90",
      "http://s:8080/timeshift/u/p/90/2024-05-01:22:30/7.ts",
  };
  EXPECT_EQ(Candidates(90), expected);
}

TEST_F(CatchupCandidatesTest, EdgeCasesOfDurationZoneAndRepeats) {
  UseZone("XYZ-2");
  // Lengths outside 5..180 are asked for as an hour; a 60-minute programme
  // makes candidate 5 repeat candidate 1, so it is left out.
  EXPECT_NE(Candidates(240)[0].find("/60/"), std::string::npos);
  EXPECT_NE(Candidates(3)[0].find("/60/"), std::string::npos);
  EXPECT_EQ(Candidates(60).size(), 7u);
  // In UTC the UTC forms repeat the local ones: five URLs remain.
  UseZone("UTC0");
  EXPECT_EQ(Candidates(90).size(), 5u);
  // Nothing to try without a stream id, an Xtream account or a start.
  EXPECT_TRUE(CatchupCandidates(kAccount, u"", kStart, 60).empty());
  EXPECT_TRUE(CatchupCandidates(XtreamAccount{}, u"7", kStart, 60).empty());
  EXPECT_TRUE(CatchupCandidates(kAccount, u"7", 0, 60).empty());
  // The log shows the path form's id and extension only.
  EXPECT_EQ(CatchupLogTail(u"http://s/timeshift/u/p/90/2024-05-01:22-30/7.ts"), u"7.ts");
  EXPECT_EQ(CatchupLogTail(u"no-slash"), u"no-slash");
}

TEST_F(CatchupCandidatesTest, APanelThreeHoursAheadIsAskedInItsOwnTimeFirst) {
  UseZone("UTC0");
  const auto plain = Candidates(90);
  const auto panel = Candidates(90, 3 * 3600);
  ASSERT_EQ(panel.size(), plain.size() + 2);
  EXPECT_EQ(panel[0], "http://s:8080/timeshift/u/p/90/2024-05-01:23-30/7.ts");
  EXPECT_EQ(panel[1],
            "http://s:8080/streaming/timeshift.php?username=u&password=p&stream=7&start=2024-05-01:23-30&duration=90");
  EXPECT_EQ(std::vector<std::string>(panel.begin() + 2, panel.end()), plain);  // the rest unchanged
  // A panel on local time or on UTC adds nothing.
  UseZone("XYZ-2");
  EXPECT_EQ(Candidates(90, 2 * 3600), Candidates(90));
  EXPECT_EQ(Candidates(90, 0), Candidates(90));
}

TEST(PanelClockTest, OffsetIsTheWallClockDifferenceRoundedToQuarterHours) {
  EXPECT_EQ(RoundToQuarterHour(3 * 3600 + 7 * 60), 3 * 3600);       // clocks read a moment apart
  EXPECT_EQ(RoundToQuarterHour(5 * 3600 + 38 * 60), 5 * 3600 + 2700);  // India's +5:30 ... +5:45 side
  EXPECT_EQ(RoundToQuarterHour(-(3 * 3600 + 8 * 60)), -(3 * 3600 + 900));
  EXPECT_EQ(RoundToQuarterHour(-449), 0);
  // The stand-in's answer, read back: three hours ahead, half an hour behind.
  EXPECT_EQ(PanelUtcOffset(AccountAnswer("u", 80, kStart, 3 * 3600)), 3 * 3600);
  EXPECT_EQ(PanelUtcOffset(AccountAnswer("u", 80, kStart, -1800)), -1800);
  // "timestamp_now" as a string, and a wall clock a few seconds later.
  EXPECT_EQ(PanelUtcOffset(R"({"server_info":{"timestamp_now":"1714595400","time_now":"2024-05-01 23:30:04"}})"),
            3 * 3600);
  // Missing or malformed values, and a clock no zone explains.
  EXPECT_FALSE(PanelUtcOffset(R"({"server_info":{"timezone":"UTC"}})"));
  EXPECT_FALSE(PanelUtcOffset(R"({"server_info":{"timestamp_now":1714595400,"time_now":"2024-05-01T23:30:00"}})"));
  EXPECT_FALSE(PanelUtcOffset(R"({"server_info":{"timestamp_now":1714595400,"time_now":"2024-05-02 12:30:00"}})"));
}

// --- the step and the start -------------------------------------------------

class CatchupPlayTest : public PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    state_.account = kAccount;
    SetChannels({u"7"});
    state_.guide.Fill(u"7", {EpgEntry{u"20:30", u"News", kStart, 90, u""}}, GuideOrigin::FullTable, kStart + 7200);
  }
  static CatchupProbe Idle() { return CatchupProbe{u"", u"", u"", u"yes", u""}; }

  const TimeZoneGuard zone_{"UTC0"};
};

TEST_F(CatchupPlayTest, StartsOnThePlayerWithTheFirstCandidateAndThePanelsClock) {
  state_.panelClocks.offsets[PanelClocks::KeyOf(kAccount)] = 3 * 3600;
  ASSERT_TRUE(PlayCatchup(state_, player_, 0, 1000, kStart + 7200));
  const PlaybackState& p = state_.Playing();
  EXPECT_TRUE(state_.nav.fullVideo);
  EXPECT_TRUE(p.catchupActive);
  EXPECT_EQ(p.catchupIndex, 0);
  EXPECT_EQ(p.catchupCandidates.size(), 7u);
  EXPECT_EQ(tile_.Loads(), std::vector<std::string>{"http://s:8080/timeshift/u/p/90/2024-05-01:23-30/7.ts"});
  EXPECT_EQ(p.lastUrl, p.catchupCandidates[0]);
  EXPECT_EQ(p.currentChannelUrl, u"http://s:8080/live/u/p/7.ts");  // what E hands on
  // No such row, or no channel: nothing starts.
  EXPECT_FALSE(PlayCatchup(state_, player_, 1, 2000, kStart + 7200));
  state_.nav.ChannelIndex = 3;
  EXPECT_FALSE(PlayCatchup(state_, player_, 0, 2000, kStart + 7200));
  EXPECT_EQ(tile_.Loads().size(), 1u);
}

// A programme to come is no archive: nothing is tried, the user is told.
// Leaving a replay stops it and goes back where it was chosen; the live
// channel is then no longer taken for what plays.
TEST_F(CatchupPlayTest, NothingToComeIsTriedAndLeavingAReplayGoesBackWhereItWasChosen) {
  EXPECT_FALSE(PlayCatchup(state_, player_, 0, 1000, kStart - 60));
  EXPECT_TRUE(tile_.Loads().empty());
  EXPECT_EQ(state_.toast.text, Translate("catchup_not_yet"));

  PlayRequest live;
  live.kind = PlayKind::Live;
  live.channel = state_.VisibleLive[0];
  live.url = u"http://s:8080/live/u/p/7.ts";
  player_.Play(live, 500);
  state_.nav.catchupFrom = Screen::Grid;
  ASSERT_TRUE(PlayCatchup(state_, player_, 0, 1000, kStart + 7200));
  EXPECT_TRUE(state_.Playing().lastChannelId.empty());
  bool changed = false;
  const size_t stops = tile_.Count("command [stop]");
  EXPECT_EQ(LeavePlayerTarget(state_, player_, changed), Screen::Grid);
  EXPECT_TRUE(state_.nav.backFromReplay);
  EXPECT_EQ(tile_.Count("command [stop]"), stops + 1);
}

TEST_F(CatchupPlayTest, StepWaitsForAnOpeningStreamThenTriesEachCandidateThenGivesUp) {
  ASSERT_TRUE(PlayCatchup(state_, player_, 0, 1000, kStart + 7200));
  PlaybackState p = state_.Playing();  // the step on a copy
  const int count = static_cast<int>(p.catchupCandidates.size());
  // Still opening (not idle), or idle for less than 2.2 s: more time.
  EXPECT_EQ(CatchupStep(p, CatchupProbe{}, 5000).verdict, CatchupVerdict::Nothing);
  EXPECT_EQ(CatchupStep(p, Idle(), 3200).verdict, CatchupVerdict::Nothing);
  uint64_t now = 3201;
  for (int i = 1; i < count; ++i) {
    const CatchupDecision next = CatchupStep(p, Idle(), now);
    ASSERT_EQ(next.verdict, CatchupVerdict::LoadNext) << i;
    EXPECT_EQ(next.url, p.catchupCandidates[i]);
    EXPECT_EQ(p.catchupIndex, i);
    EXPECT_EQ(p.lastUrl, next.url);
    EXPECT_EQ(p.playStartTick, now);
    now += 2500;
  }
  EXPECT_EQ(CatchupStep(p, Idle(), now).verdict, CatchupVerdict::GiveUp);
  EXPECT_FALSE(p.catchupActive);
  EXPECT_EQ(CatchupStep(p, Idle(), now + 5000).verdict, CatchupVerdict::Nothing);
}

TEST_F(CatchupPlayTest, WithoutAnAccountTheLiveStreamPlaysAndTheFirstIdleCheckGivesUp) {
  state_.account = XtreamAccount{};
  ASSERT_TRUE(PlayCatchup(state_, player_, 0, 1000, kStart + 7200));
  EXPECT_TRUE(state_.Playing().catchupCandidates.empty());
  ASSERT_EQ(tile_.Loads().size(), 1u);
  EXPECT_EQ(Utf8ToWide(tile_.Loads()[0]), state_.Playing().currentChannelUrl);
  PlaybackState p = state_.Playing();
  EXPECT_EQ(CatchupStep(p, Idle(), 4000).verdict, CatchupVerdict::GiveUp);
}

TEST_F(CatchupPlayTest, VideoOrAnotherLoadEndsTheTries) {
  ASSERT_TRUE(PlayCatchup(state_, player_, 0, 1000, kStart + 7200));
  PlaybackState p = state_.Playing();  // the step on a copy
  // A codec left over while the player sits idle is no working stream.
  EXPECT_EQ(CatchupStep(p, CatchupProbe{u"h264", u"", u"", u"yes", u""}, 4000).verdict, CatchupVerdict::LoadNext);
  EXPECT_EQ(CatchupStep(p, CatchupProbe{u"h264", u"640", u"360", u"no", u""}, 4500).verdict,
            CatchupVerdict::Working);
  EXPECT_FALSE(p.catchupActive);
  // The user zapped to a failing channel since: no candidate replaces it.
  ASSERT_TRUE(PlayCatchup(state_, player_, 0, 5000, kStart + 7200));
  p.lastUrl = u"http://s:8080/live/u/p/8.ts";
  EXPECT_EQ(CatchupStep(p, Idle(), 9000).verdict, CatchupVerdict::Nothing);
  EXPECT_FALSE(p.catchupActive);
}

}  // namespace
