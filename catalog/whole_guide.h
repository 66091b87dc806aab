#pragma once
// A whole provider's programme guide (from its XMLTV file), kept compact:
// a grid of thousands of channels over ten days is millions of programmes.
//
// Each programme is one 16-byte slot (start, length, title, description);
// its texts are UTF-8 in one pool, each distinct text once (a title that
// airs on many channels and days is stored once, and so is a repeated
// description). A channel's slots are contiguous and sorted by start.
//
// Built on a job (WholeGuideBuilder), then immutable: a WholeGuide may be
// read from any number of threads at once, so the job hands the main thread
// a SharedWholeGuide and never touches it again.
//
// Sections: the channel set; the guide; the builder; rows for the screens.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalog/catalog_item.h"
#include "catalog/guide.h"

// ---------------------------------------------------------- the channel set

// The guide ids (epg_channel_id) whose programmes are worth keeping, each
// with a small index. Looked up by UTF-8 view without allocating.
class GuideChannelSet {
 public:
  // Adds an id (empty ids and "null", what a JSON null becomes in the
  // catalog, are no ids); an id added twice keeps its first index.
  void Add(std::string_view utf8Id);
  void Add(std::u16string_view id);
  // The guide ids of the live channels of a catalog.
  static GuideChannelSet Of(const ItemList& liveChannels);

  // The id's index, or kNone when the id is not in the set.
  static constexpr uint32_t kNone = UINT32_MAX;
  uint32_t Find(std::string_view utf8Id) const;
  std::string_view IdAt(uint32_t index) const { return ids_[index]; }
  size_t size() const { return ids_.size(); }

 private:
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  std::unordered_map<std::string, uint32_t, Hash, std::equal_to<>> index_;
  std::vector<std::string> ids_;
};

// ---------------------------------------------------------------- the guide

// One programme as the guide stores it. Use the WholeGuide accessors to
// read it: the fields are offsets and text numbers.
struct GuideSlot {
  uint32_t startOffset = 0;  // seconds after WholeGuide::Base()
  uint32_t seconds = 0;      // length, at least 1
  uint32_t title = 0;        // text number (0 = empty)
  uint32_t description = 0;
};

class WholeGuide {
 public:
  // The programmes of a guide id (UTF-8 or UTF-16), sorted by start and not
  // overlapping; empty for an id the guide does not hold.
  std::span<const GuideSlot> ProgrammesOf(std::string_view channelId) const;
  std::span<const GuideSlot> ProgrammesOf(std::u16string_view channelId) const;
  // Those of them that overlap [t0, t1) (Unix seconds): a binary search, no
  // copy.
  std::span<const GuideSlot> Overlapping(std::string_view channelId, int64_t t0, int64_t t1) const;
  std::span<const GuideSlot> Overlapping(std::u16string_view channelId, int64_t t0, int64_t t1) const;

  int64_t StartOf(const GuideSlot& slot) const { return base_ + slot.startOffset; }
  int64_t StopOf(const GuideSlot& slot) const { return StartOf(slot) + slot.seconds; }
  // UTF-8 views into the guide, valid as long as it lives.
  std::string_view TitleOf(const GuideSlot& slot) const { return Text(slot.title); }
  std::string_view DescriptionOf(const GuideSlot& slot) const { return Text(slot.description); }

  int64_t Base() const { return base_; }
  size_t Channels() const { return channelIds_.size(); }
  std::string_view ChannelIdAt(size_t index) const { return channelIds_[index]; }
  size_t Programmes() const { return slots_.size(); }
  // Distinct texts held (titles and descriptions together).
  size_t Texts() const { return textEnds_.empty() ? 0 : textEnds_.size() - 1; }
  // The heap the guide holds: slots, texts and the channel table.
  size_t Bytes() const;

 private:
  friend class WholeGuideBuilder;
  std::string_view Text(uint32_t number) const;
  size_t ChannelIndex(std::string_view channelId) const;

  int64_t base_ = 0;
  std::vector<GuideSlot> slots_;
  std::string texts_;
  std::vector<uint32_t> textEnds_;  // text n spans [textEnds_[n-1], textEnds_[n]); text 0 is empty
  std::vector<std::string> channelIds_;  // sorted
  std::vector<uint32_t> firstSlot_;      // one per channel, and the end
};

