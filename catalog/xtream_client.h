#pragma once
// The Xtream Codes client: the catalog and the series details come from the
// provider's player_api.php, addressed with the account of the playlist URL.
//
// Two layers:
// - Parsers turn one JSON answer, or the items of the list found in one
//   (JsonScan::FindObjectList), into records. They never fail: malformed
//   objects give items with empty fields, and only an empty id drops an item.
//   Identifiers are kept as the text received ("123" and 123 are both "123");
//   a JSON null is kept as the text "null".
// - Loaders fetch the answers (blocking, so never on the main thread) and
//   replace one kind's lists in a catalog the caller owns: a job fills its
//   private copy and the main thread swaps it in when the job's message
//   arrives. An empty or non-list answer changes nothing.
#include <string>
#include <string_view>
#include <vector>

#include "catalog/account.h"
#include "catalog/catalog_item.h"
#include "catalog/provider_status.h"

// One entry of the open series' episode list.
struct Episode {
  std::u16string id;
  std::u16string title;
  std::u16string containerExt;  // "mp4" when the server gave none
  std::u16string season;        // season, else season_num, else "1"
  std::u16string number = {};   // episode_num as sent; empty when missing
  bool operator==(const Episode&) const = default;
};

struct SeriesInfo {
  std::vector<Episode> Episodes;
  std::u16string SeriesPlot;
  bool operator==(const SeriesInfo&) const = default;
};

// --- parsers (pure, no network) ---

// The server's own categories, in order: (category_name, category_id) of
// each object that has a non-empty category_id. No special entries.
std::vector<Category> ParseServerCategories(std::string_view json);

// Live channels in server order. containerExt falls back to `liveFormat`;
// the url always uses `liveFormat` ("ts" when empty), whatever the container.
SharedItems ParseLiveStreams(std::string_view json, const XtreamAccount& account, std::u16string_view liveFormat);

// Movies (stream_id, stream_icon, movie url) or series (series_id, cover, no
// url), in server order; containerExt falls back to "mp4".
SharedItems ParseVodOrSeries(std::string_view json, const XtreamAccount& account, VodKind kind);

// Fills `info` from a get_series_info answer (cleared first): the plot, and
// every episode object found at any depth below "episodes", in answer order.
// An object is an episode when one of its own members is container_extension
// or episode_num (and one of them has a value) and it has an id; any other
// object is searched for episodes inside it. Returns whether any was found.
bool ParseSeriesInfo(std::string_view json, SeriesInfo& info);

// --- loaders (block on HttpClient; call from jobs only) ---

// Fetches get_live_categories and get_live_streams. When the streams answer
// holds a whole list (text around it, such as a PHP notice, is ignored; an
// object keyed by index counts as a list), replaces catalog.LiveCategories
// (the five specials, then the server's) and catalog.LiveChannels; an empty
// answer, one that holds no list (an error page, an authentication failure)
// or a list cut short changes nothing.
// Returns whether the channel list is non-empty afterwards. Makes no request
// when the account is not an Xtream account. `answer`, when given, receives
// how the provider answered the load's last request (catalog: it was a whole
// list), so that a failure can be explained.
bool LoadLive(const XtreamAccount& account, std::u16string_view liveFormat, Catalog& catalog,
              ProviderAnswer* answer = nullptr);

// The same for movies (get_vod_categories, get_vod_streams) or series
// (get_series_categories, get_series); categories begin with "ALL" and
// "FAVORITES".
bool LoadVodOrSeries(const XtreamAccount& account, VodKind kind, Catalog& catalog);

// Fetches get_series_info for `seriesId` into `info` (cleared first, also
// when nothing is fetched). Returns whether any episode was found.
bool GetSeriesInfo(const XtreamAccount& account, std::u16string_view seriesId, SeriesInfo& info);
