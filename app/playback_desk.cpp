#include "app/playback_desk.h"

#include <algorithm>

#include "app/guide_jobs.h"
#include "app/playback_control.h"
#include "app/timer_ids.h"
#include "catalog/channel_choice.h"
#include "i18n/translate.h"
#include "net/text.h"
#include "platform/clock.h"
#include "player/video_layout.h"
#include "store/runtime_log.h"
#include "store/settings_file.h"
#include "ui/modals/pin_gate.h"
#include "ui/screens/live_actions.h"
#include "ui/screens/player_strips.h"

namespace {

constexpr uint32_t kHoverMs = 50;
constexpr uint64_t kStreamFailNoticeMs = 3000;
constexpr uint64_t kBufferingNoticeMs = 1200;
constexpr uint64_t kCatchupNoMs = 3500;

// How the video tile is shown decides what its Player watches for.
PlayerView ViewOf(Screen screen) {
  if (screen == Screen::Player) return PlayerView::Full;
  if (screen == Screen::Live) return PlayerView::Preview;
  return PlayerView::Hidden;
}

}  // namespace

PlaybackDesk::PlaybackDesk(AppState& state, HostWindow& window, JobMailbox& mailbox, ModalSlot& modal,
                           Navigator& navigator, WindowActions& windowActions)
    : state_(state), window_(window), mailbox_(mailbox), modal_(modal), navigator_(navigator),
      windowActions_(windowActions),
      multiview_(state, window, player_, PinPrompt(modal), [this] { PlayChannel(LivePlay::Viewing); },
                 [&window](Player& player) { return player.Init() && player.AttachVideo(window); }) {
  state_.playing = &player_.Playback();
  state_.connections.SetLimitSource([&state] { return state.provider.MaxConnections(); });
  player_.SetBudget(&state_.connections, "main");
  player_.SetObserver([this](const PlayerEvent& event) { OnPlayerEvent(event); });
}

bool PlaybackDesk::Start() {
  player_.SetLiveBuffer(state_.preferences.liveBufferMinutes);
  if (!player_.Init()) return false;
  player_.AttachVideo(window_);
  StartOnLastChannel();
  return true;
}

void PlaybackDesk::StartOnLastChannel() {
  if (startedOnLast_ || !state_.preferences.startOnLastChannel) return;
  if (!player_.Ready() || state_.VisibleLive.empty()) return;
  startedOnLast_ = true;
  if (state_.CurrentScreen != Screen::Home || !player_.Playback().lastUrl.empty()) return;
  if (!SelectPreviousChannel(state_)) return;
  if (!PassGate(LiveStart::Chosen)) return;
  WriteLogF(256, "start on last channel id=%s",
            WideToUtf8(state_.VisibleLive[size_t(state_.nav.ChannelIndex)].id()).c_str());
  PlayChannel(LivePlay::Viewing);
  EnterFullVideo();
}

void PlaybackDesk::Shutdown() {
  window_.SetVideoTiles({});
  multiview_.Shutdown();
  player_.Shutdown();
}

void PlaybackDesk::Tick(uint64_t nowMs) {
  const bool tiles = state_.CurrentScreen == Screen::MultiView;
  player_.Tick(nowMs, tiles ? multiview_.MainView() : ViewOf(state_.CurrentScreen));
  if (tiles) multiview_.Tick(nowMs);
}

void PlaybackDesk::OnResize() {
  if (PlaceVideo().empty()) return;
  UpdateStrips();
}

// The Player's events arrive from inside its Tick: what the application
// does about them may play something again, change the screen or ask for
// the PIN.
void PlaybackDesk::OnPlayerEvent(const PlayerEvent& event) {
  if (state_.multiView.Open()) {
    multiview_.OnMainEvent(event);
    return;
  }
  const uint64_t now = TickMs();
  switch (event.kind) {
    case PlayerEvent::Kind::Buffering:
      ShowNotice(state_, std::u16string(Translate("buffering")), kBufferingNoticeMs, now);
      return;
    case PlayerEvent::Kind::ResumePoint:
      if (StoreResume(state_, event.resume) != ResumeSave::Nothing) SaveSettings(state_.settings);
      return;
    case PlayerEvent::Kind::Ended: {
      const bool next = FinishVod(state_, player_, event.resume, now);
      SaveSettings(state_.settings);
      if (next) ShowPlayer();
      return;
    }
    case PlayerEvent::Kind::RestartPreview:
      if (PassGate(LiveStart::Preview)) PlayChannel(LivePlay::Restart);
      return;
    // The Player reconnects in place; the screen shows where it stands.
    case PlayerEvent::Kind::Reconnecting:
    case PlayerEvent::Kind::Reconnected:
      RepaintStreamState();
      return;
    case PlayerEvent::Kind::Failed:
      if (event.failure == PlayerFailure::ConnectionLost) {
        RepaintStreamState();
        return;
      }
      if (event.failure == PlayerFailure::StreamRefused) {
        LeaveDeadStream();
        return;
      }
      // Back to the list the programme was chosen from.
      LeavePlayer();
      ShowNotice(state_, std::u16string(Translate("catchup_no")), kCatchupNoMs);
      return;
  }
}

