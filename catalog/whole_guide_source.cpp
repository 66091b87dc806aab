#include "catalog/whole_guide_source.h"

#include <algorithm>
#include <charconv>
#include <system_error>

#include "net/http_client.h"
#include "net/text.h"
#include "store/data_folder.h"
#include "store/file_io.h"

namespace {

// The body as it came (any name would do: the reader tells gzip from
// the first bytes) and who it belongs to.
constexpr const char* kBodyFile = "xmltv";
constexpr const char* kSourceFile = "source.txt";
// Guides of a gigabyte exist; the copy is read up to the download's cap.
constexpr size_t kCopyPieceBytes = 1u << 20;

std::filesystem::path GuideDir() {
  auto dir = EnsureDataFolder() / "guide";
  std::error_code ignored;
  std::filesystem::create_directories(dir, ignored);
  return dir;
}

// "<server>\n<user>\n": the account a copy was downloaded for.
std::string AccountLines(const XtreamAccount& account) {
  return WideToUtf8(account.Server) + "\n" + WideToUtf8(account.User) + "\n";
}

// When the copy was downloaded, when it belongs to `account`; 0 otherwise.
int64_t CopyTime(const std::filesystem::path& dir, const XtreamAccount& account) {
  const auto source = ReadWholeFile(dir / kSourceFile, 4096);
  const std::string lines = AccountLines(account);
  if (!source || !source->starts_with(lines)) return 0;
  const std::string_view rest = std::string_view(*source).substr(lines.size());
  int64_t at = 0;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), at);
  if (error != std::errc() || end == rest.data()) return 0;
  return at;
}

std::shared_ptr<const GuideChannelOfStream> ChannelsOf(const WholeGuide& guide, const ItemList& live) {
  auto map = std::make_shared<GuideChannelOfStream>();
  for (const CatalogItem& item : live) {
    const std::u16string_view id = item.epgChannelId();
    if (id.empty() || guide.ProgrammesOf(id).empty()) continue;
    map->emplace(std::u16string(item.id()), std::u16string(id));
  }
  return map;
}

WholeGuideLoad Finished(XmltvReader& reader, bool fromCopy) {
  XmltvResult read = reader.Finish();
  WholeGuideLoad load;
  load.status = read.status;
  load.fromCopy = fromCopy;
  load.guide = std::move(read.guide);
  load.detail = std::move(read.detail);
  load.bodyBytes = read.bodyBytes;
  return load;
}

WholeGuideLoad ReadCopy(const std::filesystem::path& file, const GuideChannelSet& channels, int64_t now,
                        uint64_t capBytes) {
  XmltvReader reader(channels, now);
  const auto mapped = MapWholeFile(file, capBytes);
  if (mapped) {
    // Fed in pieces, as a download is: the reader holds no more at once.
    const std::string_view bytes = mapped->bytes();
    for (size_t at = 0; at < bytes.size() && reader.Feed(bytes.substr(at, kCopyPieceBytes)); at += kCopyPieceBytes) {
    }
  }
  return Finished(reader, true);
}

WholeGuideLoad Download(const XtreamAccount& account, const std::filesystem::path& dir,
                        const GuideChannelSet& channels, int64_t now, uint32_t timeoutMs, uint64_t capBytes) {
  XmltvReader reader(channels, now);
  const auto copy = StartFileReplacement(dir / kBodyFile);
  const auto sink = [&reader, &copy](std::string_view bytes) {
    // Once the reader has found the body is no guide, nothing of it will
    // be kept; the end of the document and what follows it are.
    if (reader.status() != XmltvStatus::Reading) return;
    copy->Write(bytes);
    reader.Feed(bytes);
  };
  const HttpClient::HttpReply reply = HttpClient::FetchGetInto(WholeGuideUrl(account), timeoutMs, capBytes, sink, 0);
  WholeGuideLoad load = Finished(reader, false);
  load.httpStatus = reply.status;
  if (load.status == XmltvStatus::Read && !reply.whole()) {
    load.status = XmltvStatus::Truncated;
    load.guide.reset();
  }
  if (load.status != XmltvStatus::Read) return load;
  // The account line goes first, so that a crash between the two renames
  // leaves a copy that nobody trusts rather than one taken for another
  // account's.
  std::error_code ignored;
  std::filesystem::remove(dir / kSourceFile, ignored);
  if (copy->Commit()) WriteFileAtomically(dir / kSourceFile, AccountLines(account) + std::to_string(now) + "\n");
  return load;
}

}  // namespace

std::optional<std::vector<EpgEntry>> WholeGuideHeld::RowsFor(std::u16string_view streamId, int64_t now) const {
  if (!guide || !channelOf) return std::nullopt;
  const auto it = channelOf->find(std::u16string(streamId));
  if (it == channelOf->end()) return std::nullopt;
  return WholeGuideRows(*guide, it->second, now - WholeGuideBuilder::kSecondsBack, now + WholeGuideBuilder::kSecondsAhead);
}

bool WholeGuideCopyFresh(const XtreamAccount& account, int64_t now) {
  const int64_t at = CopyTime(GuideDir(), account);
  // A copy "from the future" (the clock was set back) is not trusted.
  return at > 0 && at <= now + 60 && now - at < kWholeGuideFreshSeconds;
}

WholeGuideLoad LoadWholeGuide(const XtreamAccount& account, const SharedItems& liveChannels, int64_t now,
                              uint32_t timeoutMs, uint64_t capBytes) {
  WholeGuideLoad load;
  if (!account.IsXtream || !liveChannels || liveChannels->empty()) {
    load.status = XmltvStatus::NotXmltv;
    load.detail = "no live channels";
    return load;
  }
  const GuideChannelSet channels = GuideChannelSet::Of(*liveChannels);
  const std::filesystem::path dir = GuideDir();
  if (WholeGuideCopyFresh(account, now)) load = ReadCopy(dir / kBodyFile, channels, now, capBytes);
  // A copy that no longer reads (damaged on disk) is fetched again.
  if (load.status != XmltvStatus::Read) load = Download(account, dir, channels, now, timeoutMs, capBytes);
  if (load.guide) load.channelOf = ChannelsOf(*load.guide, *liveChannels);
  return load;
}
