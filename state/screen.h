#pragma once
#include <cstdint>

// Every screen, declared once, in the order of its number: its name (the
// Screen value; with "Screen" appended, the ScreenView class that shows
// it), its number, and the menu word that titles it (the kMenu* word,
// without "kMenu"). The numbers never change: the screen table and the
// title words are indexed by them. A screen is added by one line here, its
// ui/screens/<name>_screen pair and that header's include in
// screen_table.cpp.
#define VISTRA_SCREENS(X) \
  X(Home, 0, Home)            \
  X(Live, 1, Live)            \
  X(Movies, 2, Movies)        \
  X(Series, 3, Series)        \
  X(Account, 4, Playlist)     \
  X(Sports, 5, Sports)        \
  X(Settings, 6, Settings)    \
  X(Player, 7, Live)          \
  X(Catchup, 8, Live)         \
  X(Search, 9, Search)        \
  X(Groups, 10, Live)         \
  X(Grid, 11, Live)      /* the programme grid: channels by time */ \
  X(MultiView, 12, Live) /* up to four live channels at once */ \
  X(Recordings, 13, Live) /* what is recorded, recording and scheduled */ \
  X(GuideSources, 14, Settings) /* the provider's guide and the user's own */ \
  X(GuideReview, 15, Settings)  /* unsure guide matches to accept or change */

#define VISTRA_SCREEN_VALUE(name, number, title) name = number,
enum class Screen : uint32_t { VISTRA_SCREENS(VISTRA_SCREEN_VALUE) };
#undef VISTRA_SCREEN_VALUE

#define VISTRA_SCREEN_ONE(name, number, title) +1
inline constexpr int kScreenCount = 0 VISTRA_SCREENS(VISTRA_SCREEN_ONE);
#undef VISTRA_SCREEN_ONE

constexpr int ScreenIndex(Screen screen) { return static_cast<int>(screen); }

namespace screen_order {
#define VISTRA_SCREEN_NAME(name, number, title) Screen::name,
inline constexpr Screen kDeclared[] = {VISTRA_SCREENS(VISTRA_SCREEN_NAME)};
#undef VISTRA_SCREEN_NAME
constexpr bool Dense() {
  for (int i = 0; i < kScreenCount; ++i)
    if (ScreenIndex(kDeclared[i]) != i) return false;
  return true;
}
// Tables indexed by the number need 0, 1, 2, ... in the order declared.
static_assert(Dense(), "the screens' numbers run 0, 1, 2, ... in the order declared");
}  // namespace screen_order
