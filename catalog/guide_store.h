#pragma once
// The programmes of many live channels at once, keyed by stream id.
//
// Filled from three sources: a channel's short guide (topped up from its
// full table), the full table the catch-up screen asks for (the past too),
// and a whole-provider guide that fills many channels in one call. Each
// channel's rows are valid until their last programme ends or their origin's
// lifetime passes (an hour for the per-channel answers); after that a read
// still shows them, but they count as stale and a request refreshes them.
//
// Bounded in memory: when the rows held pass kGuideStoreByteBudget, the
// channels used least recently go (a fill or a Touch counts as a use; a read
// does not, so painters stay const).
//
// Thread contract: main thread only, no lock. Jobs never see the store: they
// fetch privately and hand their rows back through the job mailbox, and the
// merge fills the store. Painters run on the main thread and read it
// directly; a pointer or reference a read returns is valid until the next
// fill, Touch or Clear.
#include <cstddef>
#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalog/guide.h"

// The heap the rows of all channels may take, counted by GuideRowBytes.
// 64 MiB holds the full week's table of about a thousand channels, or the
// short guides of many thousands.
constexpr size_t kGuideStoreByteBudget = 64u * 1024 * 1024;
// How long a per-channel answer stays valid at most.
constexpr int64_t kGuideValidSeconds = 3600;
// Any answer, even an empty one or one whose programmes have all ended,
// stays valid this long: a provider is not asked again for it at once.
constexpr int64_t kGuideRetrySeconds = 60;

// Where a channel's rows came from.
enum class GuideOrigin : uint8_t {
  ShortGuide,  // get_short_epg, topped up from the table when short
  FullTable,   // with get_simple_data_table: past programmes included
  WholeGuide,  // a whole-provider guide (XMLTV): past programmes included
};

// One channel's programmes, as a bulk fill hands them over.
struct GuideChannelRows {
  std::u16string streamId;
  std::vector<EpgEntry> rows;  // in answer order
};

struct GuideChannel {
  std::vector<EpgEntry> rows;  // in answer order
  GuideOrigin origin = GuideOrigin::ShortGuide;
  int64_t answeredAt = 0;  // Unix seconds of the fill
  int64_t validUntil = 0;  // Unix seconds; from then on the rows are stale
  size_t bytes = 0;        // GuideRowBytes of the rows
  // The past programmes are held too (what catch-up lists).
  bool HasPast() const { return origin != GuideOrigin::ShortGuide; }
  bool FreshAt(int64_t now) const { return now < validUntil; }
};

// The heap one channel's rows take: the row slots and their texts.
size_t GuideRowBytes(const std::vector<EpgEntry>& rows);

// When rows answered at `answeredAt` stop being valid: at the end of their
// last programme, or `lifetime` seconds after the answer, whichever comes
// first, but never within kGuideRetrySeconds of it. Rows without any time
// last the whole lifetime.
int64_t GuideValidUntil(const std::vector<EpgEntry>& rows, int64_t answeredAt, int64_t lifetime);

class GuideStore {
 public:
  explicit GuideStore(size_t byteBudget = kGuideStoreByteBudget) : budget_(byteBudget) {}

  // Replaces the rows of `streamId` with an answer read at `now` and marks
  // it the most recently used. Valid for kGuideValidSeconds at most.
  void Fill(std::u16string_view streamId, std::vector<EpgEntry> rows, GuideOrigin origin, int64_t now);

  // Many channels at once (a whole-provider guide): each replaces that
  // channel's rows, valid for `lifetime` seconds at most. Channels not
  // listed keep theirs. When the budget cannot hold them all, those listed
  // last are kept (a caller lists the channels it shows last).
  void FillMany(std::vector<GuideChannelRows> channels, GuideOrigin origin, int64_t now, int64_t lifetime);

  // The channel's entry, or null when none is held (fresh or stale).
  const GuideChannel* Find(std::u16string_view streamId) const;
  // The channel's rows; empty when none are held.
  const std::vector<EpgEntry>& RowsOf(std::u16string_view streamId) const;
  // One row of the channel (catch-up copies the programme it plays), or
  // nothing when `index` is outside its rows.
  std::optional<EpgEntry> RowAt(std::u16string_view streamId, int32_t index) const;
  // Whether rows answered for `streamId` are still valid at `now` (and hold
  // the past when `withPast`): a request for it then sends nothing.
  bool IsFresh(std::u16string_view streamId, bool withPast, int64_t now) const;

  // Marks the channel the most recently used (the one the user looks at).
  void Touch(std::u16string_view streamId);
  // Drops everything (another account: stream ids mean other channels).
  void Clear();
  // Drops one channel's rows (its guide changed).
  void Forget(std::u16string_view streamId);
  // Drops the channels filled from `origin` (the guides were read again:
  // their rows come anew on the next look); returns how many.
  size_t DropOrigin(GuideOrigin origin);

  size_t Channels() const { return index_.size(); }
  size_t Bytes() const { return bytes_; }

 private:
  struct Node {
    std::u16string streamId;
    GuideChannel channel;
  };
  using Lru = std::list<Node>;  // most recently used first

  void Put(std::u16string_view streamId, std::vector<EpgEntry> rows, GuideOrigin origin, int64_t now,
           int64_t lifetime);
  void Evict();

  size_t budget_;
  size_t bytes_ = 0;
  Lru lru_;
  std::unordered_map<std::u16string, Lru::iterator> index_;
};
