#include "catalog/guide_sources.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "catalog/guide_copy.h"
#include "catalog/whole_guide_source.h"
#include "net/text.h"
#include "platform/sha256.h"
#include "store/data_folder.h"

namespace {

constexpr size_t kCopyNameLength = 16;

std::filesystem::path SourcesDir() { return EnsureDataFolder() / "guide" / "sources"; }

KeptGuideFiles SourceFiles(std::string_view url) {
  const auto dir = SourcesDir();
  std::error_code ignored;
  std::filesystem::create_directories(dir, ignored);
  const std::string name = GuideSourceCopyName(url);
  return KeptGuideFiles{dir / name, dir / (name + ".txt")};
}

// The copy name a kept file belongs to: its whole name, or all but ".txt";
// empty for any other file.
std::string CopyNameOf(const std::string& file) {
  const std::string name = file.ends_with(".txt") ? file.substr(0, file.size() - 4) : file;
  const bool hex = std::all_of(name.begin(), name.end(), [](char c) { return std::isxdigit(uint8_t(c)) != 0; });
  return name.size() == kCopyNameLength && hex ? name : std::string();
}

// The side file's owner line: the address itself, so that two addresses
// whose names collide never take each other's copy. A line break in it
// would let one address pass for another.
std::string UrlLine(std::string_view url) {
  std::string line(url);
  std::replace_if(line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
  return line + "\n";
}

bool IsWebAddress(std::string_view url) {
  return StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://");
}

// The short reason a download gave no guide.
std::string Reason(const DownloadedGuide& downloaded) {
  const XmltvResult& result = downloaded.result;
  if (downloaded.httpStatus == 0 && result.bodyBytes == 0) return "could not connect";
  if (downloaded.httpStatus >= 400) return "HTTP " + std::to_string(downloaded.httpStatus);
  if (downloaded.end == HttpClient::BodyEnd::CutAtCap) return "too large";
  switch (result.status) {
    case XmltvStatus::NotXmltv: return "not an XMLTV guide";
    case XmltvStatus::Malformed: return "broken XML";
    default: return "cut off";
  }
}

GuideSourceLoad LoadOf(XmltvResult read, bool fromCopy) {
  GuideSourceLoad load;
  load.status = read.status;
  load.fromCopy = fromCopy;
  load.guide = std::move(read.guide);
  load.channels = std::move(read.channels);
  load.programmes = load.guide ? load.guide->Programmes() : 0;
  load.channelCount = load.channels ? load.channels->size() : 0;
  load.readerDetail = std::move(read.detail);
  load.bodyBytes = read.bodyBytes;
  return load;
}

}  // namespace

std::string GuideSourceCopyName(std::string_view url) {
  static constexpr char kHex[] = "0123456789abcdef";
  const Sha256Digest digest = Sha256(url);
  std::string name;
  for (size_t i = 0; i < kCopyNameLength / 2; ++i) {
    name.push_back(kHex[digest[i] >> 4]);
    name.push_back(kHex[digest[i] & 15]);
  }
  return name;
}

bool GuideSourceCopyFresh(std::string_view url, int64_t now) {
  return KeptGuideFresh(KeptGuideTime(SourceFiles(url), UrlLine(url)), now, kWholeGuideFreshSeconds);
}

GuideSourceLoad LoadGuideSource(const GuideSourceSpec& spec, GuideChannelSet channels, XmltvOptions options,
                                int64_t now, uint32_t timeoutMs, uint64_t capBytes) {
  if (!IsWebAddress(spec.url)) {
    GuideSourceLoad load;
    load.status = XmltvStatus::NotXmltv;
    load.detail = "not a web address";
    return load;
  }
  const int hours = std::clamp(spec.offsetHours, -GuideSourceSpec::kMostOffsetHours, GuideSourceSpec::kMostOffsetHours);
  options.offsetSeconds = int64_t{hours} * 3600;
  const KeptGuideFiles files = SourceFiles(spec.url);
  if (GuideSourceCopyFresh(spec.url, now)) {
    XmltvReader reader(channels, now, options);
    GuideSourceLoad load = LoadOf(ReadKeptGuide(files.body, reader, capBytes), true);
    // A copy that no longer reads (damaged on disk) is fetched again.
    if (load.status == XmltvStatus::Read) return load;
  }
  XmltvReader reader(std::move(channels), now, std::move(options));
  DownloadedGuide downloaded =
      DownloadGuide(Utf8ToWide(spec.url), files, UrlLine(spec.url), reader, now, timeoutMs, capBytes);
  const bool read = downloaded.result.status == XmltvStatus::Read;
  GuideSourceLoad load = LoadOf(std::move(downloaded.result), false);
  load.httpStatus = downloaded.httpStatus;
  if (!read) load.detail = Reason(downloaded);
  return load;
}

size_t ForgetOtherGuideSources(const std::vector<std::string>& urls) {
  std::vector<std::string> kept;
  for (const std::string& url : urls) kept.push_back(GuideSourceCopyName(url));
  std::error_code error;
  std::vector<std::filesystem::path> others;
  // Stepped with an error code: the range-for's increment would throw.
  for (std::filesystem::directory_iterator it(SourcesDir(), error), end; !error && it != end; it.increment(error)) {
    const std::string name = CopyNameOf(it->path().filename().string());
    if (!name.empty() && std::find(kept.begin(), kept.end(), name) == kept.end()) others.push_back(it->path());
  }
  size_t removed = 0;
  for (const auto& path : others) removed += std::filesystem::remove(path, error) ? 1 : 0;
  return removed;
}
