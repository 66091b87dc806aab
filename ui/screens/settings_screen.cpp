#include "ui/screens/settings_screen.h"

#include "ui/screens/screen_background.h"

void SettingsScreen::Paint(RenderResources& res, const AppState& state, const LocalTime& /*now*/) const {
  PaintScreenBackground(res, Screen::Settings, state.StatusText);
}

void SettingsScreen::OnEnter(ScreenContext& ctx, Screen /*from*/) { ctx.state.nav.SettingsIndex = 0; }
