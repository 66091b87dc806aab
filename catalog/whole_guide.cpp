#include "catalog/whole_guide.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

#include "net/text.h"

// Sections: the channel set; the guide; the builder; rows for the screens.

// ---------------------------------------------------------- the channel set

void GuideChannelSet::Add(std::string_view utf8Id) {
  if (utf8Id.empty() || utf8Id == "null" || index_.find(utf8Id) != index_.end()) return;
  const auto number = static_cast<uint32_t>(ids_.size());
  ids_.emplace_back(utf8Id);
  index_.emplace(ids_.back(), number);
}

void GuideChannelSet::Add(std::u16string_view id) { Add(WideToUtf8(id)); }

GuideChannelSet GuideChannelSet::Of(const ItemList& liveChannels) {
  GuideChannelSet set;
  for (const CatalogItem& item : liveChannels) set.Add(item.epgChannelId());
  return set;
}

uint32_t GuideChannelSet::Find(std::string_view utf8Id) const {
  const auto it = index_.find(utf8Id);
  return it == index_.end() ? kNone : it->second;
}

// ---------------------------------------------------------------- the guide

std::string_view WholeGuide::Text(uint32_t number) const {
  if (number == 0 || number >= textEnds_.size()) return {};
  const uint32_t begin = textEnds_[number - 1];
  return std::string_view(texts_).substr(begin, textEnds_[number] - begin);
}

size_t WholeGuide::ChannelIndex(std::string_view channelId) const {
  const auto it = std::lower_bound(channelIds_.begin(), channelIds_.end(), channelId,
                                   [](const std::string& held, std::string_view id) { return held < id; });
  if (it == channelIds_.end() || *it != channelId) return channelIds_.size();
  return size_t(it - channelIds_.begin());
}

std::span<const GuideSlot> WholeGuide::ProgrammesOf(std::string_view channelId) const {
  const size_t index = ChannelIndex(channelId);
  if (index >= channelIds_.size()) return {};
  return std::span<const GuideSlot>(slots_).subspan(firstSlot_[index], firstSlot_[index + 1] - firstSlot_[index]);
}

std::span<const GuideSlot> WholeGuide::ProgrammesOf(std::u16string_view channelId) const {
  return ProgrammesOf(WideToUtf8(channelId));
}

std::span<const GuideSlot> WholeGuide::Overlapping(std::string_view channelId, int64_t t0, int64_t t1) const {
  const std::span<const GuideSlot> all = ProgrammesOf(channelId);
  if (all.empty() || t1 <= t0) return {};
  // Sorted by start and not overlapping, so the stops are sorted too.
  const auto first = std::partition_point(all.begin(), all.end(),
                                          [&](const GuideSlot& slot) { return StopOf(slot) <= t0; });
  const auto last = std::partition_point(first, all.end(), [&](const GuideSlot& slot) { return StartOf(slot) < t1; });
  return all.subspan(size_t(first - all.begin()), size_t(last - first));
}

std::span<const GuideSlot> WholeGuide::Overlapping(std::u16string_view channelId, int64_t t0, int64_t t1) const {
  return Overlapping(WideToUtf8(channelId), t0, t1);
}

size_t WholeGuide::Bytes() const {
  size_t bytes = slots_.capacity() * sizeof(GuideSlot) + texts_.capacity() + textEnds_.capacity() * sizeof(uint32_t);
  bytes += channelIds_.capacity() * sizeof(std::string) + firstSlot_.capacity() * sizeof(uint32_t);
  for (const std::string& id : channelIds_)
    if (id.capacity() > 15) bytes += id.capacity() + 1;  // beyond the short-string buffer
  return bytes;
}

// -------------------------------------------------------------- the builder

namespace {

constexpr int64_t kUnknownStopSeconds = 3600;

size_t TextHash(std::string_view text) { return std::hash<std::string_view>{}(text); }

}  // namespace

