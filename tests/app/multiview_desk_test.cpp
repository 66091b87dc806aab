// The multi-view's players over the fake engine: the first tile keeps the
// stream that plays, the further tiles open as the connection limit allows,
// only the focused tile is heard, filling the window stops the others and
// going back starts them again, a failed tile frees its connection, and
// closing leaves the focused channel on the one main Player.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/multiview_desk.h"
#include "catalog/visible_list.h"
#include "platform/clock.h"
#include "tests/catalog/test_items.h"
#include "tests/fixtures/fake_mpv.h"

namespace {

class MultiViewDeskTest : public ::testing::Test {
 protected:
  MultiViewDeskTest() {
    g_fake = &fake;
    main.SetEngineHooks(Hooks());
    main.Init(MpvLibrary::FromTable(FakeMpvTable()));
    auto live = TestChannels(u"10", 6);
    state.catalog.LiveChannels = live;
    RebuildLiveList(state.catalog, state.settings, state.nav.live, state.VisibleLive);
    state.account = XtreamAccount{u"http://tv.example", u"u", u"p", true};
    state.settings.Volume = 70;
    PlayMain(0);
    fake.calls.clear();
    fake.byHandle.clear();
  }
  ~MultiViewDeskTest() override {
    desk.Shutdown();
    main.Shutdown();
    g_fake = nullptr;
  }

