#pragma once
// The speed-test panel: a full-surface overlay with the back button, three
// buttons (start the test, clear the cache, the Wi-Fi advice) and the
// scrolling report, which the test writes from its own thread while the
// panel shows it. Main thread only; the report is copied under its lock
// for every paint.
#include <memory>

#include "extras/speed_test.h"
#include "state/app_state.h"
#include "ui/modals/modal_slot.h"
#include "ui/render/render_resources.h"
#include "ui/screens/screen_actions.h"

// Focus order: 0 back, 1 start, 2 clear cache, 3 Wi-Fi.
constexpr int kSpeedButtonCount = 4;

// The focus after `vk`: Left and Right (or Tab) cycle through the four,
// Down moves from back to start, Up goes to back; other keys keep it.
int SpeedFocusMove(int focus, int vk);

RectF SpeedButtonRect(int item, double width, double height);  // item 0 is the back button
RectF SpeedReportRect(double width, double height);
// Lines the report box shows: (box height - 16) / 28, at least 4.
int SpeedVisibleLines(double height);

// Draws the panel; `focus` is the focused item.
void PaintSpeedTestPanel(RenderResources& res, const SpeedReport& report, int focus);

class SpeedTestModal final : public Modal {
 public:
  SpeedTestModal(std::shared_ptr<SpeedReport> report, ContentActions& actions)
      : report_(std::move(report)), actions_(actions) {}
  void OnKey(int vk) override;
  void OnPointer(const PointerEvent& event, int width, int height, uint64_t nowMs) override;
  void Paint(RenderResources& res) const override;
  bool Done() const override { return done_; }
  void Cancel() override { done_ = true; }
  int focus() const { return focus_; }

 private:
  void Activate(int item);
  void Scroll(int lines);
  std::shared_ptr<SpeedReport> report_;
  ContentActions& actions_;
  int focus_ = 1;  // the start button is highlighted first
  mutable int visibleLines_ = 4;  // what the last paint could show
  bool done_ = false;
};

// Shows the panel until it is closed; with an empty report the hint of the
// three buttons stands in it.
void OpenSpeedTestPanel(ModalSlot& slot, AppState& state, ContentActions& actions);
