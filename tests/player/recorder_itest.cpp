// The recorder against the real engine: what it writes is the stream as
// sent, and it ends when the stream ends or when it is stopped.
#include "player/recorder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "net/text.h"
#include "platform/clock.h"
#include "tests/fixtures/media_clips.h"
#include "tests/fixtures/scripted_server.h"
#include "tests/fixtures/temp_folder.h"

namespace {

using namespace std::chrono_literals;

std::string Bytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

// Polls as the program's tick would, up to 30 s; true when writing ended.
bool Ends(Recorder& recorder) {
  const uint64_t until = TickMs() + 30000;
  while (TickMs() < until) {
    if (!recorder.Writing()) return true;
    std::this_thread::sleep_for(50ms);
  }
  return false;
}

}  // namespace

TEST(RecorderReal, WritesTheStreamAsSentAndEndsWithIt) {
  TempFolder folder;
  const std::filesystem::path clip = MakeColorClip(folder.Path(), "clip.mkv", "blue", 160, 120, 2);
  ASSERT_FALSE(clip.empty()) << "ffmpeg could not make the clip";
  const std::string body = Bytes(clip);
  ScriptedServer server([&](ScriptedServer::Connection& c) {
    if (!c.Write(Scripted::Head("Content-Length: " + std::to_string(body.size()) + "\r\n"))) return;
    Scripted::Trickle(c, body, 16 * 1024, 20ms);
  });
  Recorder recorder;
  const std::filesystem::path out = folder.Path() / "Ch - News - 2026-12-09 0705.ts";
  ASSERT_TRUE(recorder.Start(Utf8ToWide(server.BaseUrl() + "/live/u/p/1.ts"), out));
  EXPECT_TRUE(recorder.Writing());
  ASSERT_TRUE(Ends(recorder)) << "the stream ended";
  EXPECT_EQ(recorder.BytesWritten(), body.size());
  EXPECT_TRUE(Bytes(out) == body) << "the bytes as sent, not a re-encoding";
}

TEST(RecorderReal, StopEndsAnEndlessStreamAndKeepsWhatArrived) {
  TempFolder folder;
  ScriptedServer server([](ScriptedServer::Connection& c) {
    if (!c.Write(Scripted::Head(""))) return;
    const std::string piece(4096, '\x47');  // sync bytes: any payload will do
    while (c.Write(piece) && c.Pause(20ms)) {
    }
  });
  Recorder recorder;
  const std::filesystem::path out = folder.Path() / "live.ts";
  ASSERT_TRUE(recorder.Start(Utf8ToWide(server.BaseUrl() + "/live/u/p/2.ts"), out));
  const uint64_t until = TickMs() + 30000;
  while (recorder.BytesWritten() < 64 * 1024 && TickMs() < until) std::this_thread::sleep_for(50ms);
  ASSERT_GE(recorder.BytesWritten(), 64u * 1024) << "nothing arrived";
  recorder.Stop();
  ASSERT_TRUE(Ends(recorder));
  const uint64_t kept = recorder.BytesWritten();
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(recorder.BytesWritten(), kept) << "nothing is written after the end";
}

TEST(RecorderReal, AStreamThatNeverOpensEnds) {
  TempFolder folder;
  Recorder recorder;
  ASSERT_TRUE(recorder.Start(u"http://127.0.0.1:9/none.ts", folder.Path() / "x.ts"));
  EXPECT_TRUE(Ends(recorder));
  EXPECT_EQ(recorder.BytesWritten(), 0u);
}
