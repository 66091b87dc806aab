#pragma once
// The Settings screen: the grid of settings cells.
// Until its own painter comes it shows the screen's plain background;
// Esc and Backspace lead back through the navigator.
#include "ui/screens/screen_view.h"

class SettingsScreen final : public ScreenView {
 public:
  void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const override;
  void OnEnter(ScreenContext& ctx, Screen from) override;
};
