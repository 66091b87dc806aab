// The connection budget against the real engine and the stand-in provider:
// what the provider sees of the streams the Players open, counted by its
// media routes. Skipped without the generated demo media.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "net/text.h"
#include "player/player.h"
#include "state/connection_budget.h"
#include "tests/catalog/test_items.h"
#include "tests/fixtures/demo_provider.h"
#include "tests/fixtures/stand_in_server.h"
#include "tests/fixtures/stream_connections.h"
#include "tests/fixtures/temp_data_home.h"

namespace {

using namespace std::chrono_literals;

// Generous: the machine is shared. A wait only fails when the state never
// comes.
constexpr auto kStateLimit = 30s;

class ConnectionBudgetStreamsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!DemoMediaReady(DemoMediaFolder())) GTEST_SKIP() << "no demo media (scripts/make-demo-media.sh)";
    home_.CreateFolder();
    DemoOptions options;
    options.liveReadAhead = true;
    demo_ = AddDemoProvider(server_, options);
    ASSERT_TRUE(server_.Start());
    budget_.SetLimitSource([this] { return std::optional<int32_t>(limit_); });
    MediaEngineHooks hooks;
    hooks.extraOptions = {{"vo", "null"}, {"ao", "null"}};
    for (int n = 0; n < 3; ++n) {
      players_[n].SetEngineHooks(hooks);
      ASSERT_TRUE(players_[n].Init());
      players_[n].SetBudget(&budget_, n == 0 ? "main" : "tile" + std::to_string(n));
    }
  }
  // Every stream closes before the server stops (a reading client would
  // keep its shutdown waiting).
  void TearDown() override {
    for (Player& player : players_) player.Shutdown();
    server_.Stop();
  }

  PlayRequest Live(const std::string& id) {
    PlayRequest request;
    request.kind = PlayKind::Live;
    request.channel = TestChannel(Utf8ToWide(id));
    request.url = request.channelUrl = Utf8ToWide(server_.BaseUrl() + "/live/demo/demo/" + id + ".ts");
    return request;
  }
  bool Playing(Player& player) {
    const auto deadline = std::chrono::steady_clock::now() + kStateLimit;
    while (std::chrono::steady_clock::now() < deadline) {
      player.Engine().DrainEvents();
      if (!player.Property("time-pos").empty()) return true;
      std::this_thread::sleep_for(20ms);
    }
    return false;
  }
  size_t RequestsFor(const std::string& id) { return server_.RequestsTo("/live/demo/demo/" + id + ".ts").size(); }

  TempDataHome home_;
  StandInServer server_;
  DemoProvider demo_;
  int32_t limit_ = 1;
  ConnectionBudget budget_;
  Player players_[3];
};

TEST_F(ConnectionBudgetStreamsTest, AtOneTheSecondStreamNeverOpensAndFastZapsNeverOverlap) {
  Player& main = players_[0];
  Player& other = players_[1];
  ASSERT_TRUE(main.Play(Live("101"), 1000));
  ASSERT_TRUE(Playing(main));

  EXPECT_FALSE(other.Play(Live("102"), 2000));
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(RequestsFor("102"), 0u) << "refused before anything opened";

  // Channel changes as fast as a held key makes them: the engine closes
  // the old stream before it asks for the new one.
  uint64_t now = 3000;
  for (const char* id : {"102", "103", "104", "105", "106", "102", "103", "104"}) {
    ASSERT_TRUE(main.Play(Live(id), now += 100));
    std::this_thread::sleep_for(100ms);
  }
  ASSERT_TRUE(Playing(main));
  EXPECT_EQ(budget_.Holders(), std::vector<std::string>{"main"});
  EXPECT_EQ(demo_.connections->Peak(), 1) << "while zapping";

  // Leaving one stream for another: the slot goes back once the engine has
  // closed it, and the other Player gets it.
  main.Stop();
  EXPECT_FALSE(main.HoldsSlot());
  ASSERT_TRUE(other.Play(Live("107"), now + 1000));
  ASSERT_TRUE(Playing(other));
  EXPECT_EQ(demo_.connections->Peak(), 1);
  const std::string log = home_.LogText();
  EXPECT_NE(log.find("conn take main 1/1\n"), std::string::npos);
  EXPECT_NE(log.find("conn give main 0/1\nconn take tile1 1/1\n"), std::string::npos);
}

TEST_F(ConnectionBudgetStreamsTest, AtTwoTwoStreamsRunAndAThirdIsRefused) {
  limit_ = 2;
  ASSERT_TRUE(players_[0].Play(Live("101"), 1000));
  ASSERT_TRUE(players_[1].Play(Live("102"), 1000));
  ASSERT_TRUE(Playing(players_[0]));
  ASSERT_TRUE(Playing(players_[1]));
  EXPECT_FALSE(players_[2].Play(Live("103"), 2000));
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(RequestsFor("103"), 0u);
  EXPECT_EQ(demo_.connections->Now(), 2);
  EXPECT_EQ(demo_.connections->Peak(), 2);
}

}  // namespace
