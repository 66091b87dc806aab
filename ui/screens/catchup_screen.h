#pragma once
// The Catch-up screen: the past week of the selected channel's guide, a day at a time.
// Until its own painter comes it shows the screen's plain background;
// Esc and Backspace lead back through the navigator.
#include "ui/screens/screen_view.h"

class CatchupScreen final : public ScreenView {
 public:
  void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const override;
};
