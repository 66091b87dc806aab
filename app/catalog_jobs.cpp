#include "app/catalog_jobs.h"

#include "app/account_jobs.h"

#include <mutex>

#include "store/runtime_log.h"
#include "catalog/catalog_cache.h"
#include "catalog/categories.h"
#include "store/data_folder.h"
#include "store/preferences.h"
#include "store/settings_file.h"
#include "i18n/translate.h"
#include "catalog/channel_choice.h"

namespace {

constexpr uint64_t kPanelPollMs = 5000;
constexpr uint64_t kHourMs = 3600ull * 1000;

// What a catalog job works from: copies taken on the main thread. `account`
// and `playlistUrl` are what the job loads (the panel may change them);
// `shownAccount` and `shownUrl` are what the lists in `catalog` belong to.
struct CatalogJobInput {
  PanelState panel;
  PanelSettings panelSettings;
  XtreamAccount account;
  Catalog catalog;
  std::u16string playlistUrl;
  std::u16string liveFormat;
  XtreamAccount shownAccount;
  std::u16string shownUrl;
  // No trending list is held: a reload asks for it again (with its
  // backdrop), as the one asked at boot may have failed.
  bool wantTrending = false;
};

CatalogJobInput SnapshotForJob(const AppState& state) {
  return CatalogJobInput{state.panel,   PanelSettings::From(state.settings), state.account,
                         state.catalog, state.settings.PlaylistUrl,           state.settings.LiveFormat,
                         state.account, state.settings.PlaylistUrl,           state.trending.empty()};
}

void FetchTrendingInto(JobMailbox& mailbox) {
  auto trending = FetchTrending();
  WriteLogF(64, "tmdb=%d", static_cast<int>(trending.size()));
  mailbox.Deliver(TrendingLoaded{std::move(trending)});
}

size_t CountOf(const SharedItems& items) { return items ? items->size() : 0; }

// The cache files are read and written by jobs only, one at a time: a save
// never runs beside another save or a cache read, whichever jobs overlap.
std::mutex& CacheFilesLock() {
  static std::mutex lock;
  return lock;
}

bool ReadCache(const std::u16string& playlistUrl, Catalog& out) {
  const std::lock_guard<std::mutex> hold(CacheFilesLock());
  return LoadCatalogCache(playlistUrl, out);
}

void WriteCache(const Catalog& catalog, const std::u16string& playlistUrl) {
  const std::lock_guard<std::mutex> hold(CacheFilesLock());
  SaveCatalogCache(catalog, playlistUrl);
}

// LoadLive into `update`, keeping how the provider answered (for an Xtream
// account, the only kind that makes a request).
// A failed live load names the provider's answer on a line of its own.
void LogFailedLiveAnswer(const CatalogLoaded& update, bool ok) {
  if (!ok && update.liveAnswer) LogLiveAnswer(*update.liveAnswer);
}

// A new live list goes with its orders, sorted here so that the main
// thread's first rebuild of it only filters. The search indices of the new
// lists follow in a result of their own, built while the main thread paints
// the lists.
void DeliverCatalog(JobMailbox& mailbox, CatalogLoaded update) {
  if (update.live) update.liveOrders = PrepareLiveOrders(update.catalog.LiveChannels);
  const SharedItems live = update.live ? update.catalog.LiveChannels : nullptr;
  const SharedItems movies = update.movies ? update.catalog.Movies : nullptr;
  const SharedItems series = update.series ? update.catalog.Series : nullptr;
  mailbox.Deliver(std::move(update));
  if (!live && !movies && !series) return;
  SearchIndexPrepared prepared;
  if (live) BuildSearchIndex(prepared.index.live, live);
  if (movies) BuildSearchIndex(prepared.index.movies, movies);
  if (series) BuildSearchIndex(prepared.index.series, series);
  mailbox.Deliver(std::move(prepared));
}

// The one rule of every catalog job: a kind is delivered and saved only
// when its download gave a list; a kind that failed keeps what is shown and
// its cache file as they are. So a job that loads the account on screen
// starts from the lists shown, and one for another account starts from
// nothing and takes over only with that account's channels: until then the
// old lists stay, and after it none of them stands beside the new ones.
bool LoadsShownAccount(const CatalogJobInput& input) { return input.account == input.shownAccount; }

CatalogLoaded StartingPoint(const CatalogJobInput& input) {
  CatalogLoaded update;
  if (LoadsShownAccount(input)) update.catalog = input.catalog;
  return update;
}

bool LoadLiveKind(CatalogLoaded& update, const CatalogJobInput& input) {
  ProviderAnswer answer;
  update.liveTried = true;
  update.live = LoadLive(input.account, input.liveFormat, update.catalog, &answer);
  if (input.account.IsXtream) update.liveAnswer = answer;
  return update.live;
}

// For another account, called only once its channels came: a kind that
// failed then replaces the old account's lists with none.
bool LoadVodKind(CatalogLoaded& update, const CatalogJobInput& input, VodKind kind) {
  const bool ok = LoadVodOrSeries(input.account, kind, update.catalog);
  (kind == VodKind::Movies ? update.movies : update.series) = ok || !LoadsShownAccount(input);
  return ok;
}

// Saves the kinds `update` replaces. Under the playlist of the cache only
// those kind files are written; a new playlist's cache holds every list the
// job delivers with it (the old playlist's files go).
void SaveDelivered(const CatalogLoaded& update, const CatalogJobInput& input) {
  if (!update.Changed()) return;
  if (input.playlistUrl != input.shownUrl) {
    WriteCache(update.catalog, input.playlistUrl);
    return;
  }
  Catalog delivered;
  if (update.live) {
    delivered.LiveCategories = update.catalog.LiveCategories;
    delivered.LiveChannels = update.catalog.LiveChannels;
  }
  if (update.movies) {
    delivered.MovieCategories = update.catalog.MovieCategories;
    delivered.Movies = update.catalog.Movies;
  }
  if (update.series) {
    delivered.SeriesCategories = update.catalog.SeriesCategories;
    delivered.Series = update.catalog.Series;
  }
  WriteCache(delivered, input.playlistUrl);
}

// Loads live, then movies and series, for `input.account`, and saves what
// loaded once, after every kind: a write of a large catalog costs about as
// much as its download. Another account whose channels fail is not asked for
// the rest: nothing of it is shown.
void LoadEverything(CatalogLoaded& update, const CatalogJobInput& input) {
  LogFailedLiveAnswer(update, LoadLiveKind(update, input));
  if (update.live || LoadsShownAccount(input)) {
    LoadVodKind(update, input, VodKind::Movies);
    LoadVodKind(update, input, VodKind::Series);
  }
  SaveDelivered(update, input);
}

// The playlist a job ends up with after the panel may have changed it.
void ApplyPanelChoice(const PanelResult& panel, CatalogJobInput& input) {
  if (panel.PlaylistUrl) input.playlistUrl = *panel.PlaylistUrl;
  if (panel.account) input.account = *panel.account;
}

// "Update Now" boots again: a kind the cache cannot give (a cleared cache)
// keeps the lists of the same account on screen until a download replaces
// them.
void KeepShownWhereMissing(const Catalog& shown, Catalog& cached) {
  if (CountOf(cached.LiveChannels) == 0 && CountOf(shown.LiveChannels) > 0) {
    cached.LiveCategories = shown.LiveCategories;
    cached.LiveChannels = shown.LiveChannels;
  }
  for (const VodKind kind : {VodKind::Movies, VodKind::Series}) {
    if (CountOf(ItemsOf(cached, kind)) > 0 || CountOf(ItemsOf(shown, kind)) == 0) continue;
    CategoriesOf(cached, kind) = CategoriesOf(shown, kind);
    ItemsOf(cached, kind) = ItemsOf(shown, kind);
  }
}

// The boot's first step: reads the cache into `input.catalog` and hands it
// to the main thread with its live orders, then prepares the search indices
// while the lists are painted. Until a hit is delivered the screens that
// need the lists say "Loading live…"; a hit then frees the catalog flag for
// the lazy loads, as the lists are usable. True on a hit.
bool ReadCacheForBoot(JobMailbox& mailbox, JobFlags& flags, CatalogJobInput& input, bool keepShown) {
  Catalog cached;
  const bool cacheHit = ReadCache(input.playlistUrl, cached);
  if (keepShown) KeepShownWhereMissing(input.catalog, cached);
  CatalogCacheRead read{cached, cacheHit, nullptr, std::move(input.catalog)};
  input.catalog = std::move(cached);
  if (!cacheHit) {
    WriteLog("catalog cache miss");
    mailbox.Deliver(std::move(read));
    return false;
  }
  WriteLogF(128, "catalog cache live=%d vod=%d series=%d", static_cast<int>(CountOf(input.catalog.LiveChannels)),
            static_cast<int>(CountOf(input.catalog.Movies)), static_cast<int>(CountOf(input.catalog.Series)));
  read.liveOrders = PrepareLiveOrders(input.catalog.LiveChannels);
  mailbox.Deliver(std::move(read));
  flags.CatalogBusy = false;
  SearchIndexPrepared prepared;
  BuildSearchIndex(prepared.index.live, input.catalog.LiveChannels);
  BuildSearchIndex(prepared.index.movies, input.catalog.Movies);
  BuildSearchIndex(prepared.index.series, input.catalog.Series);
  mailbox.Deliver(std::move(prepared));
  return true;
}

// Jobs get the shared atomic flags only, never the rest of the state.
void RunBootJob(JobMailbox& mailbox, JobFlags& flags, CatalogJobInput input, bool keepShown) {
  const bool cacheHit = ReadCacheForBoot(mailbox, flags, input, keepShown);
  PanelClient client(input.panel, input.panelSettings);
  client.SignIn();
  const PanelResult panel = client.Result();
  // The panel's list of playlists is not kept across runs, so the first
  // sign-in of every run finds it "changed". What needs a new catalog is a
  // different active playlist; only that reloads.
  const bool playlistChanged = panel.PlaylistUrl.has_value() && *panel.PlaylistUrl != input.playlistUrl;
  ApplyPanelChoice(panel, input);
  mailbox.Deliver(PanelChecked{panel});

  FetchTrendingInto(mailbox);

  CatalogLoaded update;
  if (playlistChanged || !cacheHit) {
    WriteLog(playlistChanged ? "live load from panel" : "live load start");
    update = StartingPoint(input);
    const bool ok = LoadLiveKind(update, input);
    WriteLogF(128, "live load=%s cats=%d chans=%d", ok ? "ok" : "fail",
              static_cast<int>(update.catalog.LiveCategories.size()), static_cast<int>(CountOf(update.catalog.LiveChannels)));
    LogFailedLiveAnswer(update, ok);
    if (ok || LoadsShownAccount(input)) {
      if (CountOf(update.catalog.Movies) == 0 && LoadVodKind(update, input, VodKind::Movies))
        WriteLog("vod prefetch ok");
      if (CountOf(update.catalog.Series) == 0 && LoadVodKind(update, input, VodKind::Series))
        WriteLog("series prefetch ok");
    }
    SaveDelivered(update, input);
  } else {
    WriteLog("skip live refresh (cache hot, panel list same)");
  }
  flags.MoviesWanted = false;
  flags.SeriesWanted = false;
  flags.CatalogBusy = false;
  WriteLog("boot done");
  DeliverCatalog(mailbox, std::move(update));
}

// The reload job shared by the Account screen, the automatic reload and
// (after its sign-in) the Home tile.
void RunReloadJob(JobMailbox& mailbox, JobFlags& flags, CatalogJobInput input, bool signInFirst) {
  if (signInFirst) {
    PanelClient client(input.panel, input.panelSettings);
    client.SignIn();
    const PanelResult panel = client.Result();
    ApplyPanelChoice(panel, input);
    mailbox.Deliver(PanelChecked{panel});
  }
  if (input.wantTrending) FetchTrendingInto(mailbox);
  input.account = DeriveXtreamSource(input.playlistUrl);
  CatalogLoaded update = StartingPoint(input);
  LoadEverything(update, input);
  if (update.live) update.account = input.account;
  flags.CatalogBusy = false;
  DeliverCatalog(mailbox, std::move(update));
}

void StartReload(AppState& state, JobMailbox& mailbox, bool signInFirst) {
  state.flags.CatalogBusy = true;
  CatalogJobInput input = SnapshotForJob(state);
  JobFlags* flags = &state.flags;
  StartJob([&mailbox, flags, input = std::move(input), signInFirst]() mutable {
    RunReloadJob(mailbox, *flags, std::move(input), signInFirst);
  });
}

void StartVodJob(AppState& state, JobMailbox& mailbox, VodKind kind) {
  state.flags.CatalogBusy = true;
  state.StatusText = Translate(kind == VodKind::Movies ? "loading_movies" : "loading_series");
  CatalogJobInput input = SnapshotForJob(state);
  JobFlags* flags = &state.flags;
  StartJob([&mailbox, flags, input = std::move(input), kind]() mutable {
    CatalogLoaded update = StartingPoint(input);
    LoadVodKind(update, input, kind);
    SaveDelivered(update, input);
    flags->CatalogBusy = false;
    DeliverCatalog(mailbox, std::move(update));
  });
}

}  // namespace

