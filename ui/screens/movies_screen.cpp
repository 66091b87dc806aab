#include "ui/screens/movies_screen.h"

#include "catalog/visible_list.h"
#include "ui/screens/screen_background.h"

void MoviesScreen::Paint(RenderResources& res, const AppState& state, const LocalTime& /*now*/) const {
  PaintScreenBackground(res, Screen::Movies, state.StatusText);
}

void MoviesScreen::OnEnter(ScreenContext& ctx, Screen /*from*/) { EnterItemScreen(ctx, VodKind::Movies); }

void EnterItemScreen(ScreenContext& ctx, VodKind kind) {
  AppState& state = ctx.state;
  NavState& nav = state.nav;
  const SharedItems& items = ItemsOf(state.catalog, kind);
  if (!items || items->empty()) (kind == VodKind::Movies ? state.flags.MoviesWanted : state.flags.SeriesWanted) = true;
  nav.ItemFocus = 0;
  nav.ItemCategoryIndex = 1;
  RebuildItemList(state.catalog, kind, state.settings, nav.ItemCategoryIndex, state.VisibleItems);
}
