#include "ui/screens/account_screen.h"

#include "ui/screens/screen_background.h"

void AccountScreen::Paint(RenderResources& res, const AppState& state, const LocalTime& /*now*/) const {
  PaintScreenBackground(res, Screen::Account, state.StatusText);
}
