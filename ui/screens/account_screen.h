#pragma once
// The Account screen: the device's identity and its playlists.
// Until its own painter comes it shows the screen's plain background;
// Esc and Backspace lead back through the navigator.
#include "ui/screens/screen_view.h"

class AccountScreen final : public ScreenView {
 public:
  void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const override;
};
