#include "ui/screens/screen_table.h"

#include "ui/screens/account_screen.h"
#include "ui/screens/catchup_screen.h"
#include "ui/screens/grid_screen.h"
#include "ui/screens/groups_screen.h"
#include "ui/screens/home_screen.h"
#include "ui/screens/live_screen.h"
#include "ui/screens/movies_screen.h"
#include "ui/screens/multiview_screen.h"
#include "ui/screens/player_screen.h"
#include "ui/screens/search_screen.h"
#include "ui/screens/series_screen.h"
#include "ui/screens/settings_screen.h"
#include "ui/screens/sports_screen.h"

// One row per Screen value, in its order.
ScreenTable::ScreenTable()
    : rows_{std::make_unique<HomeScreen>(),     std::make_unique<LiveScreen>(),    std::make_unique<MoviesScreen>(),
            std::make_unique<SeriesScreen>(),   std::make_unique<AccountScreen>(), std::make_unique<SportsScreen>(),
            std::make_unique<SettingsScreen>(), std::make_unique<PlayerScreen>(),  std::make_unique<CatchupScreen>(),
            std::make_unique<SearchScreen>(),   std::make_unique<GroupsScreen>(),  std::make_unique<GridScreen>(),
            std::make_unique<MultiViewScreen>()} {}
