#include "catalog/channel_choice.h"

#include <array>

#include "catalog/categories.h"
#include "store/id_set.h"

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

bool InList(const IdList& list, std::u16string_view id) {
  for (const auto& entry : list)
    if (entry == id) return true;
  return false;
}

}  // namespace

bool ParentalSkips(const CatalogItem& channel, const Settings& settings, bool categoryLocked) {
  return settings.ParentalOn && !categoryLocked && InList(settings.LockCh, channel.id());
}

bool LiveCategoryGuarded(const std::vector<Category>& liveCategories, int liveCategoryIndex, const Settings& settings) {
  if (CurrentLiveCategoryLocked(liveCategories, liveCategoryIndex)) return true;
  if (liveCategoryIndex < 0 || liveCategoryIndex >= static_cast<int>(liveCategories.size())) return false;
  const std::u16string& id = liveCategories[liveCategoryIndex].id;
  return !id.empty() && InList(settings.LockLive, id);
}

bool IsFillerChannelName(std::u16string_view name) {
  static constexpr std::array<std::u16string_view, 4> kFiller = {u"INFO", u"MIX PLAY", u"DJ PLAY", u"CANALE GENERALE"};
  for (const auto& word : kFiller)
    if (ContainsUpper(name, word)) return true;
  return false;
}

int DefaultChannelIndex(const VisibleList& live, const Settings& settings, bool categoryLocked) {
  // One set for the whole walk: a long list with many locks stays linear.
  const IdSet locked(settings.LockCh);
  const bool checkLocks = settings.ParentalOn && !categoryLocked;
  for (size_t i = 0; i < live.size(); ++i) {
    const CatalogItem& channel = live[i];
    if (channel.id().empty() || channel.name().empty()) continue;
    if (checkLocks && locked.contains(channel.id())) continue;
    if (IsFillerChannelName(channel.name())) continue;
    return static_cast<int>(i);
  }
  return 0;
}
