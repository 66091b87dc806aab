#include "catalog/guide_past.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

#include "catalog/whole_guide.h"
#include "net/text.h"
#include "platform/clock.h"

namespace {

constexpr int64_t kDaySeconds = 86400;

int64_t EndOf(int64_t start, int32_t minutes) { return start + int64_t{std::max(minutes, 1)} * 60; }

bool SameProgramme(const PastListings::Programme& a, const PastListings::Programme& b) {
  return a.start == b.start && a.minutes == b.minutes && a.title == b.title && a.description == b.description;
}

// The start times and, for each prefix of them, the latest end: whether a
// span overlaps any of a sorted list is then one binary search.
class Spans {
 public:
  void Add(int64_t start, int64_t end) {
    starts_.push_back(start);
    latestEnds_.push_back(latestEnds_.empty() ? end : std::max(end, latestEnds_.back()));
  }
  // Spans must have been added in order of start.
  bool Overlaps(int64_t start, int64_t end) const {
    const size_t before = static_cast<size_t>(std::lower_bound(starts_.begin(), starts_.end(), end) - starts_.begin());
    return before > 0 && latestEnds_[before - 1] > start;
  }

 private:
  std::vector<int64_t> starts_;
  std::vector<int64_t> latestEnds_;
};

EpgEntry EntryOf(const PastListings::Programme& p) {
  EpgEntry entry;
  entry.start = p.start;
  entry.durationMin = p.minutes;
  const LocalTime local = ToLocalTime(p.start);
  char time[16];
  std::snprintf(time, sizeof time, "%02d:%02d", local.hour, local.minute);
  entry.time = AsciiToWide(time);
  entry.title = Utf8ToWide(p.title);
  entry.description = Utf8ToWide(p.description);
  return entry;
}

// Rows without a start time sort after every timed one.
int64_t SortKey(const EpgEntry& e) { return e.start > 0 ? e.start : std::numeric_limits<int64_t>::max(); }

// A text beyond the short-string buffer is one heap block of its capacity.
size_t HeapOf(size_t units, size_t unitBytes, size_t inPlace) { return units > inPlace ? (units + 1) * unitBytes : 0; }

}  // namespace

// The slots, the text run, the id and the map's node around them.
size_t PastListings::BytesOf(std::u16string_view streamId, const Channel& channel) {
  return sizeof(std::u16string) + sizeof(Channel) + 2 * sizeof(void*) + HeapOf(streamId.size(), sizeof(char16_t), 7) +
         channel.slots.capacity() * sizeof(Slot) + HeapOf(channel.texts.capacity(), 1, 15);
}

int32_t PastArchiveDays(int32_t tvArchive, int32_t archiveDurationDays) {
  if (archiveDurationDays > 0) return std::min(archiveDurationDays, kPastMaxArchiveDays);
  return tvArchive > 0 ? kPastDefaultArchiveDays : 0;
}

void PastListings::Remember(std::u16string_view streamId, const std::vector<EpgEntry>& rows, int32_t archiveDays,
                            int64_t now) {
  const int64_t horizon = now - int64_t{std::clamp(archiveDays, 0, kPastMaxArchiveDays)} * kDaySeconds;
  // The UTF-8 texts the programmes view; reserved, so no view moves.
  std::vector<std::string> texts;
  texts.reserve(rows.size() * 2);
  std::vector<Programme> ended;
  for (const EpgEntry& row : rows) {
    if (row.start <= 0 || row.start < horizon || row.start > now) continue;
    const std::string& title = texts.emplace_back(WideToUtf8(row.title));
    const std::string& description = texts.emplace_back(WideToUtf8(row.description));
    ended.push_back(Programme{row.start, row.durationMin, title, description});
  }
  if (Merge(streamId, archiveDays, std::move(ended), now)) dirty_ = true;
  TrimToBudget();
}

void PastListings::Restore(std::u16string_view streamId, int32_t archiveDays, std::vector<Programme> programmes,
                           int64_t now) {
  Merge(streamId, archiveDays, std::move(programmes), now);
  TrimToBudget();
}

