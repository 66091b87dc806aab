#pragma once
// Past programmes kept for catch-up: what guide answers listed, remembered
// per live channel from the time each programme started, for as long as
// the channel's archive reaches back. A provider that lists only what is to
// come (or stops listing yesterday) still leaves the Catch-up screen and
// the grid's past something to play; catalog/guide_past_file.h keeps them
// on disk.
//
// Compact: per channel, 24-byte slots sorted by start and one UTF-8 text
// run in which each distinct title or description appears once. Bounded:
// past kPastByteBudget (counted like GuideRowBytes: the heap held), the
// oldest programmes of all channels go first.
//
// Thread contract: one thread (the main thread), no lock, no I/O. A copy is
// cheap, since the channels' programmes are shared and never changed, so a
// copy may go to a job that writes the file (catalog/guide_past_file.h)
// while the main thread goes on changing its own.
//
// Sections: limits; the listings.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalog/guide.h"

// ------------------------------------------------------------------- limits

// The heap all channels' kept programmes may take. A thousand channels with
// a week of 30 programmes a day take about 50 MiB with every text distinct.
constexpr size_t kPastByteBudget = 64u * 1024 * 1024;
// Over the budget, the oldest go until this share of it is left, so the
// next few answers do not each cut again.
constexpr size_t kPastTrimPercent = 90;
// The longest texts kept, in UTF-8 bytes; longer ones are cut at a
// character boundary. A catch-up row shows a title and a line or two.
constexpr size_t kPastTitleBytes = 200;
constexpr size_t kPastDescriptionBytes = 300;
// How far back a channel keeps its past when the provider says only that it
// has an archive, and the most any channel keeps.
constexpr int32_t kPastDefaultArchiveDays = 7;
constexpr int32_t kPastMaxArchiveDays = 31;
// The longest programme kept, in minutes.
constexpr int32_t kPastLongestMinutes = 24 * 60;

// The days a channel's past is kept: its archive's length in days when the
// provider gave one (tv_archive_duration, capped at kPastMaxArchiveDays),
// else kPastDefaultArchiveDays when it has an archive (tv_archive above 0),
// else 0: a channel without an archive keeps nothing.
int32_t PastArchiveDays(int32_t tvArchive, int32_t archiveDurationDays);

// ------------------------------------------------------------ the listings

class PastListings {
 public:
  // One kept programme; the texts are UTF-8, views into the listings valid
  // until the next change.
  struct Programme {
    int64_t start = 0;  // Unix seconds (UTC)
    int32_t minutes = 0;
    std::string_view title, description;
  };

  explicit PastListings(size_t byteBudget = kPastByteBudget) : budget_(byteBudget) {}

  // Takes the rows a guide answer or the whole guide gave for `streamId` at
  // `now`: the programmes that have started, at most `archiveDays` days ago,
  // are kept, their texts cut to the limits. The one on now is kept too: a
  // provider that lists only what is on and what comes next lists it for
  // the last time while it runs. One of them replaces every kept programme
  // it overlaps (the same start: a later answer's title wins), so a
  // schedule the provider corrected is kept corrected. Kept programmes the
  // archive no longer reaches go. `archiveDays` 0 or below (the channel
  // lost its archive) forgets the channel. Rows without a start time, to
  // come, or longer than kPastLongestMinutes (a placeholder, no programme)
  // are not kept.
  void Remember(std::u16string_view streamId, const std::vector<EpgEntry>& rows, int32_t archiveDays, int64_t now);

  // The rows to show for `streamId`: `rows` (what the store holds) and the
  // kept programmes started within `archiveDays` before `now` that overlap
  // none of them, sorted by start (stable; rows without a start time last), each
  // with its display time made from its start in the local time zone at
  // this call. `rows` come back unchanged, in their order, when nothing is
  // added.
  std::vector<EpgEntry> Complete(std::u16string_view streamId, std::vector<EpgEntry> rows, int32_t archiveDays,
                                 int64_t now) const;

  // Drops what each channel's archive no longer reaches at `now` (the days
  // it was last remembered with).
  void Prune(int64_t now);

  // Takes in what `newer` holds as if each of its channels were remembered
  // now from an answer (its programmes win where they overlap): listings
  // read from the file on a job, then joined by what was remembered while
  // they were read.
  void Include(const PastListings& newer, int64_t now);

  // Another account: stream ids mean other channels.
  void Clear();

  // Whether anything changed since the last MarkSaved (or since the
  // listings were read).
  bool Dirty() const { return dirty_; }
  void MarkSaved() { dirty_ = false; }

  size_t Channels() const { return channels_.size(); }
  size_t Programmes() const;
  // The heap held, counted as GuideRowBytes counts the store's rows.
  size_t Bytes() const { return bytes_; }

  // For the file: every channel with its archive days and its programmes
  // in order of start, channels in no particular order.
  using Visitor = std::function<void(std::u16string_view streamId, int32_t archiveDays, std::span<const Programme>)>;
  void ForEachChannel(const Visitor& visit) const;
  // Puts back what a file held: like Remember with texts in UTF-8 (cut to
  // the limits here), except that nothing counts as a change.
  void Restore(std::u16string_view streamId, int32_t archiveDays, std::vector<Programme> programmes, int64_t now);

 private:
  struct Slot {
    int64_t start = 0;
    int32_t minutes = 0;
    uint32_t titleAt = 0;
    uint32_t descriptionAt = 0;
    uint16_t titleBytes = 0;
    uint16_t descriptionBytes = 0;
  };
  struct Channel {
    int32_t archiveDays = 0;
    std::vector<Slot> slots;  // sorted by start
    std::string texts;
    size_t bytes = 0;
  };

  // Merges ended programmes into a channel; returns whether its kept
  // programmes (or its archive days) changed.
  bool Merge(std::u16string_view streamId, int32_t archiveDays, std::vector<Programme> incoming, int64_t now);
  // A channel of `programmes` (sorted by start), which may view another
  // channel's texts.
  static std::shared_ptr<Channel> Pack(std::u16string_view streamId, int32_t archiveDays,
                                       const std::vector<Programme>& programmes);
  static std::vector<Programme> ProgrammesOf(const Channel& channel);
  void TrimToBudget();
  static size_t BytesOf(std::u16string_view streamId, const Channel& channel);
  void Erase(std::u16string_view streamId);

  size_t budget_;
  size_t bytes_ = 0;
  bool dirty_ = false;
  // A channel is never changed once made: a change makes a new one, so a
  // copy of the listings shares the channels and stays as it was.
  std::unordered_map<std::u16string, std::shared_ptr<const Channel>> channels_;
};
