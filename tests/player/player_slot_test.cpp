// The Player's slot of the connection budget over the fake engine: taken
// before a load, kept through a zap, given back once the engine is idle.
#include <gtest/gtest.h>

#include "app/playback_control.h"
#include "tests/player/player_fixture.h"

namespace {

class PlayerSlotTest : public PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    state_.connections.SetLimitSource([] { return std::optional<int32_t>(1); });
    player_.SetBudget(&state_.connections, "main");
    ASSERT_TRUE(other_.Init(MpvLibrary::FromTable(FakeMpvTable())));
    other_.SetBudget(&state_.connections, "tile1");
    // A stream is open until the engine says it is idle.
    fake_.properties["idle-active"] = "no";
  }
  // The state goes before the fixture's player: it must not give back
  // into it then.
  void TearDown() override {
    player_.Shutdown();
    player_.SetBudget(nullptr, "");
  }

  size_t LoadsOf(const Player& player) {
    size_t n = 0;
    for (const std::string& call : fake_.byHandle[player.Engine().Handle()]) n += call.rfind("command [loadfile]", 0) == 0;
    return n;
  }

  Player other_;
};

TEST_F(PlayerSlotTest, AFullLineRefusesASecondStreamBeforeItOpensAndAZapKeepsTheOneSlot) {
  ASSERT_TRUE(player_.Play(TestLivePlay(u"1"), 1000));
  ASSERT_TRUE(player_.Play(TestLivePlay(u"2"), 3000));
  EXPECT_EQ(state_.connections.Holders(), std::vector<std::string>{"main"});

  const PlaybackState before = other_.Playback();
  EXPECT_FALSE(other_.Play(TestLivePlay(u"3"), 4000));
  EXPECT_TRUE(other_.Refused());
  EXPECT_EQ(LoadsOf(other_), 0u);
  EXPECT_TRUE(other_.Playback().lastUrl == before.lastUrl && other_.Playback().currentChannel.id().empty());

  EXPECT_TRUE(NoticeIfRefused(state_, other_, 4000));
  EXPECT_EQ(state_.toast.text, u"Your line's limit is reached: 1 at once");
  state_.multiView.tiles.resize(2);
  NoticeIfRefused(state_, other_, 4000);
  EXPECT_EQ(state_.toast.text, u"Line limit (1 at once): leave the multi-view");
  EXPECT_FALSE(NoticeIfRefused(state_, player_, 4000));
}

// Asked to stop, the engine may still hold the connection: the slot goes
// back only when it reports idle, at Stop or at a later tick.
TEST_F(PlayerSlotTest, TheSlotGoesBackWhenTheEngineIsIdleNotWhenAskedToStop) {
  ASSERT_TRUE(player_.Play(TestLivePlay(u"1"), 1000));
  player_.Stop();
  EXPECT_TRUE(player_.HoldsSlot());
  EXPECT_FALSE(other_.Play(TestLivePlay(u"3"), 2000));
  fake_.properties["idle-active"] = "yes";
  player_.Tick(3000, PlayerView::Full);
  EXPECT_FALSE(player_.HoldsSlot());
  EXPECT_TRUE(other_.Play(TestLivePlay(u"3"), 4000));
  EXPECT_EQ(LoadsOf(other_), 1u);

  // Already idle: Stop gives it back at once; a player that closes down
  // gives back its own.
  other_.Stop();
  EXPECT_EQ(state_.connections.Held(), 0);
  ASSERT_TRUE(player_.Play(TestLivePlay(u"2"), 5000));

  // A file on this machine (a recording) needs no slot of the full line,
  // and a stream that played before it gives its slot back.
  PlayRequest file;
  file.kind = PlayKind::Movie;
  file.url = file.itemKey = u"/recordings/a.ts";
  file.localFile = true;
  EXPECT_TRUE(other_.Play(file, 5500));
  EXPECT_FALSE(other_.HoldsSlot());
  EXPECT_TRUE(player_.Play(file, 5600));
  EXPECT_FALSE(player_.HoldsSlot());
  ASSERT_TRUE(player_.Play(TestLivePlay(u"2"), 6000));
  player_.Shutdown();
  EXPECT_EQ(state_.connections.Held(), 0);
}

}  // namespace
