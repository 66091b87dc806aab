#pragma once
// The Sports screen: the day's fixtures as plain lines (nothing on it
// plays), fetched each time the screen opens. Down and Up move the
// highlight. Main thread only.
#include "ui/screens/screen_view.h"

// Lines 56 high from y = 150 (of 1080), as many as fit 20 above the
// bottom, at least one.
int SportsVisibleRows(double height);
RectF SportsRowRect(int slot, double width, double height);
// Notices show right of the title and its sub-title, above the lines.
RectF SportsNoticeRect(double width, double height);

void PaintSports(RenderResources& res, const AppState& state);

class SportsScreen final : public ScreenView {
 public:
  void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const override;
  void OnKey(ScreenContext& ctx, int vk) override;
  void OnPointer(ScreenContext& ctx, const PointerEvent& event) override;
  void OnEnter(ScreenContext& ctx, Screen from) override;
  ScreenHelp Help(const AppState& state) const override;
  RectF NoticeRect(const AppState& state, int width, int height) const override;
};
