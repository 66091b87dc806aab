#include "ui/screens/sports_screen.h"

#include "ui/screens/screen_background.h"

void SportsScreen::Paint(RenderResources& res, const AppState& state, const LocalTime& /*now*/) const {
  PaintScreenBackground(res, Screen::Sports, state.StatusText);
}

void SportsScreen::OnEnter(ScreenContext& ctx, Screen /*from*/) {
  ctx.state.nav.ListIndex = 0;
  ctx.actions.StartSportsFetch();
}
