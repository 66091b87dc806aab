#pragma once
// Item icons: downloaded once into the data folder's "icons" folder, kept on
// disk across runs (until the cache is cleared), decoded on demand and held
// in memory up to a limit.
//
// The maps are touched only on the main thread. Downloads run elsewhere
// (IconDownloadStarter) and report only through their `finished` call and
// the `onDone` call the app gives (it hands an IconsArrived result to the
// job mailbox).
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/image_decode.h"

class CatalogItem;

// The key of an item's icon: its kind ("x" when empty), "_", its id.
std::u16string IconKey(std::u16string_view kind, std::u16string_view id);
// The file of a key: icons/<name>.img in the data folder, the name being the
// key with every character other than A-Z a-z 0-9 "_" "-" turned into "_"
// ("x" for an empty key).
std::filesystem::path IconFile(std::u16string_view key);

struct IconDownload {
  std::u16string url;
  std::filesystem::path file;
};

// Starts one download and returns at once. `finished` must be called exactly
// once when the download has ended, successfully or not, from any thread.
using IconDownloadStarter = std::function<void(IconDownload job, std::function<void()> finished)>;

// The real downloader: a detached thread per icon does one HTTP GET (10 s,
// at most 1 MiB), writes a non-empty body over the file (crash-safe), calls
// `finished` and then `onDone` (the app delivers IconsArrived from there).
IconDownloadStarter ThreadedIconDownloads(std::function<void()> onDone);

class IconCache {
 public:
  static constexpr int kMaxDownloads = 8;
  static constexpr size_t kMaxBitmaps = 80;
  static constexpr size_t kReleaseCount = 20;

  enum class State : uint8_t { None = 0, Downloading = 1, Failed = 2, Loaded = 3 };

  explicit IconCache(IconDownloadStarter starter);
  ~IconCache();
  IconCache(const IconCache&) = delete;
  IconCache& operator=(const IconCache&) = delete;

  // The decoded icon, or null while it is not available. With
  // `frameInProgress` a file on disk is never decoded (that waits for the
  // next call between frames); a missing file starts a download unless this
  // key was already tried this run or kMaxDownloads are in flight.
  const Picture* IconFor(const CatalogItem& item, bool frameInProgress);
  const Picture* IconFor(std::u16string_view kind, std::u16string_view id, std::u16string_view url,
                           bool frameInProgress);

  // Icons a frame drew without: each frame starts a new list, and a later
  // frame can show more only when one of their files has arrived since.
  void ForgetMisses() { missed_.clear(); }
  bool MissedIconArrived() const;

  // Forgets every bitmap and state (after the icon files were deleted).
  void Clear();

  int DownloadsInFlight() const { return inFlight_->load(); }
  size_t BitmapCount() const { return bitmaps_.size(); }
  State StateOf(std::u16string_view key) const;
  bool Holds(std::u16string_view key) const { return bitmaps_.find(key) != bitmaps_.end(); }

 private:
  const Picture* Decode(const std::u16string& key, const std::filesystem::path& file);
  void StartDownload(const std::u16string& key, std::u16string_view url, const std::filesystem::path& file);

  std::vector<std::filesystem::path> missed_;
  std::map<std::u16string, PicturePtr, std::less<>> bitmaps_;
  std::map<std::u16string, State, std::less<>> states_;
  // Shared with the download threads, which may outlive the cache.
  std::shared_ptr<std::atomic<int>> inFlight_ = std::make_shared<std::atomic<int>>(0);
  IconDownloadStarter starter_;
};
