#include "ui/screens/screen_table.h"

#include "ui/screens/account_screen.h"
#include "ui/screens/catchup_screen.h"
#include "ui/screens/grid_screen.h"
#include "ui/screens/guide_review_screen.h"
#include "ui/screens/guide_sources_screen.h"
#include "ui/screens/groups_screen.h"
#include "ui/screens/home_screen.h"
#include "ui/screens/live_screen.h"
#include "ui/screens/movies_screen.h"
#include "ui/screens/multiview_screen.h"
#include "ui/screens/player_screen.h"
#include "ui/screens/recordings_screen.h"
#include "ui/screens/search_screen.h"
#include "ui/screens/series_screen.h"
#include "ui/screens/settings_screen.h"
#include "ui/screens/sports_screen.h"

// One row per Screen value, in its order.
#define VISTRA_SCREEN_ROW(name, number, title) std::make_unique<name##Screen>(),
ScreenTable::ScreenTable() : rows_{VISTRA_SCREENS(VISTRA_SCREEN_ROW)} {}
#undef VISTRA_SCREEN_ROW
