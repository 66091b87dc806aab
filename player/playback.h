#pragma once
// Starting playback: building the stream URL, the preferences applied around
// every load, the repeat guard, history and the log line. Main thread only.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "catalog/catalog_item.h"
#include "state/playback_state.h"
#include "store/settings.h"

class MediaEngine;
struct AppState;

// "VLC/3.0.20 LibVLC/3.0.20" for the second built-in player profile,
// "Vistra43/4.3" otherwise.
std::string_view PlaybackUserAgent(const Settings& settings);
// "sub-font-size" for the SubSize setting: 0 → 22, 2 → 48, else 32.
int SubtitleFontSize(int32_t subSize);
// "sub-color" for the SubColor setting.
std::string_view SubtitleColor(int32_t subColor);

// The fixed sequence around a load: user agent, load, volume, subtitles.
// `resolved`: the URL was resolved already (a trailer), so the load does
// not resolve it again.
void LoadWithPreferences(MediaEngine& engine, const Settings& settings, const std::u16string& url,
                         bool resolved = false);

// What PlayLive needs besides the state and the engine. The video is
// placed by the screen change that shows it, not by each load.
struct LiveCallbacks {
  std::function<void(std::u16string_view)> requestGuide;  // the now/next guide for a channel
};

// Plays ChannelIndex of VisibleLive as it is: the parental gate is the
// caller's (ui/modals/pin_gate.h). Returns whether a load was issued.
bool PlayLive(AppState& state, MediaEngine& engine, uint64_t nowMs, const LiveCallbacks& callbacks);
