#include "app/job_results.h"

#include <algorithm>
#include <utility>

#include "app/account_jobs.h"
#include "app/catalog_jobs.h"
#include "app/catalog_retry.h"
#include "app/guide_jobs.h"
#include "catalog/categories.h"
#include "catalog/channel_choice.h"
#include "panel/messages.h"
#include "platform/clock.h"
#include "store/runtime_log.h"
#include "state/app_state.h"
#include "app/past_listings_jobs.h"
#include "store/settings_file.h"
#include "i18n/translate.h"
#include "ui/screens/playlists.h"

// One Apply per result: the merge first, then what follows from it.
namespace {

struct Applier {
  AppState& state;
  JobMailbox& mailbox;
  ResultFollowUps& app;

  void operator()(CatalogLoaded& r) {
    if (r.account && *r.account != state.account) {
      state.provider = ProviderStatus{};
      ForgetGuides(state);
    }
    if (r.account) state.account = *r.account;
    LoadPastListingsFor(state, mailbox);
    if (r.liveAnswer) state.provider.liveAnswer = r.liveAnswer;
    if (r.playlistUrl) AdoptPlaylist(*r.playlistUrl);
    Catalog& target = state.catalog;
    if (r.live) {
      target.LiveChannels = r.catalog.LiveChannels;
      target.LiveCategories = r.catalog.LiveCategories;
      state.nav.live.orders = r.liveOrders;
    }
    if (r.movies) {
      target.Movies = r.catalog.Movies;
      target.MovieCategories = r.catalog.MovieCategories;
    }
    if (r.series) {
      target.Series = r.catalog.Series;
      target.SeriesCategories = r.catalog.SeriesCategories;
    }
    state.StatusText.clear();
    state.nav.ReloadingNotice = false;
    if (r.liveTried) FollowLiveLoad(state, TickMs());
    if (r.live || r.movies || r.series) app.CatalogChanged(CatalogChange{r.live, r.movies, r.series, false});
    if (r.live) {
      app.RestartIdlePreview();
      app.LiveListsReady();
    }
    app.CatalogSettled();
    // A reload tries a backdrop again whose download failed.
    if (r.live) StartBackdropJob(state, mailbox, TickMs());
    // Every live load asks the account again: its status may be why the
    // load failed, and a reload is when a renewed line shows.
    if (r.liveAnswer) StartAccountCheck(state, mailbox);
    StartLazyLoads(state, mailbox);
    app.Repaint();
  }

  // The lists come from the cache: shown as a warm start shows them, on the
  // channel it starts on. A miss leaves "Loading live…" to the download.
  void operator()(CatalogCacheRead& r) {
    Catalog& target = state.catalog;
    const bool live = target.LiveChannels == r.replaced.LiveChannels;
    if (live) {
      target.LiveChannels = std::move(r.catalog.LiveChannels);
      target.LiveCategories = std::move(r.catalog.LiveCategories);
    }
    const bool movies = target.Movies == r.replaced.Movies;
    const bool series = target.Series == r.replaced.Series;
    if (movies) {
      target.Movies = std::move(r.catalog.Movies);
      target.MovieCategories = std::move(r.catalog.MovieCategories);
    }
    if (series) {
      target.Series = std::move(r.catalog.Series);
      target.SeriesCategories = std::move(r.catalog.SeriesCategories);
    }
    if (!r.hit) return;
    // A grid opened while the cache was read asked for its kind; the cache
    // gave it.
    if (target.Movies && !target.Movies->empty()) state.flags.MoviesWanted = false;
    if (target.Series && !target.Series->empty()) state.flags.SeriesWanted = false;
    state.StatusText.clear();
    if (live) {
      state.nav.live.orders = r.liveOrders;
      app.CatalogChanged(CatalogChange{true, false, false, true});
      // Before the first channel starts, so that its guide comes from there.
      StartWholeGuideFromCopy(state, mailbox);
      app.RestartIdlePreview();
      app.LiveListsReady();
    }
    if (movies || series) app.CatalogChanged(CatalogChange{false, movies, series, true});
    StartLazyLoads(state, mailbox);
    app.Repaint();
  }

  // A playlist that answered becomes the current one, and one typed by the
  // user is kept among the saved playlists so it can be chosen again.
  void AdoptPlaylist(const std::u16string& url) {
    Settings& settings = state.settings;
    settings.PlaylistUrl = url;
    auto has = [&](const std::vector<PlaylistEntry>& list) {
      return std::any_of(list.begin(), list.end(), [&](const PlaylistEntry& e) { return e.url == url; });
    };
    if (!has(settings.Extra) && !has(state.panel.panelLists)) settings.Extra.push_back(PlaylistEntry{u"", url});
    SaveSettings(settings);
  }

  void operator()(PanelChecked& r) {
    const std::vector<PlaylistEntry> shown = AccountScreenPlaylists(state);
    const XtreamAccount before = state.account;
    MergePanelResult(r.result, state.panel, state.settings, state.account);
    // What the provider said of the old account says nothing of the new.
    if (state.account != before) {
      state.provider = ProviderStatus{};
      ForgetGuides(state);
    }
    if (state.CurrentScreen == Screen::Account) FollowActivePlaylist(state, shown);
    if (state.nav.MessagesOpen && state.nav.MessagesMode) state.nav.PanelBody = BuildThreadText(state.panel.messages);
    app.Repaint();
  }

