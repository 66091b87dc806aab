#pragma once
// The Movies screen: movie categories on the left, a grid of posters
// (ui/screens/item_grid). Enter on a poster plays the movie.
#include "ui/screens/item_grid.h"

class MoviesScreen final : public ItemGridScreen {
 public:
  MoviesScreen();
};
