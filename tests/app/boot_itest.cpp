// The boot sequence against the stand-in provider, panel and public
// services: first run, warm start, and a warm start whose panel playlist
// changed.
#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "state/app_state.h"
#include "ui/screens/provider_status_text.h"
#include "store/file_io.h"
#include "app/catalog_jobs.h"
#include "app/catalog_retry.h"
#include "app/guide_jobs.h"
#include "app/past_listings_jobs.h"
#include "catalog/account.h"
#include "platform/clock.h"
#include "player/catchup.h"
#include "net/http_client.h"
#include "net/text.h"
#include "tests/fixtures/guide_fixture.h"
#include "tests/fixtures/media_routes.h"
#include "tests/fixtures/message_recorder.h"
#include "tests/fixtures/panel_fixture.h"
#include "tests/fixtures/public_services_fixture.h"
#include "tests/fixtures/scripted_server.h"
#include "tests/fixtures/stand_in_server.h"
#include "tests/fixtures/temp_data_home.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/fixtures/xtream_fixture.h"

namespace {

size_t CountOf(const SharedItems& items) { return items ? items->size() : 0; }

std::vector<std::string> LogLines(const TempDataHome& home) {
  std::istringstream in(home.LogText());
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Index of the first line starting with `prefix` at or after `from`; -1 when none.
int FindLine(const std::vector<std::string>& lines, const std::string& prefix, int from = 0) {
  for (int i = from; i < static_cast<int>(lines.size()); ++i)
    if (lines[i].rfind(prefix, 0) == 0) return i;
  return -1;
}

// Counts the cache writes in `folder`: each save replaces meta.txt once,
// by a rename onto it.
class CacheWriteCounter {
 public:
  explicit CacheWriteCounter(const std::filesystem::path& folder) : fd_(inotify_init1(IN_NONBLOCK)) {
    std::filesystem::create_directories(folder);
    inotify_add_watch(fd_, folder.c_str(), IN_MOVED_TO);
  }
  ~CacheWriteCounter() { close(fd_); }
  CacheWriteCounter(const CacheWriteCounter&) = delete;
  CacheWriteCounter& operator=(const CacheWriteCounter&) = delete;

  // Writes since the last call.
  int Take() {
    int writes = 0;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = read(fd_, buffer, sizeof buffer)) > 0;) {
      for (ssize_t at = 0; at < n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        writes += event->len > 0 && std::string(event->name) == "meta.txt";
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    return writes;
  }

 private:
  int fd_;
};

class BootTest : public ::testing::Test {
 protected:
  void SetUp() override {
    provider_ = std::make_shared<XtreamFixture>(MakeCatalog(7, 60, 30, 12), "demo", password_);
    panel_ = std::make_shared<PanelFixture>();
    services_ = std::make_shared<PublicServicesFixture>();
    AddXtreamRoutes(server_, provider_);
    AddPanelRoutes(server_, panel_);
    MediaRouteOptions media;
    media.folder = media_.Path();
    media.password = password_;
    AddMediaRoutes(server_, media);
    AddPublicServiceRoutes(server_, services_);
    AddGuideRoutes(server_, guide_);
    ASSERT_TRUE(server_.Start());
    PointServicesAt(server_.BaseUrl());
    panel_->SetToken("t0k3n");
    PanelPlaylistWith(password_);
    panel_->SetActiveId("\"1\"");
  }

  // The panel's one playlist: the provider's account with this password.
  void PanelPlaylistWith(const std::string& password) {
    panel_->SetPlaylists({PanelFixture::XtreamPlaylist("1", "Demo", server_.BaseUrl(), "demo", password)});
  }

  // Applies results until an account answer for the current account that
  // `matches` has merged.
  bool UntilAccountAnswer(AppState& state, const std::function<bool(const AccountCheck&)>& matches) {
    return pump_.Until(state, [&](const JobResult& r) {
      const auto* checked = std::get_if<AccountChecked>(&r);
      return checked && checked->account == state.account && matches(checked->check);
    }, std::chrono::seconds(20));
  }

  // One boot: returns the state after the boot job's catalog message merged.
  // The recorder and mailbox outlive every boot: the detached job may still
  // be returning from its last post when the test goes on.
  // The boot job delivers the trending movies before its catalog.
  void Boot(AppState& state) {
    StartBoot(state, mailbox_);
    statusAfterStart_ = state.StatusText;  // only the main thread clears it, on the merge
    ASSERT_TRUE(pump_.UntilA<CatalogLoaded>(state));
  }

  // Requests for pictures of the trending movies (the backdrop).
  size_t PictureRequests() {
    size_t n = 0;
    for (const auto& r : server_.Requests()) n += r.path.rfind("/t/p/", 0) == 0;
    return n;
  }

  // The Home tile's reload, to its merged result.
  void Reload(AppState& state) {
    StartFullReload(state, mailbox_);
    ASSERT_TRUE(pump_.UntilA<CatalogLoaded>(state));
  }

  std::string CacheFile(const char* name) const {
    return ReadWholeFile(home_.Folder() / "catalog" / name, 1ull << 30).value_or("<missing>");
  }

  MessageRecorder recorder_;
  JobMailbox mailbox_{recorder_};
  ResultPump pump_{recorder_, mailbox_};
  std::u16string statusAfterStart_;

  size_t StreamRequests() {
    size_t n = 0;
    for (const auto& r : server_.RequestsTo("/player_api.php")) n += r.Param("action") == "get_live_streams";
    return n;
  }

  std::string password_ = "demo";
  TempDataHome home_;
  TempFolder media_;  // no media: the media routes check the credentials, then answer 404
  StandInServer server_;
  std::shared_ptr<XtreamFixture> provider_;
  std::shared_ptr<PanelFixture> panel_;
  std::shared_ptr<PublicServicesFixture> services_;
  std::shared_ptr<GuideFixture> guide_ = std::make_shared<GuideFixture>();
};

TEST_F(BootTest, FirstRunDownloadsThenWarmStartUsesTheCache) {
  {
    AppState state;
    Boot(state);
    EXPECT_EQ(statusAfterStart_, u"Loading live…");
    EXPECT_EQ(WideToUtf8(state.settings.PlaylistUrl), provider_->PlaylistUrl(server_));
    EXPECT_TRUE(state.account.IsXtream);
    EXPECT_EQ(state.catalog.LiveChannels->size(), 60u);
    EXPECT_EQ(state.catalog.Movies->size(), 30u);
    EXPECT_EQ(state.catalog.Series->size(), 12u);
    // The jobs prepare the search indices of the lists now shown, after
    // them, so the first keystroke does not build them on the main thread.
    if (state.searchIndex.series.source.lock() != state.catalog.Series) {
      ASSERT_TRUE(pump_.UntilA<SearchIndexPrepared>(state));
    }
    EXPECT_EQ(state.searchIndex.live.source.lock(), state.catalog.LiveChannels);
    EXPECT_EQ(state.searchIndex.series.source.lock(), state.catalog.Series);
    EXPECT_FALSE(state.trending.empty());
    EXPECT_FALSE(state.panel.token.empty());
    EXPECT_FALSE(state.flags.CatalogBusy);
  }
  const auto first = LogLines(home_);
  const int miss = FindLine(first, "catalog cache miss");
  const int tmdb = FindLine(first, "tmdb=", miss);
  const int load = FindLine(first, "live load from panel", tmdb);
  const int loaded = FindLine(first, "live load=ok cats=", load);
  const int done = FindLine(first, "boot done", loaded);
  EXPECT_EQ(FindLine(first, "xtream=no boot"), 0);
  EXPECT_TRUE(miss > 0 && tmdb > miss && load > tmdb && loaded > load && done > loaded) << ::testing::PrintToString(first);
  EXPECT_GT(FindLine(first, "vod prefetch ok", loaded), loaded);
  EXPECT_TRUE(std::filesystem::exists(home_.Folder() / "settings.json"));
  EXPECT_TRUE(std::filesystem::exists(home_.Folder() / "catalog" / "live.tsv"));
  EXPECT_EQ(StreamRequests(), 1u);

  // A warm start reads the cache on the job: the first frame, painted when
  // StartBoot returns, shows no list yet and the lists' screens say
  // "Loading live…" until the cache merges.
  AppState warm;
  StartBoot(warm, mailbox_);
  EXPECT_EQ(warm.StatusText, u"Loading live…");
  EXPECT_FALSE(warm.catalog.LiveChannels && !warm.catalog.LiveChannels->empty()) << "read before the first frame";
  ASSERT_TRUE(pump_.UntilA<CatalogCacheRead>(warm));
  EXPECT_TRUE(warm.StatusText.empty()) << "the cached lists are usable";
  EXPECT_EQ(warm.catalog.LiveChannels->size(), 60u);
  const auto& changes = pump_.followUps.catalogChanges;
  EXPECT_TRUE(std::any_of(changes.begin(), changes.end(), [](const CatalogChange& c) { return c.live && c.fromCache; }))
      << "the screens rebuild the cached live list";
  EXPECT_TRUE(warm.nav.live.orders && warm.nav.live.orders->PreparedFor(warm.catalog.LiveChannels)) << "sorted on the job";
  ASSERT_TRUE(pump_.UntilA<CatalogLoaded>(warm));
  EXPECT_EQ(warm.catalog.LiveChannels->size(), 60u);
  EXPECT_EQ(warm.searchIndex.movies.source.lock(), warm.catalog.Movies) << "prepared from the cache on the job";
  EXPECT_EQ(StreamRequests(), 1u) << "a warm start with the same panel playlist must not download";
  const auto second = LogLines(home_);
  // The first run's account check answers on a job of its own, after the
  // boot job's last line or before; the guides (and the past programmes
  // kept) are read after it.
  int start = done + 1;
  while (start < static_cast<int>(second.size()) &&
         (second[start].rfind("account answer ", 0) == 0 || second[start].rfind("guide ", 0) == 0))
    ++start;
  EXPECT_EQ(FindLine(second, "xtream=yes boot", start), start);
  EXPECT_GT(FindLine(second, "catalog cache live=60 vod=30 series=12", start), start);
  EXPECT_GT(FindLine(second, "skip live refresh (cache hot, panel list same)", start), start);
  EXPECT_GT(FindLine(second, "boot done", start), start);
}

// The provider's whole guide is read after the lists; while a provider has
// none, the guide is asked for per channel; once it has one, its channels
// are served from it without a request, and the next start reads the copy
// it kept.
TEST_F(BootTest, TheWholeGuideServesItsChannelsAndIsKeptForTheNextStart) {
  guide_->SetXmltvAnswer(GuideFixture::XmltvAnswer::NotFoundPage);
  AppState state;
  Boot(state);
  StartWholeGuideJob(state, mailbox_);
  ASSERT_TRUE(pump_.UntilA<WholeGuideLoaded>(state));
  EXPECT_GE(FindLine(LogLines(home_), "guide whole status=none http=404"), 0);
  EXPECT_FALSE(state.wholeGuide.Any()) << "no guide: nothing held";

  // A copy: the reload below replaces the list.
  std::optional<CatalogItem> channel;
  for (const CatalogItem& item : *state.catalog.LiveChannels)
    if (!item.epgChannelId().empty() && item.epgChannelId() != u"null") channel = item;
  ASSERT_TRUE(channel);
  const std::string id = WideToUtf8(channel->id());
  const int64_t now = NowUnix();
  guide_->SetChannel(id, {{"Earlier & later", "past", now - 7200, now - 3600, true},
                          {"On now", "running", now - 3600, now + 1800, false}});
  guide_->SetXmltvChannel(id, WideToUtf8(channel->epgChannelId()));
  guide_->SetXmltvAnswer(GuideFixture::XmltvAnswer::Gzip);

  Reload(state);
  StartWholeGuideJob(state, mailbox_);
  ASSERT_TRUE(pump_.UntilA<WholeGuideLoaded>(state));
  ASSERT_TRUE(state.wholeGuide.Any());
  StartGuideJob(state, mailbox_, channel->id());
  const GuideChannel* held = state.guide.Find(channel->id());
  ASSERT_TRUE(held) << "filled at once, from the guide";
  EXPECT_EQ(held->origin, GuideOrigin::WholeGuide);
  ASSERT_EQ(held->rows.size(), 2u);
  EXPECT_EQ(held->rows[0].title, u"Earlier & later");
  EXPECT_EQ(held->rows[1].start, now - 3600);
  EXPECT_EQ(held->rows[1].durationMin, 90);
  EXPECT_EQ(guide_->AskedFor(id), 0) << "no per-channel request for a channel the guide has";
  const std::string kept = ReadWholeFile(home_.Folder() / "guide" / "xmltv", 1 << 24).value_or("");
  EXPECT_TRUE(kept.starts_with("\x1f\x8b")) << "kept as it came";

  // The next start reads the copy as soon as the cached lists are in, and
  // the channel started then (the last one) waits for it instead of being
  // asked for on its own; a provider whose guide broke meanwhile changes
  // nothing.
  guide_->SetXmltvAnswer(GuideFixture::XmltvAnswer::Absent);
  AppState warm;
  StartBoot(warm, mailbox_);
  ASSERT_TRUE(pump_.UntilA<CatalogCacheRead>(warm));
  StartGuideJob(warm, mailbox_, channel->id());
  EXPECT_FALSE(warm.guideRequests.Pending(channel->id()));
  if (warm.wholeGuideBusy) {
    ASSERT_TRUE(pump_.UntilA<WholeGuideLoaded>(warm));
  }
  const GuideChannel* served = warm.guide.Find(channel->id());
  ASSERT_TRUE(served);
  EXPECT_EQ(served->origin, GuideOrigin::WholeGuide);
  EXPECT_GE(FindLine(LogLines(home_), "guide whole source=copy programmes=2 channels=1"), 0);
  ASSERT_TRUE(pump_.UntilA<CatalogLoaded>(warm));
  EXPECT_EQ(guide_->AskedFor(id), 0);
}

// Most channels of real catalogs have no guide id: the provider's guide
// still lists them under their names, and serves them once matched. An
// offset on the provider's guide moves every programme it gives; a channel
// the user says has no guide is never asked for.
TEST_F(BootTest, AChannelWithoutAGuideIdIsServedByNameAndTheOffsetMovesItsProgrammes) {
  AppState state;
  Boot(state);
  std::vector<CatalogItem> unnamed;
  for (const CatalogItem& item : *state.catalog.LiveChannels) {
    const std::u16string_view epg = item.epgChannelId(), name = item.name();
    const bool words = std::count_if(name.begin(), name.end(), [](char16_t c) { return c < 128 && std::isalpha(c); }) >= 4;
    if ((epg.empty() || epg == u"null") && words) unnamed.push_back(item);
  }
  ASSERT_GE(unnamed.size(), 2u);
  const CatalogItem& channel = unnamed[0];
  const std::string id = WideToUtf8(channel.id());
  const int64_t now = NowUnix();
  guide_->SetChannel(id, {{"Earlier", "", now - 7200, now - 3600, true}, {"On now", "", now - 3600, now + 1800, false}});
  guide_->SetXmltvChannel(id, "matched.by.name", WideToUtf8(channel.name()));
  guide_->SetXmltvAnswer(GuideFixture::XmltvAnswer::Gzip);
  state.preferences.providerGuideOffsetHours = 1;
  state.guideMap.Set({AccountKey(state.account), std::u16string(unnamed[1].id()), "", ""});

  StartWholeGuideJob(state, mailbox_);
  ASSERT_TRUE(pump_.UntilA<WholeGuideLoaded>(state));
  const GuideLink* link = state.wholeGuide.LinkOf(channel.id());
  ASSERT_TRUE(link);
  EXPECT_EQ(link->guideId, u"matched.by.name");
  StartGuideJob(state, mailbox_, channel.id());
  const GuideChannel* held = state.guide.Find(channel.id());
  ASSERT_TRUE(held) << "filled at once, from the guide";
  ASSERT_EQ(held->rows.size(), 2u);
  EXPECT_EQ(held->rows[1].start, now - 3600 + 3600) << "an hour later";
  EXPECT_EQ(held->rows[1].time, GuideClockText(now));
  EXPECT_EQ(guide_->AskedFor(id), 0);
  EXPECT_GE(FindLine(LogLines(home_), "guide links id="), 0);

  StartGuideJob(state, mailbox_, unnamed[1].id());
  EXPECT_FALSE(state.guideRequests.Pending(unnamed[1].id())) << "no guide: nothing asked";
  EXPECT_EQ(guide_->AskedFor(WideToUtf8(unnamed[1].id())), 0);
}

// A provider that no longer lists a programme once it is over: what was
// seen on a channel with an archive is kept on disk and completes the rows
// after a restart, so catch-up still offers it.
TEST_F(BootTest, APastProgrammeSeenOnceStaysInTheGuideAfterARestart) {
  AppState state;
  Boot(state);
  std::optional<CatalogItem> channel;
  for (const CatalogItem& item : *state.catalog.LiveChannels)
    if (item.tvArchive() > 0) channel = item;
  ASSERT_TRUE(channel);
  const std::string id = WideToUtf8(channel->id());
  const int64_t now = NowUnix();
  const GuideProgramme seen{"Seen once", "It was on.", now - 3000, now - 600, true};
  const GuideProgramme running{"Running", "", now - 600, now + 1200, false};
  GuideScript both;
  both.programmes = {seen, running};
  guide_->SetShortGuide(id, both);
  guide_->SetDataTable(id, both);
  if (!state.pastListingsRead) {
    ASSERT_TRUE(pump_.UntilA<PastListingsLoaded>(state));
  }
  StartGuideJob(state, mailbox_, channel->id(), true);
  ASSERT_TRUE(pump_.UntilA<GuideLoaded>(state));
  ASSERT_EQ(state.guide.RowsOf(channel->id()).size(), 2u);
  SavePastListings(state, true);

  GuideScript onlyRunning;
  onlyRunning.programmes = {running};
  guide_->SetShortGuide(id, onlyRunning);
  guide_->SetDataTable(id, onlyRunning);
  AppState restarted;
  Boot(restarted);
  if (!restarted.pastListingsRead) {
    ASSERT_TRUE(pump_.UntilA<PastListingsLoaded>(restarted));
  }
  StartGuideJob(restarted, mailbox_, channel->id(), true);
  ASSERT_TRUE(pump_.UntilA<GuideLoaded>(restarted));
  const std::vector<EpgEntry>& rows = restarted.guide.RowsOf(channel->id());
  ASSERT_EQ(rows.size(), 2u) << "the provider sent one";
  EXPECT_EQ(rows[0].title, u"Seen once");
  EXPECT_EQ(rows[0].start, seen.start);
  EXPECT_EQ(rows[0].description, u"It was on.");
  EXPECT_EQ(rows[1].title, u"Running");
}

// A cache write costs about as much as the download of a large catalog: a
// load writes once, after every kind came.
TEST_F(BootTest, EachLoadWritesTheCacheOnce) {
  CacheWriteCounter writes(home_.Folder() / "catalog");
  AppState state;
  Boot(state);
  EXPECT_EQ(writes.Take(), 1) << "first run";
  EXPECT_EQ(state.catalog.Movies->size(), 30u);
  Reload(state);
  EXPECT_EQ(writes.Take(), 1) << "Home reload";
  EXPECT_EQ(state.catalog.Series->size(), 12u);
}

// The backdrop follows the trending movies: one download per boot, however
// many results (panel, trending, catalog) the boot delivers.
TEST_F(BootTest, TheBackdropIsFetchedOncePerBootColdOrWarm) {
  for (const char* boot : {"cold", "warm"}) {
    SCOPED_TRACE(boot);
    const size_t before = PictureRequests();
    AppState state;
    Boot(state);
    if (state.BackdropGeneration == 0) {
      ASSERT_TRUE(pump_.UntilA<BackdropWritten>(state));
    }
    EXPECT_EQ(state.BackdropGeneration, 1u);
    // Whatever else arrives within a while starts no second download.
    pump_.Until(state, [](const JobResult&) { return false; }, std::chrono::milliseconds(300));
    EXPECT_EQ(PictureRequests(), before + 1);
  }
}

// A backdrop whose download failed is asked for again by the next trending
// answer or reload, but not more than once a minute.
TEST_F(BootTest, AFailedBackdropIsTriedAgainAtMostOnceAMinute) {
  services_->SetPictureMissing(true);
  AppState state;
  Boot(state);
  if (state.BackdropUrlFailed.empty()) {
    ASSERT_TRUE(pump_.UntilA<BackdropFailed>(state));
  }
  EXPECT_FALSE(state.BackdropUrlFailed.empty());
  EXPECT_EQ(PictureRequests(), 1u);
  services_->SetPictureMissing(false);
  Reload(state);
  pump_.Until(state, [](const JobResult&) { return false; }, std::chrono::milliseconds(300));
  EXPECT_EQ(PictureRequests(), 1u) << "within the minute, a reload does not ask again";
  EXPECT_EQ(state.BackdropGeneration, 0u);

  state.BackdropFailedAtMs -= kBackdropRetryMs;  // the minute has passed
  Reload(state);
  ASSERT_TRUE(pump_.UntilA<BackdropWritten>(state));
  EXPECT_EQ(PictureRequests(), 2u);
  EXPECT_EQ(state.BackdropGeneration, 1u);
  // Once written, the same picture is not fetched again.
  state.BackdropFailedAtMs -= kBackdropRetryMs;
  Reload(state);
  pump_.Until(state, [](const JobResult&) { return false; }, std::chrono::milliseconds(300));
  EXPECT_EQ(PictureRequests(), 2u);
}

TEST_F(BootTest, ChangedPanelPlaylistReloadsFromTheNewAccount) {
  {
    AppState state;
    Boot(state);
  }
  // The reseller moves the device to a second account on the same server.
  auto second = std::make_shared<XtreamFixture>(MakeCatalog(9, 25, 5, 3), "other", "secret");
  StandInServer otherServer;
  AddXtreamRoutes(otherServer, second);
  ASSERT_TRUE(otherServer.Start());
  panel_->SetPlaylists({PanelFixture::XtreamPlaylist("2", "Other", otherServer.BaseUrl(), "other", "secret")});
  panel_->SetActiveId("\"2\"");

  AppState state;
  Boot(state);
  EXPECT_EQ(WideToUtf8(state.settings.PlaylistUrl), second->PlaylistUrl(otherServer));
  EXPECT_EQ(state.catalog.LiveChannels->size(), 25u);
  const auto lines = LogLines(home_);
  EXPECT_GE(FindLine(lines, "live load from panel", FindLine(lines, "catalog cache live=")), 0);
}

TEST_F(BootTest, APlaylistSwitchKeepsEverythingUntilTheNewServerAnswers) {
  AppState state;
  Boot(state);
  const std::u16string original = state.settings.PlaylistUrl;
  const size_t channels = state.catalog.LiveChannels->size();

  // While a catalog load runs, a switch waits: its lists would arrive first.
  state.flags.CatalogBusy = true;
  EXPECT_FALSE(ReloadPlaylistUrl(state, mailbox_, original));
  EXPECT_NE(state.StatusText.find(u"under way"), std::u16string::npos);
  state.flags.CatalogBusy = false;

  // Not a playlist URL: refused at once, nothing requested.
  EXPECT_FALSE(ReloadPlaylistUrl(state, mailbox_, u"ftp://h/get.php?username=a&password=b"));
  EXPECT_NE(state.StatusText.find(u"Not a playlist URL"), std::u16string::npos);

  // A server that does not answer (a port nothing listens on).
  std::u16string silent;
  {
    StandInServer closed;
    ASSERT_TRUE(closed.Start());
    silent = Utf8ToWide(closed.BaseUrl()) + u"/get.php?username=a&password=b";
  }
  ASSERT_TRUE(ReloadPlaylistUrl(state, mailbox_, silent));
  ASSERT_TRUE(pump_.UntilA<PlaylistRefused>(state));
  EXPECT_EQ(state.settings.PlaylistUrl, original);
  EXPECT_EQ(state.catalog.LiveChannels->size(), channels);
  EXPECT_NE(state.StatusText.find(u"did not answer"), std::u16string::npos);
  EXPECT_FALSE(state.flags.CatalogBusy);

  // A second account that answers: the switch happens and the URL is kept.
  auto second = std::make_shared<XtreamFixture>(MakeCatalog(3, 9, 4, 2), "other", "secret");
  StandInServer otherServer;
  AddXtreamRoutes(otherServer, second);
  ASSERT_TRUE(otherServer.Start());
  const std::u16string url = Utf8ToWide(second->PlaylistUrl(otherServer));
  ASSERT_TRUE(ReloadPlaylistUrl(state, mailbox_, url));
  ASSERT_TRUE(pump_.UntilA<CatalogLoaded>(state));
  EXPECT_EQ(state.settings.PlaylistUrl, url);
  EXPECT_EQ(state.catalog.LiveChannels->size(), 9u);
  ASSERT_FALSE(state.settings.Extra.empty());
  EXPECT_EQ(state.settings.Extra.back().url, url);
  ASSERT_TRUE(pump_.UntilA<CatalogLoaded>(state));  // movies and series follow
  EXPECT_EQ(state.catalog.Movies->size(), 4u);
}

// A provider that answers 503 to everything but the live list, which it
// drops half-way (with no length announced only the missing closing bracket
// tells), met by every way a catalog is loaded again: what is shown and
// what is cached stay as they were.
TEST_F(BootTest, EveryReloadAgainstAProviderThatIsDownKeepsTheListsAndTheCache) {
  AppState state;
  Boot(state);
  const Catalog shown = state.catalog;
  const size_t changes = pump_.followUps.catalogChanges.size();
  ASSERT_EQ(shown.LiveChannels->size(), 60u);
  const auto cacheFiles = [&] {
    return CacheFile("meta.txt") + CacheFile("live.tsv") + CacheFile("vod.tsv") + CacheFile("series.tsv");
  };
  const std::string cached = cacheFiles();
  for (const char* action :
       {"get_live_categories", "get_vod_categories", "get_vod_streams", "get_series_categories", "get_series"})
    provider_->SetErrorPage(action, 503);
  provider_->SetCut("get_live_streams", provider_->catalog().liveStreams.size() / 2, XtreamFixture::CutStyle::Unsized);
  const auto expectUnchanged = [&](const char* path) {
    SCOPED_TRACE(path);
    EXPECT_EQ(state.catalog.LiveChannels, shown.LiveChannels);  // the very same lists
    EXPECT_EQ(state.catalog.LiveCategories, shown.LiveCategories);
    EXPECT_EQ(state.catalog.Movies, shown.Movies);
    EXPECT_EQ(state.catalog.Series, shown.Series);
    EXPECT_EQ(pump_.followUps.catalogChanges.size(), changes) << "no list to rebuild";
    EXPECT_EQ(cacheFiles(), cached);
    EXPECT_FALSE(state.flags.CatalogBusy);
  };

  // The operator adds a second playlist: the poll sees a changed list.
  panel_->SetPlaylists({PanelFixture::XtreamPlaylist("1", "Demo", server_.BaseUrl(), "demo", "demo"),
                        PanelFixture::XtreamPlaylist("2", "Sports", server_.BaseUrl(), "demo", "demo")});
  state.LastPanelPollMs = 0;
  CheckPanelPoll(state, mailbox_, 60'000);
  ASSERT_TRUE(pump_.UntilA<CatalogLoaded>(state));
  expectUnchanged("panel poll");

  state.settings.AutoHours = 1;
  state.LastAutoReload = 1;
  CheckAutoReload(state, mailbox_, 2 + 3600ull * 1000);
  ASSERT_TRUE(pump_.UntilA<CatalogLoaded>(state));
  expectUnchanged("automatic reload");

  Reload(state);
  expectUnchanged("Home reload");

  ASSERT_TRUE(ReloadPlaylistUrl(state, mailbox_, state.settings.PlaylistUrl));
  ASSERT_TRUE(pump_.UntilA<PlaylistRefused>(state));
  expectUnchanged("playlist switch");

  state.flags.MoviesWanted = true;
  StartLazyLoads(state, mailbox_);
  ASSERT_TRUE(pump_.UntilA<CatalogLoaded>(state));
  expectUnchanged("movie load");

  // "Update Now" after the cache was cleared: nothing to read, nothing
  // downloaded, the lists on screen stay and no cache is written.
  std::filesystem::remove_all(home_.Folder() / "catalog");
  Boot(state);
  EXPECT_EQ(state.catalog.LiveChannels, shown.LiveChannels);
  EXPECT_EQ(state.catalog.Movies, shown.Movies);
  EXPECT_EQ(CacheFile("live.tsv"), "<missing>");
  // The failure is logged with the lists the load leaves in place.
  const std::string failed = "live load=fail cats=" + std::to_string(shown.LiveCategories.size()) + " chans=60";
  EXPECT_GE(FindLine(LogLines(home_), failed), 0);
}

// A first start with nothing answering leaves no blank Home: the status
// says why and when the next try is, and the boot runs again until the
// lists come, with the trending list and its backdrop. A reload that finds
// no trending list held asks for it again.
TEST_F(BootTest, AFirstStartOfflineSaysWhyAndTriesAgainUntilEverythingCame) {
  panel_->SetEmpty(PanelFixture::Call::Login, true);
  panel_->SetEmpty(PanelFixture::Call::Register, true);
  services_->SetEmptyAnswers(true);
  AppState state;
  Boot(state);
  EXPECT_EQ(CountOf(state.catalog.LiveChannels), 0u);
  ASSERT_NE(state.catalogRetry.nextMs, 0u);
  EXPECT_NE(state.StatusText.find(u"The sign-in server did not answer"), std::u16string::npos);
  EXPECT_NE(state.StatusText.find(u"Trying again in 5 s"), std::u16string::npos);

  panel_->SetEmpty(PanelFixture::Call::Login, false);
  panel_->SetEmpty(PanelFixture::Call::Register, false);
  services_->SetEmptyAnswers(false);
  CheckCatalogRetry(state, mailbox_, state.catalogRetry.nextMs);
  ASSERT_TRUE(pump_.Until(state, [&](const JobResult&) { return CountOf(state.catalog.LiveChannels) > 0; }));
  EXPECT_EQ(state.catalogRetry.nextMs, 0u);
  EXPECT_TRUE(state.StatusText.empty());
  EXPECT_FALSE(state.trending.empty());
  if (state.BackdropGeneration == 0) {
    ASSERT_TRUE(pump_.UntilA<BackdropWritten>(state));
  }

  state.trending.clear();
  Reload(state);
  if (state.trending.empty()) {
    ASSERT_TRUE(pump_.UntilA<TrendingLoaded>(state));
  }
  EXPECT_FALSE(state.trending.empty());
}

TEST_F(BootTest, TricklingTrendingAnswerLetsBootFinish) {
  // A byte a second, for minutes: only the minimum-speed rule ends it.
  ScriptedServer trickle([](ScriptedServer::Connection& c) {
    if (c.Write(Scripted::Head("Content-Length: 600\r\n")))
      Scripted::Trickle(c, std::string(600, ' '), 1, std::chrono::seconds(1));
  });
  setenv("VISTRA_TMDB_API_URL", trickle.BaseUrl().c_str(), 1);
  HttpClient::LimitTimeouts(1000);
  AppState state;
  Boot(state);
  HttpClient::LimitTimeouts(0);
  EXPECT_TRUE(state.trending.empty());
  EXPECT_EQ(state.catalog.LiveChannels->size(), 60u);
  const auto lines = LogLines(home_);
  EXPECT_GT(FindLine(lines, "boot done", FindLine(lines, "tmdb=0")), 0) << ::testing::PrintToString(lines);
}

// FIFOs in place of the data files: an open for reading would wait for a
// writer forever. (Folders and other files that are not regular are read
// as missing the same way: FileIo's.)
TEST_F(BootTest, FifosInPlaceOfDataFilesStartWithDefaults) {
  const auto folder = home_.CreateFolder();
  std::filesystem::create_directories(folder / "catalog");
  ASSERT_EQ(::mkfifo((folder / "settings.json").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo((folder / "catalog" / "meta.txt").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo((folder / "catalog" / "live.tsv").c_str(), 0600), 0);
  AppState state;
  Boot(state);
  EXPECT_EQ(state.settings.Volume, 80);
  EXPECT_EQ(state.catalog.LiveChannels->size(), 60u) << "the panel's playlist still loads";
  EXPECT_GE(FindLine(LogLines(home_), "not a regular file, read as missing: " + (folder / "settings.json").string()), 0);
  // The saves replaced the FIFOs with real files.
  EXPECT_TRUE(std::filesystem::is_regular_file(folder / "settings.json"));
  EXPECT_TRUE(std::filesystem::is_regular_file(folder / "catalog" / "live.tsv"));
}

TEST_F(BootTest, KilledSavesLeaveNoTemporaryFilesBehind) {
  const auto folder = home_.CreateFolder();
  std::filesystem::create_directories(folder / "catalog");
  std::filesystem::create_directories(folder / "guide");
  const auto write = [](const std::filesystem::path& path) { std::ofstream(path) << "half a save"; };
  const std::filesystem::path stale[] = {folder / "settings.json.tmp4242-0", folder / "catalog" / "live.tsv.tmp77-12",
                                         folder / "catalog" / "meta.txt.tmp5-3", folder / "guide" / "xmltv.tmp8-1"};
  for (const auto& path : stale) write(path);
  // Not ours, or a save of this very process under way: kept.
  const std::filesystem::path kept[] = {folder / "notes.tmp", folder / "settings.json.tmpx-1",
                                        folder / ("settings.json.tmp" + std::to_string(::getpid()) + "-99")};
  for (const auto& path : kept) write(path);
  AppState state;
  Boot(state);
  for (const auto& path : stale) EXPECT_FALSE(std::filesystem::exists(path)) << path;
  for (const auto& path : kept) EXPECT_TRUE(std::filesystem::exists(path)) << path;
  EXPECT_GE(FindLine(LogLines(home_), "stale temporary files removed=4"), 0);
}

// A provider that refuses bad credentials as XUI-type panels do (404 and an
// HTML page), then as classic ones do (auth 0), then a line that expired:
// each says why on Home and Account and in the log.
TEST_F(BootTest, ARefusedOrExpiredAccountSaysWhy) {
  provider_->SetRefusal(XtreamFixture::Refusal::NotFoundPage);
  PanelPlaylistWith("wrong");
  AppState state;
  Boot(state);
  EXPECT_TRUE(state.catalog.LiveChannels->empty());
  EXPECT_EQ(ProviderStatusText(state.provider), u"The provider refused this account (HTTP 404)");
  ASSERT_TRUE(UntilAccountAnswer(state, [](const AccountCheck& c) { return c.answer.httpStatus == 404; }));
  auto lines = LogLines(home_);
  const int failed = FindLine(lines, "live load=fail cats=0 chans=0");
  EXPECT_GE(failed, 0) << ::testing::PrintToString(lines);
  EXPECT_EQ(FindLine(lines, "live answer ", failed), failed + 1) << ::testing::PrintToString(lines);
  EXPECT_EQ(lines[failed + 1], "live answer http=404 body=html");
  EXPECT_GE(FindLine(lines, "account answer http=404 body=html user_info=none"), 0);

  provider_->SetRefusal(XtreamFixture::Refusal::AuthZero);
  Reload(state);
  EXPECT_EQ(ProviderStatusText(state.provider), u"The provider refused this account");
  ASSERT_TRUE(UntilAccountAnswer(state, [](const AccountCheck& c) { return c.line && c.line->auth == false; }));
  lines = LogLines(home_);
  EXPECT_GE(FindLine(lines, "live answer http=200 body=json"), 0) << ::testing::PrintToString(lines);
  EXPECT_GE(FindLine(lines, "account answer http=200 body=json auth=0 status=none"), 0);

  // The right password, but the line ran out (noon UTC: the same day in
  // every zone a test machine keeps).
  PanelPlaylistWith(password_);
  provider_->SetOverride("", R"({"user_info":{"auth":1,"status":"Expired","exp_date":"1700049600",)"
                             R"("max_connections":"2","active_cons":null}})");
  Reload(state);
  EXPECT_EQ(state.catalog.LiveChannels->size(), 60u);
  EXPECT_EQ(ProviderStatusText(state.provider), u"");
  ASSERT_TRUE(UntilAccountAnswer(state, [](const AccountCheck& c) { return c.line && !c.line->status.empty(); }));
  EXPECT_EQ(ProviderStatusText(state.provider), u"This account expired on 15/11/2023");
  EXPECT_EQ(state.provider.check->line->maxConnections, 2);
  EXPECT_GE(FindLine(LogLines(home_), "account answer http=200 body=json auth=1 status=Expired exp=1700049600 "
                                      "max_connections=2"), 0);
}

// Credentials with '#' and a space (kept as the playlist URL holds them)
// reach the provider whole: its API, which compares them, and its stream
// and catch-up routes, which answer 403 to any other.
struct AwkwardPasswordTest : BootTest {
  AwkwardPasswordTest() { password_ = "p#2 x"; }
};

TEST_F(AwkwardPasswordTest, ReachesTheProviderIntactEverywhere) {
  AppState state;
  Boot(state);
  EXPECT_EQ(state.account.Password, u"p#2 x");
  EXPECT_EQ(state.catalog.LiveChannels->size(), 60u);
  EXPECT_EQ(state.catalog.Movies->size(), 30u);
  ASSERT_TRUE(UntilAccountAnswer(state, [](const AccountCheck& c) { return c.line.has_value(); }));
  EXPECT_EQ(ProviderStatusText(state.provider), u"");
  EXPECT_EQ(state.provider.check->line->maxConnections, 1);

  const std::u16string live = std::u16string(state.catalog.LiveChannels->front().id());
  std::vector<std::u16string> urls = {LiveStreamUrl(state.account, live, u"ts"),
                                      std::u16string(state.catalog.Movies->front().url())};
  for (std::u16string& url : CatchupCandidates(state.account, live, NowUnix() - 3600, 30)) urls.push_back(url);
  server_.ClearRequests();
  for (const std::u16string& url : urls) {
    // 404: the credentials passed and the (absent) media was looked for.
    EXPECT_EQ(HttpClient::FetchGet(url, 5000, 4096).status, 404) << WideToUtf8(url);
  }
  std::vector<RecordedRequest> requests;
  for (const RecordedRequest& r : server_.Requests()) {
    for (const char* media : {"/live/", "/movie/", "/timeshift/", "/streaming/"})
      if (r.path.rfind(media, 0) == 0) requests.push_back(r);
  }
  ASSERT_EQ(requests.size(), urls.size());
  for (const RecordedRequest& r : requests) {
    const bool query = r.path == "/streaming/timeshift.php";
    EXPECT_TRUE(query ? r.Param("password") == "p#2 x" : r.path.find("/demo/p#2 x/") != std::string::npos) << r.target;
  }
  const XtreamAccount wrong{state.account.Server, state.account.User, u"p", true};
  EXPECT_EQ(HttpClient::FetchGet(LiveStreamUrl(wrong, live, u"ts"), 5000, 4096).status, 403);
}

}  // namespace
