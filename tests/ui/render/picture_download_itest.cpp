// Icon downloads against the stand-in server on 127.0.0.1.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "net/text.h"
#include "store/file_io.h"
#include "tests/fixtures/stand_in_server.h"
#include "tests/fixtures/temp_data_home.h"
#include "tests/ui/render/test_pictures.h"
#include "ui/render/icon_cache.h"

namespace {

// Far above a local download, far below a hang.
constexpr auto kGenerousBound = std::chrono::seconds(20);

std::string PngBytes(const TempDataHome& home) {
  const auto file = home.Root() / "source.png";
  if (!WriteSolidPng(file, 6, 6, Rgba{0, 0, 1, 1})) return {};
  return ReadWholeFile(file).value_or("");
}

class PictureServer : public ::testing::Test {
 protected:
  void SetUp() override {
    png_ = PngBytes(home_);
    ASSERT_FALSE(png_.empty());
    server_.http().Get("/icon.png", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content(png_, "image/png");
    });
    server_.http().Get("/empty", [](const httplib::Request&, httplib::Response& res) { res.set_content("", "text/plain"); });
    ASSERT_TRUE(server_.Start());
  }
  std::u16string Url(const std::string& path) const { return AsciiToWide(server_.BaseUrl() + path); }

  TempDataHome home_;
  StandInServer server_;
  std::string png_;
};

// Counts the `onDone` calls of the real downloader.
struct DoneSignal {
  std::mutex mutex;
  std::condition_variable changed;
  int count = 0;
  std::function<void()> Callback() {
    return [this]() {
      std::lock_guard lock(mutex);
      ++count;
      changed.notify_all();
    };
  }
  bool WaitFor(int expected) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, kGenerousBound, [&] { return count >= expected; });
  }
};

TEST_F(PictureServer, DownloadedIconIsShownAfterTheFrame) {
  DoneSignal done;
  IconCache cache(ThreadedIconDownloads(done.Callback()));
  EXPECT_EQ(cache.IconFor(u"live", u"5", Url("/icon.png"), true), nullptr);
  EXPECT_EQ(cache.IconFor(u"live", u"6", Url("/empty"), true), nullptr);
  ASSERT_TRUE(done.WaitFor(2));
  EXPECT_EQ(cache.DownloadsInFlight(), 0);

  EXPECT_EQ(ReadWholeFile(IconFile(u"live_5")).value_or(""), png_);
  const Picture* icon = cache.IconFor(u"live", u"5", Url("/icon.png"), false);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ((icon)->Width(), 6);

  // An empty answer writes nothing and is not asked for again this run.
  EXPECT_FALSE(std::filesystem::exists(IconFile(u"live_6")));
  EXPECT_EQ(cache.IconFor(u"live", u"6", Url("/empty"), false), nullptr);
  EXPECT_EQ(server_.RequestsTo("/empty").size(), 1u);
}

}  // namespace
