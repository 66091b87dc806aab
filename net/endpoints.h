#pragma once
// Base URLs of the outside services. Each has a compiled-in default and can
// be overridden by an environment variable holding a base URL with scheme
// (tests point them at the stand-in server, e.g. "http://127.0.0.1:8080").
// Values carry no trailing slash.
#include <string>

namespace Endpoints {

std::u16string PanelUrl();      // VISTRA_PANEL_URL: panel, playlists page, sports config, speed-test probe
std::u16string TmdbApiUrl();    // VISTRA_TMDB_API_URL: trending, videos
std::u16string TmdbImageUrl();  // VISTRA_TMDB_IMAGE_URL: backdrop and poster pictures
std::u16string WatchUrl();      // VISTRA_WATCH_URL: trailer watch pages
std::u16string SportsUrl();     // VISTRA_SPORTS_URL: sports day schedule
std::u16string TraceUrl();      // VISTRA_TRACE_URL: the speed test's trace (a full URL)
std::u16string SpeedTestUrl();  // VISTRA_SPEEDTEST_URL: speed-test download and upload

}  // namespace Endpoints
