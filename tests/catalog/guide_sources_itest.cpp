// The user's own guide sources against a scripted server on 127.0.0.1: read
// while they download (plain or gzip), kept and reused while fresh, moved by
// their offset, and a failed download that replaces nothing.
#include "catalog/guide_sources.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>

#include "store/file_io.h"
#include "tests/fixtures/gzip_text.h"
#include "tests/fixtures/scripted_server.h"
#include "tests/fixtures/temp_data_home.h"

namespace {

// 2026-12-07 12:00:00 UTC.
constexpr int64_t kNow = 1796644800;
constexpr int64_t kStale = kNow + 13 * 3600;
constexpr uint32_t kTimeoutMs = 5000;
constexpr uint64_t kCapBytes = 16u << 20;

// A guide as panels send it: a notice first, two channels, one of them ours.
const std::string kGuide =
    "<br />\n<b>Notice</b>: Undefined index: tz<br />\n<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n"
    "<channel id=\"bbc1.uk\"><display-name>BBC One</display-name></channel>\n"
    "<channel id=\"itv1.uk\"><display-name>ITV1</display-name></channel>\n"
    "<programme start=\"20261207120000 +0000\" stop=\"20261207130000 +0000\" channel=\"bbc1.uk\"><title>News"
    "</title></programme>\n<programme start=\"20261207120000 +0000\" channel=\"itv1.uk\"><title>Quiz</title>"
    "</programme>\n</tv>\n";

std::string Answer(std::string_view status, std::string_view body) {
  return "HTTP/1.1 " + std::string(status) + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
         std::string(body);
}

// A server whose answer the test changes between loads; each answer goes
// out in small pieces, as a slow download arrives.
class GuideSourceServer : public ::testing::Test {
 protected:
  GuideSourceServer()
      : server_([this](ScriptedServer::Connection& connection) {
          ++requests_;
          std::string answer;
          {
            std::lock_guard lock(mutex_);
            answer = answer_;
          }
          Scripted::Trickle(connection, answer, 97, std::chrono::milliseconds(1));
        }) {}

  void Serve(std::string answer) {
    std::lock_guard lock(mutex_);
    answer_ = std::move(answer);
  }

  GuideSourceLoad Load(int offsetHours, int64_t now) {
    GuideChannelSet channels;
    channels.Add(std::string_view("bbc1.uk"));
    return LoadGuideSource(GuideSourceSpec{url_, offsetHours}, channels, {}, now, kTimeoutMs, kCapBytes);
  }

  // The kept copy and its side file, as bytes ("" when missing).
  std::string Kept(const char* suffix = "") const {
    const auto path = home_.Folder() / "guide" / "sources" / (GuideSourceCopyName(url_) + suffix);
    return ReadWholeFile(path).value_or("");
  }

  // The start of the channel's first programme, relative to kNow.
  static int64_t FirstStart(const GuideSourceLoad& load) {
    const auto slots = load.guide->ProgrammesOf(std::string_view("bbc1.uk"));
    return slots.empty() ? -1 : load.guide->StartOf(slots[0]) - kNow;
  }

  TempDataHome home_;
  std::mutex mutex_;
  std::string answer_;
  std::atomic<int> requests_ = 0;
  ScriptedServer server_;
  const std::string url_ = server_.BaseUrl() + "/epg.xml.gz?user=a&pass=b";
};

}  // namespace

TEST_F(GuideSourceServer, AGzipSourceIsReadWhileItDownloadsKeptAndReusedWhileFresh) {
  const std::string zipped = GzipText(kGuide);
  Serve(Answer("200 OK", zipped));
  const GuideSourceLoad downloaded = Load(+1, kNow);
  ASSERT_EQ(downloaded.status, XmltvStatus::Read) << downloaded.detail << " " << downloaded.readerDetail;
  EXPECT_FALSE(downloaded.fromCopy);
  EXPECT_EQ(downloaded.httpStatus, 200);
  EXPECT_EQ(downloaded.programmes, 1u);  // only the set's channel
  EXPECT_EQ(downloaded.channelCount, 2u);
  EXPECT_EQ(FirstStart(downloaded), 3600);
  EXPECT_EQ(Kept(), zipped);
  EXPECT_EQ(Kept(".txt"), url_ + "\n" + std::to_string(kNow) + "\n");

  // Fresh: read from the copy, with this load's own offset.
  const GuideSourceLoad copied = Load(-2, kNow + 3600);
  ASSERT_EQ(copied.status, XmltvStatus::Read) << copied.readerDetail;
  EXPECT_TRUE(copied.fromCopy);
  EXPECT_EQ(FirstStart(copied), -7200);
  EXPECT_EQ(requests_.load(), 1);

  // Stale after twelve hours: downloaded again.
  Serve(Answer("200 OK", kGuide));
  EXPECT_FALSE(Load(0, kStale).fromCopy);
  EXPECT_EQ(requests_.load(), 2);
  EXPECT_EQ(Kept(), kGuide);

  // Taken out of the list, a source leaves nothing behind.
  EXPECT_EQ(ForgetOtherGuideSources({url_, "http://other.example/guide.xml"}), 0u);
  EXPECT_EQ(ForgetOtherGuideSources({}), 2u);
  EXPECT_EQ(Kept() + Kept(".txt"), "");
}

TEST_F(GuideSourceServer, AFailedDownloadReplacesNothingAndSaysWhy) {
  Serve(Answer("200 OK", kGuide));
  ASSERT_EQ(Load(0, kNow).status, XmltvStatus::Read);
  const std::string side = Kept(".txt");

  struct Case {
    std::string answer;
    const char* detail;
  };
  const Case cases[] = {
      {Answer("404 Not Found", "<html><body>Not Found</body></html>"), "HTTP 404"},
      {Answer("200 OK", "<!DOCTYPE html><html><body>Your subscription has expired</body></html>"),
       "not an XMLTV guide"},
      // Announced whole, closed a third of the way in.
      {Answer("200 OK", kGuide).substr(0, kGuide.size() / 3), "cut off"},
  };
  for (const Case& c : cases) {
    Serve(c.answer);
    const GuideSourceLoad load = Load(0, kStale);
    EXPECT_NE(load.status, XmltvStatus::Read) << c.detail;
    EXPECT_EQ(load.detail, c.detail);
    EXPECT_FALSE(load.guide) << c.detail;
    EXPECT_EQ(Kept(), kGuide) << c.detail;
    EXPECT_EQ(Kept(".txt"), side) << c.detail;
  }
  // The copy still serves while it is fresh.
  EXPECT_TRUE(Load(0, kNow + 60).fromCopy);

  const auto detailOf = [](const std::string& url) {
    return LoadGuideSource(GuideSourceSpec{url, 0}, {}, {}, kStale, kTimeoutMs, kCapBytes).detail;
  };
  std::string closed;
  {
    const ScriptedServer gone([](ScriptedServer::Connection&) {});
    closed = gone.BaseUrl() + "/guide.xml";
  }
  EXPECT_EQ(detailOf(closed), "could not connect");
  EXPECT_EQ(detailOf("ftp://example.invalid/guide.xml"), "not a web address");
}
