// The media engine against the real libmpv, headless ("vo" and "ao" =
// "null"), on a clip made by ffmpeg for the run.
#include "player/media_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "net/text.h"
#include "player/tracks.h"
#include "tests/fixtures/media_clips.h"
#include "tests/fixtures/temp_folder.h"

namespace {

using namespace std::chrono_literals;

// Generous: the machine is shared. A wait only fails when the state never
// comes.
constexpr auto kStateLimit = 30s;

double AsNumber(const std::u16string& text) {
  if (text.empty()) return -1;
  return std::strtod(WideToUtf8(text).c_str(), nullptr);
}

bool WaitFor(MediaEngine& engine, const std::function<bool()>& reached) {
  const auto deadline = std::chrono::steady_clock::now() + kStateLimit;
  while (std::chrono::steady_clock::now() < deadline) {
    engine.DrainEvents();
    if (reached()) return true;
    std::this_thread::sleep_for(10ms);
  }
  return reached();
}

class MediaEngineRealTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TempFolder;
    clip_ = new std::filesystem::path(MakeTestClip(folder_->Path()));
  }
  static void TearDownTestSuite() {
    delete clip_;
    delete folder_;
  }

  void SetUp() override {
    ASSERT_FALSE(clip_->empty()) << "ffmpeg could not make the test clip";
    unsetenv("VISTRA_FORCE_SW_RENDER");
    hooks_.extraOptions = {{"vo", "null"}, {"ao", "null"}};
  }
  void TearDown() override { unsetenv("VISTRA_FORCE_SW_RENDER"); }

  bool Start() {
    engine_.SetHooks(hooks_);
    return engine_.Init();
  }
  std::u16string ClipUrl() const { return clip_->u16string(); }
  double Number(const char* property) const { return AsNumber(engine_.GetProperty(property)); }
  bool Playing() {
    return WaitFor(engine_, [&] { return Number("duration") > 0 && Number("time-pos") >= 0; });
  }

  static TempFolder* folder_;
  static std::filesystem::path* clip_;
  MediaEngineHooks hooks_;
  MediaEngine engine_;
};
TempFolder* MediaEngineRealTest::folder_ = nullptr;
std::filesystem::path* MediaEngineRealTest::clip_ = nullptr;

TEST(MpvLibraryReal, OpensFromTheSystemWithEveryEntryPoint) {
  MpvLibrary library = MpvLibrary::Load();
  ASSERT_TRUE(library.Loaded());
  EXPECT_TRUE(library.Api().HasRequired());
  EXPECT_TRUE(library.Api().HasRenderApi());
  EXPECT_NE(library.Api().waitEvent, nullptr);
  EXPECT_EQ(library.Path(), "libmpv.so.2");  // nothing beside the test program
  library.Unload();
  EXPECT_FALSE(library.Loaded());

  EXPECT_FALSE(MpvLibrary::LoadFrom("/nonexistent/libmpv.so.2").Loaded());
}

TEST(MpvLibraryReal, CandidatesAreTheProgramFolderThenTheSystem) {
  EXPECT_EQ(MpvLibraryCandidates("/opt/vistra"),
            (std::vector<std::string>{"/opt/vistra/libmpv.so.2", "libmpv.so.2"}));
  EXPECT_EQ(MpvLibraryCandidates(""), (std::vector<std::string>{"libmpv.so.2"}));
}

// Every option the engine sets on a start, as the real player took it: each
// is accepted and reads back as written (numbers and sizes as the player
// prints them), so a misspelt name or a value it refuses cannot pass.
struct SetOption {
  std::string name, value;
  int result;
};
std::vector<SetOption> g_options;
int (*g_realSetOption)(mpv_handle*, const char*, const char*) = nullptr;

int RecordingSetOption(mpv_handle* handle, const char* name, const char* value) {
  const int result = g_realSetOption(handle, name, value);
  g_options.push_back({name, value, result});
  return result;
}

// The value as the player prints it back: "4" as "4.000000", "32MiB" in bytes.
bool ReadsBackAs(const std::string& written, const std::string& read) {
  if (written == read) return true;
  char* end = nullptr;
  const double number = std::strtod(written.c_str(), &end);
  if (end == written.c_str()) return false;
  const std::string unit = end;
  const double scale = unit.empty() ? 1 : unit == "MiB" ? 1024.0 * 1024 : 0;
  return scale > 0 && std::strtod(read.c_str(), nullptr) == number * scale;
}

