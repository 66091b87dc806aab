#pragma once
// The application: the window, the state, the jobs and the painters wired
// together. It receives every window event, dispatches keys to the
// navigation, merges job results, runs the one-second tick and paints.
#include <optional>

#include "app/app_state.h"
#include "app/jobs.h"
#include "platform/host_window.h"
#include "platform/mpv_video_layer.h"
#include "player/media_engine.h"
#include "ui/nav/nav_actions.h"
#include "ui/nav/navigator.h"
#include "ui/render/render_resources.h"
#include "ui/screens/question_dialog.h"

class Application final : public HostEvents, public NavActions, public MessagePoster {
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
  void OnCloseRequested() override;

  // NavActions
  bool AskYesNo(const std::u16string& title, const std::u16string& text, bool defaultYes) override;
  void Quit() override;
  void StartFullReload() override;
  void StartPanelCheck() override;
  void StartSportsFetch() override;
  void SendReply(const std::u16string& text) override;
  void ToggleMaximized() override;
  void ApplyVolume(int volume) override;
  void SaveSettingsNow() override;
  void ScreenChanged(Screen from, Screen to) override;
  void Repaint() override;

  // MessagePoster: jobs post through the window.
  void Post(uint32_t id, uintptr_t wparam) override;

 private:
  void OnTick();
  void OnCatalogReady(uintptr_t wparam);
  void OnTrendingReady(uintptr_t wparam);
  void OnPanelUpdated();
  void OnSeriesInfoReady();
  void OnHomeClick(double x, double y);
  void PaintScreenBackground(Screen screen);
  void PaintLivePlaceholder();
  void LayoutVideo();
  void PlaySelectedChannel();

  HostWindow window_;
  MediaEngine engine_;
  std::unique_ptr<MpvVideoLayer> videoLayer_;
  AppState state_;
  JobMailbox mailbox_{*this};
  RenderResources render_;
  Navigator navigator_{state_, *this};
  std::optional<QuestionDialog> question_;
  QuestionAnswer answer_ = QuestionAnswer::Pending;
  int paintedMinute_ = -1;  // local minute of day shown by the last paint
};
