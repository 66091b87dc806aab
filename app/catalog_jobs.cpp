#include "app/catalog_jobs.h"

#include "store/runtime_log.h"
#include "catalog/catalog_cache.h"
#include "catalog/categories.h"
#include "store/data_folder.h"
#include "store/settings_file.h"
#include "ui/i18n/translate.h"
#include "catalog/channel_choice.h"

namespace {

constexpr uint64_t kPanelPollMs = 5000;
constexpr uint64_t kHourMs = 3600ull * 1000;

// What a catalog job works from: copies taken on the main thread.
struct CatalogJobInput {
  PanelState panel;
  PanelSettings panelSettings;
  XtreamAccount account;
  Catalog catalog;
  std::u16string playlistUrl;
  std::u16string liveFormat;
};

CatalogJobInput SnapshotForJob(const AppState& state) {
  return CatalogJobInput{state.panel, PanelSettings::From(state.settings), state.account, state.catalog,
                         state.settings.PlaylistUrl, state.settings.LiveFormat};
}

size_t CountOf(const SharedItems& items) { return items ? items->size() : 0; }

// A new live list goes with its orders, sorted here so that the main
// thread's first rebuild of it only filters.
void DeliverCatalog(JobMailbox& mailbox, CatalogLoaded update) {
  if (update.live) update.liveOrders = PrepareLiveOrders(update.catalog.LiveChannels);
  if (update.live) BuildSearchIndex(update.searchIndex.live, update.catalog.LiveChannels);
  if (update.movies) BuildSearchIndex(update.searchIndex.movies, update.catalog.Movies);
  if (update.series) BuildSearchIndex(update.searchIndex.series, update.catalog.Series);
  mailbox.Deliver(std::move(update));
}

// Loads live, then movies and series, into `update` for `account`. The
// cache is saved after each step so a crash keeps what was fetched.
void LoadEverything(CatalogLoaded& update, const XtreamAccount& account, const std::u16string& liveFormat,
                    const std::u16string& playlistUrl) {
  LoadLive(account, liveFormat, update.catalog);
  update.live = true;
  LoadVodOrSeries(account, VodKind::Movies, update.catalog);
  update.movies = true;
  LoadVodOrSeries(account, VodKind::Series, update.catalog);
  update.series = true;
  SaveCatalogCache(update.catalog, playlistUrl);
}

// The playlist a job ends up with after the panel may have changed it.
void ApplyPanelChoice(const PanelResult& panel, CatalogJobInput& input) {
  if (panel.PlaylistUrl) input.playlistUrl = *panel.PlaylistUrl;
  if (panel.account) input.account = *panel.account;
}

// Jobs get the shared atomic flags only, never the rest of the state.
void RunBootJob(JobMailbox& mailbox, JobFlags& flags, CatalogJobInput input, bool cacheHit) {
  if (cacheHit) {
    SearchIndexPrepared prepared;
    BuildSearchIndex(prepared.index.live, input.catalog.LiveChannels);
    BuildSearchIndex(prepared.index.movies, input.catalog.Movies);
    BuildSearchIndex(prepared.index.series, input.catalog.Series);
    mailbox.Deliver(std::move(prepared));
  }
  PanelClient client(input.panel, input.panelSettings);
  client.SignIn();
  const PanelResult panel = client.Result();
  // The panel's list of playlists is not kept across runs, so the first
  // sign-in of every run finds it "changed". What needs a new catalog is a
  // different active playlist; only that reloads.
  const bool playlistChanged = panel.PlaylistUrl.has_value() && *panel.PlaylistUrl != input.playlistUrl;
  ApplyPanelChoice(panel, input);
  mailbox.Deliver(PanelChecked{panel});

  auto trending = FetchTrending();
  WriteLogF(64, "tmdb=%d", static_cast<int>(trending.size()));
  mailbox.Deliver(TrendingLoaded{std::move(trending)});

  CatalogLoaded update;
  if (playlistChanged || !cacheHit) {
    WriteLog(playlistChanged ? "live load from panel" : "live load start");
    // A new playlist starts from nothing: the old account's lists must not
    // survive under the new playlist's name if its download fails.
    update.catalog = playlistChanged ? Catalog{} : input.catalog;
    const bool ok = LoadLive(input.account, input.liveFormat, update.catalog);
    update.live = true;
    WriteLogF(128, "live load=%s cats=%d chans=%d", ok ? "ok" : "fail",
              static_cast<int>(update.catalog.LiveCategories.size()), static_cast<int>(CountOf(update.catalog.LiveChannels)));
    SaveCatalogCache(update.catalog, input.playlistUrl);
    if (CountOf(update.catalog.Movies) == 0) {
      if (LoadVodOrSeries(input.account, VodKind::Movies, update.catalog)) WriteLog("vod prefetch ok");
      update.movies = true;
    }
    if (CountOf(update.catalog.Series) == 0) {
      if (LoadVodOrSeries(input.account, VodKind::Series, update.catalog)) WriteLog("series prefetch ok");
      update.series = true;
    }
    SaveCatalogCache(update.catalog, input.playlistUrl);
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
  const XtreamAccount shown = input.account;
  if (signInFirst) {
    PanelClient client(input.panel, input.panelSettings);
    client.SignIn();
    const PanelResult panel = client.Result();
    ApplyPanelChoice(panel, input);
    mailbox.Deliver(PanelChecked{panel});
  }
  input.account = DeriveXtreamSource(input.playlistUrl);
  CatalogLoaded update;
  // A reload of the account on screen keeps each list whose download fails;
  // another account's lists must not survive under the new playlist.
  if (input.account == shown) update.catalog = input.catalog;
  LoadEverything(update, input.account, input.liveFormat, input.playlistUrl);
  update.account = input.account;
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
  state.StatusText = kind == VodKind::Movies ? u"Loading movies…" : u"Loading series…";
  CatalogJobInput input = SnapshotForJob(state);
  JobFlags* flags = &state.flags;
  StartJob([&mailbox, flags, input = std::move(input), kind]() mutable {
    CatalogLoaded update;
    update.catalog = input.catalog;
    LoadVodOrSeries(input.account, kind, update.catalog);
    (kind == VodKind::Movies ? update.movies : update.series) = true;
    SaveCatalogCache(update.catalog, input.playlistUrl);
    flags->CatalogBusy = false;
    DeliverCatalog(mailbox, std::move(update));
  });
}

}  // namespace

void StartBoot(AppState& state, JobMailbox& mailbox) {
  RemoveStaleSaves();
  LoadSettings(state.settings);
  SaveSettings(state.settings);
  SetCurrentLanguageCode(state.settings.Lang);

  state.account = DeriveXtreamSource(state.settings.PlaylistUrl);
  WriteLog(state.account.IsXtream ? "xtream=yes boot" : "xtream=no boot");

  Catalog cached;
  const bool cacheHit = LoadCatalogCache(state.settings.PlaylistUrl, cached);
  state.catalog = cached;
  if (cacheHit) {
    WriteLogF(128, "catalog cache live=%d vod=%d series=%d", static_cast<int>(CountOf(cached.LiveChannels)),
              static_cast<int>(CountOf(cached.Movies)), static_cast<int>(CountOf(cached.Series)));
    RebuildLiveList(state.catalog, state.settings, state.nav.live, state.VisibleLive);
    state.nav.ChannelIndex =
        DefaultChannelIndex(state.VisibleLive, state.settings, state.catalog.LiveCategories, state.nav.live);
    state.StatusText.clear();
  } else {
    WriteLog("catalog cache miss");
    state.flags.CatalogBusy = true;
    state.StatusText = u"Loading live…";
  }

  CatalogJobInput input = SnapshotForJob(state);
  JobFlags* flags = &state.flags;
  StartJob([&mailbox, flags, input = std::move(input), cacheHit]() mutable {
    RunBootJob(mailbox, *flags, std::move(input), cacheHit);
  });
}

void StartFullReload(AppState& state, JobMailbox& mailbox) {
  state.StatusText = std::u16string(Translate("reloading"));
  state.nav.ReloadingNotice = true;
  StartReload(state, mailbox, true);
}

bool ReloadPlaylistUrl(AppState& state, JobMailbox& mailbox, const std::u16string& url) {
  if (const std::u16string problem = PlaylistUrlProblem(url); !problem.empty()) {
    state.StatusText = problem;
    return false;
  }
  // A load under way would deliver the old playlist's lists after the new
  // one's; the switch waits for it to end.
  bool expected = false;
  if (!state.flags.CatalogBusy.compare_exchange_strong(expected, true)) {
    state.StatusText = u"A catalog load is under way; try again when it ends.";
    return false;
  }
  state.StatusText = std::u16string(Translate("reloading"));
  CatalogJobInput input = SnapshotForJob(state);
  JobFlags* flags = &state.flags;
  StartJob([&mailbox, flags, input = std::move(input), url]() mutable {
    const XtreamAccount account = DeriveXtreamSource(url);
    CatalogLoaded live;
    if (!LoadLive(account, input.liveFormat, live.catalog)) {
      WriteLog("playlist switch refused: no channels from the new server");
      flags->CatalogBusy = false;
      mailbox.Deliver(PlaylistRefused{u"Playlist did not answer: " + account.Server});
      return;
    }
    live.live = true;
    live.account = account;
    live.playlistUrl = url;
    SaveCatalogCache(live.catalog, url);
    CatalogLoaded rest;
    rest.catalog = live.catalog;
    DeliverCatalog(mailbox, std::move(live));
    LoadVodOrSeries(account, VodKind::Movies, rest.catalog);
    LoadVodOrSeries(account, VodKind::Series, rest.catalog);
    rest.movies = rest.series = true;
    SaveCatalogCache(rest.catalog, url);
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
    CatalogLoaded update;
    update.catalog = Catalog{};
    LoadLive(input.account, input.liveFormat, update.catalog);
    update.live = true;
    SaveCatalogCache(update.catalog, input.playlistUrl);
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

void StartBackdropJob(AppState& state, JobMailbox& mailbox) {
  if (state.trending.empty() || state.trending.front().imageUrl.empty()) return;
  const std::u16string url = state.trending.front().imageUrl;
  if (url == state.BackdropUrlRequested) return;
  state.BackdropUrlRequested = url;
  StartJob([&mailbox, url] {
    if (!DownloadBackdrop(url, BackdropFile())) return;
    mailbox.Deliver(BackdropWritten{url});
  });
}
