#pragma once
// The playlists the Account screen lists and the Settings screen counts:
// the panel's playlists for this device, or when it has none the ones saved
// in the settings, and in either case the current playlist appended when
// no entry has its URL. Main thread only.
#include <string>
#include <vector>

#include "panel/panel_client.h"
#include "state/app_state.h"
#include "store/settings.h"

// `fallbackName` names the current playlist's entry when no saved playlist
// has its URL.
std::vector<PlaylistEntry> AccountPlaylists(const PanelState& panel, const Settings& settings,
                                            std::u16string_view fallbackName);

// The index of the entry whose URL is `url`, or -1.
int PlaylistIndexOf(const std::vector<PlaylistEntry>& playlists, std::u16string_view url);

// What a row shows: the name, or "Playlist " and its 1-based number.
std::u16string PlaylistRowName(const PlaylistEntry& entry, int index);

// The playlists the Account screen lists, in their order.
std::vector<PlaylistEntry> AccountScreenPlaylists(const AppState& state);
// After the panel answered: the Account screen's highlight goes to the
// active playlist when the list (`before` is the one shown until now)
// changed or the highlight fell off its end. An unchanged answer, which the
// panel poll brings every few seconds, leaves the user's highlight where it
// is.
void FollowActivePlaylist(AppState& state, const std::vector<PlaylistEntry>& before);
