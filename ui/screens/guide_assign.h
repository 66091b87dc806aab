#pragma once
// "Assign guide" for a live channel, shared by the Live screen and the
// review of unsure matches: the picker lists every guide channel of the
// guides held (each with its programme on now and the guide it comes from),
// the likely matches of the channel's name first, and the answer goes to
// GuideActions. Main thread only.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui/modals/guide_picker.h"
#include "ui/screens/screen_view.h"

struct AppState;

// The picker's rows and, for each, the source and guide id it stands for.
struct GuideAssignList {
  GuidePickerAsk ask;
  struct Ref {
    uint8_t source = 0;
    std::string guideId;
  };
  std::vector<Ref> refs;  // one per ask.rows entry
};

// How many suggestions a source adds at most.
constexpr size_t kGuideSuggestionsPerSource = 5;

// The list for the channel (`streamId`, shown as `channelName`) at `now`.
GuideAssignList GuideAssignListFor(const AppState& state, std::u16string_view streamId,
                                   std::u16string_view channelName, int64_t now);

// Opens the picker for the channel and applies the answer; false when it
// was cancelled or no guide is held (a notice then says so).
bool AssignGuide(ScreenContext& ctx, std::u16string_view streamId, std::u16string_view channelName);
