#include "ui/screens/playlists.h"

#include <algorithm>
#include <string>

#include "net/text.h"
#include "i18n/translate.h"

std::vector<PlaylistEntry> AccountPlaylists(const PanelState& panel, const Settings& settings,
                                            std::u16string_view fallbackName) {
  std::vector<PlaylistEntry> list = panel.panelLists.empty() ? settings.Extra : panel.panelLists;
  if (settings.PlaylistUrl.empty() || PlaylistIndexOf(list, settings.PlaylistUrl) >= 0) return list;
  PlaylistEntry current{std::u16string(fallbackName), settings.PlaylistUrl};
  for (const PlaylistEntry& saved : settings.Extra) {
    if (saved.url == settings.PlaylistUrl && !saved.name.empty()) current.name = saved.name;
  }
  list.push_back(std::move(current));
  return list;
}

int PlaylistIndexOf(const std::vector<PlaylistEntry>& playlists, std::u16string_view url) {
  for (size_t i = 0; i < playlists.size(); ++i) {
    if (playlists[i].url == url) return static_cast<int>(i);
  }
  return -1;
}

std::u16string PlaylistRowName(const PlaylistEntry& entry, int index) {
  if (!entry.name.empty()) return entry.name;
  return TranslateWith("playlist_number", AsciiToWide(std::to_string(index + 1)));
}

std::vector<PlaylistEntry> AccountScreenPlaylists(const AppState& state) {
  return AccountPlaylists(state.panel, state.settings, Translate("playlist"));
}

void FollowActivePlaylist(AppState& state, const std::vector<PlaylistEntry>& before) {
  const std::vector<PlaylistEntry> now = AccountScreenPlaylists(state);
  const bool same = std::equal(now.begin(), now.end(), before.begin(), before.end(),
                               [](const PlaylistEntry& a, const PlaylistEntry& b) { return a.url == b.url; });
  int& index = state.nav.AccountIndex;
  if (same && index < static_cast<int>(now.size())) return;
  index = std::max(0, PlaylistIndexOf(now, state.settings.PlaylistUrl));
}
