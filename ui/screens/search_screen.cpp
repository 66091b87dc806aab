#include "ui/screens/search_screen.h"

#include "ui/screens/screen_background.h"

void SearchScreen::Paint(RenderResources& res, const AppState& state, const LocalTime& /*now*/) const {
  PaintScreenBackground(res, Screen::Search, state.StatusText);
}
