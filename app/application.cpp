#include "app/application.h"

#include <algorithm>
#include <filesystem>

#include "app/catalog_jobs.h"
#include "app/content_jobs.h"
#include "catalog/account.h"
#include "catalog/channel_choice.h"
#include "net/text.h"
#include "platform/clock.h"
#include "platform/device_names.h"
#include "platform/process.h"
#include "player/playback.h"
#include "player/remote_control.h"
#include "player/vod_playback.h"
#include "player/video_layout.h"
#include "player/video_output.h"
#include "net/text.h"
#include "store/collections.h"
#include "store/runtime_log.h"
#include "store/settings_file.h"
#include "i18n/translate.h"
#include "ui/modals/pin_gate.h"
#include "ui/render/icon_cache.h"
#include "ui/screens/player_strips.h"

namespace {

constexpr int kTickTimer = 1;
constexpr int kHoverTimer = 4;
constexpr int kIconTimer = 8;
constexpr uint32_t kHoverMs = 50;
constexpr uint64_t kStreamFailNoticeMs = 3000;
constexpr uint32_t kTickMs = 1000;
constexpr uint32_t kIconSettleMs = 280;

int MinuteOfDay(const LocalTime& t) { return t.hour * 60 + t.minute; }

// The window icon: a logo placed beside the program, else the icon the build
// drew (share/icons beside the program in the build folder, under the data
// folder once installed). Empty when there is none.
std::string WindowIconFile() {
  const std::filesystem::path folder = ExecutableFolder();
  const std::filesystem::path icon = "icons/hicolor/256x256/apps/vistra.png";
  for (const std::filesystem::path& file :
       {folder / "vs-logo.png", folder / "share" / icon, folder / VISTRA_BIN_TO_DATA / icon}) {
    std::error_code error;
    if (std::filesystem::is_regular_file(file, error)) return file.lexically_normal().string();
  }
  return {};
}

}  // namespace

Application::Application()
    : render_(ExecutableFolder()),
      modal_(
          [this](const std::function<bool()>& done) {
            const JobMailbox::HandlerWait wait(mailbox_);
            window_.RunNestedUntil(done);
          },
             [this] { window_.RequestPaint(); }) {
  render_.SetIconCache(
      std::make_unique<IconCache>(ThreadedIconDownloads([this] { mailbox_.Deliver(IconsArrived{}); })));
  state_.speedReport->SetNotifier([this] { mailbox_.Deliver(SpeedReportChanged{}); });
  engine_.SetShownTextObserver([this](const std::u16string& text) { render_.NoteShownText("engine", text); });
}

Application::~Application() { Shutdown(); }

void Application::Shutdown() {
  // The render context goes before the player, the player before the window.
  window_.SetVideoLayer(nullptr);
  engine_.Shutdown();
  frameWatch_.reset();
  videoLayer_.reset();
}

int Application::Run() {
  if (!window_.Create("Vistra 4.3", WindowIconFile(), this)) {
    WriteLog(("window create failed: " + window_.LastError()).c_str());
    return 1;
  }
  if (engine_.Init()) {
    videoLayer_ = AttachVideoLayer(engine_, window_);
    if (videoLayer_) {
      frameWatch_ = std::make_unique<FirstFrameWatch>(*videoLayer_, engine_);
      window_.SetVideoLayer(frameWatch_.get());
    }
  } else {
    WriteLog("media engine not available");
  }
  window_.SetTimer(kTickTimer, kTickMs, true);
  StartBoot(state_, mailbox_);
  window_.RequestPaint();
  return window_.Run();
}

// --- Input: the navigator offers it to the modal slot, then the screen ------

void Application::OnKey(int vk) {
  navigator_.OnKey(vk, TickMs());
}
void Application::OnChar(char16_t ch) {
  navigator_.OnChar(ch, TickMs());
}
void Application::OnPointer(const PointerEvent& event) {
  navigator_.OnPointer(event, window_.Width(), window_.Height(), TickMs());
}

// --- Jobs and timers --------------------------------------------------------

void Application::Post(uint32_t id, uintptr_t wparam) { HostWindow::PostJobMessage(id, wparam); }

void Application::OnJobMessage(uint32_t id, uintptr_t /*wparam*/) {
  if (id != kJobResultsMessage) return;
  MergeReadyResults(mailbox_, state_, *this);
}

void Application::OnTimer(int id) {
  if (id == kIconTimer) {
    window_.KillTimer(kIconTimer);
    RepaintForArrivedIcons();
    return;
  }
  if (id == kHoverTimer) {
    HoverTick(TickMs());
    return;
  }
  if (id != kTickTimer) return;
  // Under a waiting handler only the clock and the toast go on: the steps
  // that change the state (reloads, lazy loads, the player's supervision)
  // take the first tick after it returned.
  if (mailbox_.HandlerWaiting()) {
    RepaintOnNewMinute();
    ExpireToast(TickMs());
    return;
  }
  supervisor_.Tick(TickMs());
}

