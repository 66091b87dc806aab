#pragma once
// The Series screen: series categories on the left, a grid of posters, and the episode list of the chosen series.
// Until its own painter comes it shows the screen's plain background;
// Esc and Backspace lead back through the navigator.
#include "ui/screens/screen_view.h"

class SeriesScreen final : public ScreenView {
 public:
  void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const override;
  void OnEnter(ScreenContext& ctx, Screen from) override;
};