bool PastListings::Merge(std::u16string_view streamId, int32_t archiveDays, std::vector<Programme> incoming,
                         int64_t now) {
  const auto found = channels_.find(std::u16string(streamId));
  if (archiveDays <= 0) {
    if (found == channels_.end()) return false;
    Erase(streamId);
    return true;
  }
  archiveDays = std::min(archiveDays, kPastMaxArchiveDays);
  const int64_t horizon = now - int64_t{archiveDays} * kDaySeconds;
  std::erase_if(incoming, [&](const Programme& p) {
    return p.start <= 0 || p.start < horizon || p.start > now || p.minutes < 0 || p.minutes > kPastLongestMinutes;
  });
  std::stable_sort(incoming.begin(), incoming.end(), [](const Programme& a, const Programme& b) { return a.start < b.start; });
  // Of programmes listed with the same start, the last listed is the one
  // the answer meant.
  std::vector<Programme> fresh;
  fresh.reserve(incoming.size());
  for (const Programme& p : incoming) {
    if (!fresh.empty() && fresh.back().start == p.start) fresh.pop_back();
    fresh.push_back(p);
  }
  if (found == channels_.end() && fresh.empty()) return false;
  // Most answers list only what is on and to come: a channel with nothing
  // new and nothing out of reach stays as it is.
  if (fresh.empty() && found->second->archiveDays == archiveDays && found->second->slots.front().start >= horizon)
    return false;

  Spans spans;
  for (const Programme& p : fresh) spans.Add(p.start, EndOf(p.start, p.minutes));
  std::vector<Programme> before;
  if (found != channels_.end()) before = ProgrammesOf(*found->second);
  std::vector<Programme> kept = before;
  std::erase_if(kept, [&](const Programme& p) {
    return p.start < horizon || spans.Overlaps(p.start, EndOf(p.start, p.minutes));
  });
  std::vector<Programme> merged;
  merged.reserve(kept.size() + fresh.size());
  std::merge(kept.begin(), kept.end(), fresh.begin(), fresh.end(), std::back_inserter(merged),
             [](const Programme& a, const Programme& b) { return a.start < b.start; });

  std::shared_ptr<Channel> channel = Pack(streamId, archiveDays, merged);
  const std::vector<Programme> after = ProgrammesOf(*channel);
  const bool changed = found == channels_.end() || found->second->archiveDays != archiveDays ||
                       !std::equal(before.begin(), before.end(), after.begin(), after.end(), SameProgramme);
  Erase(streamId);
  if (channel->slots.empty()) return changed;
  bytes_ += channel->bytes;
  channels_.emplace(std::u16string(streamId), std::move(channel));
  return changed;
}

std::shared_ptr<PastListings::Channel> PastListings::Pack(std::u16string_view streamId, int32_t archiveDays,
                                                          const std::vector<Programme>& programmes) {
  auto channel = std::make_shared<Channel>();
  channel->archiveDays = archiveDays;
  channel->slots.reserve(programmes.size());
  std::string& texts = channel->texts;
  // Each distinct text once: a daily show's title, a repeat's description.
  // The keys view the programmes' texts, which outlive this function.
  std::unordered_map<std::string_view, uint32_t> placed;
  const auto place = [&](std::string_view text) -> uint32_t {
    if (text.empty()) return 0;
    const auto [it, added] = placed.emplace(text, static_cast<uint32_t>(texts.size()));
    if (added) texts.append(text);
    return it->second;
  };
  for (const Programme& p : programmes) {
    const std::string_view title = CutUtf8(p.title, kPastTitleBytes);
    const std::string_view description = CutUtf8(p.description, kPastDescriptionBytes);
    Slot slot;
    slot.start = p.start;
    slot.minutes = p.minutes;
    slot.titleAt = place(title);
    slot.titleBytes = static_cast<uint16_t>(title.size());
    slot.descriptionAt = place(description);
    slot.descriptionBytes = static_cast<uint16_t>(description.size());
    channel->slots.push_back(slot);
  }
  texts.shrink_to_fit();
  channel->bytes = BytesOf(streamId, *channel);
  return channel;
}

std::vector<PastListings::Programme> PastListings::ProgrammesOf(const Channel& channel) {
  std::vector<Programme> programmes;
  programmes.reserve(channel.slots.size());
  const std::string_view texts = channel.texts;
  for (const Slot& s : channel.slots)
    programmes.push_back(Programme{s.start, s.minutes, texts.substr(s.titleAt, s.titleBytes),
                                   texts.substr(s.descriptionAt, s.descriptionBytes)});
  return programmes;
}

