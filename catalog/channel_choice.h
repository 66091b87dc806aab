#pragma once
// Choosing channels in the live list.
#include <string_view>
#include <vector>

#include "catalog/visible_list.h"
#include "store/settings.h"

// A channel the parental rule passes over: parental control on, the current
// category not itself a locked one, and the channel locked.
bool ParentalSkips(const CatalogItem& channel, const Settings& settings, bool categoryLocked);

// True when the selected live category asks for the PIN before its
// channels play: "Lock", an adult category, or one the user locked
// (LockLive). False for an index out of range.
bool LiveCategoryGuarded(const std::vector<Category>& liveCategories, int liveCategoryIndex, const Settings& settings);

// Names of info and mix channels that should never be the default pick.
bool IsFillerChannelName(std::u16string_view name);

// The first playable channel of `live`: a non-empty id and name, not passed
// over by the parental rule, not a filler channel; 0 when none qualifies.
int DefaultChannelIndex(const VisibleList& live, const Settings& settings, bool categoryLocked);