void StartBoot(AppState& state, JobMailbox& mailbox, BootSettingsWrite write) {
  RemoveStaleSaves();
  LoadSettings(state.settings);
  state.preferences = LoadPreferences();
  state.guideMap = LoadGuideMap();
  if (write == BootSettingsWrite::Now) SaveSettings(state.settings);
  SetCurrentLanguageCode(state.settings.Lang);

  const XtreamAccount shown = state.account;
  state.account = DeriveXtreamSource(state.settings.PlaylistUrl);
  WriteLog(state.account.IsXtream ? "xtream=yes boot" : "xtream=no boot");

  // The cache is read on the boot job, so the first frame never waits for
  // it; until it merges the lists say they are loading.
  const bool keepShown = state.account == shown;
  state.flags.CatalogBusy = true;
  state.StatusText = Translate("loading_live");

  CatalogJobInput input = SnapshotForJob(state);
  JobFlags* flags = &state.flags;
  StartJob([&mailbox, flags, input = std::move(input), keepShown]() mutable {
    RunBootJob(mailbox, *flags, std::move(input), keepShown);
  });
  StartAccountCheck(state, mailbox);
}

void RetryBoot(AppState& state, JobMailbox& mailbox) {
  state.flags.CatalogBusy = true;
  CatalogJobInput input = SnapshotForJob(state);
  JobFlags* flags = &state.flags;
  StartJob([&mailbox, flags, input = std::move(input)]() mutable {
    RunBootJob(mailbox, *flags, std::move(input), true);
  });
}

