#include "catalog/whole_guide_source.h"

#include <system_error>

#include "catalog/guide_copy.h"
#include "net/text.h"
#include "store/data_folder.h"

namespace {

// The body as it came (any name would do: the reader tells gzip from
// the first bytes) and who it belongs to.
constexpr const char* kBodyFile = "xmltv";
constexpr const char* kSourceFile = "source.txt";

KeptGuideFiles GuideFiles() {
  auto dir = EnsureDataFolder() / "guide";
  std::error_code ignored;
  std::filesystem::create_directories(dir, ignored);
  return KeptGuideFiles{dir / kBodyFile, dir / kSourceFile};
}

// "<server>\n<user>\n": the account a copy was downloaded for.
std::string AccountLines(const XtreamAccount& account) {
  return WideToUtf8(account.Server) + "\n" + WideToUtf8(account.User) + "\n";
}

WholeGuideLoad LoadOf(XmltvResult read, bool fromCopy) {
  WholeGuideLoad load;
  load.status = read.status;
  load.fromCopy = fromCopy;
  load.guide = std::move(read.guide);
  load.channels = std::move(read.channels);
  load.detail = std::move(read.detail);
  load.bodyBytes = read.bodyBytes;
  return load;
}

}  // namespace

bool WholeGuideCopyFresh(const XtreamAccount& account, int64_t now) {
  return KeptGuideFresh(KeptGuideTime(GuideFiles(), AccountLines(account)), now, kWholeGuideFreshSeconds);
}

WholeGuideLoad LoadWholeGuide(const XtreamAccount& account, const SharedItems& liveChannels, int64_t now,
                              uint32_t timeoutMs, uint64_t capBytes, const XmltvOptions& options) {
  WholeGuideLoad load;
  if (!account.IsXtream || !liveChannels || liveChannels->empty()) {
    load.status = XmltvStatus::NotXmltv;
    load.detail = "no live channels";
    return load;
  }
  GuideChannelSet channels = GuideChannelSet::Of(*liveChannels);
  const KeptGuideFiles files = GuideFiles();
  if (WholeGuideCopyFresh(account, now)) {
    XmltvReader reader(channels, now, options);
    load = LoadOf(ReadKeptGuide(files.body, reader, capBytes), true);
  }
  // A copy that no longer reads (damaged on disk) is fetched again.
  if (load.status != XmltvStatus::Read) {
    XmltvReader reader(std::move(channels), now, options);
    DownloadedGuide downloaded =
        DownloadGuide(WholeGuideUrl(account), files, AccountLines(account), reader, now, timeoutMs, capBytes);
    load = LoadOf(std::move(downloaded.result), false);
    load.httpStatus = downloaded.httpStatus;
  }
  return load;
}
