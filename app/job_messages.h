#pragma once
// Ids of the messages that jobs post to the main loop. The numbers are the
// classic WM_USER-based ids so log lines and traces read the same anywhere.
#include <cstdint>

namespace JobMessage {
inline constexpr uint32_t CatalogReady = 0x402;     // wparam 0 live/whole catalog, 1 movies, 2 series
inline constexpr uint32_t TrendingReady = 0x403;    // wparam kTrendingNewData or kBackdropWritten
inline constexpr uint32_t PanelUpdated = 0x404;
inline constexpr uint32_t SeriesInfoReady = 0x405;
inline constexpr uint32_t IconReady = 0x415;
inline constexpr uint32_t SportsReady = 0x416;

// A finished backdrop download only needs the picture reloaded; new trending
// data needs the download. The two are told apart by wparam so a download
// never sets off the next one.
inline constexpr uintptr_t kTrendingNewData = 0;
inline constexpr uintptr_t kBackdropWritten = 1;
}  // namespace JobMessage