using SharedWholeGuide = std::shared_ptr<const WholeGuide>;

// -------------------------------------------------------------- the builder

// Collects programmes in any order and makes the guide of them. Programmes
// are held as 32-byte records in blocks (no reallocation of one big array
// while a guide of millions grows) and their texts are interned at once.
class WholeGuideBuilder {
 public:
  // The longest texts kept, in bytes; longer ones are cut at a character
  // boundary (see CutUtf8).
  static constexpr size_t kTitleBytes = 200;
  static constexpr size_t kDescriptionBytes = 400;

  // Keeps programmes that overlap [now - kSecondsBack, now + kSecondsAhead)
  // and start at most kSecondsBack before that window (a bogus start in 1970
  // with a stop in 2030 is no programme).
  static constexpr int64_t kSecondsBack = 7 * 86400;
  static constexpr int64_t kSecondsAhead = 3 * 86400;
  // `channels` must outlive the builder.
  explicit WholeGuideBuilder(const GuideChannelSet& channels, int64_t now);

  // Whether a programme of [start, stop) is worth reading at all (stop 0:
  // not known yet; such a programme is read when it starts within a day
  // before the window, since its stop comes from the next one).
  bool InWindow(int64_t start, int64_t stop) const;
  // The same for a programme of channel `channel`, under its own window.
  bool InWindow(uint32_t channel, int64_t start, int64_t stop) const;

  // Channels numbered from `firstChannel` on (ids added to the set later,
  // whose programme on now is all a caller wants) keep only the
  // programmes that overlap [from, to), a window inside the guide's.
  void NarrowFrom(uint32_t firstChannel, int64_t from, int64_t to);

  // One programme of channel `channel` (a GuideChannelSet index). `stop`
  // 0 or not after `start`: unknown, decided at Build. Texts are cut to
  // their limits here.
  void Add(uint32_t channel, int64_t start, int64_t stop, std::string_view title, std::string_view description);
  size_t Added() const { return records_.size(); }

  // The guide. Per channel, programmes are sorted by start (programmes of
  // equal start keep their order); a programme's stop is cut to the next
  // one's start when they overlap, so of two with the same start the later
  // listed stays; an unknown stop becomes the next programme's start, or
  // start + 1 hour for the last. Programmes left with no length, or outside
  // their channel's window, are dropped. The builder is empty afterwards
  // (and no channel narrowed).
  SharedWholeGuide Build();

 private:
  struct Window {
    int64_t from, to;
    bool Holds(int64_t start, int64_t stop) const;
  };
  Window WindowOf(uint32_t channel) const;

  struct Record {
    int64_t start;
    int64_t stop;
    uint32_t channel;
    uint32_t title;
    uint32_t description;
  };
  uint32_t Intern(std::string_view text);
  void GrowBuckets();

  const GuideChannelSet& channels_;
  int64_t windowStart_;
  int64_t windowEnd_;
  uint32_t narrowFrom_ = UINT32_MAX;
  Window narrow_{};
  std::deque<Record> records_;
  // The text pool and an open-addressing table of text numbers (0 free).
  std::string texts_;
  std::vector<uint32_t> textEnds_;
  std::vector<uint32_t> buckets_;
};

// The longest prefix of `text` of at most `maxBytes` bytes that does not
// split a UTF-8 character.
std::string_view CutUtf8(std::string_view text, size_t maxBytes);

// ---------------------------------------------------- rows for the screens

// One programme as a row of the guide store: time "HH:MM" in local time,
// length in minutes, title and description in UTF-16 (as the per-channel
// guides fill theirs).
EpgEntry GuideEntryOf(const WholeGuide& guide, const GuideSlot& slot);

// The rows of a channel's programmes that overlap [t0, t1), in order, for
// GuideStore::FillMany with GuideOrigin::WholeGuide.
std::vector<EpgEntry> WholeGuideRows(const WholeGuide& guide, std::u16string_view channelId, int64_t t0, int64_t t1);