  static MediaEngineHooks Hooks() {
    MediaEngineHooks hooks;
    hooks.resolveUrl = [](const std::u16string& url) { return url; };
    return hooks;
  }
  void PlayMain(int index) {
    PlayRequest request;
    request.channel = state.VisibleLive[size_t(index)];
    request.url = u"http://tv.example/live/u/p/" + std::u16string(request.channel.id()) + u".ts";
    main.Play(request, 1);
    state.nav.ChannelIndex = index;
  }
  void LimitTo(int connections) {
    AccountCheck check;
    check.line = AccountLine{};
    check.line->maxConnections = connections;
    state.provider.check = check;
  }
  // What the engine of tile `tile` was told, in order.
  const std::vector<std::string>& CallsOf(int tile) {
    const size_t slot = size_t(tile);
    return fake.byHandle[PlayerOf(slot).Engine().Handle()];
  }
  Player& PlayerOf(size_t slot) { return slot == 0 ? main : *started.at(slot - 1); }
  std::string LastVolume(int tile) {
    const auto& calls = CallsOf(tile);
    for (auto it = calls.rbegin(); it != calls.rend(); ++it)
      if (it->rfind("property volume=", 0) == 0) return it->substr(16);
    return "";
  }
  bool Loaded(int tile, std::string_view id) {
    const auto& calls = CallsOf(tile);
    return std::any_of(calls.begin(), calls.end(), [&](const std::string& c) {
      return c.rfind("command [loadfile]", 0) == 0 && c.find("/" + std::string(id) + ".ts") != std::string::npos;
    });
  }
  size_t Count(int tile, std::string_view prefix) {
    const auto& calls = CallsOf(tile);
    return size_t(std::count_if(calls.begin(), calls.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
  }
  std::vector<std::u16string> TileIds() const {
    std::vector<std::u16string> ids;
    for (const ViewTile& t : state.multiView.tiles) ids.emplace_back(t.channel.id());
    return ids;
  }

  FakePlayer fake;
  Player main;
  AppState state;
  HostWindow window;  // never created: the tiles are handed to it, nothing is drawn
  std::vector<Player*> started;
  int mainPlays = 0;
  int pinAsks = 0;  // a locked channel's PIN is asked, and the prompt cancelled
  MultiViewDesk desk{state, window, main,
                     [this]() -> std::optional<std::u16string> {
                       ++pinAsks;
                       return std::nullopt;
                     },
                     [this] { ++mainPlays; },
                     [this](Player& player) {
                       player.SetEngineHooks(Hooks());
                       started.push_back(&player);
                       return player.Init(MpvLibrary::FromTable(FakeMpvTable()));
                     }};
};

TEST_F(MultiViewDeskTest, FourTilesOpenWithTheStreamThatPlaysFirstAndOnlyTheFocusedOneIsHeard) {
  fake.properties["current-ao"] = "pulse";
  ASSERT_TRUE(desk.Open());
  EXPECT_EQ(TileIds(), (std::vector<std::u16string>{u"101", u"102", u"103", u"104"}));
  ASSERT_EQ(started.size(), 3u);
  // Each tile's engine opens the main player's sound output, never probing.
  EXPECT_EQ(FakeCount(fake, "option ao=pulse"), 3u);
  EXPECT_EQ(Count(0, "command [loadfile]"), 0u) << "the first tile keeps its stream";
  EXPECT_TRUE(Loaded(1, "102") && Loaded(2, "103") && Loaded(3, "104"));
  EXPECT_EQ(LastVolume(0), "70");
  EXPECT_EQ(LastVolume(1), "0");
  EXPECT_EQ(LastVolume(3), "0");
  desk.Place(1280, 720);
  ASSERT_EQ(window.VideoTiles().size(), 4u);
  EXPECT_EQ(window.VideoTiles()[3].rect, (PixelRect{640, 360, 640, 360}));

  desk.Focus(2);
  EXPECT_EQ(LastVolume(0), "0");
  EXPECT_EQ(LastVolume(2), "70");
  state.settings.Volume = 40;
  desk.ApplyVolumes();
  EXPECT_EQ(LastVolume(2), "40");
  EXPECT_EQ(LastVolume(1), "0");
}

TEST_F(MultiViewDeskTest, TheConnectionLimitCapsTheTilesAndIsSaid) {
  LimitTo(2);
  ASSERT_TRUE(desk.Open());
  EXPECT_EQ(TileIds().size(), 2u);
  EXPECT_EQ(started.size(), 1u) << "no engine beyond the limit";
  EXPECT_EQ(FakeCount(fake, std::string("option ao=") + kConcurrentAudioOutputs), 1u)
      << "without the main player's output the tile probes, JACK left out";
  EXPECT_NE(state.toast.text.find(u"2"), std::u16string::npos) << "the limit is told";
  state.toast.text.clear();
  desk.AddTile();
  EXPECT_EQ(TileIds().size(), 2u);
  EXPECT_NE(state.toast.text.find(u"2"), std::u16string::npos) << "asking for more tells it again";
  desk.Close();

  LimitTo(1);
  EXPECT_FALSE(desk.Open()) << "one connection is the main tile alone";
  EXPECT_FALSE(state.multiView.Open());
  LimitTo(0);  // some panels write 0 for no limit
  EXPECT_TRUE(desk.Open());
  EXPECT_EQ(TileIds().size(), 4u);
}

// Another stream of the line (a recording) keeps its slot: the tiles get
// only the slots nobody else holds.
TEST_F(MultiViewDeskTest, TilesAreOfferedOnlyForTheSlotsNoOtherStreamHolds) {
  state.connections.SetLimitSource([this] { return state.provider.MaxConnections(); });
  main.SetBudget(&state.connections, "main");
  LimitTo(3);
  PlayMain(1);
  ASSERT_TRUE(state.connections.Take("rec"));
  ASSERT_TRUE(desk.Open());
  EXPECT_EQ(TileIds().size(), 2u);
  EXPECT_EQ(state.connections.Held(), 3);
  desk.Close();
  EXPECT_EQ(state.connections.Holders(), (std::vector<std::string>{"main", "rec"}));

  LimitTo(2);
  EXPECT_FALSE(desk.Open()) << "one tile: the main one alone";
  state.connections.Give("rec");
  ASSERT_TRUE(desk.Open());
  EXPECT_EQ(TileIds().size(), 2u);
  desk.Shutdown();
  main.SetBudget(nullptr, "");  // the state goes before the main Player
}

TEST_F(MultiViewDeskTest, FillingStopsTheOthersAndGoingBackStartsThemInTheirPlaces) {
  ASSERT_TRUE(desk.Open());
  desk.Focus(1);
  fake.byHandle.clear();
  desk.Fill();
  EXPECT_EQ(Count(0, "command [stop]"), 1u);
  EXPECT_EQ(Count(2, "command [stop]"), 1u);
  EXPECT_EQ(Count(3, "command [stop]"), 1u);
  EXPECT_EQ(Count(1, "command [stop]"), 0u) << "the filled tile plays on";
  const size_t loadsBefore = Count(0, "command [loadfile]");
  desk.Unfill();
  EXPECT_EQ(Count(0, "command [loadfile]"), loadsBefore + 1) << "the first tile's stream opens again";
  EXPECT_TRUE(Loaded(2, "103") && Loaded(3, "104"));
  EXPECT_EQ(TileIds(), (std::vector<std::u16string>{u"101", u"102", u"103", u"104"}));
  EXPECT_EQ(LastVolume(0), "0") << "restarted tiles stay muted";
}

TEST_F(MultiViewDeskTest, ZapsReuseTheTileAndSkipChannelsOtherTilesShow) {
  ASSERT_TRUE(desk.Open());
  desk.Focus(3);
  fake.byHandle.clear();
  desk.StepChannel(+1);
  EXPECT_EQ(TileIds()[3], u"105");
  EXPECT_EQ(Count(3, "command [stop]"), 1u) << "the old stream ends before the new one opens";
  desk.StepChannel(-1);
  desk.StepChannel(-1);
  EXPECT_EQ(TileIds()[3], u"106") << "back past 104 and over 103..101, which other tiles show";
  desk.SetChannel(0, state.VisibleLive[4]);
  EXPECT_TRUE(Loaded(0, "105"));
}

TEST_F(MultiViewDeskTest, RemovedTilesFreeTheirSlotAndAFailedTileStopsUntilAnotherChannelIsPicked) {
  ASSERT_TRUE(desk.Open());
  desk.Focus(1);
  desk.RemoveTile();
  EXPECT_EQ(TileIds(), (std::vector<std::u16string>{u"101", u"103", u"104"}));
  EXPECT_EQ(state.multiView.focus, 1);
  EXPECT_EQ(window.VideoTiles().size(), 3u);
  desk.AddTile();
  EXPECT_EQ(TileIds(), (std::vector<std::u16string>{u"101", u"103", u"104", u"105"}));
  EXPECT_EQ(started.size(), 3u) << "the freed player took the new tile";

  fake.properties["idle-active"] = "yes";  // every further stream went idle
  desk.Tick(TickMs() + 10000);
  EXPECT_TRUE(state.multiView.tiles[1].failed && state.multiView.tiles[3].failed);
  EXPECT_FALSE(state.multiView.tiles[0].failed) << "the main tile is watched by its owner";
  fake.properties.erase("idle-active");
  desk.Focus(1);
  desk.StepChannel(+1);
  EXPECT_FALSE(state.multiView.tiles[1].failed);
}

TEST_F(MultiViewDeskTest, ClosingLeavesTheFocusedChannelOnTheMainPlayer) {
  ASSERT_TRUE(desk.Open());
  fake.byHandle.clear();
  desk.Close();
  EXPECT_EQ(mainPlays, 0) << "the main tile's own channel goes on as it is";
  EXPECT_EQ(Count(1, "command [stop]"), 1u);
  EXPECT_FALSE(state.multiView.Open());

  ASSERT_TRUE(desk.Open());
  desk.Focus(2);
  desk.Close();
  EXPECT_EQ(mainPlays, 1);
  EXPECT_EQ(state.nav.ChannelIndex, 2) << "the Live list follows the focused channel";
  EXPECT_EQ(LastVolume(0), "70");
}

}  // namespace
