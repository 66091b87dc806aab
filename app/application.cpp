#include "app/application.h"

#include "app/catalog_jobs.h"
#include "app/content_jobs.h"
#include "catalog/account.h"
#include "catalog/categories.h"
#include "catalog/channel_choice.h"
#include "net/text.h"
#include "platform/clock.h"
#include "platform/device_names.h"
#include "platform/process.h"
#include "player/playback.h"
#include "player/video_layout.h"
#include "player/video_output.h"
#include "net/text.h"
#include "store/collections.h"
#include "store/runtime_log.h"
#include "store/settings_file.h"
#include "ui/i18n/translate.h"
#include "ui/modals/pin_gate.h"
#include "ui/render/icon_cache.h"

namespace {

constexpr int kTickTimer = 1;
constexpr int kIconTimer = 8;
constexpr uint32_t kTickMs = 1000;
constexpr uint32_t kIconSettleMs = 280;

int MinuteOfDay(const LocalTime& t) { return t.hour * 60 + t.minute; }

}  // namespace

Application::Application()
    : render_(ExecutableFolder()),
      modal_([this](const std::function<bool()>& done) { window_.RunNestedUntil(done); },
             [this] { window_.RequestPaint(); }) {
  render_.SetIconCache(
      std::make_unique<IconCache>(ThreadedIconDownloads([this] { mailbox_.Deliver(IconsArrived{}); })));
  state_.speedReport->SetNotifier([this] { mailbox_.Deliver(SpeedReportChanged{}); });
}

Application::~Application() { Shutdown(); }

void Application::Shutdown() {
  // The render context goes before the player, the player before the window.
  window_.SetVideoLayer(nullptr);
  engine_.Shutdown();
  videoLayer_.reset();
}

int Application::Run() {
  const auto logo = ExecutableFolder() / "vs-logo.png";
  if (!window_.Create("Vistra 4.3", logo.string(), this)) {
    WriteLog(("window create failed: " + window_.LastError()).c_str());
    return 1;
  }
  if (engine_.Init()) {
    videoLayer_ = AttachVideoLayer(engine_, window_);
  } else {
    WriteLog("media engine not available");
  }
  window_.SetTimer(kTickTimer, kTickMs, true);
  StartBoot(state_, mailbox_);
  window_.RequestPaint();
  return window_.Run();
}

// --- Input: the navigator offers it to the modal slot, then the screen ------

void Application::OnKey(int vk) { navigator_.OnKey(vk, TickMs()); }
void Application::OnChar(char16_t ch) { navigator_.OnChar(ch, TickMs()); }
void Application::OnPointer(const PointerEvent& event) {
  navigator_.OnPointer(event, window_.Width(), window_.Height(), TickMs());
}

// --- Jobs and timers --------------------------------------------------------

void Application::Post(uint32_t id, uintptr_t wparam) { HostWindow::PostJobMessage(id, wparam); }

void Application::OnJobMessage(uint32_t id, uintptr_t /*wparam*/) {
  if (id != kJobResultsMessage) return;
  for (JobResult& result : mailbox_.TakeAll()) ApplyJobResult(result, state_, mailbox_, *this);
}

void Application::OnTimer(int id) {
  if (id == kIconTimer) {
    window_.KillTimer(kIconTimer);
    RepaintForArrivedIcons();
    return;
  }
  if (id != kTickTimer) return;
  const uint64_t now = TickMs();
  SaveDirtySettings();
  RepaintOnNewMinute();
  ExpireToast(now);
  CheckAutoReload(state_, mailbox_, now);
  CheckPanelPoll(state_, mailbox_, now);
  StartLazyLoads(state_, mailbox_);
}

// The burst of icon downloads has settled. Only the list screens draw
// icons, and a frame is worth painting only when an icon that the last
// frame drew without has arrived: downloads for rows scrolled away, for the
// grid's read-ahead or for another screen change nothing on screen.
void Application::RepaintForArrivedIcons() {
  const Screen screen = state_.CurrentScreen;
  const bool lists = screen == Screen::Live || screen == Screen::Movies || screen == Screen::Series ||
                     screen == Screen::Search || screen == Screen::Catchup;
  if (lists && render_.Icons().MissedIconArrived()) window_.RequestPaint();
}

