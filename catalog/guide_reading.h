#pragma once
// Reading every guide of an account in one job: the provider's own
// (xmltv.php) first, then the user's guide sources in their order, each
// moved by its offset, with the live channels linked to them as they are
// read (catalog/guide_links.h): the reader of each source keeps only the
// programmes of the guide channels linked so far, and the programme on now
// of every other channel, for the picker that assigns guides by hand.
//
// Runs on a job thread; what it returns is immutable and goes to the main
// thread whole.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalog/account.h"
#include "catalog/guide_links.h"
#include "catalog/guide_sources.h"
#include "catalog/whole_guide_source.h"
#include "store/guide_map.h"

// One source as read.
struct GuideSourceHeld {
  std::string key;  // as guide_map.json names it: empty for the provider's, else its URL
  int offsetHours = 0;
  SharedWholeGuide guide;        // null when it gave none
  SharedGuideChannels channels;  // its <channel> elements; null likewise
};

// What the main thread holds of the guides, for the account they were read
// for: every source as read, and the link of each live channel.
struct WholeGuideHeld {
  XtreamAccount account;
  std::vector<GuideSourceHeld> sources;
  std::shared_ptr<const GuideLinksOfStream> links;

  // Some source gave a guide.
  bool Any() const;
  // The channel's link, or null.
  const GuideLink* LinkOf(std::u16string_view streamId) const;
  // The store's rows for `streamId`: every programme of its linked guide
  // channel kept (the past week and three days ahead); nothing when the
  // channel has no link or its source gave no guide.
  std::optional<std::vector<EpgEntry>> RowsFor(std::u16string_view streamId, int64_t now) const;
};

// What a source came to, for its line in the guide settings and the log.
struct GuideSourceReport {
  std::string key;
  bool read = false;
  bool fromCopy = false;
  size_t programmes = 0;
  size_t channels = 0;  // <channel> elements listed
  size_t linked = 0;    // live channels that take their guide from it
  std::string detail;   // why it gave none (short, for the screen); empty when read
};

struct GuideReading {
  std::vector<GuideSourceHeld> sources;
  std::vector<GuideSourceReport> reports;
  std::shared_ptr<const GuideLinksOfStream> links;
  std::vector<GuideReviewItem> review;
  GuideLinkCounts counts;
  // The provider's own answer, for the log lines kept from before.
  WholeGuideLoad provider;
};

struct GuideReadingAsk {
  XtreamAccount account;
  SharedItems liveChannels;
  GuideMapFile map;
  int providerOffsetHours = 0;
  std::vector<GuideSourceSpec> sources;
  int64_t now = 0;
  uint32_t timeoutMs = 30000;
  uint64_t capBytes = 4ull << 30;
};

// Reads them all. A source that fails costs only itself.
GuideReading ReadGuides(const GuideReadingAsk& ask);

// Whether any kept copy of the ask's sources is no longer fresh (or is
// missing): the provider's, or one of the user's.
bool GuideCopiesStale(const GuideReadingAsk& ask);
