#include "player/media_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tests/fixtures/fake_mpv.h"
#include "tests/fixtures/temp_folder.h"

namespace {

const std::string kOscItems = "osc-visibility=never,osc-hidetimeout=2500,osc-layout=bottombar,osc-boxalpha=140";

// One attempt at a player, from its "create": the options up to the
// renderer's, then the renderer's and what follows.
struct Attempt {
  std::vector<std::string> base, renderer;
};

std::vector<Attempt> Attempts(const std::vector<std::string>& calls) {
  std::vector<Attempt> attempts;
  for (const std::string& call : calls) {
    if (call == "create") {
      attempts.emplace_back();
    } else if (!attempts.empty()) {
      Attempt& a = attempts.back();
      (a.renderer.empty() && call.rfind("option vo=", 0) != 0 ? a.base : a.renderer).push_back(call);
    }
  }
  return attempts;
}

class MediaEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_fake = &fake_;
    unsetenv("VISTRA_FORCE_SW_RENDER");
    hooks_.programFolder = folder_.Path();
  }
  void TearDown() override {
    engine_.Shutdown();
    unsetenv("VISTRA_FORCE_SW_RENDER");
    g_fake = nullptr;
  }

  // Initialises on the given table and forgets the start-up calls.
  void StartReady(const MpvEntryPoints& table = FakeMpvTable()) {
    engine_.SetHooks(hooks_);
    ASSERT_TRUE(engine_.Init(MpvLibrary::FromTable(table)));
    fake_.calls.clear();
  }

  FakePlayer fake_;
  TempFolder folder_;
  MediaEngineHooks hooks_;
  MediaEngine engine_;
};

// The start-up calls of each way to a player: the preferred renderer; the
// safe one after a failed first initialisation (a new player with the same
// base options again); the safe one from the start under the test switch.
// What each base option is, the real engine reads back (media_engine_itest).
TEST_F(MediaEngineTest, EachAttemptAppliesTheBaseOptionsThenItsRenderersInOrder) {
  const std::vector<std::string> preferred = {"option vo=libmpv", "option hwdec=auto",
                                              "option script-opts=" + kOscItems, "initialize"};
  const std::vector<std::string> safe = {"option vo=libmpv", "option hwdec=no", "initialize"};
  std::vector<std::string> failedPreferred = preferred;
  failedPreferred.push_back("destroy");
  struct Case {
    const char* name;
    std::deque<int> results;
    bool forceSafe;
    std::vector<std::vector<std::string>> renderers;
    VideoRenderer renderer;
  };
  const Case cases[] = {
      {"preferred", {}, false, {preferred}, VideoRenderer::Preferred},
      {"fallback", {-1, 0}, false, {failedPreferred, safe}, VideoRenderer::Safe},
      {"test switch", {}, true, {safe}, VideoRenderer::Safe},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake_.calls.clear();
    fake_.initializeResults = c.results;
    if (c.forceSafe) setenv("VISTRA_FORCE_SW_RENDER", "1", 1);
    MediaEngine engine;
    engine.SetHooks(hooks_);
    ASSERT_TRUE(engine.Init(MpvLibrary::FromTable(FakeMpvTable())));
    const std::vector<Attempt> attempts = Attempts(fake_.calls);
    ASSERT_EQ(attempts.size(), c.renderers.size());
    for (size_t i = 0; i < attempts.size(); ++i) {
      EXPECT_EQ(attempts[i].renderer, c.renderers[i]);
      EXPECT_EQ(attempts[i].base, attempts[0].base) << "every attempt starts from the same base";
    }
    EXPECT_GT(attempts[0].base.size(), 10u);
    for (const std::string& call : attempts[0].base) EXPECT_EQ(call.rfind("option ", 0), 0u) << call;
    EXPECT_TRUE(engine.Ready());
    EXPECT_EQ(engine.Renderer(), c.renderer);
    engine.Shutdown();
  }
}

TEST_F(MediaEngineTest, ScriptOptionsNameYtDlpOnlyWhenItSitsBesideTheProgram) {
  std::ofstream(folder_.Path() / "yt-dlp") << "#!/bin/sh\n";
  engine_.SetHooks(hooks_);
  ASSERT_TRUE(engine_.Init(MpvLibrary::FromTable(FakeMpvTable())));
  const std::string expected =
      "option script-opts=" + kOscItems + ",ytdl_hook-ytdl_path=" + (folder_.Path() / "yt-dlp").string();
  EXPECT_NE(std::find(fake_.calls.begin(), fake_.calls.end(), expected), fake_.calls.end());
}

TEST_F(MediaEngineTest, BothAttemptsFailingLeaveTheEngineNotReady) {
  fake_.initializeResults = {-1, -4};
  engine_.SetHooks(hooks_);
  EXPECT_FALSE(engine_.Init(MpvLibrary::FromTable(FakeMpvTable())));
  EXPECT_EQ(std::count(fake_.calls.begin(), fake_.calls.end(), "destroy"), 2);
  EXPECT_FALSE(engine_.Ready());
  EXPECT_EQ(engine_.Renderer(), VideoRenderer::None);
  fake_.calls.clear();
  engine_.LoadUrl(u"http://127.0.0.1/a.ts");
  engine_.SetVolume(50);
  engine_.Shutdown();
  EXPECT_TRUE(fake_.calls.empty());
}

