#pragma once
// The application state: one instance, owned by the main thread. Jobs do not
// write its members; they hand back results that the main thread merges
// (app/job_results.h). Two things are shared with jobs: the flags in
// JobFlags, which are atomic, and the speed-test report, which its test
// thread writes under the report's own lock.
//
// Naming: a member that holds a part of the state with a type of its own
// (settings, nav, catalog, guide, toast, …) is a lowercase noun; a value or a
// list is PascalCase (CurrentScreen, StatusText, VisibleLive). The Player
// screen's controls and what plays are camelCase fields of their own structs
// (state/playback_state.h).
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "catalog/account.h"
#include "catalog/catalog_item.h"
#include "catalog/guide_requests.h"
#include "catalog/guide_store.h"
#include "catalog/guide_past.h"
#include "catalog/guide_reading.h"
#include "catalog/panel_clock.h"
#include "catalog/provider_status.h"
#include "catalog/search.h"
#include "catalog/visible_list.h"
#include "catalog/xtream_client.h"
#include "extras/speed_test.h"
#include "extras/sports.h"
#include "extras/trending.h"
#include "panel/panel_client.h"
#include "store/guide_map.h"
#include "store/preferences.h"
#include "store/recordings.h"
#include "store/settings.h"
#include "state/catalog_change.h"
#include "state/connection_budget.h"
#include "state/multiview_state.h"
#include "state/nav_state.h"
#include "state/playback_state.h"
#include "state/screen.h"

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

// The retries of a catalog load that gave no channels: how many loads
// failed in a row, and when the next one starts (TickMs; 0: none waits).
struct CatalogRetry {
  int failures = 0;
  uint64_t nextMs = 0;
};

struct AppState {
  Settings settings;
  // The choices settings.json has no field for (store/preferences.h).
  Preferences preferences;
  uint64_t LastAutoReload = 0;  // tick ms of the last automatic reload; 0 = not started

  PanelState panel;
  Catalog catalog;
  std::vector<TrendingMovie> trending;
  SeriesInfo series;
  // The programmes of the channels looked at lately, and the queue of the
  // guide requests that fill it (app/guide_jobs.h): main thread only.
  GuideStore guide;
  GuideRequests guideRequests;
  // The guides read whole (the provider's and the user's sources) and the
  // live channels linked to them: the store takes a linked channel's rows
  // from them instead of asking the provider.
  WholeGuideHeld wholeGuide;
  // What each guide source came to at its last reading (the provider's
  // first), and the unsure matches by name waiting for the user.
  std::vector<GuideSourceReport> guideSourceReports;
  std::vector<GuideReviewItem> guideReview;
  // guide_map.json: the user's own choice of guide per channel.
  GuideMapFile guideMap;
  // The past programmes seen on channels with an archive, kept on disk for
  // catch-up (app/past_listings_jobs.h): for `pastListingsAccount`, read
  // from its file once `pastListingsRead`.
  PastListings pastListings;
  XtreamAccount pastListingsAccount;
  bool pastListingsRead = false;
  bool wholeGuideBusy = false;  // its job runs
  // The user changed a choice or a source while it ran: read them again.
  bool guidesReadAgain = false;
  // That job reads the kept copy (a moment's work): the channels asked for
  // meanwhile wait for it rather than go to the provider one by one. Each is
  // (stream id, with its past).
  bool wholeGuideFromCopy = false;
  std::vector<std::pair<std::u16string, bool>> guidesAwaitingWhole;
  XtreamAccount account;
  // What the provider said of that account: the last live load's answer and
  // its account answer (status, expiry, connection limit).
  ProviderStatus provider;
  // The streams open on that line, against its connection limit: every
  // Player takes its slot here before it connects (the application points
  // the limit at `provider`).
  ConnectionBudget connections;
  // recordings.json as the recording desk keeps it (app/recording_desk.h):
  // what is scheduled, records (its bytes so far) and was recorded, and the
  // reminders. Painters read the marks and the Recordings screen from here.
  RecordingsFile recordings;
  // Reminders come due in the tick, which cannot open a question (the modal
  // slot is a call from a handler): it posts them here, and the main loop
  // asks the oldest between handlers (Application::AskPostedQuestion).
  std::vector<Reminder> RemindersToAsk;
  // The provider panels' UTC offsets, read once per account (catch-up).
  PanelClocks panelClocks;
  SportsEvents sports;
  // The speed-test report: written by the test's thread under its own lock,
  // kept while the panel is closed.
  std::shared_ptr<SpeedReport> speedReport = std::make_shared<SpeedReport>();
  Screen CurrentScreen = Screen::Home;
  // The live channel played last (the video tile's, or the multi-view's
  // kept tile): what the live history's "previous channel" is counted
  // from and what Live selects on return. Written only by
  // NoteLiveChannelPlayed (app/playback_control.h).
  std::u16string LastLiveChannelId;
  // What the video tile's Player plays: the application points this at its
  // Player's record; painters and handlers read it through Playing().
  const PlaybackState* playing = nullptr;
  const PlaybackState& Playing() const {
    static const PlaybackState kNothing;
    return playing ? *playing : kNothing;
  }
  PlayerScreenControls playerScreen;
  // The tiles of the multi-view while it is open (empty otherwise).
  MultiViewState multiView;
  // The series whose episodes were asked for last (its title heads the
  // episode list; its episodes play under it), and whether the first of
  // them plays as soon as they arrive (opened from the search).
  CatalogItem SeriesShown;
  bool AutoplayFirstEpisode = false;
  // The parental PIN was entered right for a channel since the live list
  // selection last moved to a category (or group) that is not locked:
  // locked channels play without asking meanwhile (ui/modals/pin_gate.h).
  bool ChannelPinPassed = false;

  std::u16string StatusText;
  bool SettingsDirty = false;
  NavState nav;
  VisibleList VisibleLive;
  VisibleList VisibleItems;
  SearchResultList SearchResults;
  SearchIndexCache searchIndex;
  // The live history matched to the catalog (GatherLiveHistory, the H key),
  // newest first, each channel once: the Catch-up screen's history view.
  std::vector<CatalogItem> LiveHistoryChannels;
  Toast toast;

  // Mute remembers the volume it replaced (0 = nothing remembered).
  int32_t VolumeBeforeMute = 0;
  uint64_t LastPanelPollMs = 0;
  // The backdrop picture file changed on disk: painters reload it.
  uint32_t BackdropGeneration = 0;
  // The picture whose download was started last, so each new trending
  // picture is fetched once however many results announce it; cleared when
  // that download fails.
  std::u16string BackdropUrlRequested;
  // The picture whose download failed last and when (TickMs): it is tried
  // again by a later trending answer or reload, at most once a minute.
  std::u16string BackdropUrlFailed;
  uint64_t BackdropFailedAtMs = 0;

  // A load that left no channels is tried again (app/catalog_retry.h).
  CatalogRetry catalogRetry;

  JobFlags flags;
};

// How long short feedback (volume, a refused PIN, an empty series) shows.
inline constexpr uint64_t kFeedbackNoticeMs = 2000;

// The one notice of every screen (the interface draws it, on the Player
// too, above the strips; the engine never draws text): a new one replaces
// the shown one. It shows until `nowMs` + `durationMs`; `nowMs` is the
// tick clock's now unless the caller already read it.
void ShowNotice(AppState& state, std::u16string text, uint64_t durationMs, uint64_t nowMs);
void ShowNotice(AppState& state, std::u16string text, uint64_t durationMs);
