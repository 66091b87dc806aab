#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/playback_control.h"
#include "state/app_state.h"
#include "platform/mpv_library.h"
#include "player/media_engine.h"
#include "tests/catalog/test_items.h"
#include "tests/fixtures/fake_mpv.h"
#include "tests/fixtures/temp_data_home.h"

namespace {

class PlayLiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tile_.ready);
    state_.playing = &player_.Playback();

    state_.account = DeriveXtreamSource(u"http://h:8080/get.php?username=u&password=p");
    auto channels = std::make_shared<ItemList>();
    for (int i = 1; i <= 3; ++i) {
      const std::u16string id = u"10" + std::u16string(1, char16_t(u'0' + i));
      const std::u16string name = u"Channel " + id;
      channels->push_back(TestItem(ItemKind::Live, {.id = id, .name = name, .categoryId = u"1"}));
    }
    state_.catalog.LiveChannels = channels;
    RebuildLiveList(state_.catalog, state_.settings, state_.nav.live, state_.VisibleLive);
    state_.nav.ChannelIndex = 0;
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

  TempDataHome home_;
  FakeTilePlayer tile_;
  FakePlayer& fake_ = tile_.fake;
  Player& player_ = tile_.player;
  AppState state_;
};

TEST_F(PlayLiveTest, RepeatGuardSkipsASecondLoadWithin750Ms) {
  EXPECT_TRUE(PlayLive(state_, player_, 10'000, {}));
  EXPECT_FALSE(PlayLive(state_, player_, 10'500, {}));
  EXPECT_TRUE(PlayLive(state_, player_, 10'800 + 500, {}));
  player_.ForceNextLiveLoad();  // forces the next load
  EXPECT_TRUE(PlayLive(state_, player_, 11'400, {}));
  EXPECT_EQ(tile_.Loads().size(), 3u);
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

TEST_F(PlayLiveTest, HistoryKeepsRepeatsNewestFirstAndStopsAtForty) {
  for (int i = 0; i < 45; ++i) {
    state_.nav.ChannelIndex = i % 3;
    player_.ForceNextLiveLoad();  // forces the next load
    PlayLive(state_, player_, 1'000'000 + i, {});
  }
  ASSERT_EQ(state_.settings.HistoryLive.size(), 40u);
  EXPECT_EQ(state_.settings.HistoryLive.front(), u"103");  // the last play was index 44 % 3 == 2
  EXPECT_TRUE(state_.SettingsDirty);
  EXPECT_EQ(state_.CurrentChannelId, u"103");
}

TEST_F(PlayLiveTest, InvalidSelectionPlaysNothing) {
  state_.nav.ChannelIndex = 3;
  EXPECT_FALSE(PlayLive(state_, player_, 1, {}));
  EXPECT_TRUE(fake_.calls.empty());
}

}  // namespace
