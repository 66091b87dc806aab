#include "ui/screens/movies_screen.h"

MoviesScreen::MoviesScreen() : ItemGridScreen(VodKind::Movies) {}