void Application::SaveDirtySettings() {
  if (!state_.SettingsDirty) return;
  state_.SettingsDirty = false;
  SaveSettings(state_.settings);
}

// The clock shows minutes: repaint when the shown minute changes rather than
// redrawing an identical frame every second.
void Application::RepaintOnNewMinute() {
  if (state_.CurrentScreen != Screen::Home) return;
  if (MinuteOfDay(ToLocalTime(NowUnix())) != paintedMinute_) window_.RequestPaint();
}

// A toast is repainted while it shows and once more to take it away.
void Application::ExpireToast(uint64_t nowMs) {
  if (state_.toast.text.empty()) return;
  window_.RequestPaint();
  if (!state_.toast.Visible(nowMs)) state_.toast.text.clear();
}

void Application::RestartIdlePreview() {
  if (state_.CurrentScreen != Screen::Live || !engine_.Ready()) return;
  if (engine_.GetProperty("idle-active") != u"yes") return;
  NavState& nav = state_.nav;
  // A catalog result must not raise the PIN prompt by itself: a guarded
  // category's preview starts when the user asks for a channel.
  if (state_.settings.ParentalOn && !state_.ChannelPinPassed &&
      LiveCategoryGuarded(state_.catalog.LiveCategories, nav.live.LiveCategoryIndex, state_.settings)) {
    return;
  }
  if (nav.ChannelIndex < 0 || nav.ChannelIndex >= static_cast<int>(state_.VisibleLive.size())) {
    const bool locked = CurrentLiveCategoryLocked(state_.catalog.LiveCategories, nav.live.LiveCategoryIndex);
    nav.ChannelIndex = DefaultChannelIndex(state_.VisibleLive, state_.settings, locked);
  }
  state_.playback.lastLiveLoadTick = 0;
  PlaySelectedChannel();
}

void Application::BackdropChanged() { render_.ForgetBackdrop(); }
void Application::IconsSettling() { window_.SetTimer(kIconTimer, kIconSettleMs, false); }

// --- Actions ----------------------------------------------------------------

void Application::Quit() {
  // The exit tile saves as well: a pending change (history, volume) would
  // otherwise be lost on this path.
  SaveSettings(state_.settings);
  window_.Quit(0);
}

void Application::OnCloseRequested() { Quit(); }

void Application::StartFullReload() { ::StartFullReload(state_, mailbox_); }
void Application::StartPanelCheck() { ::StartPanelCheck(state_, mailbox_); }
void Application::StartSportsFetch() { StartSportsJob(state_, mailbox_); }

void Application::SendReply(const std::u16string& text) {
  PanelState panel = state_.panel;
  PanelSettings settings = PanelSettings::From(state_.settings);
  StartJob([this, panel = std::move(panel), settings = std::move(settings), text]() mutable {
    mailbox_.Deliver(ReplySent{RunSendJob(std::move(panel), std::move(settings), text)});
  });
}

void Application::ToggleMaximized() { window_.ToggleMaximized(); }
void Application::ApplyVolume(int volume) { engine_.SetVolume(volume); }
void Application::SaveSettingsNow() {
  SetCurrentLanguageCode(state_.settings.Lang);
  SaveSettings(state_.settings);
}

void Application::LayoutVideo() {
  const PixelRect rect = VideoRectFor(state_.CurrentScreen, state_.nav.fullVideo, window_.Width(), window_.Height());
  window_.SetVideoRect(rect);
  if (rect.empty()) return;
  engine_.SetProperty("vf", "");
  engine_.SetProperty("panscan", "0.0");
  engine_.SetProperty("osd-level", "0");
  engine_.SetProperty("osc", "no");
  engine_.RemoveOverlay(1);
}

void Application::PlaySelectedChannel() {
  LiveCallbacks callbacks;
  callbacks.requestGuide = [this](std::u16string_view id) { StartGuideJob(state_, mailbox_, id); };
  callbacks.askChannelPin = [this] { return PinGate(modal_, state_, kChannelPinTarget); };
  PlayLive(state_, engine_, TickMs(), callbacks);
}

void Application::StopPlayback() { engine_.Stop(); }

void Application::RequestSeriesInfo(const CatalogItem& series, bool autoPlay) {
  state_.playback.currentItem = series;
  state_.playback.autoplayEpisodes = autoPlay;
  WriteLogF(512, "series info id=%s autoplay=%d", WideToUtf8(series.id()).c_str(), autoPlay ? 1 : 0);
  StartSeriesInfoJob(state_, mailbox_, std::u16string(series.id()));
}

