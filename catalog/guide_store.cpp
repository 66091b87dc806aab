#include "catalog/guide_store.h"

#include <algorithm>
#include <utility>

size_t GuideRowBytes(const std::vector<EpgEntry>& rows) {
  size_t bytes = rows.capacity() * sizeof(EpgEntry);
  // A text beyond the short-string buffer is one heap block of its capacity.
  const auto text = [](const std::u16string& s) { return s.capacity() > 7 ? (s.capacity() + 1) * sizeof(char16_t) : 0; };
  for (const EpgEntry& e : rows) bytes += text(e.time) + text(e.title) + text(e.description);
  return bytes;
}

int64_t GuideValidUntil(const std::vector<EpgEntry>& rows, int64_t answeredAt, int64_t lifetime) {
  const int64_t longest = answeredAt + std::max(lifetime, kGuideRetrySeconds);
  const int64_t shortest = answeredAt + kGuideRetrySeconds;
  if (rows.empty()) return shortest;
  int64_t lastEnd = 0;
  for (const EpgEntry& e : rows)
    if (e.start > 0) lastEnd = std::max(lastEnd, GuideRowEnd(e));
  if (lastEnd == 0) return longest;  // no row has a time: nothing can age
  return std::clamp(lastEnd, shortest, longest);
}

void GuideStore::Fill(std::u16string_view streamId, std::vector<EpgEntry> rows, GuideOrigin origin, int64_t now) {
  Put(streamId, std::move(rows), origin, now, kGuideValidSeconds);
  Evict();
}

void GuideStore::FillMany(std::vector<GuideChannelRows> channels, GuideOrigin origin, int64_t now,
                          int64_t lifetime) {
  for (GuideChannelRows& c : channels) {
    Put(c.streamId, std::move(c.rows), origin, now, lifetime);
    Evict();
  }
}

void GuideStore::Put(std::u16string_view streamId, std::vector<EpgEntry> rows, GuideOrigin origin, int64_t now,
                     int64_t lifetime) {
  rows.shrink_to_fit();
  GuideChannel channel;
  channel.validUntil = GuideValidUntil(rows, now, lifetime);
  channel.bytes = GuideRowBytes(rows);
  channel.rows = std::move(rows);
  channel.origin = origin;
  channel.answeredAt = now;
  const std::u16string key(streamId);
  if (const auto found = index_.find(key); found != index_.end()) {
    bytes_ -= found->second->channel.bytes;
    lru_.erase(found->second);
    index_.erase(found);
  }
  bytes_ += channel.bytes;
  lru_.push_front(Node{key, std::move(channel)});
  index_.emplace(key, lru_.begin());
}

// The least recently used go first; the newest channel always stays, even
// alone over the budget, since it is the one being looked at.
void GuideStore::Evict() {
  while (bytes_ > budget_ && lru_.size() > 1) {
    const Node& last = lru_.back();
    bytes_ -= last.channel.bytes;
    index_.erase(last.streamId);
    lru_.pop_back();
  }
}

const GuideChannel* GuideStore::Find(std::u16string_view streamId) const {
  const auto found = index_.find(std::u16string(streamId));
  return found == index_.end() ? nullptr : &found->second->channel;
}

const std::vector<EpgEntry>& GuideStore::RowsOf(std::u16string_view streamId) const {
  static const std::vector<EpgEntry> kNone;
  const GuideChannel* channel = Find(streamId);
  return channel ? channel->rows : kNone;
}

std::optional<EpgEntry> GuideStore::RowAt(std::u16string_view streamId, int32_t index) const {
  const std::vector<EpgEntry>& rows = RowsOf(streamId);
  if (index < 0 || static_cast<size_t>(index) >= rows.size()) return std::nullopt;
  return rows[static_cast<size_t>(index)];
}

bool GuideStore::IsFresh(std::u16string_view streamId, bool withPast, int64_t now) const {
  const GuideChannel* channel = Find(streamId);
  return channel && channel->FreshAt(now) && (!withPast || channel->HasPast());
}

void GuideStore::Touch(std::u16string_view streamId) {
  const auto found = index_.find(std::u16string(streamId));
  if (found == index_.end()) return;
  lru_.splice(lru_.begin(), lru_, found->second);
}

void GuideStore::Clear() {
  lru_.clear();
  index_.clear();
  bytes_ = 0;
}

size_t GuideStore::DropOrigin(GuideOrigin origin) {
  size_t dropped = 0;
  for (auto it = lru_.begin(); it != lru_.end();) {
    if (it->channel.origin != origin) {
      ++it;
      continue;
    }
    bytes_ -= it->channel.bytes;
    index_.erase(it->streamId);
    it = lru_.erase(it);
    ++dropped;
  }
  return dropped;
}

void GuideStore::Forget(std::u16string_view streamId) {
  const auto it = index_.find(std::u16string(streamId));
  if (it == index_.end()) return;
  bytes_ -= it->second->channel.bytes;
  lru_.erase(it->second);
  index_.erase(it);
}
