#include "catalog/guide_copy.h"

#include <charconv>
#include <system_error>

#include "store/file_io.h"

namespace {

// Guides of a gigabyte exist; the copy is read up to the download's cap.
constexpr size_t kCopyPieceBytes = 1u << 20;

}  // namespace

int64_t KeptGuideTime(const KeptGuideFiles& files, std::string_view ownerLines) {
  const auto side = ReadWholeFile(files.side, 4096);
  if (!side || !side->starts_with(ownerLines)) return 0;
  const std::string_view rest = std::string_view(*side).substr(ownerLines.size());
  int64_t at = 0;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), at);
  if (error != std::errc() || end == rest.data()) return 0;
  return at;
}

bool KeptGuideFresh(int64_t at, int64_t now, int64_t freshSeconds) {
  return at > 0 && at <= now + 60 && now - at < freshSeconds;
}

XmltvResult ReadKeptGuide(const std::filesystem::path& body, XmltvReader& reader, uint64_t capBytes) {
  const auto mapped = MapWholeFile(body, capBytes);
  if (mapped) {
    // Fed in pieces, as a download is: the reader holds no more at once.
    const std::string_view bytes = mapped->bytes();
    for (size_t at = 0; at < bytes.size() && reader.Feed(bytes.substr(at, kCopyPieceBytes)); at += kCopyPieceBytes) {
    }
  }
  return reader.Finish();
}

DownloadedGuide DownloadGuide(std::u16string_view url, const KeptGuideFiles& files, std::string_view ownerLines,
                              XmltvReader& reader, int64_t now, uint32_t timeoutMs, uint64_t capBytes) {
  const auto copy = StartFileReplacement(files.body);
  const auto sink = [&reader, &copy](std::string_view bytes) {
    // Once the reader has found the body is no guide, nothing of it will
    // be kept; the end of the document and what follows it are.
    if (reader.status() != XmltvStatus::Reading) return;
    copy->Write(bytes);
    reader.Feed(bytes);
  };
  const HttpClient::HttpReply reply = HttpClient::FetchGetInto(url, timeoutMs, capBytes, sink, 0);
  DownloadedGuide downloaded{reader.Finish(), reply.status, reply.end};
  XmltvResult& result = downloaded.result;
  if (result.status == XmltvStatus::Read && !reply.whole()) {
    result.status = XmltvStatus::Truncated;
    result.guide.reset();
    result.channels.reset();
  }
  if (result.status != XmltvStatus::Read) return downloaded;
  std::error_code ignored;
  std::filesystem::remove(files.side, ignored);
  if (copy->Commit()) WriteFileAtomically(files.side, std::string(ownerLines) + std::to_string(now) + "\n");
  return downloaded;
}
