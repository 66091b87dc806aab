// The whole guide downloaded from the stand-in provider through the real
// HTTP client, read as it arrives.
#include "catalog/xmltv_reader.h"

#include <gtest/gtest.h>

#include "net/text.h"
#include "platform/clock.h"
#include "tests/fixtures/demo_catalog.h"
#include "tests/fixtures/demo_provider.h"
#include "tests/fixtures/stand_in_server.h"

namespace {

class XmltvDownload : public ::testing::Test {
 protected:
  void SetUp() override {
    demo_ = AddDemoProvider(server_);
    ASSERT_TRUE(server_.Start());
    for (const DemoChannel& channel : DemoChannels()) channels_.Add(std::string_view(DemoEpgId(channel)));
  }

  struct Download {
    HttpClient::HttpReply reply;
    XmltvResult result;
  };
  Download Fetch() {
    XmltvReader reader(channels_, NowUnix());
    Download download;
    const std::u16string url = AsciiToWide(server_.BaseUrl() + "/xmltv.php?username=demo&password=demo");
    download.reply = HttpClient::FetchGetInto(url, 10000, 64ull << 20, reader.Sink(), 4096);
    download.result = reader.Finish();
    return download;
  }

  StandInServer server_;
  DemoProvider demo_;
  GuideChannelSet channels_;
};

TEST_F(XmltvDownload, EveryDemoChannelHasItsWeekPlainOrGzip) {
  for (const auto mode : {GuideFixture::XmltvAnswer::Plain, GuideFixture::XmltvAnswer::Gzip}) {
    demo_.guide->SetXmltvAnswer(mode);
    const Download download = Fetch();
    ASSERT_TRUE(download.reply.whole());
    ASSERT_EQ(download.result.status, XmltvStatus::Read) << download.result.detail;
    const WholeGuide& guide = *download.result.guide;
    EXPECT_EQ(guide.Channels(), DemoChannels().size());
    const int64_t now = NowUnix();
    for (const DemoChannel& channel : DemoChannels()) {
      const std::u16string id = Utf8ToWide(DemoEpgId(channel));
      EXPECT_EQ(guide.Overlapping(id, now, now + 1).size(), 1u) << DemoEpgId(channel);
      // The demo guide runs six days back and more (the reader keeps seven at most).
      EXPECT_FALSE(guide.Overlapping(id, now - 6 * 86400, now - 6 * 86400 + 1).empty());
      const std::vector<EpgEntry> rows = WholeGuideRows(guide, id, now - 3600, now + 3 * 3600);
      ASSERT_FALSE(rows.empty());
      EXPECT_FALSE(rows[0].title.empty());
      EXPECT_GT(rows[0].durationMin, 0);
    }
  }
}

TEST_F(XmltvDownload, AServerWithoutTheGuideIsNotXmltv) {
  for (const auto mode : {GuideFixture::XmltvAnswer::NotFoundPage, GuideFixture::XmltvAnswer::Absent}) {
    demo_.guide->SetXmltvAnswer(mode);
    const Download download = Fetch();
    EXPECT_EQ(download.reply.status, 404);
    EXPECT_EQ(download.result.status, XmltvStatus::NotXmltv);
    EXPECT_FALSE(download.result.guide);
  }
}

}  // namespace
