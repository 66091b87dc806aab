#pragma once
// Which guide channel each live channel shows, across the guide sources read
// in order (the provider's own first, then the user's).
//
// For each source, once its <channel> elements are read (the reader's hook),
// every live channel not linked yet is tried in this order:
//   1. the user's choice (guide_map.json): a guide channel of this source,
//      or "no guide", which ends the search for that channel;
//   2. its guide id (epg_channel_id), when this source lists it;
//   3. its name against the source's display names (catalog/guide_match.h):
//      an exact or confident match links it; an unsure one is remembered for
//      the review list, unless a later source links the channel.
// A channel linked by id or name whose guide channel then has no programme
// at all is free again for the sources after it. The first source that
// links a channel wins; a channel chosen by the user keeps its choice even
// when the programmes are missing for now.
//
// One linker per reading job, used by that job's thread only.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalog/catalog_item.h"
#include "catalog/whole_guide.h"
#include "catalog/xmltv_reader.h"
#include "store/guide_map.h"

enum class GuideLinkKind : uint8_t {
  Chosen,    // the user chose it
  GuideId,   // the provider's guide id
  SameName,  // an exact or confident match by name
};

struct GuideLink {
  uint8_t source = 0;  // index of the source as read (0: the provider's)
  GuideLinkKind kind = GuideLinkKind::GuideId;
  int8_t archiveDays = 0;  // how far back the channel's archive reaches (0: none)
  std::u16string guideId;
};

// The link of each live channel that has one, by stream id.
using GuideLinksOfStream = std::unordered_map<std::u16string, GuideLink>;

// An unsure match waiting for the user: the best candidate found.
struct GuideReviewItem {
  std::u16string streamId;
  std::u16string channelName;
  uint8_t source = 0;
  std::string guideId;
  std::string guideName;  // the candidate's first display name
  float score = 0;
};

struct GuideLinkCounts {
  size_t chosen = 0, noGuide = 0, byId = 0, byName = 0, unsure = 0, none = 0;
};

class GuideLinker {
 public:
  // `sourceKeys`: one per source in reading order, as guide_map.json names
  // them (empty for the provider's own guide, else the source's URL).
  // `accountKey` selects the account's choices in `map`.
  GuideLinker(SharedItems live, const GuideMapFile& map, const std::string& accountKey,
              std::vector<std::string> sourceKeys);

  // The reader's hook for source `source`: links what this source can and
  // adds the guide ids it needs to `channels`. Called again for the same
  // source (its kept copy did not read and it is downloaded), it starts
  // that source over.
  void LinkSource(size_t source, const GuideChannelDirectory& directory, GuideChannelSet& channels);

  // After the source was read: a channel not chosen by the user whose own
  // guide id has programmes in `guide` is linked by it (even when the guide
  // named no <channel> for it, and over a match by name); links of `source`
  // whose guide channel has no programme are undone (a choice stays), so a
  // later source may link them. A source that gave no guide undoes all its
  // links but the choices.
  void Settle(size_t source, const WholeGuide* guide);

  // The links made, the review list (channels still unlinked that had an
  // unsure match, in catalog order) and what came of each channel.
  std::shared_ptr<const GuideLinksOfStream> Links() const;
  std::vector<GuideReviewItem> Review() const;
  GuideLinkCounts Counts() const;

 private:
  static constexpr uint8_t kFree = 0xFF;
  static constexpr uint8_t kNoGuide = 0xFE;
  struct Unsure {
    uint8_t source = 0;
    float score = 0;
    std::string guideId, guideName;
  };

  SharedItems live_;
  std::vector<std::string> sourceKeys_;
  // Per live channel (catalog order): the source that links it, kFree or
  // kNoGuide; how; and the guide id.
  std::vector<uint8_t> linkedBy_;
  std::vector<GuideLinkKind> kind_;
  std::vector<std::u16string> guideId_;
  // The account's choices by catalog index.
  std::unordered_map<size_t, GuideAssignment> chosen_;
  std::unordered_map<size_t, Unsure> unsure_;
};
