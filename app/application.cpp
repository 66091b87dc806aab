#include "app/application.h"

#include "app/catalog_jobs.h"
#include "app/content_jobs.h"
#include "app/job_messages.h"
#include "store/runtime_log.h"
#include "catalog/categories.h"
#include "ui/nav/live_navigation.h"
#include "panel/messages.h"
#include "platform/clock.h"
#include "player/playback.h"
#include "player/video_layout.h"
#include "platform/process.h"
#include "store/settings_file.h"
#include "ui/i18n/translate.h"
#include "ui/render/icon_cache.h"
#include "ui/screens/home_screen.h"

namespace {

constexpr int kTickTimer = 1;
constexpr int kIconTimer = 8;
constexpr uint32_t kTickMs = 1000;
constexpr uint32_t kIconSettleMs = 280;

// Background of the screens whose painters come later.
constexpr Rgba kPlaceholderClear{0.04, 0.05, 0.08, 1};

}  // namespace

Application::Application() : render_(ExecutableFolder()) {
  render_.SetIconCache(std::make_unique<IconCache>(
      ThreadedIconDownloads([] { HostWindow::PostJobMessage(JobMessage::IconReady, 0); })));
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
    videoLayer_ = std::make_unique<MpvVideoLayer>(engine_, window_);
    if (videoLayer_->Create()) window_.SetVideoLayer(videoLayer_.get());
  } else {
    WriteLog("media engine not available");
  }
  window_.SetTimer(kTickTimer, kTickMs, true);
  StartBoot(state_, mailbox_);
  StartBackdropJob(state_, mailbox_);
  window_.RequestPaint();
  return window_.Run();
}

// --- Input ------------------------------------------------------------------

void Application::OnKey(int vk) {
  if (question_) {
    answer_ = QuestionOnKey(*question_, vk);
    window_.RequestPaint();
    return;
  }
  navigator_.OnKey(vk, TickMs());
}

void Application::OnChar(char16_t ch) {
  if (question_) return;
  navigator_.OnChar(ch);
}

void Application::OnPointer(const PointerEvent& event) {
  if (event.kind != PointerEvent::Kind::Up) return;
  if (question_) {
    answer_ = QuestionOnClick(*question_, event.x, event.y, window_.Width(), window_.Height());
    window_.RequestPaint();
    return;
  }
  if (state_.CurrentScreen == Screen::Home) OnHomeClick(event.x, event.y);
}

void Application::OnHomeClick(double x, double y) {
  HomeView view;
  view.panelOpen = state_.nav.MessagesOpen;
  view.messagesMode = state_.nav.MessagesMode;
  view.replyOpen = state_.nav.compose.composeOpen;
  const HomeHit hit = HomeHitTest(x, y, window_.Width(), window_.Height(), view);
  switch (hit.kind) {
    case HomeHit::Kind::Tile:
      state_.nav.HomeIndex = hit.index;
      navigator_.ActivateHomeTile(hit.index);
      break;
    case HomeHit::Kind::Bell: navigator_.OpenMessagesPanel(true); break;
    case HomeHit::Kind::Swatch:
      state_.settings.DashColor = hit.index;
      SaveSettingsNow();
      break;
    case HomeHit::Kind::ActionButton:
      if (hit.index == 1) navigator_.ActivateHomeTile(1);
      if (hit.index == 2) navigator_.OpenMessagesPanel(false);
      break;
    case HomeHit::Kind::PanelButton:
      // The reply button acts like Enter in the panel; the other closes it.
      navigator_.OnKey(hit.index == 0 ? 0x0D : 0x1B, TickMs());
      break;
    default: break;
  }
  window_.RequestPaint();
}

// --- Jobs and timers --------------------------------------------------------

void Application::Post(uint32_t id, uintptr_t wparam) { HostWindow::PostJobMessage(id, wparam); }

void Application::OnJobMessage(uint32_t id, uintptr_t wparam) {
  mailbox_.MergeAll(state_);
  switch (id) {
    case JobMessage::CatalogReady: OnCatalogReady(wparam); break;
    case JobMessage::TrendingReady: OnTrendingReady(wparam); break;
    case JobMessage::PanelUpdated: OnPanelUpdated(); break;
    case JobMessage::SeriesInfoReady: OnSeriesInfoReady(); break;
    case JobMessage::IconReady: window_.SetTimer(kIconTimer, kIconSettleMs, false); break;
    default: window_.RequestPaint(); break;
  }
}