SupervisorHooks Application::MakeSupervisorHooks() {
  SupervisorHooks hooks;
  hooks.saveSettings = [this] { SaveSettings(state_.settings); };
  hooks.repaintStep = [this] {
    RepaintOnNewMinute();
    ExpireToast(TickMs());
  };
  hooks.autoReload = [this] { CheckAutoReload(state_, mailbox_, TickMs()); };
  hooks.panelPoll = [this] { CheckPanelPoll(state_, mailbox_, TickMs()); };
  hooks.screenTick = [this] { StartLazyLoads(state_, mailbox_); };
  hooks.updateStrips = [this] { UpdateStrips(); };
  hooks.restartPreview = [this] {
    if (GateSelectedChannel(PinPrompt(modal_), state_, LiveStart::Preview)) PlaySelectedChannel();
  };
  hooks.leaveDeadStream = [this] { LeaveDeadStream(); };
  hooks.layoutVideo = [this] { ShowVod(); };
  hooks.repaint = [this] { window_.RequestPaint(); };
  hooks.catchupCandidateStep = [this](const CodecSample& sample) { RunCatchupStep(sample); };
  return hooks;
}

void Application::HoverTick(uint64_t nowMs) {
  if (state_.CurrentScreen != Screen::Player && !state_.nav.fullVideo) {
    if (state_.player.stripsShown) UpdateStrips();
    return;
  }
  int x = 0, y = 0;
  const bool inside = window_.PointerPosition(x, y);
  const StripLayout layout = StripLayoutFor(state_, window_.Width(), window_.Height());
  if (HoverCheck(state_, layout, x, y, inside, nowMs)) UpdateStrips();
  if (SampleStream(state_, engine_) && state_.player.stripsShown) window_.RequestStripPaint();
}

// The burst of icon downloads has settled. Only the list screens draw
// icons, and a frame is worth painting only when an icon that the last
// frame drew without has arrived: downloads for rows scrolled away, for the
// grid's read-ahead or for another screen change nothing on screen.
void Application::RepaintForArrivedIcons() {
  const Screen screen = state_.CurrentScreen;
  const bool lists = screen == Screen::Live || screen == Screen::Movies || screen == Screen::Series ||
                     screen == Screen::Search || screen == Screen::Catchup || screen == Screen::Player;
  if (lists && render_.Icons().MissedIconArrived()) window_.RequestPaint();
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
  if (nav.ChannelIndex < 0 || nav.ChannelIndex >= static_cast<int>(state_.VisibleLive.size())) {
    nav.ChannelIndex = DefaultChannelIndex(state_.VisibleLive, state_.settings, state_.catalog.LiveCategories, nav.live);
  }
  // A catalog result never raises the PIN prompt by itself: a locked
  // channel's preview starts when the user asks for it.
  if (!GateSelectedChannel(PinPrompt(modal_), state_, LiveStart::Preview)) return;
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

// The video rectangle follows the window: every size change (a resize,
// F11, a display change) places it again for the screen shown.
void Application::OnResize(int /*width*/, int /*height*/) {
  if (PlaceVideo().empty()) return;
  UpdateStrips();
}

PixelRect Application::PlaceVideo() {
  const PixelRect rect = VideoRectFor(state_.CurrentScreen, state_.nav.fullVideo, window_.Width(), window_.Height());
  window_.SetVideoRect(rect);
  return rect;
}

void Application::LayoutVideo() {
  const PixelRect rect = PlaceVideo();
  const bool full = state_.CurrentScreen == Screen::Player || state_.nav.fullVideo;
  if (full) window_.SetTimer(kHoverTimer, kHoverMs, true);
  else window_.KillTimer(kHoverTimer);
  UpdateStrips();
  if (rect.empty()) return;
  engine_.SetProperty("vf", "");
  engine_.SetProperty("panscan", "0.0");
  engine_.SetProperty("osd-level", "0");
  engine_.SetProperty("osc", "no");
  engine_.RemoveOverlay(1);
}

// The strips show while their deadline lies ahead on the Player screen; the
// strip layer is painted again either way (hidden strips paint nothing).
void Application::UpdateStrips() {
  PlayerControls& controls = state_.player;
  const bool full = state_.CurrentScreen == Screen::Player || state_.nav.fullVideo;
  const bool shown = full && TickMs() < controls.controlsUntil;
  if (!shown && controls.stripsShown) engine_.RemoveOverlay(1);
  controls.stripsShown = shown;
  if (shown) SampleStream(state_, engine_);
  window_.RequestStripPaint();
}

void Application::PlaySelectedChannel() {
  LiveCallbacks callbacks;
  callbacks.requestGuide = [this](std::u16string_view id) { StartGuideJob(state_, mailbox_, id); };
  PlayLive(state_, engine_, TickMs(), callbacks);
  if (state_.CurrentScreen != Screen::Player) return;
  KeepPlayerAfterZap(state_, TickMs());
  UpdateStrips();
}

void Application::EnterFullVideo() {
  state_.nav.fullVideo = true;
  state_.player.liveStripExpanded = false;
  state_.player.controlsUntil = 0;
  navigator_.SetScreen(Screen::Player);
  window_.RequestPaint();
}

void Application::LeavePlayer() {
  bool settingsChanged = false;
  const Screen target = LeavePlayerTarget(state_, engine_, settingsChanged);
  if (settingsChanged) SaveSettings(state_.settings);
  navigator_.SetScreen(target);
  window_.RequestPaint();
}

void Application::LeaveDeadStream() {
  // A trailer that reached its end is no failure.
  if (!state_.playback.PlayingTrailer()) {
    ShowToast(state_, std::u16string(Translate("stream_fail")), kStreamFailNoticeMs);
  }
  LeavePlayer();
}

void Application::StepChannel(int direction) {
  const uint64_t pressed = TickMs();
  if (!StepToAllowedChannel(PinPrompt(modal_), state_, direction)) return;
  const uint64_t loaded = state_.playback.lastLiveLoadTick;
  PlaySelectedChannel();
  if (frameWatch_ && state_.playback.lastLiveLoadTick != loaded) {
    frameWatch_->Arm(pressed, state_.playback.lastUrl, state_.playback.lastChannelId);
  }
}

void Application::StepVod(int delta) {
  if (::StepVod(state_, engine_, delta, TickMs())) ShowVod();
}

void Application::TogglePause() { TogglePauseWithNotice(state_, engine_, TickMs()); }

void Application::SeekBy(double seconds) {
  if (PlayingRecording(state_)) SeekWithNotice(state_, engine_, seconds, TickMs());
}

void Application::SeekToShare(double share) {
  SampleStream(state_, engine_);
  if (PlayingRecording(state_)) ::SeekToShare(state_, engine_, share);
}

void Application::CycleAspect() { ::CycleAspect(state_, engine_, TickMs()); }

void Application::StopPlayback() { engine_.Stop(); }

void Application::RequestSeriesInfo(const CatalogItem& series, bool autoPlay) {
  state_.playback.currentItem = series;
  state_.playback.autoplayEpisodes = autoPlay;
  WriteLogF(512, "series info id=%s autoplay=%d", WideToUtf8(series.id()).c_str(), autoPlay ? 1 : 0);
  StartSeriesInfoJob(state_, mailbox_, std::u16string(series.id()));
}

// A movie or an episode switches to the Player screen by itself (the
// screen it was chosen on is not left through the navigator: nothing of it
// needs undoing, and the stream must not be stopped).
void Application::PlayMovie(const CatalogItem& movie) {
  modal_.Cancel();
  PlayVod(state_, engine_, movie, nullptr, TickMs());
  ShowVod();
}

void Application::PlayEpisode(const Episode& episode) {
  modal_.Cancel();
  const auto& episodes = state_.series.Episodes;
  const auto found = std::find(episodes.begin(), episodes.end(), episode);
  if (found != episodes.end()) state_.nav.EpisodeIndex = int(found - episodes.begin());
  const CatalogItem series = state_.playback.currentItem;
  PlayVod(state_, engine_, series, &episode, TickMs());
  ShowVod();
}

void Application::ShowVod() {
  LayoutVideo();
  window_.RequestPaint();
}

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
  StartPanelClockJob();
}

