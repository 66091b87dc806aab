#include "catalog/parental_rule.h"

#include <algorithm>

#include "catalog/categories.h"
#include "catalog/special_categories.h"

ParentalRule::ParentalRule(const Settings& settings, const std::vector<Category>& liveCategories)
    : on_(settings.ParentalOn) {
  if (!on_) return;
  lockedChannels_ = IdSet(settings.LockCh);
  userLockedCategories_ = IdSet(settings.LockLive);
  for (const Category& category : liveCategories) {
    if (category.id.empty()) continue;
    knownCategories_.insert(category.id);
    if (IsAdultCategory(category)) adultCategories_.insert(category.id);
  }
}

bool ParentalRule::Locks(const CatalogItem& channel) const {
  if (!on_) return false;
  if (lockedChannels_.contains(channel.id())) return true;
  const std::u16string_view category = channel.categoryId();
  if (category.empty()) return false;
  if (userLockedCategories_.contains(category) || adultCategories_.count(category) != 0) return true;
  if (knownCategories_.count(category) != 0) return false;
  // A category the list does not hold is judged by its id alone.
  return IsAdultCategory(Category{std::u16string(), std::u16string(category)});
}

bool LiveListGuarded(const std::vector<Category>& liveCategories, const LiveListSelection& selection,
                     const Settings& settings) {
  if (selection.ActiveGroup >= 0) return false;
  const int index = selection.LiveCategoryIndex;
  if (CurrentLiveCategoryLocked(liveCategories, index)) return true;
  if (index < 0 || index >= static_cast<int>(liveCategories.size())) return false;
  const std::u16string& id = liveCategories[size_t(index)].id;
  return !id.empty() && std::find(settings.LockLive.begin(), settings.LockLive.end(), id) != settings.LockLive.end();
}
