// A live stream that played and stopped is reconnected in place: the
// policy's pauses and its end, the Player carrying it out on the Player
// screen and in the preview (same URL, no new viewing), and the history
// that restarts leave alone while the Recently Viewed view names each
// channel once.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/playback_control.h"
#include "player/reconnect.h"
#include "tests/player/player_fixture.h"
#include "ui/screens/live_actions.h"
#include "ui/screens/stream_notice.h"

namespace {

TEST(ReconnectPolicy, PausesDoubleToACapAndItGivesUpAfterTenAttempts) {
  ReconnectState r;
  EXPECT_EQ(StepReconnect(r, StreamHealth::Playing, 5'000), ReconnectAction::None);
  EXPECT_EQ(StepReconnect(r, StreamHealth::Starting, 5'000), ReconnectAction::None) << "a start is no loss";
  const uint64_t lost = 10'000;
  ASSERT_EQ(StepReconnect(r, StreamHealth::Dead, lost), ReconnectAction::Lost);
  std::vector<uint64_t> attempts;
  uint64_t gaveUp = 0;
  for (uint64_t t = lost; t <= lost + 400'000; t += 1000) {
    const ReconnectAction action = StepReconnect(r, StreamHealth::Dead, t);
    if (action == ReconnectAction::Attempt) attempts.push_back((t - lost) / 1000);
    if (action == ReconnectAction::GiveUp) gaveUp = (t - lost) / 1000;
  }
  // Each failure is seen a tick after its attempt; the pause runs from there:
  // 1, 2, 4, 8, then 16 s at most.
  EXPECT_EQ(attempts, (std::vector<uint64_t>{1, 4, 9, 18, 35, 52, 69, 86, 103, 120}));
  EXPECT_EQ(gaveUp, 137u) << "about 2¼ minutes after the loss";
  EXPECT_TRUE(r.gaveUp);
  EXPECT_FALSE(r.active);
  EXPECT_EQ(StepReconnect(r, StreamHealth::Playing, lost + 500'000), ReconnectAction::None)
      << "given up stays given up until something is played";
  EXPECT_EQ(ReconnectPause(40), kReconnectPauseCapMs);
}

TEST(ReconnectPolicy, AConnectingAttemptIsGivenItsTimeAndAPictureEndsIt) {
  ReconnectState r;
  StepReconnect(r, StreamHealth::Dead, 0);
  ASSERT_EQ(StepReconnect(r, StreamHealth::Dead, 1'000), ReconnectAction::Attempt);
  for (uint64_t t = 2'000; t < 1'000 + kReconnectStartMs; t += 1000)
    EXPECT_EQ(StepReconnect(r, StreamHealth::Starting, t), ReconnectAction::None) << t;
  // Still connecting after that: it counts as failed, and the pause follows.
  EXPECT_EQ(StepReconnect(r, StreamHealth::Starting, 1'000 + kReconnectStartMs), ReconnectAction::None);
  EXPECT_EQ(StepReconnect(r, StreamHealth::Starting, 1'000 + kReconnectStartMs + 2'000), ReconnectAction::Attempt);
  EXPECT_EQ(r.attempts, 2);
  EXPECT_EQ(StepReconnect(r, StreamHealth::Playing, 12'000), ReconnectAction::Recovered);
  EXPECT_FALSE(r.Shown());
  EXPECT_EQ(r.attempts, 0);
}

// The message says what happens, with the attempt, in the user's language.
TEST(ReconnectPolicy, TheMessageNamesTheAttemptAndTheEnd) {
  ReconnectState r;
  EXPECT_TRUE(StreamNoticeOf(r).headline.empty());
  r.active = true;
  EXPECT_EQ(StreamNoticeOf(r).headline, u"Connection lost — reconnecting…");
  EXPECT_TRUE(StreamNoticeOf(r).detail.empty());
  r.attempts = 3;
  EXPECT_EQ(StreamNoticeOf(r).detail, u"Attempt 3 / 10");
  r = ReconnectState{};
  r.gaveUp = true;
  r.attempts = 10;
  EXPECT_EQ(StreamNoticeOf(r).headline, u"No connection after 10 attempts");
  EXPECT_FALSE(StreamNoticeOf(r).detail.empty());
}

class ReconnectTest : public PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    SetChannels({u"101", u"102", u"103"});
  }
  void Playing(const char* pos) {
    fake_.properties["idle-active"] = "no";
    fake_.properties["eof-reached"] = "no";
    fake_.properties["time-pos"] = pos;
  }
  void Down() {
    fake_.properties["idle-active"] = "yes";
    fake_.properties["time-pos"] = "";
  }
};

// The provider goes away for half a minute under the Player: it stays, the
// same URL is loaded again with growing pauses, the history does not grow,
// and the picture comes back in place.
TEST_F(ReconnectTest, TheFullViewReconnectsInPlaceWithoutANewViewing) {
  ASSERT_TRUE(PlayLive(state_, player_, 0, {}));
  const std::vector<std::u16string> history = state_.settings.HistoryLive;
  const std::string url = tile_.Loads().back();
  Playing("3.0");
  player_.Tick(1'000, PlayerView::Full);
  Down();
  fake_.calls.clear();
  for (uint64_t t = 2'000; t <= 30'000; t += 1000) player_.Tick(t, PlayerView::Full);
  EXPECT_EQ(Events(PlayerEvent::Kind::Failed), 0u) << "the viewer is not sent away";
  EXPECT_TRUE(state_.Playing().reconnect.active);
  const std::vector<std::string> loads = tile_.Loads();
  ASSERT_EQ(loads.size(), 4u) << "attempts 1, 4, 9 and 18 s after the loss";
  EXPECT_TRUE(std::all_of(loads.begin(), loads.end(), [&](const std::string& l) { return l == url; }));
  EXPECT_EQ(state_.Playing().reconnect.attempts, 4);
  EXPECT_EQ(Events(PlayerEvent::Kind::Reconnecting), 5u) << "the loss and each attempt";

  Playing("0.5");
  player_.Tick(31'000, PlayerView::Full);
  EXPECT_EQ(Events(PlayerEvent::Kind::Reconnected), 1u);
  EXPECT_FALSE(state_.Playing().reconnect.Shown());
  EXPECT_EQ(state_.settings.HistoryLive, history);
  EXPECT_EQ(state_.Playing().lastChannelId, u"101");
}

// In the preview the same happens; when every attempt failed it says so
// once, stays, and the next play starts afresh.
TEST_F(ReconnectTest, ThePreviewReconnectsTooAndGivingUpIsSaidOnce) {
  PlayLive(state_, player_, 0, {});
  Playing("3.0");
  player_.Tick(1'000, PlayerView::Preview);
  fake_.properties["eof-reached"] = "yes";  // a cut stream keeps its last frame
  for (uint64_t t = 2'000; t <= 400'000; t += 1000) player_.Tick(t, PlayerView::Preview);
  EXPECT_EQ(Events(PlayerEvent::Kind::RestartPreview), 0u) << "no replay through the list";
  ASSERT_EQ(Events(PlayerEvent::Kind::Failed), 1u);
  EXPECT_EQ(tile_.events.back().failure, PlayerFailure::ConnectionLost);
  EXPECT_TRUE(state_.Playing().reconnect.gaveUp);
  EXPECT_EQ(state_.settings.HistoryLive.size(), 1u);

  state_.nav.ChannelIndex = 1;
  PlayLive(state_, player_, 401'000, {});
  EXPECT_FALSE(state_.Playing().reconnect.Shown());
}

// A restart of the channel that plays is not a viewing; a real play is, as
// often as it happens; the view of the history names each channel once.
TEST_F(ReconnectTest, RestartsAddNoHistoryAndTheRecentViewShowsEachChannelOnce) {
  PlayLive(state_, player_, 0, {});
  player_.ForceNextLiveLoad();
  PlayLive(state_, player_, 1'000, {}, LivePlay::Restart);
  EXPECT_EQ(state_.settings.HistoryLive, (std::vector<std::u16string>{u"101"}));
  state_.nav.ChannelIndex = 1;
  PlayLive(state_, player_, 2'000, {}, LivePlay::Restart);
  state_.nav.ChannelIndex = 0;
  PlayLive(state_, player_, 3'000, {});
  EXPECT_EQ(state_.settings.HistoryLive, (std::vector<std::u16string>{u"101", u"102", u"101"}))
      << "another channel counts even when started by the program; repeats stay in the list";
  EXPECT_TRUE(state_.SettingsDirty);
  EXPECT_EQ(state_.LastLiveChannelId, u"101");

  state_.settings.HistoryLive = {u"102", u"101", u"102", u"gone", u"103", u"101"};
  GatherLiveHistory(state_);
  std::vector<std::u16string> shown;
  for (const CatalogItem& c : state_.LiveHistoryChannels) shown.emplace_back(c.id());
  EXPECT_EQ(shown, (std::vector<std::u16string>{u"102", u"101", u"103"}));
}

}  // namespace