void StartFullReload(AppState& state, JobMailbox& mailbox) {
  state.StatusText = std::u16string(Translate("reloading"));
  state.nav.ReloadingNotice = true;
  StartReload(state, mailbox, true);
}

bool ReloadPlaylistUrl(AppState& state, JobMailbox& mailbox, const std::u16string& url) {
  if (const std::string_view problem = PlaylistUrlProblem(url); !problem.empty()) {
    state.StatusText = Translate(problem);
    return false;
  }
  // A load under way would deliver the old playlist's lists after the new
  // one's; the switch waits for it to end.
  bool expected = false;
  if (!state.flags.CatalogBusy.compare_exchange_strong(expected, true)) {
    state.StatusText = Translate("load_under_way");
    return false;
  }
  state.StatusText = std::u16string(Translate("reloading"));
  CatalogJobInput input = SnapshotForJob(state);
  JobFlags* flags = &state.flags;
  StartJob([&mailbox, flags, input = std::move(input), url]() mutable {
    input.account = DeriveXtreamSource(url);
    input.playlistUrl = url;
    CatalogLoaded live = StartingPoint(input);
    if (!LoadLiveKind(live, input)) {
      WriteLog("playlist switch refused: no channels from the new server");
      LogFailedLiveAnswer(live, false);
      flags->CatalogBusy = false;
      mailbox.Deliver(PlaylistRefused{TranslateWith("playlist_no_answer", input.account.Server)});
      return;
    }
    live.account = input.account;
    live.playlistUrl = url;
    CatalogLoaded rest;
    rest.catalog = live.catalog;
    DeliverCatalog(mailbox, std::move(live));
    LoadVodKind(rest, input, VodKind::Movies);
    LoadVodKind(rest, input, VodKind::Series);
    // The new playlist's cache is written once, with its channels and
    // whatever else came.
    CatalogLoaded saved = rest;
    saved.live = true;
    SaveDelivered(saved, input);
    flags->CatalogBusy = false;
    DeliverCatalog(mailbox, std::move(rest));
  });
  return true;
}

