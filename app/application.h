#pragma once
// The application: the window, the state, the jobs, the screens and the
// player wired together. It receives every window event and hands it on:
// input to the navigator (which offers it to the modal slot and the screen
// table), job results to ApplyJobResult, paints to the current screen's
// row. It holds no code of its own for any one screen.
#include <memory>

#include "app/jobs.h"
#include "platform/host_window.h"
#include "platform/mpv_video_layer.h"
#include "player/first_frame_watch.h"
#include "player/media_engine.h"
#include "player/player_supervisor.h"
#include "state/app_state.h"
#include "ui/modals/modal_slot.h"
#include "ui/nav/navigator.h"
#include "ui/render/render_resources.h"
#include "ui/screens/screen_actions.h"
#include "ui/screens/screen_table.h"

class Application final : public HostEvents, public ScreenActions, public MessagePoster, public ResultFollowUps {
 public:
  Application();
  ~Application() override;
  // Creates the window, boots and runs the loop; the process exit code.
  int Run();
  // Stops playback and releases the media engine (the window stays).
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

  // ScreenActions
  void Quit() override;
  void StartFullReload() override;
  void StartPanelCheck() override;
  void StartSportsFetch() override;
  void SendReply(const std::u16string& text) override;
  void ToggleMaximized() override;
  void ApplyVolume(int volume) override;
  void SaveSettingsNow() override;
  void LayoutVideo() override;
  void PlaySelectedChannel() override;
  void StopPlayback() override;
  void Repaint() override;
  void OpenInBrowser(const std::u16string& url) override;
  void RestartBoot() override;
  void ReloadPlaylist(const std::u16string& url) override;
  void ApplyPlayerSettings() override;
  void ClearCache() override;
  void StartSpeedTest() override;
  void StartCatchupGuide(const std::u16string& streamId) override;
  void RequestSeriesInfo(const CatalogItem& series, bool autoPlay) override;
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
  // The one-second tick's own steps (the supervisor calls them).
  // Timer 8: a repaint only when an icon a list drew without has arrived.
  void RepaintForArrivedIcons();
  void RepaintOnNewMinute();
  void ExpireToast(uint64_t nowMs);
  SupervisorHooks MakeSupervisorHooks();
  // Sets the video rectangle of the current screen for the window's size.
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
  // After a movie or episode started: the video fills the window.
  void ShowVod();

  // Playback extras (application_playback_extras.cpp).
  // A notice: the toast (the interface draws it, on every screen).
  void ShowNotice(const std::u16string& text, uint64_t durationMs);
  // The catch-up candidate step on the supervisor's codec sample.
  void RunCatchupStep(const CodecSample& sample);
  // Reads the provider panel's clock once per account, on a job.
  void StartPanelClockJob();

  HostWindow window_;
  MediaEngine engine_;
  std::unique_ptr<MpvVideoLayer> videoLayer_;
  // Between the window and the layer: times channel changes to their first
  // picture (the runtime log's "zap first frame" lines).
  std::unique_ptr<FirstFrameWatch> frameWatch_;
  AppState state_;
  JobMailbox mailbox_{*this};
  RenderResources render_;
  ScreenTable screens_;
  ModalSlot modal_;
  Navigator navigator_{state_, *this, screens_, modal_};
  PlayerSupervisor supervisor_{state_, engine_, MakeSupervisorHooks()};
  int paintedMinute_ = -1;  // local minute of day shown by the last paint
  uint32_t trailerRequest_ = 0;  // the newest trailer press; older results are dropped
};
