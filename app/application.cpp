#include "app/application.h"

#include <algorithm>
#include <filesystem>

#include "app/catalog_jobs.h"
#include "app/content_jobs.h"
#include "app/past_listings_jobs.h"
#include "app/timer_ids.h"
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
#include "ui/modals/question_dialog.h"
#include "ui/render/icon_cache.h"
#include "ui/screens/player_strips.h"
#include "ui/screens/stream_notice.h"

namespace {

constexpr uint32_t kTickMs = 1000;
constexpr uint32_t kIconSettleMs = 280;
// A posted question waits this long for an open modal to close.
constexpr uint32_t kQuestionRetryMs = 500;

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
    if (std::filesystem::is_regular_file(file, error)) return PathUtf8(file.lexically_normal());
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
  // The fonts load while Run makes the window; the first frame takes them.
  // A full-HD surface is the usual one; elsewhere the sizes differ but the
  // font files and fontconfig are ready all the same.
  render_.PrepareFontsAhead(static_cast<int>(kDesignWidth), static_cast<int>(kDesignHeight),
                            [this] { fontsReadyMs_ = MsSinceProcessStart(); });
}

Application::~Application() { Shutdown(); }

void Application::Shutdown() {
  recording_.Shutdown(NowUnix());
  SavePastListings(state_, true);
  playback_.Shutdown();
}

namespace {

// "<title> starts on <channel>. Watch now?": the title takes the text's
// first "%s", the channel its second, wherever the language puts them.
std::u16string ReminderQuestion(const Reminder& reminder) {
  std::u16string text(Translate("reminder_question"));
  const size_t first = text.find(u"%s");
  if (first == std::u16string::npos) return text;
  text.replace(first, 2, reminder.title);
  const size_t second = text.find(u"%s", first + reminder.title.size());
  if (second != std::u16string::npos) text.replace(second, 2, reminder.channelName);
  return text;
}

}  // namespace

void Application::AskPostedQuestion() {
  if (state_.RemindersToAsk.empty()) return;
  if (modal_.Open() || mailbox_.HandlerWaiting()) {
    window_.SetTimer(kQuestionTimer, kQuestionRetryMs, false);
    return;
  }
  const Reminder reminder = state_.RemindersToAsk.front();
  state_.RemindersToAsk.erase(state_.RemindersToAsk.begin());
  if (!state_.RemindersToAsk.empty()) window_.SetTimer(kQuestionTimer, kQuestionRetryMs, false);
  const std::u16string question = ReminderQuestion(reminder);
  if (!window_.Focused()) {
    // Nobody looks at the window: the desktop tells, and nothing waits.
    window_.Notify(WideToUtf8(Translate("reminder")), WideToUtf8(question));
    return;
  }
  if (!AskYesNo(modal_, std::u16string(Translate("reminder")), question, true)) return;
  if (playback_.WatchChannel(reminder.streamId)) window_.RequestPaint();
}

