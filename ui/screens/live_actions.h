#pragma once
// What the live-channel screens share (Live, the Player, the programme
// grid, Groups and the live history view): actions on the live list
// (VisibleLive and its selection) and the ways between those screens. No
// screen includes another; each reaches the others through these. Every
// start of a channel goes through playback (PlaybackActions), which passes
// the parental gate: nothing here asks for a channel's PIN. Main thread only.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ui/screens/screen_view.h"

// True when the selected row of the live list is the channel that plays.
bool SelectedChannelPlays(const AppState& state);

// Leaving Live, the Player or the grid for a screen without video stops
// playback. The grid keeps the stream (heard, not shown, as a TV's guide
// does): Enter on that channel's running programme shows it at once, and
// going back finds it playing.
void StopUnlessVideoStays(ScreenContext& ctx, Screen to);

// The favorite and lock toggles of the selected channel, with their notices.
// With parental control on, taking a lock off asks for the PIN (a refusal
// changes nothing), and a channel locked while it plays without the PIN
// stops (on the Player, back to the list). Locking never asks.
void ToggleLiveFavorite(ScreenContext& ctx);
void ToggleLiveLock(ScreenContext& ctx);

// A typed digit: the number notice, and the row of the live list whose
// number the digits make (selected: NavState::ChannelIndex), or -1 while
// none matches. The digits stay until the 1,800 ms pause, so "1", "2"
// reaches channel 12 after channel 1. Plays nothing (the grid only moves).
int ChannelNumberEntry(AppState& state, int digit, uint64_t nowMs);
// Digit keys on Live and the Player: the channel the digits name plays as
// chosen; elsewhere Live opens on it. On the Player its name shows.
void EnterChannelDigit(ScreenContext& ctx, int digit);

// Enter and the double click on a channel (and Enter on the grid's running
// programme): it fills the window. The preview's stream is kept when it
// already plays that channel (one connection to the provider, and no
// restart of the picture); a refused PIN plays nothing and stays.
void PlayChosenChannel(ScreenContext& ctx);

// Live with "Recently Viewed" selected and the channel `id` playing (the
// live history view's Enter).
void ShowRecentChannel(ScreenContext& ctx, std::u16string_view id);

// The name of a new group from the text prompt; nothing when cancelled or
// when no prompt can be shown.
std::optional<std::u16string> AskGroupName(ScreenContext& ctx);
// Asks for a name and appends a group holding the selected channel.
void CreateGroupFromPrompt(ScreenContext& ctx);

// Shift+R on the Player and the live strip's button: the channel shown
// (live, or the channel of the programme replayed) records from now, or
// stops recording. Nothing while no channel is shown.
void ToggleRecordShown(ScreenContext& ctx);

// The selected channel's menu (Live's O key and its menu button): "Assign
// guide", the review of unsure matches and the guide sources.
void OpenChannelMenu(ScreenContext& ctx);

// Opens the programme grid (Live's P key and button, the Player's strip
// button and P key).
void OpenGrid(ScreenContext& ctx);
// W on the Player (and the strip's button): opens the multi-view when at
// least two tiles can play.
void OpenMultiView(ScreenContext& ctx);
// The H key: the recently viewed channels, shown by the Catch-up screen in
// place of a guide (no guide is fetched).
void OpenLiveHistory(ScreenContext& ctx);

// Fills LiveHistoryChannels from the history and the catalog, newest first,
// each channel once; ids the catalog no longer has are left out.
void GatherLiveHistory(AppState& state);

// The channel played before the one playing now: the history's newest
// entry that is not the current channel (the history repeats a channel
// each time it plays); empty when there is none.
std::u16string_view PreviousChannelId(const AppState& state);
// Selects that channel in the live list: in the list shown when it is
// there, else in "Recently Viewed" (the list switches to it). False, and
// nothing changed, when there is no previous channel or the catalog no
// longer has it.
bool SelectPreviousChannel(AppState& state);
// Selects channel `id` in the live list shown when it is there, else in
// "All" (the list switches to it); false, nothing changed, when the
// catalog does not have it.
bool SelectChannelById(AppState& state, std::u16string_view id);
