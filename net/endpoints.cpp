#include "net/endpoints.h"

#include <cstdlib>

#include "net/text.h"

#ifndef VISTRA_DEFAULT_PANEL_URL
#define VISTRA_DEFAULT_PANEL_URL "https://panel.vistra.example"
#endif

namespace {

// Read on every call: cheap, and tests may change the variables between cases.
std::u16string FromEnvironment(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  std::string url = (value && *value) ? value : fallback;
  while (!url.empty() && url.back() == '/') url.pop_back();
  return Utf8ToWide(url);
}

}  // namespace

namespace Endpoints {

std::u16string PanelUrl() { return FromEnvironment("VISTRA_PANEL_URL", VISTRA_DEFAULT_PANEL_URL); }
std::u16string TmdbApiUrl() { return FromEnvironment("VISTRA_TMDB_API_URL", "https://api.themoviedb.org"); }
std::u16string TmdbImageUrl() { return FromEnvironment("VISTRA_TMDB_IMAGE_URL", "https://image.tmdb.org"); }
std::u16string WatchUrl() { return FromEnvironment("VISTRA_WATCH_URL", "https://www.youtube.com"); }
std::u16string SportsUrl() { return FromEnvironment("VISTRA_SPORTS_URL", "https://www.thesportsdb.com"); }
std::u16string TraceUrl() { return FromEnvironment("VISTRA_TRACE_URL", "https://1.1.1.1/cdn-cgi/trace"); }
std::u16string SpeedTestUrl() { return FromEnvironment("VISTRA_SPEEDTEST_URL", "https://speed.cloudflare.com"); }

}  // namespace Endpoints
