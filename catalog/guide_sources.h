#pragma once
// The user's own XMLTV guides (the addresses listed in the preferences),
// each loaded as the provider's whole guide is (catalog/whole_guide_source.h):
// read while it downloads (plain or gzip), kept as it came in the data
// folder's "guide/sources/<GuideSourceCopyName>", with a side file of the
// same name and ".txt" naming the address and the download time. The copy
// is trusted for kWholeGuideFreshSeconds and only for its own address; a
// download that gives no whole guide (an HTTP error, an HTML page, a
// transfer cut short) replaces nothing.
//
// Runs on a job thread; one load per source at a time.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/whole_guide.h"
#include "catalog/xmltv_reader.h"

struct GuideSourceSpec {
  static constexpr int kMostOffsetHours = 12;

  std::string url;      // http:// or https://, UTF-8
  int offsetHours = 0;  // added to every start and stop; kept within ±kMostOffsetHours
};

struct GuideSourceLoad {
  XmltvStatus status = XmltvStatus::Reading;
  bool fromCopy = false;         // read from the data folder, not downloaded
  SharedWholeGuide guide;        // set when status is Read
  SharedGuideChannels channels;  // likewise: the guide's <channel> elements
  size_t programmes = 0;         // kept in `guide`
  size_t channelCount = 0;       // <channel> elements the guide lists
  // Why there is no guide, short enough for a line of the settings: "HTTP
  // 404", "could not connect", "not an XMLTV guide", "cut off", "too large",
  // "broken XML", "not a web address". Empty when it read.
  std::string detail;
  std::string readerDetail;  // the reader's own words, for the log
  int httpStatus = 0;        // of a download; 0 when no answer came
  uint64_t bodyBytes = 0;
};

// The name of a source's copy: 16 hex digits of the SHA-256 of its address.
std::string GuideSourceCopyName(std::string_view url);

// Whether the kept copy of `url` is younger than kWholeGuideFreshSeconds at
// `now` (Unix seconds).
bool GuideSourceCopyFresh(std::string_view url, int64_t now);

// Reads the source's programmes of `channels`: from the kept copy when it
// is fresh, else from its address (`timeoutMs` as a stall limit, the body
// capped at `capBytes`). The spec's offset replaces the one in `options`;
// the rest (keeping now for all, the hook) go to the reader as they are.
// When the copy does not read and the address is asked, the hook is called
// once more, for the download.
GuideSourceLoad LoadGuideSource(const GuideSourceSpec& spec, GuideChannelSet channels, XmltvOptions options,
                                int64_t now, uint32_t timeoutMs, uint64_t capBytes);

// Removes the kept copies and side files of every address not in `urls`,
// so a source taken out of the list leaves nothing behind; a download's
// temporary file is left alone (RemoveStaleSaves takes those). Returns how
// many files went.
size_t ForgetOtherGuideSources(const std::vector<std::string>& urls);
