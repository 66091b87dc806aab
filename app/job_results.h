#pragma once
// What each background job hands back to the main thread. A job builds its
// result privately and delivers it through the mailbox; the main thread
// merges it into the state and runs its follow-up in one place
// (ApplyJobResult), so a result means the same wherever it comes from.
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <memory>
#include <vector>

#include "catalog/account.h"
#include "catalog/guide.h"
#include "catalog/guide_past.h"
#include "catalog/provider_status.h"
#include "catalog/search.h"
#include "state/catalog_change.h"
#include "catalog/visible_list.h"
#include "catalog/guide_reading.h"
#include "catalog/xtream_client.h"
#include "extras/sports.h"
#include "extras/trending.h"
#include "panel/messages.h"
#include "panel/panel_client.h"

// A catalog download: the kinds it replaced (the others are untouched) and,
// for a reload, the account it was made with.
struct CatalogLoaded {
  Catalog catalog;
  bool live = false, movies = false, series = false;
  std::optional<XtreamAccount> account;
  // A playlist switch: the URL whose server answered, which becomes the
  // current playlist when this merges.
  std::optional<std::u16string> playlistUrl;
  // For a new live list: its orders, prepared by the job (null when not).
  // The search indices of the new lists follow (SearchIndexPrepared).
  std::shared_ptr<const LiveOrders> liveOrders;
  // For a live load of an Xtream account: how the provider answered it.
  std::optional<ProviderAnswer> liveAnswer;
  // The live list was asked for (whether or not it came).
  bool liveTried = false;
  bool Changed() const { return live || movies || series; }
};

// The boot's read of the catalog cache: on a hit, every list it holds with
// the live orders prepared on the job; on a miss, what stays shown (the
// lists of the same account, else none) while the download runs.
// A kind merges only while the list the boot started with is still shown: a
// reload that delivered before the read arrived keeps its newer lists.
struct CatalogCacheRead {
  Catalog catalog;
  bool hit = false;
  std::shared_ptr<const LiveOrders> liveOrders;
  Catalog replaced;  // the lists shown when the boot started
};

// The panel answered a sign-in or a check.
struct PanelChecked {
  PanelResult result;
};

struct TrendingLoaded {
  std::vector<TrendingMovie> movies;
};

// backdrop.jpg now holds the picture of `imageUrl`.
struct BackdropWritten {
  std::u16string imageUrl;
};

// The download of `imageUrl` failed.
struct BackdropFailed {
  std::u16string imageUrl;
};

// Series info for the request numbered `generation`.
struct SeriesInfoLoaded {
  SeriesInfo info;
  uint32_t generation = 0;
};

// A guide request (ticket `ticket` of the guide queue) ended: what the
// fetch for `streamId` came to, for the account it was sent with.
struct GuideLoaded {
  uint64_t ticket = 0;
  XtreamAccount account;
  std::u16string streamId;
  bool withPast = false;
  GuideFetch fetch;
  int32_t archiveDays = 0;  // how far back the channel's archive reaches (0: none)
};

// The whole-provider guide was read for `account` (from the kept copy or
// the provider).
struct WholeGuideLoaded {
  XtreamAccount account;
  std::shared_ptr<GuideReading> reading;  // null: nothing was read (the copies were fresh)
};

// The kept past programmes of `account` were read from its file.
struct PastListingsLoaded {
  XtreamAccount account;
  PastListings listings;
};

// The guide queue's wake-up set for `atMs` (tick ms) has come.
struct GuideWake {
  int64_t atMs = 0;
};

struct SportsLoaded {
  SportsEvents events;
};

// A playlist switch was refused: the current playlist and catalog stay, and
// the status line says why.
struct PlaylistRefused {
  std::u16string reason;
};

// The provider panel's clock was asked for `account`: its UTC offset in
// seconds, or nothing when the answer did not tell it.
struct PanelClockRead {
  XtreamAccount account;
  std::optional<int32_t> offset;
};

// A trailer page was resolved (request `request` of the trailer button):
// `media` is the direct URL, or the page itself when it could not be.
struct TrailerResolved {
  std::u16string page;
  std::u16string media;
  uint32_t request = 0;
};

// The speed-test report changed (from the test's thread).
struct SpeedReportChanged {};

// Channel icons finished downloading into the icon cache.
struct IconsArrived {};

// The search indices of the lists a load delivered or a warm start read from
// the cache, built on the job after them: each is taken only while its list
// is still the one shown.
struct SearchIndexPrepared {
  SearchIndexCache index;
};

// A reply from the messages panel was sent (or failed).
struct ReplySent {
  SendJobResult result;
};

// The account answer of `account` (player_api.php without an action).
struct AccountChecked {
  XtreamAccount account;
  AccountCheck check;
};

using JobResult = std::variant<CatalogLoaded, CatalogCacheRead, PanelChecked, TrendingLoaded, BackdropWritten, BackdropFailed,
                               SeriesInfoLoaded,
                               GuideLoaded, GuideWake, WholeGuideLoaded, PastListingsLoaded, SportsLoaded, IconsArrived, ReplySent, PlaylistRefused,
                               SpeedReportChanged, PanelClockRead, TrailerResolved, SearchIndexPrepared,
                               AccountChecked>;

struct AppState;
class JobMailbox;

// What a result's follow-up asks of the application beyond the state and
// the jobs: the player, the painter's caches and the window.
class ResultFollowUps {
 public:
  virtual ~ResultFollowUps() = default;
  // A catalog arrived: the Live preview starts again if it sits idle.
  virtual void RestartIdlePreview() = 0;
  // backdrop.jpg was rewritten: the painter's copy is stale.
  virtual void BackdropChanged() = 0;
  // Icons arrived: repaint once they settle rather than per icon.
  virtual void IconsSettling() = 0;
  virtual void Repaint() = 0;
  // Series info asked for with auto-play arrived: its first episode plays.
  virtual void PlayEpisode(const Episode& episode) = 0;
  // A trailer was resolved: it plays unless a newer press or another
  // screen superseded it.
  virtual void PlayResolvedTrailer(const TrailerResolved& trailer) = 0;
  // A catalog load ended: the whole-provider guide may be read now (the
  // program does; tests that do not ask for it start no such job).
  virtual void CatalogSettled() {}
  // The live lists arrived (from the cache or a load).
  virtual void LiveListsReady() {}
  // The catalog's lists in `change` were replaced: the screens rebuild the
  // lists they show (ScreenView::OnCatalogChanged).
  virtual void CatalogChanged(const CatalogChange& change) = 0;
  // The guide store took programmes: the shown screen may want more.
  virtual void GuidesUpdated() {}
};

// Main thread: merges `result` into `state` and runs its follow-up.
void ApplyJobResult(JobResult& result, AppState& state, JobMailbox& mailbox, ResultFollowUps& app);