TEST_F(MediaEngineTest, ExtraOptionsComeLastAndFirstAttemptOnesAreNotRepeated) {
  fake_.initializeResults = {-1, 0};
  hooks_.extraOptions = {{"vo", "null", false}, {"o", "/tmp/x.bogus", true}};
  engine_.SetHooks(hooks_);
  ASSERT_TRUE(engine_.Init(MpvLibrary::FromTable(FakeMpvTable())));
  EXPECT_EQ(std::count(fake_.calls.begin(), fake_.calls.end(), "option vo=null"), 2);
  EXPECT_EQ(std::count(fake_.calls.begin(), fake_.calls.end(), "option o=/tmp/x.bogus"), 1);
  const auto firstInit = std::find(fake_.calls.begin(), fake_.calls.end(), "initialize");
  EXPECT_EQ(*(firstInit - 1), "option o=/tmp/x.bogus");
  EXPECT_EQ(*(firstInit - 2), "option vo=null");
  EXPECT_EQ(*(fake_.calls.end() - 2), "option vo=null");
}

// What the real engine cannot show: the volume goes to the output's too,
// seconds are printed as %g prints them, and an overlay without a format is
// not sent. (What each writer sets, the real engine reads back:
// media_engine_itest.)
TEST_F(MediaEngineTest, VolumeReachesTheOutputSecondsAreShortAndAFormatlessOverlayIsNotSent) {
  StartReady();
  engine_.SetVolume(250);
  engine_.SeekAbsolute(1234.5678);
  engine_.SeekRelative(-10);
  engine_.SetOverlay(1, "", "data");
  EXPECT_EQ(fake_.calls, (std::vector<std::string>{"property volume=100", "property ao-volume=100",
                                                   "command [seek] [1234.57] [absolute+exact]",
                                                   "command [seek] [-10] [relative+exact]"}));
}

TEST_F(MediaEngineTest, PauseIsReadFromItsFirstLetter) {
  StartReady();
  EXPECT_FALSE(engine_.IsPaused());
  engine_.TogglePause();  // unreadable counts as playing: the toggle pauses
  fake_.properties["pause"] = "yes";
  EXPECT_TRUE(engine_.IsPaused());
  EXPECT_EQ(engine_.GetProperty("pause"), u"yes");
  engine_.TogglePause();
  fake_.properties["pause"] = "no";
  engine_.TogglePause();
  EXPECT_EQ(fake_.calls, (std::vector<std::string>{"property pause=yes", "property pause=no", "property pause=yes"}));
}

TEST_F(MediaEngineTest, PropertyTextIsConvertedFromUtf8) {
  StartReady();
  fake_.properties["track-list/1/title"] = "Fran\xC3\xA7" "ais";
  EXPECT_EQ(engine_.GetProperty("track-list/1/title"), u"Fran\u00e7ais");
  EXPECT_EQ(engine_.GetProperty("duration"), u"");
}

TEST_F(MediaEngineTest, LoadResolvesThenReplacesAndUnpauses) {
  hooks_.resolveUrl = [](const std::u16string& url) {
    return url == u"https://www.youtube.com/watch?v=k" ? u"https://media.example/v.mp4" : url;
  };
  StartReady();
  engine_.LoadUrl(u"https://www.youtube.com/watch?v=k");
  engine_.LoadUrl(u"http://127.0.0.1:8080/live/u/p/7.ts");
  EXPECT_EQ(fake_.calls, (std::vector<std::string>{
                             "command [loadfile] [https://media.example/v.mp4] [replace]",
                             "property pause=no",
                             "command [loadfile] [http://127.0.0.1:8080/live/u/p/7.ts] [replace]",
                             "property pause=no",
                         }));
}

// The outputs the first playing load chose are set for the later ones,
// once: no load probes the audio outputs and decoders again.
TEST_F(MediaEngineTest, LoadsKeepTheFirstAudioOutputAndDecoderChosen) {
  StartReady();
  engine_.LoadUrl(u"http://127.0.0.1/1.ts");  // nothing chosen yet
  fake_.properties["current-ao"] = "pulse";
  fake_.properties["hwdec-current"] = "vaapi";
  engine_.LoadUrl(u"http://127.0.0.1/2.ts");
  fake_.properties["current-ao"] = "alsa";
  engine_.LoadUrl(u"http://127.0.0.1/3.ts");
  EXPECT_EQ(fake_.calls, (std::vector<std::string>{
                             "command [loadfile] [http://127.0.0.1/1.ts] [replace]", "property pause=no",
                             "property ao=pulse", "property hwdec=vaapi",
                             "command [loadfile] [http://127.0.0.1/2.ts] [replace]", "property pause=no",
                             "command [loadfile] [http://127.0.0.1/3.ts] [replace]", "property pause=no",
                         }));
}

