#pragma once
// Choosing channels in the live list.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/parental_rule.h"
#include "catalog/visible_list.h"
#include "store/settings.h"

// Names of info and mix channels that should never be the default pick.
bool IsFillerChannelName(std::u16string_view name);

// The first playable channel of `live`: a non-empty id and name, not passed
// over by the parental rule (ParentalSkips, `selection` tells whether the
// list is a guarded one), not a filler channel; 0 when none qualifies.
int DefaultChannelIndex(const VisibleList& live, const Settings& settings, const std::vector<Category>& liveCategories,
                        const LiveListSelection& selection);

// What a step does with a channel the parental rule skips: a zap passes
// over it (it would only stop on a prompt or on nothing); the live list's
// highlight stops on it, so that keys alone reach it to play it with the
// PIN or to lock or unlock it.
enum class LockedChannels { PassOver, Reach };

// One step down (+1) or up (-1) the list with wrap-around, passing over
// channels with an empty id, channels with the id of the one left and, with
// PassOver, channels the parental rule skips, for at most one full pass;
// when nothing else qualifies the start comes back. -1 for an empty list; a
// start out of range counts as just before the first row (or after the
// last, going up).
int StepChannelIndex(const VisibleList& live, int start, int direction, const Settings& settings,
                     const std::vector<Category>& liveCategories, const LiveListSelection& selection,
                     LockedChannels locked = LockedChannels::PassOver);

// Channel-number entry: the digits typed so far and the tick of the last.
// The digits are kept until a pause of more than kNumberPauseMs; a digit
// after the pause, or a fifth digit, starts a new number.
inline constexpr uint64_t kNumberPauseMs = 1800;
inline constexpr size_t kNumberMaxDigits = 4;
void AddNumberDigit(std::u16string& buffer, uint64_t& lastDigitMs, int digit, uint64_t nowMs);

// The first row whose channel-number text has the decimal value of
// `digits` ("007" finds "7"); -1 when none does.
int ChannelWithNumber(const VisibleList& live, std::u16string_view digits);