void Application::OnCatalogReady(uintptr_t wparam) {
  state_.StatusText.clear();
  state_.nav.ReloadingNotice = false;
  RebuildLiveList(state_.catalog, state_.settings, state_.nav.live, state_.VisibleLive);
  const VodKind kind = wparam == 2 || (wparam == 0 && state_.CurrentScreen == Screen::Series) ? VodKind::Series
                                                                                                : VodKind::Movies;
  RebuildItemList(state_.catalog, kind, state_.settings, state_.nav.ItemCategoryIndex, state_.VisibleItems);
  if (state_.CurrentScreen == Screen::Live && engine_.Ready() && engine_.GetProperty("idle-active") == u"yes") {
    // A reload that finishes while the preview is idle restarts it.
    if (state_.nav.ChannelIndex < 0 || state_.nav.ChannelIndex >= static_cast<int>(state_.VisibleLive.size())) {
      const bool locked = CurrentLiveCategoryLocked(state_.catalog.LiveCategories, state_.nav.live.LiveCategoryIndex);
      state_.nav.ChannelIndex = DefaultChannelIndex(state_.VisibleLive, state_.settings, locked);
    }
    state_.playback.lastLiveLoadTick = 0;
    PlaySelectedChannel();
  }
  if (state_.CurrentScreen == Screen::Home) StartBackdropJob(state_, mailbox_);
  window_.RequestPaint();
  StartLazyLoads(state_, mailbox_);
}

void Application::OnTrendingReady(uintptr_t wparam) {
  render_.ForgetBackdrop();
  if (wparam == JobMessage::kTrendingNewData) StartBackdropJob(state_, mailbox_);
  window_.RequestPaint();
}

void Application::OnPanelUpdated() {
  if (state_.nav.MessagesOpen && state_.nav.MessagesMode) state_.nav.PanelBody = BuildThreadText(state_.panel.messages);
  window_.RequestPaint();
}

void Application::OnSeriesInfoReady() {
  NavState& nav = state_.nav;
  nav.EpisodeIndex = 0;
  const bool none = state_.series.Episodes.empty();
  nav.EpisodesOpen = !none;
  state_.StatusText = none ? u"No episodes" : u"";
  window_.RequestPaint();
}

void Application::OnTimer(int id) {
  if (id == kTickTimer) {
    OnTick();
    return;
  }
  if (id == kIconTimer) {
    window_.KillTimer(kIconTimer);
    window_.RequestPaint();
  }
}

// The one-second tick, step by step.
void Application::OnTick() {
  const uint64_t now = TickMs();
  if (state_.SettingsDirty) {
    state_.SettingsDirty = false;
    SaveSettings(state_.settings);
  }
  // The clock shows minutes: repaint when the shown minute changes rather
  // than redrawing an identical frame every second.
  if (state_.CurrentScreen == Screen::Home) {
    const LocalTime local = ToLocalTime(NowUnix());
    const int minuteOfDay = local.hour * 60 + local.minute;
    if (minuteOfDay != paintedMinute_) window_.RequestPaint();
  }
  // A toast is repainted while it shows and once more to take it away.
  if (!state_.toast.text.empty()) {
    window_.RequestPaint();
    if (!state_.toast.Visible(now)) state_.toast.text.clear();
  }
  CheckAutoReload(state_, mailbox_, now);
  CheckPanelPoll(state_, mailbox_, now);
  StartLazyLoads(state_, mailbox_);
}

// --- Actions ----------------------------------------------------------------

bool Application::AskYesNo(const std::u16string& title, const std::u16string& text, bool defaultYes) {
  question_ = MakeQuestion(title, text, defaultYes ? QuestionDialog::kYes : QuestionDialog::kNo);
  answer_ = QuestionAnswer::Pending;
  state_.nav.QuestionOpen = true;
  window_.RequestPaint();
  window_.RunNestedUntil([this] { return answer_ != QuestionAnswer::Pending; });
  const bool yes = answer_ == QuestionAnswer::Yes;
  question_.reset();
  state_.nav.QuestionOpen = false;
  window_.RequestPaint();
  return yes;
}

void Application::Quit() {
  // The exit tile saves as well: a pending change (history, volume) would
  // otherwise be lost on this path.
  SaveSettings(state_.settings);
  window_.Quit(0);
}

void Application::OnCloseRequested() {
  SaveSettings(state_.settings);
  window_.Quit(0);
}

void Application::StartFullReload() { ::StartFullReload(state_, mailbox_); }
void Application::StartPanelCheck() { ::StartPanelCheck(state_, mailbox_); }
void Application::StartSportsFetch() { StartSportsJob(state_, mailbox_); }

void Application::SendReply(const std::u16string& text) {
  PanelState panel = state_.panel;
  PanelSettings settings = PanelSettings::From(state_.settings);
  StartJob([this, panel = std::move(panel), settings = std::move(settings), text]() mutable {
    SendJobResult result = RunSendJob(std::move(panel), std::move(settings), text);
    mailbox_.Deliver(JobMessage::PanelUpdated, 0, [result = std::move(result)](AppState& state) {
      MergeSendResult(result, state.panel, state.settings, state.account);
      state.nav.MessagesOpen = true;
      state.nav.MessagesMode = true;
      state.nav.PanelBody = result.threadText;
      state.StatusText = std::u16string(Translate(result.statusKey));
    });
  });
}