void CheckAutoReload(AppState& state, JobMailbox& mailbox, uint64_t nowMs) {
  if (state.settings.AutoHours <= 0) return;
  // The first check after start only starts the clock.
  if (state.LastAutoReload == 0) {
    state.LastAutoReload = nowMs;
    return;
  }
  if (nowMs - state.LastAutoReload < static_cast<uint64_t>(state.settings.AutoHours) * kHourMs) return;
  if (state.flags.CatalogBusy) return;
  state.LastAutoReload = nowMs;
  SaveSettings(state.settings);
  state.StatusText = std::u16string(Translate("auto_reload"));
  StartReload(state, mailbox, false);
}

void CheckPanelPoll(AppState& state, JobMailbox& mailbox, uint64_t nowMs) {
  if (state.panel.token.empty() || state.flags.CatalogBusy) return;
  if (nowMs - state.LastPanelPollMs <= kPanelPollMs) return;
  state.LastPanelPollMs = nowMs;
  CatalogJobInput input = SnapshotForJob(state);
  JobFlags* flags = &state.flags;
  StartJob([&mailbox, flags, input = std::move(input)]() mutable {
    PanelClient client(input.panel, input.panelSettings);
    const bool changed = client.CheckMine();
    const PanelResult panel = client.Result();
    bool expected = false;
    if (!changed || !flags->CatalogBusy.compare_exchange_strong(expected, true)) {
      mailbox.Deliver(PanelChecked{panel});
      return;
    }
    ApplyPanelChoice(panel, input);
    input.account = DeriveXtreamSource(input.playlistUrl);
    CatalogLoaded update = StartingPoint(input);
    // Movies and series of another account go with its channels; they load
    // again when wanted.
    const bool ok = LoadLiveKind(update, input);
    LogFailedLiveAnswer(update, ok);
    if (ok && !LoadsShownAccount(input)) update.movies = update.series = true;
    SaveDelivered(update, input);
    flags->CatalogBusy = false;
    mailbox.Deliver(PanelChecked{panel});
    DeliverCatalog(mailbox, std::move(update));
  });
}