int Application::Run() {
  // The boot reads the settings and starts its job before the window
  // exists: making the window and its GL context takes a tenth of a second
  // and more, time a large catalog's cache read uses. What the job delivers
  // meanwhile waits in the mailbox until the window opens.
  StartBoot(state_, mailbox_, BootSettingsWrite::ByCaller);
  recording_.Load(NowUnix());
  if (!window_.Create("Vistra 4.3", WindowIconFile(), this)) {
    WriteLog(("window create failed: " + window_.LastError()).c_str());
    return 1;
  }
  window_.SetTimer(kTickTimer, kTickMs, true);
  // The log starts with the boot (it follows the data folder), so the
  // timeline so far is written now; the fonts' mark is known once they are.
  render_.AwaitFonts();
  const HostWindow::StartupMarks marks = window_.Startup();
  WriteLogF(64, "startup fonts ms=%lld", static_cast<long long>(fontsReadyMs_));
  WriteLogF(64, "startup window ms=%lld", static_cast<long long>(marks.windowMs));
  WriteLogF(64, "startup gl ms=%lld", static_cast<long long>(marks.glMs));
  WriteLogF(64, "startup boot ms=%lld", static_cast<long long>(MsSinceProcessStart()));
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
  if (id == kEngineTimer) {
    window_.KillTimer(kEngineTimer);
    StartMediaEngine();
    return;
  }
  if (id == kLastChannelTimer) {
    window_.KillTimer(kLastChannelTimer);
    playback_.StartOnLastChannel();
    return;
  }
  if (id == kQuestionTimer) {
    window_.KillTimer(kQuestionTimer);
    AskPostedQuestion();
    return;
  }
  if (id == kHoverTimer) {
    playback_.HoverTick(TickMs());
    return;
  }
  if (id != kTickTimer) return;
  if (RunTickSteps(tickSteps_, TickMs(), mailbox_.HandlerWaiting(), state_.StatusText)) window_.RequestPaint();
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

void Application::RestartIdlePreview() { playback_.RestartIdlePreview(); }
void Application::PlayEpisode(const Episode& episode) { playback_.PlayEpisode(episode); }
void Application::PlayResolvedTrailer(const TrailerResolved& trailer) { playback_.PlayResolvedTrailer(trailer); }
void Application::BackdropChanged() { render_.ForgetBackdrop(); }
void Application::CatalogSettled() { StartWholeGuideJob(state_, mailbox_); }
void Application::CatalogChanged(const CatalogChange& change) { navigator_.CatalogChanged(change); }
void Application::GuidesUpdated() { navigator_.GuidesUpdated(); }

// The last channel may ask for its PIN: never from inside the merge that
// brought the lists, whose handler must finish first.
void Application::LiveListsReady() { window_.SetTimer(kLastChannelTimer, 0, false); }
void Application::IconsSettling() { window_.SetTimer(kIconTimer, kIconSettleMs, false); }

// --- Actions ----------------------------------------------------------------

void Application::Quit() {
  // The exit tile saves as well: a pending change (history, volume) would
  // otherwise be lost on this path.
  SaveSettings(state_.settings);
  window_.Quit(0);
}

void Application::OnCloseRequested() { Quit(); }

// The startup timeline ends with the first frame on screen, counted from exec
// so that loading and linking count too.
// Loading the media engine (its library and its first player) takes longer
// than the window and GL together, so it starts once the first frame is
// shown, on the next pass of the loop rather than inside the frame.
// The settings the boot read are written back here, before the line that
// says the frame is shown, so whoever waits for that line finds the file.
void Application::OnFramePresented() {
  if (firstFrameLogged_) return;
  firstFrameLogged_ = true;
  const int64_t shownMs = MsSinceProcessStart();
  SaveSettings(state_.settings);
  WriteLogF(64, "startup first frame ms=%lld", static_cast<long long>(shownMs));
  window_.SetTimer(kEngineTimer, 0, false);
}

void Application::StartMediaEngine() {
  if (!playback_.Start()) WriteLog("media engine not available");
  WriteLogF(64, "startup engine ms=%lld", static_cast<long long>(MsSinceProcessStart()));
}

void Application::ToggleMaximized() { window_.ToggleMaximized(); }
void Application::SaveSettingsNow() {
  SetCurrentLanguageCode(state_.settings.Lang);
  SaveSettings(state_.settings);
}

// The video rectangle follows the window: every size change (a resize,
// F11, a display change) places it again for the screen shown.
void Application::OnResize(int /*width*/, int /*height*/) { playback_.OnResize(); }

void Application::Repaint() { window_.RequestPaint(); }

void Application::OpenInBrowser(const std::u16string& url) {
  if (!OpenUrlInBrowser(WideToUtf8(url))) WriteLog("browser could not be opened");
}

// --- The frame --------------------------------------------------------------

// On the Player the notice and the modal are painted on the strip layer,
// above the strips (which lie above the interface layer); elsewhere on the
// interface layer. Either way once.
bool Application::OverlaysOnStrips() const {
  return state_.CurrentScreen == Screen::Player || state_.nav.fullVideo;
}

void Application::PaintOverlays(int width, int height) {
  PaintStreamNoticeOverVideo(width, height);
  if (OverlaysOnStrips()) {
    const RectF box = PlayerToastRect(StripLayoutFor(state_, width, height), width);
    render_.DrawToast(state_.toast.text, state_.toast.hideAtMs, TickMs(), box);
  } else {
    const RectF box = screens_[state_.CurrentScreen].NoticeRect(state_, width, height);
    render_.DrawToast(state_.toast.text, state_.toast.hideAtMs, TickMs(), box);
  }
  render_.MarkTexts("modal");
  if (const Modal* modal = modal_.Current()) modal->Paint(render_);
}

// A lost stream is said where it shows: over the Player's picture or the
// Live preview (the multi-view's tiles say it in their own places).
void Application::PaintStreamNoticeOverVideo(int width, int height) {
  const Screen screen = state_.CurrentScreen;
  if (screen != Screen::Player && screen != Screen::Live) return;
  const PixelRect video = VideoRectFor(screen, state_.nav.fullVideo, width, height);
  if (video.empty()) return;
  PaintStreamNotice(render_, state_.Playing().reconnect,
                    RectF{double(video.x), double(video.y), double(video.x + video.w), double(video.y + video.h)});
}

// Off the Player the strip layer holds nothing (its texts are recorded as
// none), and saying so spares the compositor reading it.
bool Application::OnPaintStrips(Canvas& canvas, int width, int height) {
  render_.BeginFrame(canvas, width, height, state_.settings.DashColor);
  render_.RecordTexts("strips");
  const bool onPlayer = OverlaysOnStrips();
  if (onPlayer) {
    PaintStrips(render_, state_, width, height, NowUnix());
    PaintOverlays(width, height);
  }
  render_.EndFrame();
  return onPlayer;
}

void Application::OnPaintInterface(Canvas& canvas, int width, int height) {
  const LocalTime now = ToLocalTime(NowUnix());
  paintedMinute_ = MinuteOfDay(now);
  navigator_.SetSurfaceSize(width, height);
  // The strip layer, painted after this one, draws icons as well: the misses
  // of both count until the next interface frame.
  render_.Icons().ForgetMisses();
  screens_[state_.CurrentScreen].PrepareFrame(render_, state_, width, height);
  render_.BeginFrame(canvas, width, height, state_.settings.DashColor);
  render_.RecordTexts("interface");
  screens_[state_.CurrentScreen].Paint(render_, state_, now);
  if (!OverlaysOnStrips()) PaintOverlays(width, height);
  render_.EndFrame();
}
