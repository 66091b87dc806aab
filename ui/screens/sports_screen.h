#pragma once
// The Sports screen: the day's fixtures.
// Until its own painter comes it shows the screen's plain background;
// Esc and Backspace lead back through the navigator.
#include "ui/screens/screen_view.h"

class SportsScreen final : public ScreenView {
 public:
  void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const override;
  void OnEnter(ScreenContext& ctx, Screen from) override;
};
