#pragma once
// The application: the window, the state, the jobs, the screens and the
// video tile's Player wired together. It receives every window event and
// hands it on: input to the navigator (which offers it to the modal slot and
// the screen table), job results to ApplyJobResult, paints to the current
// screen's row, the Player's events to OnPlayerEvent. It holds no code of
// its own for any one screen; what it does around playback is in
// app/playback_control.h, its one-second tick in app/tick.cpp.
#include <memory>

#include "app/content_desk.h"
#include "app/jobs.h"
#include "app/tick.h"
#include "platform/host_window.h"
#include "player/player.h"
#include "state/app_state.h"
#include "ui/modals/modal_slot.h"
#include "ui/nav/navigator.h"
#include "ui/render/render_resources.h"
#include "ui/screens/screen_actions.h"
#include "ui/screens/screen_table.h"

class Application final : public HostEvents,
                          public WindowActions,
                          public PlaybackActions,
                          public MessagePoster,
                          public ResultFollowUps {
 public:
  Application();
  ~Application() override;
  // Creates the window, boots and runs the loop; the process exit code.
  int Run();
  // Stops playback and releases the Player's engine (the window stays).
  void Shutdown();

  // HostEvents
  void OnKey(int vk) override;
  void OnChar(char16_t ch) override;
  void OnPointer(const PointerEvent& event) override;
  void OnJobMessage(uint32_t id, uintptr_t wparam) override;
  void OnTimer(int id) override;
  void OnPaintInterface(cairo_t* cr, int width, int height) override;
  void OnPaintStrips(cairo_t* cr, int width, int height) override;
  void OnResize(int width, int height) override;
  void OnCloseRequested() override;

  // WindowActions and PlaybackActions (the content jobs are content_).
  void Quit() override;
  void ToggleMaximized() override;
  void ApplyVolume(int volume) override;
  void SaveSettingsNow() override;
  void LayoutVideo() override;
  void PlaySelectedChannel() override;
  void StopPlayback() override;
  void Repaint() override;
  void OpenInBrowser(const std::u16string& url) override;
  void ApplyPlayerSettings() override;
  void PlayMovie(const CatalogItem& movie) override;
  void PlayEpisode(const Episode& episode) override;
  void ChooseTrack(TrackKind kind) override;
  void OpenInExternalPlayer() override;
  void EnterFullVideo() override;
  void LeavePlayer() override;
  void StepChannel(int direction) override;
  void StepVod(int delta) override;
  void TogglePause() override;
  void SeekBy(double seconds) override;
  void SeekToShare(double share) override;
  void CycleAspect() override;
  void UpdateStrips() override;
  void PlayCatchup(int guideRow) override;
  void PlayTrailer() override;

  // MessagePoster: the mailbox wakes the loop through the window.
  void Post(uint32_t id, uintptr_t wparam) override;

  // ResultFollowUps
  void RestartIdlePreview() override;
  void BackdropChanged() override;
  void IconsSettling() override;
  void PlayResolvedTrailer(const TrailerResolved& trailer) override;

 private:
  // The one-second tick (app/tick.cpp): its steps, in the order they run.
  std::vector<TickStep> MakeTickSteps();
  void WriteChangedSettings(uint64_t nowMs);
  void RepaintOnNewMinute(uint64_t nowMs);
  void ExpireToast(uint64_t nowMs);
  void FollowStripsDeadline(uint64_t nowMs);
  void CheckAutoReload(uint64_t nowMs);
  void CheckPanelPoll(uint64_t nowMs);
  void SuperviseVideoTile(uint64_t nowMs);
  void StartLazyLoads(uint64_t nowMs);
  // What the Player reported (from its Tick).
  void OnPlayerEvent(const PlayerEvent& event);
  // Timer 8: a repaint only when an icon a list drew without has arrived.
  void RepaintForArrivedIcons();
  // Sets the video tile's rectangle for the current screen and the
  // window's size.
  PixelRect PlaceVideo();
  // The hover check of the Player screen (every 50 ms while the video
  // fills the window): the strips follow the pointer, and the position the
  // strips show is sampled.
  void HoverTick(uint64_t nowMs);
  // The toast and the modal go on the strip layer while the video fills
  // the window, so they lie above the strips.
  bool OverlaysOnStrips() const;
  void PaintOverlays(int width, int height);
  // The Player's stream was refused or cut: say so and leave the Player.
  void LeaveDeadStream();
  // After a movie, an episode, a programme or the trailer started: the
  // Player screen, the video filling the window.
  void ShowPlayer();

  // Playback extras (application_playback_extras.cpp).
  // A notice: the toast (the interface draws it, on every screen).
  void ShowNotice(const std::u16string& text, uint64_t durationMs);

  HostWindow window_;
  // The one video tile (a multi-view would hold one per tile).
  Player player_;
  AppState state_;
  JobMailbox mailbox_{*this};
  RenderResources render_;
  ScreenTable screens_;
  ModalSlot modal_;
  ContentDesk content_{state_, mailbox_, render_};
  Navigator navigator_{state_, ScreenServices{*this, content_, *this}, screens_, modal_};
  std::vector<TickStep> tickSteps_ = MakeTickSteps();
  int paintedMinute_ = -1;  // local minute of day shown by the last paint
  uint32_t trailerRequest_ = 0;  // the newest trailer press; older results are dropped
};
