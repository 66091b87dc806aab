#pragma once
// The parental PIN check. With parental control on, a locked live category
// (one in LockLive) asks for the PIN before it is opened, and a channel of a
// category that counts as locked (the Lock category, an adult category, or
// one in LockLive) asks before it plays, once: after the right PIN further
// channels of such categories play without asking until the user goes to a
// category that is not locked (ChannelPinPassed).
//
// A wrong or cancelled PIN refuses and shows the "wrong PIN" notice; the PIN
// typed is never written anywhere. Main thread only.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "state/app_state.h"
#include "ui/modals/modal_slot.h"

// The target that stands for "play a channel of a locked category".
inline constexpr std::u16string_view kChannelPinTarget = u"__ch__";

// True when `target` needs the PIN asked: parental control is on, and the
// target is a channel (without ChannelPinPassed) or a live category in
// LockLive that is not an adult one (adult categories guard their channels
// instead). Empty targets and the Lock category never ask.
bool PinGateAsks(const AppState& state, std::u16string_view target);

// Asks for the PIN: nothing when the prompt was cancelled or not shown.
using PinAsker = std::function<std::optional<std::u16string>()>;

// Allows or refuses `target`, asking through `ask` when PinGateAsks. The
// answer must equal ParentalPin exactly (an empty PIN matches an empty
// answer); a channel's right answer sets ChannelPinPassed; a wrong or
// cancelled one shows the "wrong PIN" notice.
bool PinGate(AppState& state, std::u16string_view target, const PinAsker& ask);
// The same with the masked text prompt in the modal slot.
bool PinGate(ModalSlot& slot, AppState& state, std::u16string_view target);
