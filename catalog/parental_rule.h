#pragma once
// The parental rule: which live channels need the PIN before they play, and
// which ones zapping passes over. One rule for every way a channel starts
// (the live list, search, the history, groups, typed numbers, zapping,
// catch-up, the external player); the asking itself is the caller's
// (ui/modals/pin_gate.h). Pure: reads the settings and the categories.
#include <string_view>
#include <unordered_set>
#include <vector>

#include "catalog/catalog_item.h"
#include "catalog/visible_list.h"
#include "store/id_set.h"
#include "store/settings.h"

// With parental control on, a channel is locked when the user locked it
// (LockCh) or its own category is: an adult category (IsAdultCategory, also
// for a category id the list does not hold) or one in LockLive. Holds views
// into `settings` and `liveCategories`: build it where it is used.
class ParentalRule {
 public:
  ParentalRule(const Settings& settings, const std::vector<Category>& liveCategories);
  bool On() const { return on_; }
  bool Locks(const CatalogItem& channel) const;

 private:
  bool on_ = false;
  IdSet lockedChannels_;
  IdSet userLockedCategories_;
  std::unordered_set<std::u16string_view> knownCategories_, adultCategories_;
};

// True when the selected live list is one whose channels all ask for the
// PIN: "Lock", an adult category, or one in LockLive. A user group is no
// category: false while one is active, and for an index out of range.
bool LiveListGuarded(const std::vector<Category>& liveCategories, const LiveListSelection& selection,
                     const Settings& settings);

// Zapping and the default pick pass over a locked channel, except in a
// guarded list (every channel of it is locked: they ask instead).
inline bool ParentalSkips(const ParentalRule& rule, const CatalogItem& channel, bool listGuarded) {
  return !listGuarded && rule.Locks(channel);
}