TEST_F(MediaEngineTest, EmptyUrlSendsNothingAndLeavesPause) {
  StartReady();
  engine_.LoadUrl(u"");
  EXPECT_TRUE(fake_.calls.empty());
}

TEST_F(MediaEngineTest, MissingOptionalEntryPointsSilenceWhatNeedsThem) {
  MpvEntryPoints table = FakeMpvTable();
  table.setPropertyString = nullptr;
  table.free = nullptr;  // a read could not be released, so nothing is read
  fake_.properties["pause"] = "yes";
  StartReady(table);
  engine_.LoadUrl(u"http://127.0.0.1/a.ts");
  engine_.SetVolume(50);
  engine_.TogglePause();
  EXPECT_EQ(engine_.GetProperty("pause"), u"");
  EXPECT_FALSE(engine_.IsPaused());
  EXPECT_EQ(fake_.calls, (std::vector<std::string>{"command [loadfile] [http://127.0.0.1/a.ts] [replace]"}));
}

TEST_F(MediaEngineTest, MissingRequiredEntryPointKeepsTheEngineNotReady) {
  MpvEntryPoints table = FakeMpvTable();
  table.command = nullptr;
  engine_.SetHooks(hooks_);
  EXPECT_FALSE(engine_.Init(MpvLibrary::FromTable(table)));
  EXPECT_FALSE(engine_.Ready());
  EXPECT_TRUE(fake_.calls.empty());  // not even created
}

TEST_F(MediaEngineTest, MissingLibraryMakesEveryOperationANoOp) {
  MpvLibrary missing = MpvLibrary::LoadFrom((folder_.Path() / "libmpv.so.2").string());
  EXPECT_FALSE(missing.Loaded());
  EXPECT_FALSE(engine_.Init(std::move(missing)));
  EXPECT_FALSE(engine_.Ready());
  EXPECT_EQ(engine_.Renderer(), VideoRenderer::None);
  EXPECT_EQ(engine_.Handle(), nullptr);
  engine_.LoadUrl(u"http://127.0.0.1/a.ts");
  engine_.Stop();
  engine_.SeekAbsolute(3);
  engine_.SeekRelative(-3);
  engine_.SetPaused(false);
  engine_.TogglePause();
  engine_.SetVolume(10);
  engine_.SetOverlay(1, "none", "");
  engine_.RemoveOverlay(1);
  engine_.SetAspect("");
  engine_.SetSubtitleSize(32);
  engine_.SetSubtitleColor("#FFFFFF");
  engine_.SetSubtitleVisible(true);
  engine_.SetProperty("sid", "auto");
  engine_.DrainEvents();
  EXPECT_EQ(engine_.GetProperty("time-pos"), u"");
  EXPECT_FALSE(engine_.IsPaused());
  engine_.Shutdown();
  EXPECT_TRUE(fake_.calls.empty());
}

TEST_F(MediaEngineTest, ShutdownReleasesTheRenderContextBeforeDestroying) {
  StartReady();
  engine_.SetRenderRelease([this] { fake_.calls.push_back("release render context"); });
  engine_.Shutdown();
  engine_.Shutdown();
  EXPECT_EQ(fake_.calls, (std::vector<std::string>{"release render context", "destroy"}));
  EXPECT_FALSE(engine_.Ready());
  engine_.SetVolume(10);
  EXPECT_EQ(fake_.calls.size(), 2u);
}

// The player's core may wait for its video output, and the output for the
// main thread to render a frame: a property read then ends only because the
// main thread, waiting for it, renders that frame (the read itself runs on
// the engine's thread). Without a video layer the read is made directly.
std::atomic<bool> g_frameRendered{false};
std::thread::id g_readOn;

char* ReadOnceTheFrameIsRendered(mpv_handle* handle, const char* name) {
  g_readOn = std::this_thread::get_id();
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!g_frameRendered && std::chrono::steady_clock::now() < giveUp) std::this_thread::yield();
  return g_frameRendered ? FakeGetProperty(handle, name) : nullptr;
}

TEST_F(MediaEngineTest, AReadWaitingForARenderedFrameEndsOnceTheMainThreadServesIt) {
  MpvEntryPoints table = FakeMpvTable();
  table.getPropertyString = ReadOnceTheFrameIsRendered;
  StartReady(table);
  fake_.properties["time-pos"] = "12.5";
  std::thread::id servedOn;
  engine_.SetFrameService([&] {
    servedOn = std::this_thread::get_id();
    g_frameRendered = true;
  });
  EXPECT_EQ(engine_.GetProperty("time-pos"), u"12.5");
  EXPECT_EQ(servedOn, std::this_thread::get_id());
  EXPECT_NE(g_readOn, std::this_thread::get_id());
  engine_.SetProperty("pause", "yes");
  EXPECT_EQ(fake_.calls, (std::vector<std::string>{"property pause=yes"}));

  engine_.SetFrameService(nullptr);
  EXPECT_EQ(engine_.GetProperty("time-pos"), u"12.5");
  EXPECT_EQ(g_readOn, std::this_thread::get_id());
}

}  // namespace
