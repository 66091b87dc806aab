#pragma once
// The Groups screen: the user's own channel groups.
// Until its own painter comes it shows the screen's plain background;
// Esc and Backspace lead back through the navigator.
#include "ui/screens/screen_view.h"

class GroupsScreen final : public ScreenView {
 public:
  void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const override;
};
