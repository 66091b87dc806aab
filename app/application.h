#pragma once
// The application: the window, the state, the jobs, the screens and the
// two desks that serve the screens (content jobs: app/content_desk.h;
// playback around the video tile's Player: app/playback_desk.h) wired
// together. It receives every window event and hands it on: input to the
// navigator (which offers it to the modal slot and the screen table), job
// results to ApplyJobResult, timers to their owners (app/timer_ids.h),
// paints to the current screen's row, catalog and guide changes to the
// screens through the navigator. What it paints itself is where the layers
// meet: the strips over the full-window video, a lost stream's notice over
// the picture, the notices and the modal above everything. Its one-second
// tick is app/tick.cpp.
#include <memory>

#include "app/content_desk.h"
#include "app/jobs.h"
#include "app/playback_desk.h"
#include "app/guide_choices.h"
#include "app/recording_desk.h"
#include "app/tick.h"
#include "platform/host_window.h"
#include "state/app_state.h"
#include "ui/modals/modal_slot.h"
#include "ui/nav/navigator.h"
#include "ui/render/render_resources.h"
#include "ui/screens/screen_actions.h"
#include "ui/screens/screen_table.h"

class Application final : public HostEvents,
                          public WindowActions,
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
  void OnPaintInterface(Canvas& canvas, int width, int height) override;
  bool OnPaintStrips(Canvas& canvas, int width, int height) override;
  void OnResize(int width, int height) override;
  void OnCloseRequested() override;
  void OnFramePresented() override;

  // WindowActions (the content jobs are content_, playback is playback_).
  void Quit() override;
  void ToggleMaximized() override;
  void SaveSettingsNow() override;
  void Repaint() override;
  void OpenInBrowser(const std::u16string& url) override;

  // MessagePoster: the mailbox wakes the loop through the window.
  void Post(uint32_t id, uintptr_t wparam) override;

  // ResultFollowUps
  void RestartIdlePreview() override;
  void BackdropChanged() override;
  void IconsSettling() override;
  void PlayEpisode(const Episode& episode) override;
  void PlayResolvedTrailer(const TrailerResolved& trailer) override;
  void CatalogSettled() override;
  void LiveListsReady() override;
  void CatalogChanged(const CatalogChange& change) override;
  void GuidesUpdated() override;

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
  void FollowRecordings(uint64_t nowMs);
  void SaveChangedPastListings(uint64_t nowMs);
  // kQuestionTimer: the oldest posted reminder is asked, when no modal is
  // open and no handler waits on one (else the timer comes again).
  void AskPostedQuestion();
  // kIconTimer: a repaint only when an icon a list drew without has arrived.
  void RepaintForArrivedIcons();
  void StartMediaEngine();
  // The toast and the modal go on the strip layer while the video fills
  // the window, so they lie above the strips.
  bool OverlaysOnStrips() const;
  void PaintOverlays(int width, int height);
  void PaintStreamNoticeOverVideo(int width, int height);

  HostWindow window_;
  AppState state_;
  JobMailbox mailbox_{*this};
  RenderResources render_;
  ScreenTable screens_;
  ModalSlot modal_;
  ContentDesk content_{state_, mailbox_, render_};
  PlaybackDesk playback_{state_, window_, mailbox_, modal_, navigator_, *this};
  RecordingDesk recording_{state_, RecordingDesk::Services{
                                       [this](const Recording& recording) { playback_.PlayRecordingFile(recording); },
                                       PinPrompt(modal_),
                                       [this](const std::vector<GuideWish>& wishes) { content_.RequestGuides(wishes); }}};
  GuideChoices guides_{state_, mailbox_};
  Navigator navigator_{state_, ScreenServices{*this, content_, playback_, recording_, guides_}, screens_, modal_};
  std::vector<TickStep> tickSteps_ = MakeTickSteps();
  uint64_t pastSavedMs_ = 0;  // tick ms of the last look at the past listings
  int paintedMinute_ = -1;  // local minute of day shown by the last paint
  bool firstFrameLogged_ = false;
  int64_t fontsReadyMs_ = 0;  // the painter's fonts and caches exist (startup timeline)
};
