#pragma once
// An XMLTV guide read from the copy kept in the data folder, or downloaded:
// read while it arrives and written, as it came (gzip stays gzip), to a new
// copy that replaces the old one only when the download gave a whole guide.
//
// Beside each copy a small side file says whose it is and when it was
// downloaded: some lines naming the owner (an account, a URL), then the
// download time in Unix seconds. The side file goes before the copy is
// replaced and comes back after, so a crash in between leaves a copy that
// nobody trusts rather than one taken for another owner's.
//
// Runs on a job thread. One caller per copy at a time.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "catalog/xmltv_reader.h"
#include "net/http_client.h"

struct KeptGuideFiles {
  std::filesystem::path body;  // the copy
  std::filesystem::path side;  // whose, and when
};

// When the copy was downloaded, when its side file starts with
// `ownerLines`; 0 otherwise (no copy, another owner's, unreadable).
int64_t KeptGuideTime(const KeptGuideFiles& files, std::string_view ownerLines);

// Whether a copy downloaded at `at` (KeptGuideTime) is younger than
// `freshSeconds` at `now`. A copy "from the future" (the clock was set back)
// is not trusted.
bool KeptGuideFresh(int64_t at, int64_t now, int64_t freshSeconds);

// The copy read by `reader`, fed in pieces as a download is (at most
// `capBytes` of it).
XmltvResult ReadKeptGuide(const std::filesystem::path& body, XmltvReader& reader, uint64_t capBytes);

struct DownloadedGuide {
  XmltvResult result;  // a transfer that did not end whole is Truncated
  int httpStatus = 0;  // 0 when no answer came
  HttpClient::BodyEnd end = HttpClient::BodyEnd::Broken;
};

// Downloads `url` into `reader`. When it gives a whole guide the body
// replaces the copy and the side file is written as `ownerLines` and `now`.
DownloadedGuide DownloadGuide(std::u16string_view url, const KeptGuideFiles& files, std::string_view ownerLines,
                              XmltvReader& reader, int64_t now, uint32_t timeoutMs, uint64_t capBytes);
