#pragma once
// The application state: one instance, owned by the main thread. Jobs never
// write it; they hand back merge steps (app/jobs.h). Only the flags in
// JobFlags are shared with jobs, and they are atomic.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/jobs.h"
#include "catalog/account.h"
#include "catalog/catalog_item.h"
#include "catalog/guide.h"
#include "catalog/visible_list.h"
#include "catalog/xtream_client.h"
#include "extras/sports.h"
#include "extras/trending.h"
#include "panel/panel_client.h"
#include "player/playback.h"
#include "store/settings.h"
#include "ui/nav/nav_state.h"
#include "ui/nav/screen.h"

struct JobFlags {
  std::atomic<bool> CatalogBusy{false};
  std::atomic<bool> MoviesWanted{false};
  std::atomic<bool> SeriesWanted{false};
  std::atomic<bool> SportsBusy{false};
  std::atomic<uint32_t> SeriesInfoGeneration{0};
};

struct Toast {
  std::u16string text;
  uint64_t hideAtMs = 0;  // tick milliseconds
  bool Visible(uint64_t nowMs) const { return !text.empty() && nowMs < hideAtMs; }
};

struct AppState {
  Settings settings;
  uint64_t LastAutoReload = 0;  // tick ms of the last automatic reload; 0 = not started

  PanelState panel;
  Catalog catalog;
  std::vector<TrendingMovie> trending;
  SeriesInfo series;
  GuideState guide;  // shared with the guide job under its own lock
  XtreamAccount account;
  SportsEvents sports;
  Screen CurrentScreen = Screen::Home;
  std::u16string CurrentChannelId;
  PlaybackState playback;

  std::u16string StatusText;
  bool SettingsDirty = false;
  NavState nav;
  VisibleList VisibleLive;
  VisibleList VisibleItems;
  Toast toast;

  // Mute remembers the volume it replaced (0 = nothing remembered).
  int32_t VolumeBeforeMute = 0;
  uint64_t LastPanelPollMs = 0;
  // The backdrop picture file changed on disk: painters reload it.
  uint32_t BackdropGeneration = 0;

  JobFlags flags;
};

void ShowToast(AppState& state, std::u16string text, uint64_t durationMs);