void StartLazyLoads(AppState& state, JobMailbox& mailbox) {
  if (state.flags.CatalogBusy) return;
  if (state.flags.MoviesWanted.exchange(false)) {
    StartVodJob(state, mailbox, VodKind::Movies);
    return;
  }
  if (state.flags.SeriesWanted.exchange(false)) StartVodJob(state, mailbox, VodKind::Series);
}

void StartPanelCheck(const AppState& state, JobMailbox& mailbox) {
  PanelClient client(state.panel, PanelSettings::From(state.settings));
  StartJob([&mailbox, client = std::move(client)]() mutable {
    if (client.State().token.empty()) {
      client.SignIn();
    } else {
      client.CheckMine();
    }
    mailbox.Deliver(PanelChecked{client.Result()});
  });
}

void StartBackdropJob(AppState& state, JobMailbox& mailbox, uint64_t nowMs) {
  if (state.trending.empty() || state.trending.front().imageUrl.empty()) return;
  const std::u16string url = state.trending.front().imageUrl;
  if (url == state.BackdropUrlRequested) return;
  if (url == state.BackdropUrlFailed && nowMs - state.BackdropFailedAtMs < kBackdropRetryMs) return;
  state.BackdropUrlRequested = url;
  StartJob([&mailbox, url] {
    if (!DownloadBackdrop(url, BackdropFile())) {
      mailbox.Deliver(BackdropFailed{url});
      return;
    }
    mailbox.Deliver(BackdropWritten{url});
  });
}