std::string_view CutUtf8(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  size_t end = maxBytes;
  // Back over continuation bytes to the start of the character that would be split.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

WholeGuideBuilder::WholeGuideBuilder(const GuideChannelSet& channels, int64_t now)
    : channels_(channels), windowStart_(now - kSecondsBack), windowEnd_(now + kSecondsAhead) {
  textEnds_.push_back(0);
  buckets_.assign(1024, 0);
}

bool WholeGuideBuilder::Window::Holds(int64_t start, int64_t stop) const {
  if (start >= to || start < from - kSecondsBack) return false;
  if (stop > start) return stop > from;
  return start >= from - 86400;
}

WholeGuideBuilder::Window WholeGuideBuilder::WindowOf(uint32_t channel) const {
  return channel >= narrowFrom_ ? narrow_ : Window{windowStart_, windowEnd_};
}

bool WholeGuideBuilder::InWindow(int64_t start, int64_t stop) const {
  return Window{windowStart_, windowEnd_}.Holds(start, stop);
}

bool WholeGuideBuilder::InWindow(uint32_t channel, int64_t start, int64_t stop) const {
  return WindowOf(channel).Holds(start, stop);
}

void WholeGuideBuilder::NarrowFrom(uint32_t firstChannel, int64_t from, int64_t to) {
  narrowFrom_ = firstChannel;
  narrow_ = Window{std::max(from, windowStart_), std::min(to, windowEnd_)};
}

void WholeGuideBuilder::GrowBuckets() {
  std::vector<uint32_t> grown(buckets_.size() * 2, 0);
  const size_t mask = grown.size() - 1;
  for (uint32_t number = 1; number < textEnds_.size(); ++number) {
    const std::string_view text = std::string_view(texts_).substr(textEnds_[number - 1],
                                                                   textEnds_[number] - textEnds_[number - 1]);
    size_t at = TextHash(text) & mask;
    while (grown[at] != 0) at = (at + 1) & mask;
    grown[at] = number;
  }
  buckets_ = std::move(grown);
}

uint32_t WholeGuideBuilder::Intern(std::string_view text) {
  if (text.empty()) return 0;
  const size_t mask = buckets_.size() - 1;
  size_t at = TextHash(text) & mask;
  for (; buckets_[at] != 0; at = (at + 1) & mask) {
    const uint32_t number = buckets_[at];
    const uint32_t begin = textEnds_[number - 1];
    if (std::string_view(texts_).substr(begin, textEnds_[number] - begin) == text) return number;
  }
  // The pool is addressed by 32-bit offsets: past 4 GiB of distinct text, a
  // programme keeps its times but not its texts.
  if (texts_.size() + text.size() > UINT32_MAX || textEnds_.size() >= UINT32_MAX) return 0;
  texts_.append(text);
  const auto number = static_cast<uint32_t>(textEnds_.size());
  textEnds_.push_back(static_cast<uint32_t>(texts_.size()));
  buckets_[at] = number;
  if (textEnds_.size() * 2 > buckets_.size()) GrowBuckets();
  return number;
}

void WholeGuideBuilder::Add(uint32_t channel, int64_t start, int64_t stop, std::string_view title,
                            std::string_view description) {
  if (channel >= channels_.size() || !InWindow(channel, start, stop)) return;
  Record record;
  record.start = start;
  record.stop = stop > start ? stop : 0;
  record.channel = channel;
  record.title = Intern(CutUtf8(title, kTitleBytes));
  record.description = Intern(CutUtf8(description, kDescriptionBytes));
  records_.push_back(record);
}

SharedWholeGuide WholeGuideBuilder::Build() {
  auto guide = std::make_shared<WholeGuide>();
  // Channels in the order of their ids, so the guide finds them by binary search.
  std::vector<uint32_t> order(channels_.size());
  std::iota(order.begin(), order.end(), 0u);
  std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return channels_.IdAt(a) < channels_.IdAt(b); });
  std::vector<uint32_t> rank(channels_.size());
  for (uint32_t r = 0; r < order.size(); ++r) rank[order[r]] = r;

  std::vector<size_t> first(order.size() + 1, 0);
  int64_t base = INT64_MAX;
  for (const Record& record : records_) {
    ++first[rank[record.channel] + 1];
    base = std::min(base, record.start);
  }
  std::partial_sum(first.begin(), first.end(), first.begin());

  // Placed by channel straight from the blocks; the length holds the stop
  // (0: unknown) relative to the base until the order is known.
  struct Placed {
    int64_t start, stop;
    uint32_t title, description;
  };
  std::vector<Placed> placed(records_.size());
  {
    std::vector<size_t> next(first.begin(), first.end() - 1);
    // Taken from the front, so each block is freed once placed: the records
    // and their placed copies are never held whole at once.
    while (!records_.empty()) {
      const Record& record = records_.front();
      placed[next[rank[record.channel]]++] = Placed{record.start, record.stop, record.title, record.description};
      records_.pop_front();
    }
  }
  records_ = {};
  buckets_ = {};

  guide->base_ = base == INT64_MAX ? 0 : base;
  guide->slots_.reserve(placed.size());
  for (size_t c = 0; c < order.size(); ++c) {
    const auto begin = placed.begin() + ptrdiff_t(first[c]), end = placed.begin() + ptrdiff_t(first[c + 1]);
    const Window window = WindowOf(order[c]);
    std::stable_sort(begin, end, [](const Placed& a, const Placed& b) { return a.start < b.start; });
    const size_t before = guide->slots_.size();
    for (auto it = begin; it != end; ++it) {
      int64_t stop = it->stop != 0 ? it->stop : it->start + kUnknownStopSeconds;
      if (it + 1 != end && (it->stop == 0 || stop > (it + 1)->start)) stop = (it + 1)->start;
      if (stop <= it->start || stop <= window.from || it->start >= window.to) continue;
      GuideSlot slot;
      slot.startOffset = static_cast<uint32_t>(it->start - guide->base_);
      slot.seconds = static_cast<uint32_t>(std::min<int64_t>(stop - it->start, UINT32_MAX));
      slot.title = it->title;
      slot.description = it->description;
      guide->slots_.push_back(slot);
    }
    if (guide->slots_.size() == before) continue;
    guide->channelIds_.emplace_back(channels_.IdAt(order[c]));
    guide->firstSlot_.push_back(static_cast<uint32_t>(before));
  }
  guide->firstSlot_.push_back(static_cast<uint32_t>(guide->slots_.size()));
  placed = {};
  guide->slots_.shrink_to_fit();
  guide->texts_ = std::move(texts_);
  guide->texts_.shrink_to_fit();
  guide->textEnds_ = std::move(textEnds_);
  guide->textEnds_.shrink_to_fit();
  texts_.clear();
  textEnds_.assign(1, 0);
  buckets_.assign(1024, 0);
  narrowFrom_ = UINT32_MAX;
  return guide;
}

// ---------------------------------------------------- rows for the screens

EpgEntry GuideEntryOf(const WholeGuide& guide, const GuideSlot& slot) {
  EpgEntry entry;
  entry.start = guide.StartOf(slot);
  entry.time = GuideClockText(entry.start);
  entry.durationMin = static_cast<int32_t>(slot.seconds / 60);
  entry.title = Utf8ToWide(guide.TitleOf(slot));
  entry.description = Utf8ToWide(guide.DescriptionOf(slot));
  return entry;
}

std::vector<EpgEntry> WholeGuideRows(const WholeGuide& guide, std::u16string_view channelId, int64_t t0, int64_t t1) {
  std::vector<EpgEntry> rows;
  const std::span<const GuideSlot> slots = guide.Overlapping(channelId, t0, t1);
  rows.reserve(slots.size());
  for (const GuideSlot& slot : slots) rows.push_back(GuideEntryOf(guide, slot));
  return rows;
}
