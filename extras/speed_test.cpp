#include "extras/speed_test.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "extras/cache_clear.h"
#include "net/endpoints.h"
#include "net/http_client.h"
#include "net/text.h"
#include "net/url_parts.h"
#include "store/data_folder.h"
#include "i18n/translate.h"

namespace {

constexpr uint32_t kTraceTimeoutMs = 12000;
constexpr uint32_t kProbeTimeoutMs = 8000;
constexpr uint32_t kTransferTimeoutMs = 60000;
constexpr uint64_t kUploadReplyCap = 256 * 1024;
constexpr size_t kUploadBytes = 1000000;
constexpr size_t kComputerNameChars = 15;

// The platform word of the device line and the Wi-Fi advice.
constexpr std::u16string_view kPlatformName = u"Linux";
constexpr std::u16string_view kEdgeServiceName = u"Cloudflare";
constexpr std::u16string_view kMissing = u"—";

std::u16string W(const std::string& utf8) { return Utf8ToWide(utf8); }

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// "Cloudflare 1.1.1.1": the edge service by name and the address probed.
std::u16string EdgeLabel() {
  const auto parts = SplitUrl(WideToUtf8(Endpoints::TraceUrl()));
  std::u16string label(kEdgeServiceName);
  if (parts) label += u" " + Utf8ToWide(parts->host);
  return label;
}

std::u16string MeasureProbes(std::u16string_view label, std::u16string_view url) {
  std::vector<double> kept;
  int failures = 0;
  for (int i = 0; i < kProbeCount; ++i) {
    const auto start = std::chrono::steady_clock::now();
    const HttpResult body = HttpClient::Get(url, kProbeTimeoutMs);
    const double ms = SecondsSince(start) * 1000.0;
    if (body.empty()) {
      ++failures;
    } else {
      kept.push_back(ms);
    }
  }
  return ProbeLine(label, kept, failures);
}

void AppendAll(SpeedReport& report, const std::vector<std::u16string>& lines) {
  for (const std::u16string& line : lines) report.AppendReportLine(line);
}

void ReportIdentity(SpeedReport& report, const SpeedTestDevice& device) {
  report.AppendReportLine(Translate("speed_report_title"));
  report.AppendReportLine(u"────────────────────────");
  report.AppendReportLine(
      TranslateWith("speed_device", std::u16string(kPlatformName) + u"  " + device.computerName.substr(0, kComputerNameChars)));
  report.AppendReportLine(TranslateWith("speed_mac", device.mac));
  report.AppendReportLine(std::u16string(Translate("device_key")) + u": " + device.deviceKey);
}

void ReportTrace(SpeedReport& report) {
  report.AppendReportLine(Translate("speed_public_ip"));
  AppendAll(report, TraceLines(HttpClient::Get(Endpoints::TraceUrl(), kTraceTimeoutMs)));
}

void ReportLatency(SpeedReport& report) {
  report.AppendReportLine(Translate("speed_latency"));
  report.AppendReportLine(MeasureProbes(EdgeLabel(), Endpoints::TraceUrl()));
  report.AppendReportLine(MeasureProbes(Translate("speed_site"), Endpoints::PanelUrl() + u"/vs4.3/"));
}

// A transfer that breaks part-way still measures the line: the report
// gives the bytes that moved and the time up to the last of them.
void ReportDownload(SpeedReport& report) {
  report.AppendReportLine(Translate("speed_download"));
  const HttpClient::HttpReply reply = HttpClient::FetchGet(Endpoints::SpeedTestUrl() + u"/__down?bytes=5000000",
                                                           kTransferTimeoutMs, HttpClient::kDefaultCap);
  AppendAll(report, DownloadLines(reply.body.size(), reply.activeSeconds));
}

void ReportUpload(SpeedReport& report) {
  report.AppendReportLine(Translate("speed_upload"));
  const std::string payload(kUploadBytes, '\0');
  const HttpClient::HttpReply reply =
      HttpClient::Fetch(u"POST", Endpoints::SpeedTestUrl() + u"/__up", u"Content-Type: application/octet-stream\r\n",
                        payload, kTransferTimeoutMs, kUploadReplyCap);
  AppendAll(report, UploadLines(size_t(std::min<uint64_t>(reply.bytesSent, payload.size())), reply.activeSeconds,
                                reply.end == HttpClient::BodyEnd::Broken ? 0 : reply.body.size()));
}

}  // namespace

