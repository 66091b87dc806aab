#pragma once
// Where the whole-provider guide comes from: the copy kept in the data
// folder ("guide/"), or the provider's xmltv.php, read while it downloads and
// kept as it arrived (gzip stays gzip) for the next start.
//
// The copy is trusted for kWholeGuideFreshSeconds and only for the account
// that wrote it ("guide/source.txt" names its server and user). A download
// that does not give a whole XMLTV document (an HTTP error, an HTML page, a
// transfer cut short) replaces nothing: the copy on disk stays as it was,
// and the caller keeps asking per channel.
//
// Runs on a job thread; the result is private until it is delivered.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalog/account.h"
#include "catalog/catalog_item.h"
#include "catalog/xmltv_reader.h"

// How long a downloaded guide is used before it is fetched again.
constexpr int64_t kWholeGuideFreshSeconds = 12 * 3600;

struct WholeGuideLoad {
  XmltvStatus status = XmltvStatus::Reading;
  bool fromCopy = false;        // read from the data folder, not downloaded
  SharedWholeGuide guide;       // set when status is Read
  SharedGuideChannels channels;  // likewise: the guide's <channel> elements
  std::string detail;           // why not, for the log
  int httpStatus = 0;           // of a download
  uint64_t bodyBytes = 0;
};

// Whether the kept copy belongs to `account` and is younger than
// kWholeGuideFreshSeconds at `now` (Unix seconds).
bool WholeGuideCopyFresh(const XtreamAccount& account, int64_t now);

// Reads the guide for the live channels of `liveChannels`: from the kept
// copy when it is fresh, else from the provider (`timeoutMs` as a stall
// limit, the body capped at `capBytes`). A download that gives a guide
// replaces the copy. `options` go to the reader (an offset, keeping now for
// all, the hook); when the copy does not read and the provider is asked, the
// hook is called once more, for the download. Which live channel takes which
// guide channel is the hook's to say (catalog/guide_links.h).
WholeGuideLoad LoadWholeGuide(const XtreamAccount& account, const SharedItems& liveChannels, int64_t now,
                              uint32_t timeoutMs, uint64_t capBytes, const XmltvOptions& options = {});