TEST_F(MediaEngineRealTest, EveryOptionIsAcceptedAndReadsBackAsWritten) {
  MpvLibrary real = MpvLibrary::Load();
  ASSERT_TRUE(real.Loaded());
  MpvEntryPoints table = real.Api();
  g_realSetOption = table.setOptionString;
  table.setOptionString = RecordingSetOption;
  g_options.clear();
  engine_.SetHooks(hooks_);
  ASSERT_TRUE(engine_.Init(MpvLibrary::FromTable(table)));
  ASSERT_GT(g_options.size(), 10u);
  for (size_t i = 0; i < g_options.size(); ++i) {
    const SetOption& option = g_options[i];
    SCOPED_TRACE(option.name + "=" + option.value);
    EXPECT_EQ(option.result, 0);
    const bool setAgain = std::any_of(g_options.begin() + long(i) + 1, g_options.end(),
                                      [&](const SetOption& later) { return later.name == option.name; });
    if (setAgain) continue;  // the test's own "vo" and "ao" come last
    const std::string read = WideToUtf8(engine_.GetProperty(option.name.c_str()));
    EXPECT_TRUE(ReadsBackAs(option.value, read)) << read;
  }
  engine_.Shutdown();
}

TEST_F(MediaEngineRealTest, PlaysTheClipAndReportsItsTracks) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(engine_.Renderer(), VideoRenderer::Preferred);

  engine_.SetPaused(true);
  engine_.LoadUrl(ClipUrl());  // a load always plays
  ASSERT_TRUE(Playing());
  EXPECT_NEAR(Number("duration"), 10.0, 0.1);
  EXPECT_EQ(engine_.GetProperty("pause"), u"no");
  EXPECT_FALSE(engine_.IsPaused());
  EXPECT_EQ(engine_.GetProperty("eof-reached"), u"no");
  EXPECT_EQ(engine_.GetProperty("path"), ClipUrl());

  ASSERT_TRUE(WaitFor(engine_, [&] { return engine_.GetProperty("track-list/count") == u"4"; }));
  EXPECT_EQ(engine_.GetProperty("track-list/0/type"), u"video");
  EXPECT_EQ(engine_.GetProperty("track-list/1/type"), u"audio");
  EXPECT_EQ(engine_.GetProperty("track-list/1/lang"), u"eng");
  EXPECT_EQ(engine_.GetProperty("track-list/2/lang"), u"deu");
  EXPECT_EQ(engine_.GetProperty("track-list/3/type"), u"sub");
  EXPECT_EQ(engine_.GetProperty("track-list/9/type"), u"");  // no such track: empty, not an error
  EXPECT_EQ(engine_.GetProperty("video-params/w"), u"320");

  // Time moves while playing.
  const double first = Number("time-pos");
  EXPECT_TRUE(WaitFor(engine_, [&] { return Number("time-pos") > first + 0.2; }));
}

// The track picker's list from the player's own "track-list", and a choice
// written back switches the audio the player decodes.
TEST_F(MediaEngineRealTest, ListsTheClipsTracksAndSwitchesAudio) {
  ASSERT_TRUE(Start());
  EXPECT_TRUE(ListTracks(engine_, TrackKind::Audio).empty());  // nothing loaded yet
  engine_.LoadUrl(ClipUrl());
  int waits = 0;
  const auto audio = ListTracksWaiting(engine_, TrackKind::Audio, [&] {
    ++waits;
    engine_.DrainEvents();
    std::this_thread::sleep_for(80ms);
  });
  EXPECT_LE(waits, 20);
  ASSERT_EQ(audio.size(), 2u);
  EXPECT_EQ(audio[0].label, u"eng");
  EXPECT_EQ(audio[1].label, u"deu");
  const auto subtitles = ListTracks(engine_, TrackKind::Subtitle);
  ASSERT_EQ(subtitles.size(), 1u);
  EXPECT_EQ(subtitles[0].label, u"#1");  // the clip names neither its language nor a title
  EXPECT_EQ(HighlightedTrack(audio, engine_.GetProperty("aid")), 0);

  engine_.SetProperty(TrackProperty(TrackKind::Audio), std::to_string(audio[1].id));
  EXPECT_TRUE(WaitFor(engine_, [&] { return engine_.GetProperty("current-tracks/audio/lang") == u"deu"; }));
  EXPECT_EQ(HighlightedTrack(audio, engine_.GetProperty("aid")), 1);
}

