#include <gtest/gtest.h>

#include "extras/speed_test.h"
#include "tests/fixtures/temp_data_home.h"

namespace {

using Lines = std::vector<std::u16string>;

NetworkAdapter Adapter(std::string name, int type, std::vector<std::string> ipv4) {
  NetworkAdapter adapter;
  adapter.name = name;
  adapter.description = std::move(name);
  adapter.type = type;
  adapter.wireless = type == kAdapterTypeWifi;
  adapter.ipv4 = std::move(ipv4);
  return adapter;
}

TEST(LocalNetworkLines, ListsAddressesAndNamesTheConnectionKind) {
  EXPECT_EQ(LocalNetworkLines({}), (Lines{u"Device IP (local)", u"  (none)"}));
  const std::vector<NetworkAdapter> adapters{
      Adapter("lo", kAdapterTypeLoopback, {"127.0.0.1"}),
      Adapter("enp3s0", kAdapterTypeEthernet, {"192.168.1.20", "0.0.0.0"}),
      Adapter("wlp2s0", kAdapterTypeWifi, {"10.0.0.7"}),
      Adapter("tun0", kAdapterTypeOther, {}),
  };
  EXPECT_EQ(LocalNetworkLines(adapters), (Lines{u"Device IP (local)", u"  IPv4  192.168.1.20  (enp3s0)",
                                                u"  IPv4  10.0.0.7  (wlp2s0)", u"Network: Wi-Fi"}));
  EXPECT_EQ(LocalNetworkLines({adapters[0], adapters[1]}).back(), u"Network: Ethernet");
  EXPECT_EQ(LocalNetworkLines({adapters[0], adapters[3]}),
            (Lines{u"Device IP (local)", u"Network: other"}));
}

TEST(ReportLines, TraceKeysAtLineStartsProbeSummariesAndTransferRates) {
  const std::string body = "fl=1\r\nvisit_ip=9.9.9.9\r\nip=203.0.113.7\r\ncolo=OTP\r\nhttp=http/2\r\n";
  EXPECT_EQ(TraceValue(body, "ip"), "203.0.113.7");  // not the value of visit_ip
  EXPECT_EQ(TraceValue(body, "loc"), "");
  EXPECT_EQ(TraceLines(body),
            (Lines{u"  Public IP: 203.0.113.7", u"  Country: —", u"  Edge (colo): OTP", u"  HTTP: http/2"}));
  EXPECT_EQ(TraceLines(""), (Lines{u"  Public IP: —", u"  Country: —", u"  Edge (colo): —", u"  HTTP: —"}));

  EXPECT_EQ(ProbeLine(u"Cloudflare 1.1.1.1", {10, 20, 30}, 5),
            u"  Cloudflare 1.1.1.1: min 10 ms  avg 20.0 ms  max 30 ms  jitter 6.7 ms  ok 3/8");
  EXPECT_EQ(ProbeLine(u"4.3 site", {}, 8), u"  4.3 site: fail (8/8)");

  EXPECT_EQ(DownloadLines(5000000, 2.0), (Lines{u"  5000000 bytes in 2.00 s", u"  Download: 20.00 Mbps  (2.50 MB/s)"}));
  EXPECT_EQ(DownloadLines(0, 0.0), (Lines{u"  0 bytes in 0.00 s", u"  Download: 0.00 Mbps  (0.00 MB/s)"}));
  EXPECT_EQ(UploadLines(1000000, 0.5, 17),
            (Lines{u"  1000000 bytes in 0.50 s  (reply 17)", u"  Upload: 16.00 Mbps  (2.00 MB/s)"}));
  EXPECT_EQ(UploadLines(1000000, 0.0, 0).back(), u"  Upload: 0.00 Mbps  (0.00 MB/s)");
}

TEST(SpeedReport, AppendsNotifiesScrollsAndRunsOneTestAtATime) {
  EXPECT_EQ(ClampReportScroll(8, 3, 20), 0);
  EXPECT_EQ(ClampReportScroll(96, 100, 20), 80);
  EXPECT_EQ(ClampReportScroll(40, 100, 20), 40);

  SpeedReport report;
  int notified = 0;
  report.SetNotifier([&] { ++notified; });
  report.AppendReportLine(u"one");
  report.AppendReportLine(u"");
  report.AppendReportLine(u"three");
  EXPECT_EQ(report.Text(), u"one\n\nthree\n");
  EXPECT_EQ(report.Lines(), (Lines{u"one", u"", u"three"}));
  EXPECT_EQ(notified, 3);

  report.ScrollBy(8);
  report.ScrollBy(-20);
  EXPECT_EQ(report.ScrollOffset(), 0);  // never above the top
  report.ScrollBy(16);
  ASSERT_TRUE(report.BeginTest());
  EXPECT_TRUE(report.Empty()) << "a new test starts clean";
  EXPECT_EQ(report.ScrollOffset(), 0);
  report.AppendReportLine(u"new");
  EXPECT_FALSE(report.BeginTest());  // a second press while running
  EXPECT_EQ(report.Text(), u"new\n");
  report.EndTest();
  EXPECT_FALSE(report.Running());
  EXPECT_TRUE(report.BeginTest());
}

TEST(ActivateSpeedItem, BackWifiAndClearCache) {
  TempDataHome home;
  auto report = std::make_shared<SpeedReport>();
  const SpeedTestDevice device;

  EXPECT_TRUE(ActivateSpeedItem(SpeedItem::Back, report, device).closePanel);
  EXPECT_TRUE(report->Empty());

  EXPECT_FALSE(ActivateSpeedItem(SpeedItem::RefreshWifi, report, device).closePanel);
  ASSERT_EQ(report->Lines().size(), 2u);
  EXPECT_NE(report->Lines()[1].find(u"reconnect Wi-Fi / Ethernet."), std::u16string::npos);

  const auto outcome = ActivateSpeedItem(SpeedItem::ClearCache, report, device);
  EXPECT_TRUE(outcome.picturesDropped);
  EXPECT_EQ(report->Lines().back(), u"Clear cache: 0 KB");
}

}  // namespace