void Application::StartSpeedTest() {
  const DeviceIdentity& identity = state_.panel.identity;
  SpeedTestDevice device{ComputerName(), identity.ShownMac(), identity.deviceKey};
  ::StartSpeedTest(state_.speedReport, device);
}

// --- The frame --------------------------------------------------------------

// On the Player the notice and the modal are painted on the strip layer,
// above the strips (which lie above the interface layer); elsewhere on the
// interface layer. Either way once.
bool Application::OverlaysOnStrips() const {
  return state_.CurrentScreen == Screen::Player || state_.nav.fullVideo;
}

void Application::PaintOverlays(int width, int height) {
  if (OverlaysOnStrips()) {
    const RectF box = PlayerToastRect(StripLayoutFor(state_, width, height), width);
    render_.DrawToast(state_.toast.text, state_.toast.hideAtMs, TickMs(), box);
  } else {
    render_.DrawToast(state_.toast.text, state_.toast.hideAtMs, TickMs());
  }
  render_.MarkTexts("modal");
  if (const Modal* modal = modal_.Current()) modal->Paint(render_);
}

void Application::OnPaintStrips(cairo_t* cr, int width, int height) {
  render_.BeginFrame(cr, width, height, state_.settings.DashColor);
  render_.RecordTexts("strips");
  PaintStrips(render_, state_, width, height, NowUnix());
  if (OverlaysOnStrips()) PaintOverlays(width, height);
  render_.EndFrame();
}

void Application::OnPaintInterface(cairo_t* cr, int width, int height) {
  const LocalTime now = ToLocalTime(NowUnix());
  paintedMinute_ = MinuteOfDay(now);
  navigator_.SetSurfaceSize(width, height);
  screens_[state_.CurrentScreen].PrepareFrame(render_, state_, width, height);
  render_.BeginFrame(cr, width, height, state_.settings.DashColor);
  render_.RecordTexts("interface");
  screens_[state_.CurrentScreen].Paint(render_, state_, now);
  if (!OverlaysOnStrips()) PaintOverlays(width, height);
  render_.EndFrame();
}
