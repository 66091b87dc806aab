#pragma once
// The user's collections kept in Settings: favorites, history, channel locks,
// hidden categories, resume positions and channel groups.
//
// Pure functions on the record's lists; the screens that call them show the
// returned notice key, repaint and call SaveSettings. Ids are compared as
// exact text. Notice keys are translation keys for Translate (i18n).
// Main thread only, like the record they change.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/settings.h"

using ResumeMap = std::map<std::u16string, int32_t>;

inline constexpr size_t kHistoryLimit = 40;
// A stored position is offered as the resume point only beyond this.
inline constexpr int32_t kResumeOfferAboveMs = 15000;

// Removes `id` when it is a favorite (every copy a hand-edited file may hold)
// and returns "fav_rem"; otherwise inserts it at the front, "fav_add".
std::string_view ToggleFavoriteId(IdList& favorites, std::u16string_view id);

// Appends `id` when not locked and returns "locked"; otherwise removes it,
// "unlocked". Locks keep the order in which they were made.
std::string_view ToggleChannelLockId(IdList& lockedChannels, std::u16string_view id);

// Playback started: `id` goes to the front of the kind's history. Earlier
// occurrences stay (the history is a trail, not a set); the list is cut to
// kHistoryLimit entries.
void PushHistory(IdList& history, std::u16string_view id);

// Sets the position of `key`; a position below 1 ms (which the file would
// drop on reading) or an empty key removes the entry instead.
void SetResumePosition(ResumeMap& resume, std::u16string_view key, int32_t ms);
void ClearResumePosition(ResumeMap& resume, std::u16string_view key);
// The stored position when it is worth offering (above kResumeOfferAboveMs).
std::optional<int32_t> ResumeOffer(const ResumeMap& resume, std::u16string_view key);

// The hide picker's Enter: removes `id` when hidden, appends it otherwise.
void ToggleHiddenId(IdList& hidden, std::u16string_view id);


// Appends a group named `name` and returns its index, or -1 when the name is
// empty (the prompt was cancelled). The group starts with the selected
// channel, else the channel last played, else no channel at all.
int CreateGroup(std::vector<ChannelGroup>& groups, std::u16string_view name, std::u16string_view selectedChannelId,
                std::u16string_view currentChannelId);

// Appends the channel last played; false (nothing changed) when none was
// played in this run or the group holds it already.
bool AddChannelToGroup(ChannelGroup& group, std::u16string_view currentChannelId);

// Removes group `index` (nothing when out of range) and returns the groups
// screen's selection kept within the remaining groups: the last one when it
// pointed past the end, 0 when none is left.
int DeleteGroup(std::vector<ChannelGroup>& groups, int index, int selection);
