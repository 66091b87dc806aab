#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <thread>

#include "extras/speed_test.h"
#include "net/text.h"
#include "tests/extras/public_services_test.h"
#include "tests/fixtures/scripted_server.h"
#include "tests/scoped_env.h"

namespace {

const SpeedTestDevice kDevice{u"living-room-linux-box", u"02:a1:b2:c3:d4:e5", u"042137"};

// One expected line: an exact text, or a pattern for measured figures.
struct Expected {
  std::string text;
  bool pattern = false;
};

Expected Exact(std::string text) { return {std::move(text), false}; }
Expected Shape(std::string regex) { return {std::move(regex), true}; }

const char kProbeShape[] = R"(: min \d+ ms  avg \d+\.\d ms  max \d+ ms  jitter \d+\.\d ms  ok 8/8)";

std::vector<std::string> Utf8Lines(const SpeedReport& report) {
  std::vector<std::string> lines;
  for (const auto& line : report.Lines()) lines.push_back(WideToUtf8(line));
  return lines;
}

void ExpectLines(const std::vector<std::string>& actual, const std::vector<Expected>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    if (expected[i].pattern) {
      EXPECT_TRUE(std::regex_match(actual[i], std::regex(expected[i].text))) << "line " << i << ": " << actual[i];
    } else {
      EXPECT_EQ(actual[i], expected[i].text) << "line " << i;
    }
  }
}

// The first number after `label` in `line`.
double NumberAfter(const std::string& line, const std::string& label) {
  const size_t at = line.find(label);
  return at == std::string::npos ? -1 : std::stod(line.substr(at + label.size()));
}

class SpeedTestOverHttp : public PublicServicesTest {
 protected:

  std::vector<Expected> ExpectedReport(const std::vector<std::string>& traceLines, const std::string& edgeProbe) {
    std::vector<Expected> lines{Exact("Vistra · Speed test"), Exact("────────────────────────"),
                                Exact("Device: Linux  living-room-lin"), Exact("MAC (app): 02:a1:b2:c3:d4:e5"),
                                Exact("Device Key: 042137"), Exact("")};
    // The local block comes from this machine's real adapters.
    for (const auto& line : LocalNetworkLines(ListNetworkAdapters())) lines.push_back(Exact(WideToUtf8(line)));
    lines.push_back(Exact(""));
    lines.push_back(Exact("Public IP…"));
    for (const auto& line : traceLines) lines.push_back(Exact(line));
    lines.push_back(Exact(""));
    lines.push_back(Exact("Ping / latency / jitter (HTTP RTT, 8 probes)"));
    lines.push_back(Shape("  Cloudflare 127\\.0\\.0\\.1" + edgeProbe));
    lines.push_back(Shape(std::string("  4\\.3 site") + kProbeShape));
    lines.push_back(Exact(""));
    lines.push_back(Exact("Download…"));
    lines.push_back(Shape(R"(  5000000 bytes in \d+\.\d\d s)"));
    lines.push_back(Shape(R"(  Download: \d+\.\d\d Mbps  \(\d+\.\d\d MB/s\))"));
    lines.push_back(Exact(""));
    lines.push_back(Exact("Upload…"));
    lines.push_back(Shape(R"(  1000000 bytes in \d+\.\d\d s  \(reply 20\))"));
    lines.push_back(Shape(R"(  Upload: \d+\.\d\d Mbps  \(\d+\.\d\d MB/s\))"));
    lines.push_back(Exact(""));
    lines.push_back(Exact("Done."));
    return lines;
  }
};

TEST_F(SpeedTestOverHttp, ReportHoldsEveryLineInOrderWithMeasuredFigures) {
  SpeedReport report;
  int notified = 0;
  report.SetNotifier([&] { ++notified; });
  ASSERT_TRUE(report.BeginTest());
  RunSpeedTest(report, kDevice);
  EXPECT_FALSE(report.Running());

  const auto lines = Utf8Lines(report);
  ExpectLines(lines, ExpectedReport({"  Public IP: 203.0.113.7", "  Country: RO", "  Edge (colo): OTP",
                                     "  HTTP: http/1.1"},
                                    kProbeShape));
  EXPECT_EQ(notified, static_cast<int>(lines.size()) + 1);  // every line, then the end of the test

  // Real figures: rates are positive and the probe times are ordered.
  for (const auto& line : lines) {
    if (line.rfind("  Download:", 0) == 0) {
      EXPECT_GT(NumberAfter(line, "Download: "), 0.0);
    }
    if (line.rfind("  Upload:", 0) == 0) {
      EXPECT_GT(NumberAfter(line, "Upload: "), 0.0);
    }
    if (line.find(" ok 8/8") != std::string::npos) {
      EXPECT_LE(NumberAfter(line, " min "), NumberAfter(line, " avg ") + 0.5);
      EXPECT_LE(NumberAfter(line, " avg "), NumberAfter(line, " max ") + 0.5);
    }
  }

  // What went over the wire.
  EXPECT_EQ(server_.RequestsTo("/cdn-cgi/trace").size(), 9u);  // the trace and eight probes
  EXPECT_EQ(server_.RequestsTo("/vs4.3/").size(), 8u);
  const auto downloads = server_.RequestsTo("/__down");
  ASSERT_EQ(downloads.size(), 1u);
  EXPECT_EQ(downloads[0].target, "/__down?bytes=5000000");
  const auto uploads = server_.RequestsTo("/__up");
  ASSERT_EQ(uploads.size(), 1u);
  EXPECT_EQ(uploads[0].method, "POST");
  EXPECT_EQ(uploads[0].Header("Content-Type"), "application/octet-stream");
  EXPECT_EQ(uploads[0].body, std::string(1000000, '\0'));
}