void Application::PlayMovie(const CatalogItem& movie) {
  const std::u16string url =
      movie.url().empty() ? MovieStreamUrl(state_.account, movie.id(), movie.containerExt()) : std::u16string(movie.url());
  PushHistory(state_.settings.HistoryMovies, movie.id());
  PlayOnDemand(movie, url, std::u16string(movie.id()), false);
}

void Application::PlayEpisode(const Episode& episode) {
  PushHistory(state_.settings.HistorySeries, state_.playback.currentItem.id());
  PlayOnDemand(state_.playback.currentItem, EpisodeStreamUrl(state_.account, episode.id, episode.containerExt),
               episode.id, true);
}

void Application::PlayOnDemand(const CatalogItem& item, const std::u16string& url, const std::u16string& resumeKey,
                               bool episode) {
  PlaybackState& playback = state_.playback;
  playback.currentItem = item;
  playback.isEpisode = episode;
  playback.itemKey = resumeKey;
  state_.SettingsDirty = true;
  state_.nav.fullVideo = true;
  navigator_.SetScreen(Screen::Player);
  LoadWithPreferences(engine_, state_.settings, url);
  playback.playStartTick = TickMs();
  playback.lastUrl = url;
  WriteLogF(768, "play %s id=%s name=%s url=%s", episode ? "episode" : "movie", WideToUtf8(resumeKey).c_str(),
            WideToUtf8(item.name()).c_str(), WideToUtf8(url).c_str());
}
// The track picker and the external player are being built; until then the
// keys say so in the log instead of doing nothing silently.
void Application::ChooseTrack(TrackKind kind) {
  WriteLogF(64, "track picker not available kind=%s", kind == TrackKind::Audio ? "audio" : "subtitle");
}
void Application::OpenInExternalPlayer() { WriteLog("external player not available"); }

void Application::Repaint() { window_.RequestPaint(); }

void Application::OpenInBrowser(const std::u16string& url) {
  if (!OpenUrlInBrowser(WideToUtf8(url))) WriteLog("browser could not be opened");
}

void Application::RestartBoot() { StartBoot(state_, mailbox_); }

void Application::ReloadPlaylist(const std::u16string& url) { ReloadPlaylistUrl(state_, mailbox_, url); }

void Application::ApplyPlayerSettings() {
  const Settings& s = state_.settings;
  engine_.SetProperty("user-agent", PlaybackUserAgent(s));
  engine_.SetSubtitleSize(SubtitleFontSize(s.SubSize));
  engine_.SetSubtitleVisible(s.SubVisible);
  engine_.SetSubtitleColor(SubtitleColor(s.SubColor));
}

// The files go, and so do the pictures held from them: the icons are
// downloaded again when next shown, and Home has no backdrop until the next
// one arrives.
void Application::ClearCache() {
  ClearCacheIntoReport(*state_.speedReport);
  render_.Icons().Clear();
  render_.ForgetBackdrop();
  state_.BackdropUrlRequested.clear();
  ++state_.BackdropGeneration;
}

void Application::StartCatchupGuide(const std::u16string& streamId) {
  StartGuideJob(state_, mailbox_, streamId, true);
}

void Application::StartSpeedTest() {
  const DeviceIdentity& identity = state_.panel.identity;
  SpeedTestDevice device{ComputerName(), identity.ShownMac(), identity.deviceKey};
  ::StartSpeedTest(state_.speedReport, device);
}

// --- The frame --------------------------------------------------------------

void Application::OnPaintInterface(cairo_t* cr, int width, int height) {
  const LocalTime now = ToLocalTime(NowUnix());
  paintedMinute_ = MinuteOfDay(now);
  navigator_.SetSurfaceSize(width, height);
  screens_[state_.CurrentScreen].PrepareFrame(render_, state_, width, height);
  render_.BeginFrame(cr, width, height, state_.settings.DashColor);
  screens_[state_.CurrentScreen].Paint(render_, state_, now);
  render_.DrawToast(state_.toast.text, state_.toast.hideAtMs, TickMs());
  if (const Modal* modal = modal_.Current()) modal->Paint(render_);
  render_.EndFrame();
}
