#pragma once
// The Series screen: series categories on the left, a grid of posters
// (ui/screens/item_grid); Enter asks for a series' episodes, which open as
// a side panel over the grid.
#include "ui/screens/item_grid.h"

class SeriesScreen final : public ItemGridScreen {
 public:
  SeriesScreen();
};
