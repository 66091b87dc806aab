#include "ui/screens/series_screen.h"

SeriesScreen::SeriesScreen() : ItemGridScreen(VodKind::Series) {}
