#pragma once
// The Movies screen: movie categories on the left, a grid of posters.
// Until its own painter comes it shows the screen's plain background;
// Esc and Backspace lead back through the navigator.
#include "catalog/visible_list.h"
#include "ui/screens/screen_view.h"

class MoviesScreen final : public ScreenView {
 public:
  void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const override;
  void OnEnter(ScreenContext& ctx, Screen from) override;
};

// Entering Movies or Series: asks for the kind's download when its list is
// empty, selects "All" and rebuilds the grid's list.
void EnterItemScreen(ScreenContext& ctx, VodKind kind);