TEST_F(SpeedTestOverHttp, AMissingTraceShowsDashesAndFailedTransfersZeroBytes) {
  services_->SetTraceMissing(true);
  SpeedReport report;
  RunSpeedTest(report, kDevice);
  ExpectLines(Utf8Lines(report),
              ExpectedReport({"  Public IP: —", "  Country: —", "  Edge (colo): —", "  HTTP: —"}, ": fail \\(8/8\\)"));

  services_->SetEmptyAnswers(true);
  ASSERT_TRUE(report.BeginTest());
  RunSpeedTest(report, kDevice);
  const auto lines = Utf8Lines(report);
  const auto at = std::find(lines.begin(), lines.end(), "Download…");
  ASSERT_NE(at, lines.end());
  EXPECT_TRUE(std::regex_match(*(at + 1), std::regex(R"(  0 bytes in \d+\.\d\d s)"))) << *(at + 1);
  EXPECT_EQ(*(at + 2), "  Download: 0.00 Mbps  (0.00 MB/s)");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "  4.3 site: fail (8/8)"), lines.end());
  EXPECT_EQ(lines.back(), "Done.");
}

// A line that breaks part-way is still measured by what got through: the
// download announces 5 MB and sends 1 MB, the upload is cut off unread.
TEST_F(SpeedTestOverHttp, TransfersThatBreakReportTheBytesThatMoved) {
  ScriptedServer breaking([](ScriptedServer::Connection& c) {
    if (c.head.find("/__down") != std::string::npos && c.Write(Scripted::Head("Content-Length: 5000000\r\n")))
      c.Write(std::string(1000000, 'x'));
  });
  SetEnvVar("VISTRA_SPEEDTEST_URL", breaking.BaseUrl().c_str());
  SpeedReport report;
  RunSpeedTest(report, kDevice);
  const auto lines = Utf8Lines(report);
  const auto down = std::find(lines.begin(), lines.end(), "Download…");
  ASSERT_NE(down, lines.end());
  EXPECT_TRUE(std::regex_match(*(down + 1), std::regex(R"(  1000000 bytes in \d+\.\d\d s)"))) << *(down + 1);
  EXPECT_GT(NumberAfter(*(down + 2), "Download: "), 0.0) << *(down + 2);
  const auto up = std::find(lines.begin(), lines.end(), "Upload…");
  ASSERT_NE(up, lines.end());
  std::smatch sent;
  const std::regex upShape(R"(  (\d+) bytes in \d+\.\d\d s  \(reply 0\))");
  ASSERT_TRUE(std::regex_match(*(up + 1), sent, upShape)) << *(up + 1);
  EXPECT_LE(std::stoul(sent[1]), 1000000u);
  EXPECT_EQ(lines.back(), "Done.");
}

TEST_F(SpeedTestOverHttp, StartingTwiceRunsOneTest) {
  services_->SetDelayMs(20);  // keep the first test busy while the second press arrives
  auto report = std::make_shared<SpeedReport>();
  ASSERT_TRUE(StartSpeedTest(report, kDevice));
  EXPECT_FALSE(StartSpeedTest(report, kDevice));
  EXPECT_FALSE(ActivateSpeedItem(SpeedItem::Start, report, kDevice).closePanel);

  // Wait for the end of the test (generous: this is a wait, not a timing check).
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  while (report->Running() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_FALSE(report->Running());

  const auto lines = Utf8Lines(*report);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Done."), 1);
  EXPECT_EQ(lines.front(), "Vistra · Speed test");
  EXPECT_EQ(server_.RequestsTo("/__down").size(), 1u);
}

}  // namespace