// --- SpeedReport ---

void SpeedReport::SetNotifier(std::function<void()> notify) {
  std::lock_guard lock(mutex_);
  notify_ = std::move(notify);
}

void SpeedReport::Notify() const {
  std::function<void()> notify;
  {
    std::lock_guard lock(mutex_);
    notify = notify_;
  }
  if (notify) notify();
}

void SpeedReport::AppendReportLine(std::u16string_view text) {
  {
    std::lock_guard lock(mutex_);
    text_ += text;
    text_ += u'\n';
  }
  Notify();
}

std::u16string SpeedReport::Text() const {
  std::lock_guard lock(mutex_);
  return text_;
}

std::vector<std::u16string> SpeedReport::Lines() const {
  const std::u16string text = Text();
  std::vector<std::u16string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(u'\n', start);
    if (end == std::u16string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool SpeedReport::Empty() const {
  std::lock_guard lock(mutex_);
  return text_.empty();
}

int SpeedReport::ScrollOffset() const {
  std::lock_guard lock(mutex_);
  return scroll_;
}

void SpeedReport::ScrollBy(int lines) {
  std::lock_guard lock(mutex_);
  scroll_ = std::max(0, scroll_ + lines);
}

bool SpeedReport::BeginTest() {
  if (running_.exchange(true)) return false;
  std::lock_guard lock(mutex_);
  text_.clear();
  scroll_ = 0;
  return true;
}

void SpeedReport::EndTest() {
  running_.store(false);
  Notify();
}

// --- actions ---

SpeedItemOutcome ActivateSpeedItem(SpeedItem item, const std::shared_ptr<SpeedReport>& report,
                                   const SpeedTestDevice& device) {
  SpeedItemOutcome outcome;
  switch (item) {
    case SpeedItem::Back:
      outcome.closePanel = true;
      break;
    case SpeedItem::Start:
      StartSpeedTest(report, device);
      break;
    case SpeedItem::ClearCache:
      ClearCacheIntoReport(*report);
      outcome.picturesDropped = true;
      break;
    case SpeedItem::RefreshWifi:
      AppendWifiAdvice(*report);
      break;
  }
  return outcome;
}

bool StartSpeedTest(const std::shared_ptr<SpeedReport>& report, const SpeedTestDevice& device) {
  if (!report->BeginTest()) return false;
  // The thread owns a reference: the report outlives the test even if the
  // window lets go of it first.
  std::thread([report, device] { RunSpeedTest(*report, device); }).detach();
  return true;
}

void RunSpeedTest(SpeedReport& report, const SpeedTestDevice& device) {
  ReportIdentity(report, device);
  report.AppendReportLine(u"");
  AppendAll(report, LocalNetworkLines(ListNetworkAdapters()));
  report.AppendReportLine(u"");
  ReportTrace(report);
  report.AppendReportLine(u"");
  ReportLatency(report);
  report.AppendReportLine(u"");
  ReportDownload(report);
  report.AppendReportLine(u"");
  ReportUpload(report);
  report.AppendReportLine(u"");
  report.AppendReportLine(Translate("speed_done"));
  report.EndTest();
}

void ClearCacheIntoReport(SpeedReport& report) { report.AppendReportLine(ClearCacheLine(ClearCache(DataFolder()))); }

void AppendWifiAdvice(SpeedReport& report) {
  report.AppendReportLine(TranslateWith("speed_wifi_platform", kPlatformName));
  report.AppendReportLine(Translate("speed_wifi_steps"));
}

// --- report pieces ---

std::vector<std::u16string> LocalNetworkLines(const std::vector<NetworkAdapter>& adapters) {
  std::vector<std::u16string> lines{std::u16string(Translate("speed_local_ip"))};
  if (adapters.empty()) {
    lines.push_back(u"  " + std::u16string(Translate("speed_none")));
    return lines;
  }
  bool wifi = false;
  bool ethernet = false;
  for (const NetworkAdapter& adapter : adapters) {
    wifi = wifi || adapter.type == kAdapterTypeWifi;
    ethernet = ethernet || adapter.type == kAdapterTypeEthernet;
    if (adapter.type == kAdapterTypeLoopback) continue;
    for (const std::string& address : adapter.ipv4) {
      if (address == "0.0.0.0") continue;
      lines.push_back(W(fmt::format("  IPv4  {}  ({})", address, adapter.description)));
    }
  }
  lines.emplace_back(Translate(wifi ? "speed_net_wifi" : ethernet ? "speed_net_ethernet" : "speed_net_other"));
  return lines;
}

std::string TraceValue(std::string_view body, std::string_view key) {
  size_t start = 0;
  while (start < body.size()) {
    size_t end = body.find('\n', start);
    if (end == std::string_view::npos) end = body.size();
    std::string_view line = body.substr(start, end - start);
    if (line.size() > key.size() && line.substr(0, key.size()) == key && line[key.size()] == '=') {
      line.remove_prefix(key.size() + 1);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      return std::string(line);
    }
    start = end + 1;
  }
  return {};
}

std::vector<std::u16string> TraceLines(std::string_view body) {
  // The label's key (empty: the protocol, named the same in every language)
  // and the trace field it shows.
  static constexpr std::pair<std::string_view, std::string_view> kRows[] = {
      {"speed_trace_ip", "ip"}, {"speed_trace_country", "loc"}, {"speed_trace_edge", "colo"}, {{}, "http"}};
  std::vector<std::u16string> lines;
  for (const auto& [label, field] : kRows) {
    const std::string value = TraceValue(body, field);
    const std::u16string shown = label.empty() ? std::u16string(u"HTTP:") : std::u16string(Translate(label));
    lines.push_back(u"  " + shown + u" " + (value.empty() ? std::u16string(kMissing) : W(value)));
  }
  return lines;
}

std::u16string ProbeLine(std::u16string_view label, const std::vector<double>& timesMs, int failures) {
  const std::string name = WideToUtf8(label);
  if (timesMs.empty()) return W(fmt::format("  {}: fail ({}/{})", name, failures, kProbeCount));
  double low = timesMs.front(), high = timesMs.front(), sum = 0;
  for (double t : timesMs) {
    low = std::min(low, t);
    high = std::max(high, t);
    sum += t;
  }
  const double mean = sum / static_cast<double>(timesMs.size());
  double spread = 0;
  for (double t : timesMs) spread += std::fabs(t - mean);
  const double jitter = spread / static_cast<double>(timesMs.size());
  return W(fmt::format("  {}: min {:.0f} ms  avg {:.1f} ms  max {:.0f} ms  jitter {:.1f} ms  ok {}/{}", name, low, mean,
                       high, jitter, timesMs.size(), kProbeCount));
}

std::vector<std::u16string> DownloadLines(size_t bytes, double seconds) {
  const double megabytes = static_cast<double>(bytes) / 1e6;
  const double mbps = seconds > 0 ? megabytes * 8 / seconds : 0;
  const double mbs = seconds > 0 ? megabytes / seconds : 0;
  return {W(fmt::format("  {} bytes in {:.2f} s", bytes, seconds)),
          W(fmt::format("  Download: {:.2f} Mbps  ({:.2f} MB/s)", mbps, mbs))};
}

std::vector<std::u16string> UploadLines(size_t sent, double seconds, size_t replyBytes) {
  const double megabytes = static_cast<double>(sent) / 1e6;
  const double mbps = seconds > 0 ? megabytes * 8 / seconds : 0;
  const double mbs = seconds > 0 ? megabytes / seconds : 0;
  return {W(fmt::format("  {} bytes in {:.2f} s  (reply {})", sent, seconds, replyBytes)),
          W(fmt::format("  Upload: {:.2f} Mbps  ({:.2f} MB/s)", mbps, mbs))};
}

int ClampReportScroll(int offset, int lineCount, int visibleLines) {
  return std::max(0, std::min(offset, lineCount - visibleLines));
}
