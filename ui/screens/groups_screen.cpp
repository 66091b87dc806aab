#include "ui/screens/groups_screen.h"

#include "ui/screens/screen_background.h"

void GroupsScreen::Paint(RenderResources& res, const AppState& state, const LocalTime& /*now*/) const {
  PaintScreenBackground(res, Screen::Groups, state.StatusText);
}
