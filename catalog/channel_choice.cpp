#include "catalog/channel_choice.h"

#include <array>

namespace {

char16_t AsciiUpper(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; }

bool ContainsUpper(std::u16string_view haystack, std::u16string_view upperNeedle) {
  if (upperNeedle.size() > haystack.size()) return false;
  for (size_t i = 0; i + upperNeedle.size() <= haystack.size(); ++i) {
    size_t k = 0;
    while (k < upperNeedle.size() && AsciiUpper(haystack[i + k]) == upperNeedle[k]) ++k;
    if (k == upperNeedle.size()) return true;
  }
  return false;
}

}  // namespace

bool IsFillerChannelName(std::u16string_view name) {
  static constexpr std::array<std::u16string_view, 4> kFiller = {u"INFO", u"MIX PLAY", u"DJ PLAY", u"CANALE GENERALE"};
  for (const auto& word : kFiller)
    if (ContainsUpper(name, word)) return true;
  return false;
}

int DefaultChannelIndex(const VisibleList& live, const Settings& settings, const std::vector<Category>& liveCategories,
                        const LiveListSelection& selection) {
  // One rule for the whole walk: a long list with many locks stays linear.
  const ParentalRule rule(settings, liveCategories);
  const bool guarded = LiveListGuarded(liveCategories, selection, settings);
  for (size_t i = 0; i < live.size(); ++i) {
    const CatalogItem& channel = live[i];
    if (channel.id().empty() || channel.name().empty()) continue;
    if (ParentalSkips(rule, channel, guarded)) continue;
    if (IsFillerChannelName(channel.name())) continue;
    return static_cast<int>(i);
  }
  return 0;
}

int StepChannelIndex(const VisibleList& live, int start, int direction, const Settings& settings,
                     const std::vector<Category>& liveCategories, const LiveListSelection& selection,
                     LockedChannels locked) {
  const int count = static_cast<int>(live.size());
  if (count == 0) return -1;
  const int step = direction < 0 ? -1 : 1;
  const bool valid = start >= 0 && start < count;
  const std::u16string_view leftId = valid ? live[size_t(start)].id() : std::u16string_view();
  int index = valid ? start : (step > 0 ? -1 : count);
  const ParentalRule rule(settings, liveCategories);
  // In a guarded list every channel asks instead of being passed over.
  const bool stopOnLocked = locked == LockedChannels::Reach || LiveListGuarded(liveCategories, selection, settings);
  for (int tried = 0; tried < count; ++tried) {
    index = ((index + step) % count + count) % count;
    const CatalogItem& channel = live[size_t(index)];
    if (channel.id().empty()) continue;
    if (valid && channel.id() == leftId && index != start) continue;
    if (ParentalSkips(rule, channel, stopOnLocked)) continue;
    if (index == start && count > 1) continue;
    return index;
  }
  return valid ? start : 0;
}

void AddNumberDigit(std::u16string& buffer, uint64_t& lastDigitMs, int digit, uint64_t nowMs) {
  if (!buffer.empty() && (nowMs - lastDigitMs > kNumberPauseMs || buffer.size() >= kNumberMaxDigits)) buffer.clear();
  buffer.push_back(char16_t(u'0' + digit));
  lastDigitMs = nowMs;
}

namespace {

// The decimal value of a text made of digits only; -1 otherwise.
int64_t DecimalValue(std::u16string_view text) {
  if (text.empty() || text.size() > 12) return -1;
  int64_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return -1;
    value = value * 10 + (c - u'0');
  }
  return value;
}

}  // namespace

int ChannelWithNumber(const VisibleList& live, std::u16string_view digits) {
  const int64_t wanted = DecimalValue(digits);
  if (wanted < 0) return -1;
  for (size_t i = 0; i < live.size(); ++i) {
    if (DecimalValue(live[i].num()) == wanted) return static_cast<int>(i);
  }
  return -1;
}
