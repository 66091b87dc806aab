#pragma once
// The parental PIN gate: every start of a live channel passes it before it
// calls into playback. The rule of what is locked is catalog/parental_rule.h;
// here is the asking. A locked channel plays without asking once the right
// PIN was entered for a channel since the selection last moved to a live
// list that is not guarded (ChannelPinPassed); otherwise a start the user
// chose asks, and a preview (the highlight moved, a list was opened, a
// catalog arrived) does not play it and does not ask.
//
// A wrong PIN refuses and shows the "wrong PIN" notice; a cancelled prompt
// refuses quietly (the user changed their mind, nothing was wrong). The
// PIN typed is never written anywhere. Main thread only.
#include <functional>
#include <optional>
#include <string>

#include "catalog/catalog_item.h"
#include "state/app_state.h"
#include "ui/modals/modal_slot.h"

// A start the user chose (Enter, a typed number, a search result, a zap,
// catch-up, the external player) asks for the PIN; a preview never does.
enum class LiveStart { Preview, Chosen };

// True when `channel` may play now without asking.
bool ChannelOpen(const AppState& state, const CatalogItem& channel);

// Asks for the PIN: nothing when the prompt was cancelled or not shown.
using PinAsker = std::function<std::optional<std::u16string>()>;

// Asks through `ask`. The answer must equal ParentalPin exactly (an empty
// PIN matches an empty answer); the right one sets ChannelPinPassed, a wrong
// one shows the "wrong PIN" notice, a cancel only logs.
bool AskChannelPin(AppState& state, const PinAsker& ask);
// Taking a channel's lock off with parental control on asks every time, as
// the Settings' parental cell does: the change outlasts the session, so a
// pass earned by playing does not cover it, and the right PIN here passes
// no channel. True when the lock may come off.
bool UnlockAllowed(const PinAsker& ask, AppState& state);
// The masked text prompt in the modal slot.
PinAsker PinPrompt(ModalSlot& slot);

// The gate for `channel`: open, or refused for a preview, or asked. The
// prompt merges no catalog meanwhile (ui/modals/modal_slot.h), so the lists
// and rows the caller read before asking still hold after it.
bool ChannelGate(const PinAsker& ask, AppState& state, const CatalogItem& channel, LiveStart start);

// The gate for VisibleLive[ChannelIndex]; false, and nothing to play, when
// the index is out of range.
bool GateSelectedChannel(const PinAsker& ask, AppState& state, LiveStart start);

// A zap (the Player's channel step): the next channel the parental rule does
// not pass over is selected and gated as chosen. A refusal selects the
// channel that plays again; true when the selected channel may play.
bool StepToAllowedChannel(const PinAsker& ask, AppState& state, int direction);

// The external player gets what plays: a live channel (also a catch-up of
// it) passes the gate as chosen; a movie, an episode or a trailer passes.
bool GateExternalHandOff(const PinAsker& ask, AppState& state);
