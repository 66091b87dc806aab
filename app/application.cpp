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
#include "app/playback_control.h"
#include "player/video_layout.h"
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
constexpr uint64_t kBufferingNoticeMs = 1200;
constexpr uint64_t kCatchupNoMs = 3500;
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
  state_.playing = &player_.Playback();
  player_.SetObserver([this](const PlayerEvent& event) { OnPlayerEvent(event); });
}

Application::~Application() { Shutdown(); }

void Application::Shutdown() {
  // The render context goes before the player, the player before the window.
  window_.SetVideoTiles({});
  player_.Shutdown();
}

int Application::Run() {
  if (!window_.Create("Vistra 4.3", WindowIconFile(), this)) {
    WriteLog(("window create failed: " + window_.LastError()).c_str());
    return 1;
  }
  if (player_.Init()) {
    player_.AttachVideo(window_);
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
  if (RunTickSteps(tickSteps_, TickMs(), mailbox_.HandlerWaiting(), state_.StatusText)) window_.RequestPaint();
}

// The Player's events arrive from inside its Tick: what the application
// does about them may play something again, change the screen or ask for
// the PIN.
void Application::OnPlayerEvent(const PlayerEvent& event) {
  const uint64_t now = TickMs();
  switch (event.kind) {
    case PlayerEvent::Kind::Buffering:
      ::ShowNotice(state_, std::u16string(Translate("buffering")), kBufferingNoticeMs, now);
      return;
    case PlayerEvent::Kind::ResumePoint:
      if (StoreResumePoint(state_.settings, event.resume) != ResumeSave::Nothing) SaveSettings(state_.settings);
      return;
    case PlayerEvent::Kind::Ended: {
      const bool next = FinishVod(state_, player_, event.resume, now);
      SaveSettings(state_.settings);
      if (next) ShowPlayer();
      return;
    }
    case PlayerEvent::Kind::RestartPreview:
      if (GateSelectedChannel(PinPrompt(modal_), state_, LiveStart::Preview)) PlaySelectedChannel();
      return;
    case PlayerEvent::Kind::Failed:
      if (event.failure == PlayerFailure::StreamRefused) {
        LeaveDeadStream();
        return;
      }
      navigator_.SetScreen(Screen::Catchup);
      ShowNotice(std::u16string(Translate("catchup_no")), kCatchupNoMs);
      return;
  }
}

void Application::HoverTick(uint64_t nowMs) {
  if (state_.CurrentScreen != Screen::Player && !state_.nav.fullVideo) {
    if (state_.playerScreen.stripsShown) UpdateStrips();
    return;
  }
  int x = 0, y = 0;
  const bool inside = window_.PointerPosition(x, y);
  const StripLayout layout = StripLayoutFor(state_, window_.Width(), window_.Height());
  if (HoverCheck(state_, layout, x, y, inside, nowMs)) UpdateStrips();
  if (player_.Sample() && state_.playerScreen.stripsShown) window_.RequestStripPaint();
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

void Application::RestartIdlePreview() {
  if (state_.CurrentScreen != Screen::Live || !player_.Ready()) return;
  if (player_.Property("idle-active") != u"yes") return;
  NavState& nav = state_.nav;
  if (nav.ChannelIndex < 0 || nav.ChannelIndex >= static_cast<int>(state_.VisibleLive.size())) {
    nav.ChannelIndex = DefaultChannelIndex(state_.VisibleLive, state_.settings, state_.catalog.LiveCategories, nav.live);
  }
  // A catalog result never raises the PIN prompt by itself: a locked
  // channel's preview starts when the user asks for it.
  if (!GateSelectedChannel(PinPrompt(modal_), state_, LiveStart::Preview)) return;
  player_.ForceNextLiveLoad();
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

void Application::ToggleMaximized() { window_.ToggleMaximized(); }
void Application::ApplyVolume(int volume) { player_.SetVolume(volume); }
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
  player_.Place(rect);
  window_.SetVideoTiles({player_.Tile()});
  return rect;
}

void Application::LayoutVideo() {
  const PixelRect rect = PlaceVideo();
  const bool full = state_.CurrentScreen == Screen::Player || state_.nav.fullVideo;
  if (full) window_.SetTimer(kHoverTimer, kHoverMs, true);
  else window_.KillTimer(kHoverTimer);
  UpdateStrips();
  if (!rect.empty()) player_.ResetPictureEffects();
}

// The strips show while their deadline lies ahead on the Player screen; the
// strip layer is painted again either way (hidden strips paint nothing).
void Application::UpdateStrips() {
  PlayerScreenControls& controls = state_.playerScreen;
  const bool full = state_.CurrentScreen == Screen::Player || state_.nav.fullVideo;
  const bool shown = full && TickMs() < controls.stripsUntil;
  if (!shown && controls.stripsShown) player_.ClearOverlay();
  controls.stripsShown = shown;
  if (shown) player_.Sample();
  window_.RequestStripPaint();
}

void Application::PlaySelectedChannel() {
  PlayLive(state_, player_, TickMs(), [this](std::u16string_view id) { StartGuideJob(state_, mailbox_, id); });
  if (state_.CurrentScreen != Screen::Player) return;
  KeepPlayerAfterZap(state_, TickMs());
  UpdateStrips();
}

void Application::EnterFullVideo() {
  state_.nav.fullVideo = true;
  state_.playerScreen.liveStripExpanded = false;
  state_.playerScreen.stripsUntil = 0;
  navigator_.SetScreen(Screen::Player);
  window_.RequestPaint();
}

void Application::LeavePlayer() {
  bool settingsChanged = false;
  const Screen target = LeavePlayerTarget(state_, player_, settingsChanged);
  if (settingsChanged) SaveSettings(state_.settings);
  navigator_.SetScreen(target);
  window_.RequestPaint();
}

void Application::LeaveDeadStream() {
  // A trailer that reached its end is no failure.
  if (!state_.Playing().PlayingTrailer()) {
    ShowToast(state_, std::u16string(Translate("stream_fail")), kStreamFailNoticeMs);
  }
  LeavePlayer();
}

void Application::StepChannel(int direction) {
  const uint64_t pressed = TickMs();
  if (!StepToAllowedChannel(PinPrompt(modal_), state_, direction)) return;
  const uint64_t loaded = player_.Playback().lastLiveLoadTick;
  PlaySelectedChannel();
  if (player_.Playback().lastLiveLoadTick != loaded) player_.WatchFirstFrame(pressed);
}

void Application::StepVod(int delta) {
  if (::StepVod(state_, player_, delta, TickMs())) ShowPlayer();
}

void Application::TogglePause() { TogglePauseWithNotice(state_, player_, TickMs()); }

void Application::SeekBy(double seconds) {
  if (state_.Playing().PlayingRecording()) SeekWithNotice(state_, player_, seconds, TickMs());
}

void Application::SeekToShare(double share) {
  player_.Sample();
  if (state_.Playing().PlayingRecording()) player_.SeekToShare(share);
}

void Application::CycleAspect() { ::CycleAspect(state_, player_, TickMs()); }

void Application::StopPlayback() { player_.Stop(); }

void Application::PlayMovie(const CatalogItem& movie) {
  modal_.Cancel();
  PlayVod(state_, player_, movie, nullptr, TickMs());
  ShowPlayer();
}

void Application::PlayEpisode(const Episode& episode) {
  modal_.Cancel();
  const auto& episodes = state_.series.Episodes;
  const auto found = std::find(episodes.begin(), episodes.end(), episode);
  if (found != episodes.end()) state_.nav.EpisodeIndex = int(found - episodes.begin());
  const CatalogItem series = state_.SeriesShown;
  PlayVod(state_, player_, series, &episode, TickMs());
  ShowPlayer();
}

// The screen the stream was chosen on is left through the navigator, which
// places the video; the stream itself goes on (the video stays on the
// Player screen, so no screen stops it).
void Application::ShowPlayer() {
  if (state_.CurrentScreen != Screen::Player) navigator_.SetScreen(Screen::Player);
  else LayoutVideo();
  window_.RequestPaint();
}

void Application::Repaint() { window_.RequestPaint(); }

void Application::OpenInBrowser(const std::u16string& url) {
  if (!OpenUrlInBrowser(WideToUtf8(url))) WriteLog("browser could not be opened");
}

void Application::ApplyPlayerSettings() {
  player_.ApplyPreferences(PreferencesFrom(state_.settings));
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
