#include "ui/screens/series_screen.h"

#include "ui/screens/movies_screen.h"
#include "ui/screens/screen_background.h"

void SeriesScreen::Paint(RenderResources& res, const AppState& state, const LocalTime& /*now*/) const {
  PaintScreenBackground(res, Screen::Series, state.StatusText);
}

void SeriesScreen::OnEnter(ScreenContext& ctx, Screen /*from*/) { EnterItemScreen(ctx, VodKind::Series); }
