#pragma once
// Starting playback: building the stream URL, the preferences applied around
// every load, the repeat guard, history and the log line. Main thread only.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "catalog/catalog_item.h"
#include "store/settings.h"

class MediaEngine;
struct AppState;

struct PlaybackState {
  CatalogItem currentChannel;        // the channel being played
  std::u16string currentChannelUrl;  // the URL actually loaded for it
  CatalogItem currentItem;           // the movie or series being played
  bool isEpisode = false;
  std::u16string itemKey;  // resume key: movie stream id or episode id; empty for live
  double resumeSeconds = 0;
  std::u16string lastUrl;
  std::u16string lastChannelId;
  uint64_t playStartTick = 0;
  uint64_t lastLiveLoadTick = 0;  // 0 forces the next live load
  bool autoplayEpisodes = false;
};

// "VLC/3.0.20 LibVLC/3.0.20" for the second built-in player profile,
// "Vistra43/4.3" otherwise.
std::string_view PlaybackUserAgent(const Settings& settings);
// "sub-font-size" for the SubSize setting: 0 → 22, 2 → 48, else 32.
int SubtitleFontSize(int32_t subSize);
// "sub-color" for the SubColor setting.
std::string_view SubtitleColor(int32_t subColor);

// The fixed sequence around a load: user agent, load, volume, subtitles.
void LoadWithPreferences(MediaEngine& engine, const Settings& settings, const std::u16string& url);

// What PlayLive needs besides the state and the engine.
struct LiveCallbacks {
  std::function<void()> layoutVideo;                      // place the video for the current screen
  std::function<void(std::u16string_view)> requestGuide;  // the now/next guide for a channel
  std::function<bool()> askChannelPin;                    // the PIN prompt for locked categories
};

// Plays ChannelIndex of VisibleLive. Returns whether a load was issued.
bool PlayLive(AppState& state, MediaEngine& engine, uint64_t nowMs, const LiveCallbacks& callbacks);
