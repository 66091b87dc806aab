#pragma once
// The video tile's Player over the fake engine, with the application's state
// pointed at it as the application points it: an Xtream account at
// http://h:8080 (user u, password p) and, once SetChannels ran, a live list
// to play from with its first channel highlighted.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "catalog/visible_list.h"
#include "player/player.h"
#include "state/app_state.h"
#include "tests/catalog/test_items.h"
#include "tests/fixtures/fake_mpv.h"
#include "tests/fixtures/temp_data_home.h"

// A live play of channel `id` of the fixture's account, as the list starts it.
inline PlayRequest TestLivePlay(std::u16string_view id) {
  PlayRequest request;
  request.kind = PlayKind::Live;
  request.channel = TestChannel(id);
  request.url = request.channelUrl = u"http://h:8080/live/u/p/" + std::u16string(id) + u".ts";
  return request;
}

class PlayerFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tile_.ready);
    state_.playing = &player_.Playback();
    state_.account = DeriveXtreamSource(u"http://h:8080/get.php?username=u&password=p");
  }

  // The live channels `ids` (TestChannel's), the first one highlighted.
  void SetChannels(std::initializer_list<std::u16string_view> ids) {
    auto channels = std::make_shared<ItemList>();
    for (std::u16string_view id : ids) channels->push_back(TestChannel(id));
    state_.catalog.LiveChannels = channels;
    RebuildLiveList(state_.catalog, state_.settings, state_.nav.live, state_.VisibleLive);
    state_.nav.ChannelIndex = 0;
  }

  size_t Events(PlayerEvent::Kind kind) const {
    return size_t(std::count_if(tile_.events.begin(), tile_.events.end(),
                                [kind](const PlayerEvent& e) { return e.kind == kind; }));
  }

  TempDataHome home_;
  FakeTilePlayer tile_;
  FakePlayer& fake_ = tile_.fake;
  Player& player_ = tile_.player;
  AppState state_;
};