TEST_F(MediaEngineRealTest, SeeksAbsoluteAndRelativeAndReachesTheEnd) {
  ASSERT_TRUE(Start());
  engine_.LoadUrl(ClipUrl());
  ASSERT_TRUE(Playing());

  engine_.SetPaused(true);
  EXPECT_TRUE(engine_.IsPaused());
  engine_.SeekAbsolute(5);
  EXPECT_TRUE(WaitFor(engine_, [&] { return std::abs(Number("time-pos") - 5.0) < 0.05; })) << Number("time-pos");
  engine_.SeekRelative(-2.5);
  EXPECT_TRUE(WaitFor(engine_, [&] { return std::abs(Number("time-pos") - 2.5) < 0.05; })) << Number("time-pos");

  engine_.TogglePause();
  EXPECT_FALSE(engine_.IsPaused());
  engine_.SeekAbsolute(9.5);
  // keep-open: the last frame stays and "eof-reached" says the file ended.
  EXPECT_TRUE(WaitFor(engine_, [&] { return engine_.GetProperty("eof-reached") == u"yes"; }));
  EXPECT_EQ(engine_.GetProperty("idle-active"), u"no");

  engine_.Stop();
  EXPECT_TRUE(WaitFor(engine_, [&] { return engine_.GetProperty("idle-active") == u"yes"; }));
}

TEST_F(MediaEngineRealTest, PreferencesReachThePlayer) {
  ASSERT_TRUE(Start());
  engine_.LoadUrl(ClipUrl());
  ASSERT_TRUE(Playing());
  engine_.SetVolume(250);
  EXPECT_EQ(AsNumber(engine_.GetProperty("volume")), 100);
  engine_.SetVolume(-5);
  EXPECT_EQ(AsNumber(engine_.GetProperty("volume")), 0);
  engine_.SetSubtitleSize(48);
  EXPECT_EQ(AsNumber(engine_.GetProperty("sub-font-size")), 48);
  engine_.SetSubtitleVisible(false);
  EXPECT_EQ(engine_.GetProperty("sub-visibility"), u"no");
  engine_.SetSubtitleColor("#FFFF00");
  EXPECT_EQ(engine_.GetProperty("sub-color"), u"#FFFFFF00");
  engine_.SetAspect("16:9");
  EXPECT_NEAR(AsNumber(engine_.GetProperty("video-aspect-override")), 16.0 / 9.0, 0.001);
  engine_.SetAspect("");
  EXPECT_EQ(AsNumber(engine_.GetProperty("video-aspect-override")), -1);
  engine_.SetOverlay(1, "none", "");
  engine_.RemoveOverlay(1);
  EXPECT_TRUE(WaitFor(engine_, [&] { return Number("time-pos") > 0.5; }));  // still playing after all that
}

TEST_F(MediaEngineRealTest, MissingFileLeavesThePlayerIdle) {
  ASSERT_TRUE(Start());
  engine_.LoadUrl((folder_->Path() / "missing.mkv").u16string());
  EXPECT_TRUE(WaitFor(engine_, [&] { return engine_.GetProperty("idle-active") == u"yes"; }));
  EXPECT_EQ(engine_.GetProperty("duration"), u"");
}

TEST_F(MediaEngineRealTest, FailedFirstInitialisationFallsBackToTheSafeRenderer) {
  // An output file of an unknown format makes the first initialisation fail.
  hooks_.extraOptions.push_back({"o", (folder_->Path() / "out.unknownformat").string(), true});
  ASSERT_TRUE(Start());
  EXPECT_EQ(engine_.Renderer(), VideoRenderer::Safe);
  EXPECT_EQ(engine_.GetProperty("hwdec"), u"no");
  EXPECT_EQ(engine_.GetProperty("keep-open"), u"yes");  // the base options again
  engine_.LoadUrl(ClipUrl());
  EXPECT_TRUE(Playing());
}

}  // namespace