std::vector<EpgEntry> PastListings::Complete(std::u16string_view streamId, std::vector<EpgEntry> rows,
                                             int32_t archiveDays, int64_t now) const {
  const auto found = channels_.find(std::u16string(streamId));
  if (found == channels_.end() || archiveDays <= 0) return rows;
  const int64_t horizon = now - int64_t{std::min(archiveDays, kPastMaxArchiveDays)} * kDaySeconds;
  std::vector<const EpgEntry*> timed;
  for (const EpgEntry& row : rows)
    if (row.start > 0) timed.push_back(&row);
  std::sort(timed.begin(), timed.end(), [](const EpgEntry* a, const EpgEntry* b) { return a->start < b->start; });
  Spans spans;
  for (const EpgEntry* row : timed) spans.Add(row->start, GuideRowEnd(*row));

  const size_t answered = rows.size();
  for (const Programme& p : ProgrammesOf(*found->second)) {
    if (p.start < horizon || p.start > now || spans.Overlaps(p.start, EndOf(p.start, p.minutes))) continue;
    rows.push_back(EntryOf(p));
  }
  if (rows.size() == answered) return rows;
  std::stable_sort(rows.begin(), rows.end(), [](const EpgEntry& a, const EpgEntry& b) { return SortKey(a) < SortKey(b); });
  return rows;
}

void PastListings::Prune(int64_t now) {
  std::vector<std::pair<std::u16string, int32_t>> reach;
  reach.reserve(channels_.size());
  for (const auto& [id, channel] : channels_) reach.emplace_back(id, channel->archiveDays);
  for (const auto& [id, days] : reach)
    if (Merge(id, days, {}, now)) dirty_ = true;
}

void PastListings::Include(const PastListings& newer, int64_t now) {
  newer.ForEachChannel([&](std::u16string_view id, int32_t days, std::span<const Programme> programmes) {
    if (Merge(id, days, std::vector<Programme>(programmes.begin(), programmes.end()), now)) dirty_ = true;
  });
  TrimToBudget();
}

// The oldest programmes of all channels go until the listings take at most
// kPastTrimPercent of the budget. A row's share is estimated (its slot and
// texts; a shared text counts for each), so it may take another round.
void PastListings::TrimToBudget() {
  if (bytes_ <= budget_) return;
  const size_t target = budget_ / 100 * kPastTrimPercent;
  while (bytes_ > target && !channels_.empty()) {
    std::vector<std::pair<int64_t, size_t>> rows;
    for (const auto& [id, channel] : channels_)
      for (const Slot& s : channel->slots) rows.emplace_back(s.start, sizeof(Slot) + s.titleBytes + s.descriptionBytes);
    std::sort(rows.begin(), rows.end());
    const size_t excess = bytes_ - target;
    size_t freed = 0;
    int64_t cutoff = rows.empty() ? 0 : rows.back().first;
    for (const auto& [start, bytes] : rows) {
      freed += bytes;
      if (freed >= excess) {
        cutoff = start;
        break;
      }
    }
    std::vector<std::u16string> ids;
    for (const auto& [id, channel] : channels_)
      if (channel->slots.front().start <= cutoff) ids.push_back(id);
    for (const std::u16string& id : ids) {
      const auto found = channels_.find(id);
      std::vector<Programme> left = ProgrammesOf(*found->second);
      std::erase_if(left, [&](const Programme& p) { return p.start <= cutoff; });
      std::shared_ptr<Channel> packed = Pack(id, found->second->archiveDays, left);
      bytes_ -= found->second->bytes;
      if (packed->slots.empty()) {
        channels_.erase(found);
        continue;
      }
      bytes_ += packed->bytes;
      found->second = std::move(packed);
    }
    dirty_ = true;
  }
}

void PastListings::Erase(std::u16string_view streamId) {
  const auto found = channels_.find(std::u16string(streamId));
  if (found == channels_.end()) return;
  bytes_ -= found->second->bytes;
  channels_.erase(found);
}

void PastListings::Clear() {
  channels_.clear();
  bytes_ = 0;
  dirty_ = false;
}

size_t PastListings::Programmes() const {
  size_t count = 0;
  for (const auto& [id, channel] : channels_) count += channel->slots.size();
  return count;
}

void PastListings::ForEachChannel(const Visitor& visit) const {
  for (const auto& [id, channel] : channels_) visit(id, channel->archiveDays, ProgrammesOf(*channel));
}