void Application::ToggleMaximized() { window_.ToggleMaximized(); }
void Application::ApplyVolume(int volume) { engine_.SetVolume(volume); }
void Application::SaveSettingsNow() {
  SetCurrentLanguageCode(state_.settings.Lang);
  SaveSettings(state_.settings);
}
void Application::ScreenChanged(Screen from, Screen to) {
  // Leaving the Live/Player pair stops playback.
  const bool videoBefore = ShowsVideo(from, false);
  if (videoBefore && !ShowsVideo(to, state_.nav.fullVideo)) engine_.Stop();
  LayoutVideo();
  if (to == Screen::Live && !state_.VisibleLive.empty() &&
      !CurrentLiveCategoryLocked(state_.catalog.LiveCategories, state_.nav.live.LiveCategoryIndex)) {
    PlaySelectedChannel();  // the preview follows the selection
  }
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
  callbacks.layoutVideo = [this] { LayoutVideo(); };
  callbacks.requestGuide = [this](std::u16string_view id) { StartGuideJob(state_, mailbox_, id); };
  PlayLive(state_, engine_, TickMs(), callbacks);
  window_.RequestPaint();
}
void Application::Repaint() { window_.RequestPaint(); }

// --- Painting ---------------------------------------------------------------

void Application::PaintScreenBackground(Screen screen) {
  render_.Clear(kPlaceholderClear);
  render_.DrawBackButton(render_.BackButtonRect());
  static constexpr int kMenuWordOf[] = {kMenuHome, kMenuLive, kMenuMovies, kMenuSeries, kMenuPlaylist, kMenuSports,
                                        kMenuSettings, kMenuLive, kMenuLive, kMenuSearch, kMenuLive};
  const auto index = static_cast<size_t>(screen);
  const int word = index < std::size(kMenuWordOf) ? kMenuWordOf[index] : kMenuHome;
  render_.DrawLabel(FontId::Title, MenuWord(CurrentLanguage(), word), render_.Design(180, 36, 1200, 110),
                    render_.Brush().Accent);
  if (!state_.StatusText.empty())
    render_.DrawLabel(FontId::Hint, state_.StatusText, render_.Design(180, 120, 1800, 160), render_.Brush().Accent);
}

// The Live screen until its lists arrive: the header, the channel playing
// and the preview hole through which the video shows.
void Application::PaintLivePlaceholder() {
  PaintScreenBackground(Screen::Live);
  const int index = state_.nav.ChannelIndex;
  if (index >= 0 && index < static_cast<int>(state_.VisibleLive.size())) {
    const CatalogItem& channel = state_.VisibleLive[index];
    std::u16string line = std::u16string(channel.num()) + u"  " + CleanDisplayName(channel.name());
    render_.DrawTrimmed(FontId::Label, line, render_.Design(60, 140, 930, 190), render_.Brush().White);
  }
  const PixelRect hole = VideoRectFor(Screen::Live, false, render_.Width(), render_.Height());
  cairo_t* cr = render_.Cr();
  cairo_save(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_rectangle(cr, hole.x, hole.y, hole.w, hole.h);
  cairo_fill(cr);
  cairo_restore(cr);
}

void Application::OnPaintInterface(cairo_t* cr, int width, int height) {
  const LocalTime now = ToLocalTime(NowUnix());
  paintedMinute_ = now.hour * 60 + now.minute;
  render_.BeginFrame(cr, width, height, state_.settings.DashColor);
  if (state_.CurrentScreen == Screen::Home) {
    HomeView view;
    view.homeIndex = state_.nav.HomeIndex;
    view.dashColor = state_.settings.DashColor;
    view.twelveHour = state_.settings.TimeFormat == 1;
    view.language = CurrentLanguage();
    view.backdropKey = state_.trending.empty() ? std::u16string() : state_.trending.front().imageUrl;
    view.backdropGeneration = state_.BackdropGeneration;
    view.messageCount = static_cast<int>(state_.panel.messages.size());
    if (!state_.panel.messages.empty()) {
      const PanelMessage& newest = state_.panel.messages.back();
      view.newestMessageKey = std::u16string(MessageSeenKey(newest.id, newest.text));
    }
    view.inboxSeenId = state_.settings.InboxSeenId;
    view.statusText = state_.StatusText;
    view.reloading = state_.nav.ReloadingNotice;
    view.panelOpen = state_.nav.MessagesOpen;
    view.messagesMode = state_.nav.MessagesMode;
    view.replyOpen = state_.nav.compose.composeOpen;
    view.panelText = state_.nav.PanelBody;
    view.replyText = state_.nav.compose.composeText;
    view.now = now;
    PaintHome(render_, view);
  } else if (state_.CurrentScreen == Screen::Live) {
    PaintLivePlaceholder();
  } else if (state_.CurrentScreen != Screen::Player) {
    PaintScreenBackground(state_.CurrentScreen);
  }
  render_.DrawToast(state_.toast.text, state_.toast.hideAtMs, TickMs());
  if (question_) PaintQuestion(render_, *question_);
  render_.EndFrame();
}
