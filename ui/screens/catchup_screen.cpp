#include "ui/screens/catchup_screen.h"

#include "ui/screens/screen_background.h"

void CatchupScreen::Paint(RenderResources& res, const AppState& state, const LocalTime& /*now*/) const {
  PaintScreenBackground(res, Screen::Catchup, state.StatusText);
}
