#include "player/playback.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/mpv_library.h"
#include "player/media_engine.h"
#include "tests/fixtures/temp_data_home.h"

namespace {

// A player that writes down each loadfile and user agent it receives.
std::vector<std::string>* g_calls = nullptr;

mpv_handle* Create() {
  static int handle;
  return reinterpret_cast<mpv_handle*>(&handle);
}
int Initialize(mpv_handle*) { return 0; }
void Destroy(mpv_handle*) {}
int SetOption(mpv_handle*, const char*, const char*) { return 0; }
int Command(mpv_handle*, const char** args) {
  if (std::strcmp(args[0], "loadfile") == 0) g_calls->push_back(std::string("load ") + args[1]);
  return 0;
}
int SetProperty(mpv_handle*, const char* name, const char* value) {
  if (std::strcmp(name, "user-agent") == 0 || std::strcmp(name, "sub-font-size") == 0)
    g_calls->push_back(std::string(name) + "=" + value);
  return 0;
}
char* GetProperty(mpv_handle*, const char*) { return nullptr; }
void Free(void* data) { std::free(data); }

class PlayLiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_calls = &calls_;
    MpvEntryPoints table;
    table.create = Create;
    table.initialize = Initialize;
    table.destroy = Destroy;
    table.setOptionString = SetOption;
    table.command = Command;
    table.setPropertyString = SetProperty;
    table.getPropertyString = GetProperty;
    table.free = Free;
    MediaEngineHooks hooks;
    hooks.resolveUrl = [](const std::u16string& url) { return url; };
    engine_.SetHooks(hooks);
    ASSERT_TRUE(engine_.Init(MpvLibrary::FromTable(table)));
    calls_.clear();

    state_.account = DeriveXtreamSource(u"http://h:8080/get.php?username=u&password=p");
    auto channels = std::make_shared<ItemList>();
    for (int i = 1; i <= 3; ++i) {
      const std::u16string id = u"10" + std::u16string(1, char16_t(u'0' + i));
      CatalogItem::Fields fields{};
      fields.id = id;
      const std::u16string name = u"Channel " + id;
      fields.name = name;
      fields.categoryId = u"1";
      channels->emplace_back(ItemKind::Live, fields, 0);
    }
    state_.catalog.LiveChannels = channels;
    RebuildLiveList(state_.catalog, state_.settings, state_.nav.live, state_.VisibleLive);
    state_.nav.ChannelIndex = 0;
  }

  std::vector<std::string> Loads() const {
    std::vector<std::string> loads;
    for (const auto& call : calls_)
      if (call.rfind("load ", 0) == 0) loads.push_back(call.substr(5));
    return loads;
  }

  TempDataHome home_;
  std::vector<std::string> calls_;
  MediaEngine engine_;
  AppState state_;
};

TEST_F(PlayLiveTest, RepeatGuardSkipsASecondLoadWithin750Ms) {
  EXPECT_TRUE(PlayLive(state_, engine_, 10'000, {}));
  EXPECT_FALSE(PlayLive(state_, engine_, 10'500, {}));
  EXPECT_TRUE(PlayLive(state_, engine_, 10'800 + 500, {}));
  state_.playback.lastLiveLoadTick = 0;  // forces the next load
  EXPECT_TRUE(PlayLive(state_, engine_, 11'400, {}));
  EXPECT_EQ(Loads().size(), 3u);
}

TEST_F(PlayLiveTest, UrlUsesLiveFormatAndUserAgentPrecedesTheLoad) {
  state_.settings.LiveFormat.clear();
  state_.settings.SubSize = 2;
  PlayLive(state_, engine_, 1, {});
  ASSERT_EQ(calls_.size(), 3u);
  EXPECT_EQ(calls_[0], "user-agent=Vistra43/4.3");
  EXPECT_EQ(calls_[1], "load http://h:8080/live/u/p/101.ts");
  EXPECT_EQ(calls_[2], "sub-font-size=48");
  state_.settings.LiveFormat = u"m3u8";
  state_.settings.InternalPlayer = 1;
  state_.nav.ChannelIndex = 1;
  PlayLive(state_, engine_, 5'000, {});
  EXPECT_EQ(Loads().back(), "http://h:8080/live/u/p/102.m3u8");
  EXPECT_EQ(calls_[3], "user-agent=VLC/3.0.20 LibVLC/3.0.20");
}

TEST_F(PlayLiveTest, HistoryKeepsRepeatsNewestFirstAndStopsAtForty) {
  for (int i = 0; i < 45; ++i) {
    state_.nav.ChannelIndex = i % 3;
    state_.playback.lastLiveLoadTick = 0;
    PlayLive(state_, engine_, 1'000'000 + i, {});
  }
  ASSERT_EQ(state_.settings.HistoryLive.size(), 40u);
  EXPECT_EQ(state_.settings.HistoryLive.front(), u"103");  // the last play was index 44 % 3 == 2
  EXPECT_TRUE(state_.SettingsDirty);
  EXPECT_EQ(state_.CurrentChannelId, u"103");
}

TEST_F(PlayLiveTest, LockedChannelPlaysTheFirstPlayableInsteadWhenParentalIsOn) {
  state_.settings.ParentalOn = true;
  state_.settings.LockCh = {u"101", u"102"};
  state_.nav.ChannelIndex = 1;
  EXPECT_TRUE(PlayLive(state_, engine_, 1, {}));
  EXPECT_EQ(state_.nav.ChannelIndex, 2);
  EXPECT_EQ(Loads(), (std::vector<std::string>{"http://h:8080/live/u/p/103.ts"}));
}

TEST_F(PlayLiveTest, InvalidSelectionPlaysNothing) {
  state_.nav.ChannelIndex = 3;
  EXPECT_FALSE(PlayLive(state_, engine_, 1, {}));
  EXPECT_TRUE(calls_.empty());
}

}  // namespace
