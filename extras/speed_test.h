#pragma once
// The speed test: a text report on the user's connection (device and
// identity, local adapters, the public address as an edge service sees it,
// HTTP round trips to two targets, download and upload throughput), plus the
// panel's other buttons: clear the cache and the Wi-Fi advice.
//
// Threads: the test runs on a detached thread of its own and writes only
// through SpeedReport::AppendReportLine and the report's running flag. The
// painter reads the report with Lines(), which copies under the same lock.
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/network_adapters.h"

// Who this device is, as the panel knows it.
struct SpeedTestDevice {
  std::u16string computerName;
  std::u16string mac;        // the MAC text the program presents to the panel
  std::u16string deviceKey;
};

class SpeedReport {
 public:
  // Called after every change from any thread (the app delivers
  // SpeedReportChanged to its job mailbox). Set it before the first test starts.
  void SetNotifier(std::function<void()> notify);

  // Appends `text` and a line feed under the report lock, then notifies.
  void AppendReportLine(std::u16string_view text);

  std::u16string Text() const;
  std::vector<std::u16string> Lines() const;  // split at line feeds, last empty piece dropped
  bool Empty() const;

  // First visible line. Scrolling never goes above the top; the painter
  // limits the bottom (ClampReportScroll), as only it knows the box height.
  int ScrollOffset() const;
  void ScrollBy(int lines);

  // The running flag: only one test at a time.
  bool Running() const { return running_.load(); }
  // Sets the flag; false when a test was running already. On success the
  // report is emptied and scrolled to the top, both under the lock.
  bool BeginTest();
  // Clears the flag and notifies.
  void EndTest();

 private:
  void Notify() const;

  mutable std::mutex mutex_;
  std::u16string text_;
  int scroll_ = 0;
  std::function<void()> notify_;
  std::atomic<bool> running_{false};
};

// The panel's elements, in focus order.
enum class SpeedItem { Back = 0, Start = 1, ClearCache = 2, RefreshWifi = 3 };

// What the caller still has to do after ActivateSpeedItem.
struct SpeedItemOutcome {
  bool closePanel = false;       // Back: close the overlay and repaint
  bool picturesDropped = false;  // Clear cache: release the icon and backdrop bitmaps
};

// The action of the focused element (main thread). Start launches
// RunSpeedTest on a detached thread, which keeps `report` alive; it does
// nothing while a test runs. Clear cache empties the data folder's caches
// and reports the freed size.
SpeedItemOutcome ActivateSpeedItem(SpeedItem item, const std::shared_ptr<SpeedReport>& report,
                                   const SpeedTestDevice& device);

// Starts a test on a detached thread unless one is running; true when started.
bool StartSpeedTest(const std::shared_ptr<SpeedReport>& report, const SpeedTestDevice& device);

// The whole measurement sequence, blocking (minutes at worst). Ends by
// clearing the running flag. Background threads only.
void RunSpeedTest(SpeedReport& report, const SpeedTestDevice& device);

// Clears the cache in the data folder and appends "Clear cache: N KB".
void ClearCacheIntoReport(SpeedReport& report);

// The advice shown for "Refresh Wi-Fi": the program cannot reconnect by itself.
void AppendWifiAdvice(SpeedReport& report);

// --- report pieces, exposed for tests ---

// "IP dispozitiv (local)", the IPv4 lines, and "Network: ..." (or "  (none)").
std::vector<std::u16string> LocalNetworkLines(const std::vector<NetworkAdapter>& adapters);

// The value of `key` in a trace answer (lines of key=value), or empty.
std::string TraceValue(std::string_view body, std::string_view key);

// The four trace lines; a missing value shows as "—".
std::vector<std::u16string> TraceLines(std::string_view body);

// One probe line from the kept round-trip times and the failure count.
std::u16string ProbeLine(std::u16string_view label, const std::vector<double>& timesMs, int failures);

std::vector<std::u16string> DownloadLines(size_t bytes, double seconds);
std::vector<std::u16string> UploadLines(size_t sent, double seconds, size_t replyBytes);

// The scroll offset limited to what a box of `visibleLines` can show.
int ClampReportScroll(int offset, int lineCount, int visibleLines);

inline constexpr int kProbeCount = 8;