  void operator()(TrendingLoaded& r) {
    state.trending = std::move(r.movies);
    StartBackdropJob(state, mailbox, TickMs());
    app.Repaint();
  }

  // Home keeps what it shows; the picture is asked for again later.
  void operator()(BackdropFailed& r) {
    state.BackdropUrlFailed = r.imageUrl;
    state.BackdropFailedAtMs = TickMs();
    if (state.BackdropUrlRequested == r.imageUrl) state.BackdropUrlRequested.clear();
  }

  void operator()(BackdropWritten&) {
    ++state.BackdropGeneration;
    app.BackdropChanged();
    app.Repaint();
  }

  void operator()(SeriesInfoLoaded& r) {
    // A newer request superseded this one: its answer is dropped unseen.
    if (state.flags.SeriesInfoGeneration.load() != r.generation) return;
    state.series = std::move(r.info);
    NavState& nav = state.nav;
    nav.EpisodeIndex = 0;
    const bool none = state.series.Episodes.empty();
    WriteLogF(128, "series info episodes=%d", int(state.series.Episodes.size()));
    state.StatusText.clear();
    if (none) ShowNotice(state, std::u16string(Translate("no_episodes")), kFeedbackNoticeMs);
    // Opened from the search: the first episode plays instead of the list.
    const bool autoPlay = state.AutoplayFirstEpisode;
    state.AutoplayFirstEpisode = false;
    nav.EpisodesOpen = !none && !autoPlay;
    if (autoPlay && !none) app.PlayEpisode(state.series.Episodes.front());
    app.Repaint();
  }

  void operator()(GuideLoaded& r) {
    if (MergeGuideAnswer(GuideDeskOf(state, mailbox), r, int64_t(TickMs()), NowUnix())) app.Repaint();
    app.GuidesUpdated();
  }
  void operator()(GuideWake& r) { MergeGuideWake(GuideDeskOf(state, mailbox), r, int64_t(TickMs())); }
  void operator()(WholeGuideLoaded& r) {
    const bool held = MergeWholeGuide(state, r);
    // Read for the account used before a switch (a warm start's playlist
    // changed at the panel): the current account's guide is read now.
    if (!(r.account == state.account)) StartWholeGuideJob(state, mailbox);
    if (std::exchange(state.guidesReadAgain, false)) StartWholeGuideJob(state, mailbox, true);
    const bool waited = AskGuidesAwaitingWhole(state, mailbox);
    if (held) app.GuidesUpdated();
    if (held || waited) app.Repaint();
  }

  void operator()(PastListingsLoaded& r) {
    MergePastListings(state, r);
    // Channels the guides filled meanwhile take the past programmes on their
    // next look; an answer of the provider's on its next refresh.
    state.guide.DropOrigin(GuideOrigin::WholeGuide);
    app.GuidesUpdated();
    app.Repaint();
  }

  void operator()(SportsLoaded& r) {
    state.sports = std::move(r.events);
    app.Repaint();
  }

  void operator()(IconsArrived&) { app.IconsSettling(); }
  void operator()(SearchIndexPrepared& r) {
    Adopt(state.searchIndex.live, r.index.live, state.catalog.LiveChannels);
    Adopt(state.searchIndex.movies, r.index.movies, state.catalog.Movies);
    Adopt(state.searchIndex.series, r.index.series, state.catalog.Series);
  }
  static void Adopt(SearchIndex& held, SearchIndex& prepared, const SharedItems& shown) {
    if (shown && prepared.source.lock() == shown) held = std::move(prepared);
  }

  void operator()(PlaylistRefused& r) {
    state.StatusText = r.reason;
    state.nav.ReloadingNotice = false;
    app.Repaint();
  }

  void operator()(SpeedReportChanged&) { app.Repaint(); }

  // An unanswered clock may be asked again on the next visit to catch-up.
  void operator()(PanelClockRead& r) {
    PanelClocks& clocks = state.panelClocks;
    const std::u16string key = PanelClocks::KeyOf(r.account);
    if (!r.offset) {
      clocks.asked.erase(key);
      WriteLog("panel clock unknown");
      return;
    }
    clocks.offsets[key] = *r.offset;
    WriteLogF(64, "panel clock offset=%d", static_cast<int>(*r.offset));
  }

  void operator()(TrailerResolved& r) { app.PlayResolvedTrailer(r); }

  // An answer for an account that is no longer the current one is dropped.
  void operator()(AccountChecked& r) {
    if (r.account != state.account) return;
    state.provider.check = std::move(r.check);
    app.Repaint();
  }

  void operator()(ReplySent& r) {
    MergeSendResult(r.result, state.panel, state.settings, state.account);
    state.nav.MessagesOpen = true;
    state.nav.MessagesMode = true;
    state.nav.PanelBody = r.result.threadText;
    state.StatusText = std::u16string(Translate(r.result.statusKey));
    app.Repaint();
  }
};

}  // namespace

void ApplyJobResult(JobResult& result, AppState& state, JobMailbox& mailbox, ResultFollowUps& app) {
  std::visit(Applier{state, mailbox, app}, result);
}