// On the Player the stream's state is drawn on the strip layer, elsewhere
// on the interface.
void PlaybackDesk::RepaintStreamState() {
  window_.RequestPaint();
  window_.RequestStripPaint();
}

void PlaybackDesk::HoverTick(uint64_t nowMs) {
  // A prompt waits on the handler that opened it: the strips stay as they
  // were until it is answered.
  if (modal_.Open()) return;
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

void PlaybackDesk::RestartIdlePreview() {
  if (state_.CurrentScreen != Screen::Live || !player_.Ready()) return;
  if (player_.Property("idle-active") != u"yes") return;
  NavState& nav = state_.nav;
  if (nav.ChannelIndex < 0 || nav.ChannelIndex >= static_cast<int>(state_.VisibleLive.size())) {
    nav.ChannelIndex = DefaultChannelIndex(state_.VisibleLive, state_.settings, state_.catalog.LiveCategories, nav.live);
  }
  // A catalog result never raises the PIN prompt by itself: a locked
  // channel's preview starts when the user asks for it.
  if (!PassGate(LiveStart::Preview)) return;
  player_.ForceNextLiveLoad();
  PlayChannel(LivePlay::Restart);
}

void PlaybackDesk::ApplyVolume(int volume) {
  if (state_.multiView.Open()) multiview_.ApplyVolumes();
  else player_.SetVolume(volume);
}

PixelRect PlaybackDesk::PlaceVideo() {
  if (state_.CurrentScreen == Screen::MultiView && state_.multiView.Open()) {
    multiview_.Place(window_.Width(), window_.Height());
    return PixelRect{0, 0, window_.Width(), window_.Height()};
  }
  const PixelRect rect = VideoRectFor(state_.CurrentScreen, state_.nav.fullVideo, window_.Width(), window_.Height());
  player_.Place(rect);
  window_.SetVideoTiles({player_.Tile()});
  return rect;
}

void PlaybackDesk::LayoutVideo() {
  const PixelRect rect = PlaceVideo();
  const bool full = state_.CurrentScreen == Screen::Player || state_.nav.fullVideo;
  if (full) window_.SetTimer(kHoverTimer, kHoverMs, true);
  else window_.KillTimer(kHoverTimer);
  UpdateStrips();
  if (!rect.empty()) player_.ResetPictureEffects();
}

// The strips show while their deadline lies ahead on the Player screen; the
// strip layer is painted again either way (hidden strips paint nothing).
void PlaybackDesk::UpdateStrips() {
  PlayerScreenControls& controls = state_.playerScreen;
  const bool full = state_.CurrentScreen == Screen::Player || state_.nav.fullVideo;
  const bool shown = full && TickMs() < controls.stripsUntil;
  if (!shown && controls.stripsShown) player_.ClearOverlay();
  controls.stripsShown = shown;
  const int height = window_.Height();
  player_.SetSubtitlePosition(SubtitlePosition(StripLayoutFor(state_, window_.Width(), height), height, shown));
  if (shown) player_.Sample();
  window_.RequestStripPaint();
}

bool PlaybackDesk::PassGate(LiveStart start) { return GateSelectedChannel(PinPrompt(modal_), state_, start); }

bool PlaybackDesk::PlaySelectedChannel(LiveStart start, bool keepPlaying) {
  const int index = state_.nav.ChannelIndex;
  if (index < 0 || index >= int(state_.VisibleLive.size())) return false;
  const bool plays = player_.Playback().lastChannelId == state_.VisibleLive[size_t(index)].id();
  if (!PassGate(start)) return false;
  state_.nav.GuideRowIndex = 0;
  if (!(keepPlaying && plays)) PlayChannel(LivePlay::Viewing);
  return true;
}

void PlaybackDesk::PlayChannel(LivePlay why) {
  PlayLive(state_, player_, TickMs(), [this](std::u16string_view id) { StartGuideJob(state_, mailbox_, id); }, why);
  if (state_.CurrentScreen != Screen::Player) return;
  KeepPlayerAfterZap(state_, TickMs());
  UpdateStrips();
}

void PlaybackDesk::EnterFullVideo() {
  state_.nav.fullVideo = true;
  state_.playerScreen.liveStripExpanded = false;
  state_.playerScreen.stripsUntil = 0;
  navigator_.SetScreen(Screen::Player);
  window_.RequestPaint();
}

void PlaybackDesk::LeavePlayer() {
  bool settingsChanged = false;
  const Screen target = LeavePlayerTarget(state_, player_, settingsChanged);
  if (settingsChanged) SaveSettings(state_.settings);
  navigator_.SetScreen(target);
  window_.RequestPaint();
}

void PlaybackDesk::LeaveDeadStream() {
  // A trailer that reached its end is no failure.
  if (!state_.Playing().PlayingTrailer()) {
    ShowNotice(state_, std::u16string(Translate("stream_fail")), kStreamFailNoticeMs);
  }
  LeavePlayer();
}

void PlaybackDesk::StepChannel(int direction) {
  const uint64_t pressed = TickMs();
  if (!StepToAllowedChannel(PinPrompt(modal_), state_, direction)) return;
  const uint64_t loaded = player_.Playback().lastLiveLoadTick;
  PlayChannel(LivePlay::Viewing);
  if (player_.Playback().lastLiveLoadTick != loaded) player_.WatchFirstFrame(pressed);
}

void PlaybackDesk::StepVod(int delta) {
  if (::StepVod(state_, player_, delta, TickMs())) ShowPlayer();
}

void PlaybackDesk::TogglePause() {
  TogglePauseWithNotice(state_, player_, TickMs());
  UpdateStrips();
}

bool PlaybackDesk::SkipLive(double seconds) {
  if (!player_.SkipLive(seconds, TickMs())) return false;
  UpdateStrips();
  return true;
}

bool PlaybackDesk::JumpToLive() {
  if (!player_.JumpToLive(TickMs())) return false;
  UpdateStrips();
  return true;
}

// The previous channel may lie outside the list shown: it is looked for in
// the list, then in "Recently Viewed", where every played channel is.
void PlaybackDesk::PlayPreviousChannel() {
  const uint64_t pressed = TickMs();
  if (!SelectPreviousChannel(state_)) return;
  if (!PassGate(LiveStart::Chosen)) return;
  const uint64_t loaded = player_.Playback().lastLiveLoadTick;
  PlayChannel(LivePlay::Viewing);
  if (state_.CurrentScreen == Screen::Player && player_.Playback().lastLiveLoadTick != loaded)
    player_.WatchFirstFrame(pressed);
}

void PlaybackDesk::SeekBy(double seconds) {
  if (state_.Playing().PlayingRecording()) SeekWithNotice(state_, player_, seconds, TickMs());
}

void PlaybackDesk::SeekToShare(double share) {
  player_.Sample();
  if (state_.Playing().PlayingRecording()) player_.SeekToShare(share);
}

void PlaybackDesk::CycleAspect() { ::CycleAspect(state_, player_, TickMs()); }

void PlaybackDesk::StopPlayback() { player_.Stop(); }

void PlaybackDesk::PlayMovie(const CatalogItem& movie) {
  modal_.Cancel();
  if (PlayVod(state_, player_, movie, nullptr, TickMs())) ShowPlayer();
  else window_.RequestPaint();
}

void PlaybackDesk::PlayRecordingFile(const Recording& recording) {
  modal_.Cancel();
  if (PlayRecording(state_, player_, recording, TickMs())) ShowPlayer();
  else window_.RequestPaint();
}

bool PlaybackDesk::WatchChannel(std::u16string_view id) {
  if (!SelectChannelById(state_, id)) return false;
  if (!PassGate(LiveStart::Chosen)) return false;
  PlayChannel(LivePlay::Viewing);
  if (!player_.Playback().lastChannelId.empty()) EnterFullVideo();
  return true;
}

void PlaybackDesk::PlayEpisode(const Episode& episode) {
  modal_.Cancel();
  const auto& episodes = state_.series.Episodes;
  const auto found = std::find(episodes.begin(), episodes.end(), episode);
  if (found != episodes.end()) state_.nav.EpisodeIndex = int(found - episodes.begin());
  const CatalogItem series = state_.SeriesShown;
  if (PlayVod(state_, player_, series, &episode, TickMs())) ShowPlayer();
  else window_.RequestPaint();
}

// The screen the stream was chosen on is left through the navigator, which
// places the video; the stream itself goes on (the video stays on the
// Player screen, so no screen stops it).
void PlaybackDesk::ShowPlayer() {
  if (state_.CurrentScreen != Screen::Player) navigator_.SetScreen(Screen::Player);
  else LayoutVideo();
  window_.RequestPaint();
}

void PlaybackDesk::ApplyPlayerSettings() {
  player_.SetLiveBuffer(state_.preferences.liveBufferMinutes);
  player_.ApplyPreferences(PreferencesFrom(state_.settings));
}
