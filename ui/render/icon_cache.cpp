#include "ui/render/icon_cache.h"

#include <algorithm>

#include <system_error>
#include <thread>

#include "catalog/catalog_item.h"
#include "net/http_client.h"
#include "net/text.h"
#include "store/data_folder.h"
#include "store/file_io.h"

namespace {

constexpr uint32_t kIconTimeoutMs = 10000;
constexpr uint64_t kIconBodyCap = 1048576;

bool IsFileNameCharacter(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'-';
}

}  // namespace

std::u16string IconKey(std::u16string_view kind, std::u16string_view id) {
  std::u16string key(kind.empty() ? u"x" : kind);
  key += u'_';
  key += id;
  return key;
}

std::filesystem::path IconFile(std::u16string_view key) {
  std::string name;
  for (char16_t c : key) name += IsFileNameCharacter(c) ? static_cast<char>(c) : '_';
  if (name.empty()) name.push_back('x');
  return DataFolder() / "icons" / (name + ".img");
}

IconDownloadStarter ThreadedIconDownloads(std::function<void()> onDone) {
  return [onDone = std::move(onDone)](IconDownload job, std::function<void()> finished) {
    auto work = [job = std::move(job), finished, onDone]() {
      const HttpResult body = HttpClient::Get(job.url, kIconTimeoutMs, kIconBodyCap);
      if (!body.empty()) {
        std::error_code ignored;
        std::filesystem::create_directories(job.file.parent_path(), ignored);
        WriteFileAtomically(job.file, body);
      }
      finished();
      if (onDone) onDone();
    };
    try {
      std::thread(std::move(work)).detach();
    } catch (const std::system_error&) {
      // No thread could be started: the download simply did not happen.
      finished();
    }
  };
}

IconCache::IconCache(IconDownloadStarter starter) : starter_(std::move(starter)) {}

IconCache::~IconCache() = default;

IconCache::State IconCache::StateOf(std::u16string_view key) const {
  const auto it = states_.find(key);
  return it == states_.end() ? State::None : it->second;
}

void IconCache::Clear() {
  bitmaps_.clear();
  states_.clear();
}

const Picture* IconCache::IconFor(const CatalogItem& item, bool frameInProgress) {
  return IconFor(item.kind(), item.id(), item.icon(), frameInProgress);
}

const Picture* IconCache::IconFor(std::u16string_view kind, std::u16string_view id, std::u16string_view url,
                                  bool frameInProgress) {
  if (url.empty() || id.empty()) return nullptr;
  const std::u16string key = IconKey(kind, id);
  if (const auto held = bitmaps_.find(key); held != bitmaps_.end()) return held->second.get();

  const State state = StateOf(key);
  // A file that would not decode is not tried again this run.
  if (state == State::Failed) return nullptr;

  const std::filesystem::path file = IconFile(key);
  std::error_code error;
  const bool onDisk = std::filesystem::exists(file, error);
  if (onDisk && !frameInProgress) return Decode(key, file);
  // Decoding is slow; a frame in progress shows the item without its icon
  // and the next request between frames decodes it.
  if (frameInProgress) missed_.push_back(file);
  if (onDisk || state == State::Downloading) return nullptr;
  if (inFlight_->load() >= kMaxDownloads) return nullptr;
  StartDownload(key, url, file);
  return nullptr;
}

bool IconCache::MissedIconArrived() const {
  std::error_code error;
  return std::any_of(missed_.begin(), missed_.end(),
                     [&](const std::filesystem::path& file) { return std::filesystem::exists(file, error); });
}

const Picture* IconCache::Decode(const std::u16string& key, const std::filesystem::path& file) {
  if (bitmaps_.size() > kMaxBitmaps) {
    for (size_t released = 0; released < kReleaseCount && !bitmaps_.empty(); ++released) {
      states_.erase(bitmaps_.begin()->first);
      bitmaps_.erase(bitmaps_.begin());
    }
  }
  PicturePtr picture = DecodeImageFile(file);
  if (!picture) {
    states_[key] = State::Failed;
    return nullptr;
  }
  const Picture* raw = picture.get();
  bitmaps_[key] = std::move(picture);
  states_[key] = State::Loaded;
  return raw;
}

void IconCache::StartDownload(const std::u16string& key, std::u16string_view url, const std::filesystem::path& file) {
  states_[key] = State::Downloading;
  inFlight_->fetch_add(1);
  std::shared_ptr<std::atomic<int>> counter = inFlight_;
  auto finished = [counter]() { counter->fetch_sub(1); };
  if (!starter_) {
    finished();
    return;
  }
  starter_(IconDownload{std::u16string(url), file}, std::move(finished));
}
