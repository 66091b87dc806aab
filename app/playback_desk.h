#pragma once
// What the application does around the video tile's Player
// (PlaybackActions): the parental gate before any live channel plays (the
// one place that asks for a channel's PIN), the guide
// request, history and resume, the screen changes, the strips, the track
// picker, the external player and the trailer; and what it does about the
// Player's events. The Player itself only plays (player/player.h). Main
// thread only.
#include <cstdint>
#include <string>

#include "app/jobs.h"
#include "app/job_results.h"
#include "app/multiview_desk.h"
#include "app/playback_control.h"
#include "platform/host_window.h"
#include "player/player.h"
#include "state/app_state.h"
#include "ui/modals/modal_slot.h"
#include "ui/nav/navigator.h"
#include "ui/screens/screen_actions.h"

class PlaybackDesk final : public PlaybackActions {
 public:
  // `navigator` may still be under construction: it is used only once
  // events arrive.
  PlaybackDesk(AppState& state, HostWindow& window, JobMailbox& mailbox, ModalSlot& modal, Navigator& navigator,
               WindowActions& windowActions);

  // Creates the Player's engine and attaches its video to the window; false
  // when the media engine is not available (the program runs on without video).
  bool Start();
  // The render context goes before the player, the player before the window.
  void Shutdown();

  // The tick's step: the Player's own once-a-second supervision.
  void Tick(uint64_t nowMs);
  // The hover check of the Player screen (every 50 ms while the video
  // fills the window): the strips follow the pointer, and the position the
  // strips show is sampled. Nothing while a prompt is open.
  void HoverTick(uint64_t nowMs);
  // The video rectangle follows the window: every size change (a resize,
  // F11, a display change) places it again for the screen shown.
  void OnResize();
  // A catalog result arrived while the Live preview is idle.
  void RestartIdlePreview();
  // Once per run, with the preference on: the last live channel played
  // fills the window as soon as both the lists and the engine are ready,
  // unless the user has meanwhile left Home or something plays. It may ask
  // for the PIN, so it runs from a timer or the engine's start, never inside
  // a merge of job results.
  void StartOnLastChannel();
  void PlayResolvedTrailer(const TrailerResolved& trailer);
  // A written recording plays full window as a movie would (seek, resume,
  // tracks); its resume point is kept under "rec:<id>".
  void PlayRecordingFile(const Recording& recording);
  // A reminder's "Watch now": channel `id` plays full window, selected in
  // the live list ("All" when the list shown lacks it), past the parental
  // gate. False when the catalog lacks it or the gate refuses.
  bool WatchChannel(std::u16string_view id);

  // PlaybackActions
  void ApplyVolume(int volume) override;
  void LayoutVideo() override;
  bool PlaySelectedChannel(LiveStart start, bool keepPlaying) override;
  void StopPlayback() override;
  void PlayMovie(const CatalogItem& movie) override;
  void PlayEpisode(const Episode& episode) override;
  void ApplyPlayerSettings() override;
  void ChooseTrack(TrackKind kind) override;
  void OpenInExternalPlayer() override;
  void EnterFullVideo() override;
  void LeavePlayer() override;
  void StepChannel(int direction) override;
  void StepVod(int delta) override;
  void TogglePause() override;
  bool SkipLive(double seconds) override;
  bool JumpToLive() override;
  void PlayPreviousChannel() override;
  void SeekBy(double seconds) override;
  void SeekToShare(double share) override;
  void CycleAspect() override;
  void UpdateStrips() override;
  void PlayCatchup(int guideRow) override;
  void PlayCatchupSlot(int64_t start, int minutes) override;
  void PlayTrailer() override;
  MultiViewActions& MultiView() override { return multiview_; }

 private:
  // The gate for the selected channel (ui/modals/pin_gate.h).
  bool PassGate(LiveStart start);
  // Plays the selected channel, for a viewing or a restart; the gate is
  // passed.
  void PlayChannel(LivePlay why);
  // What the Player reported (from its Tick).
  void OnPlayerEvent(const PlayerEvent& event);
  // Sets the video tile's rectangle for the current screen and the
  // window's size.
  PixelRect PlaceVideo();
  // The reconnection of a lost stream moved on: its message is painted again.
  void RepaintStreamState();
  // The Player's stream was refused or cut: say so and leave the Player.
  void LeaveDeadStream();
  // After a movie, an episode, a programme or the trailer started: the
  // Player screen, the video filling the window.
  void ShowPlayer();
  // Catch-up of the selected channel's `programme`, full window.
  void Replay(const EpgEntry& programme);

  AppState& state_;
  HostWindow& window_;
  JobMailbox& mailbox_;
  ModalSlot& modal_;
  Navigator& navigator_;
  WindowActions& windowActions_;
  bool startedOnLast_ = false;  // StartOnLastChannel ran its course
  // The video tile; the multi-view's first tile.
  Player player_;
  // The multi-view's further tiles.
  MultiViewDesk multiview_;
  uint32_t trailerRequest_ = 0;  // the newest trailer press; older results are dropped
};
