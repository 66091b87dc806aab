#pragma once
#include <cstdint>

// The screens, numbered as the navigation and the painters know them.
enum class Screen : uint32_t {
  Home = 0,
  Live = 1,
  Movies = 2,
  Series = 3,
  Account = 4,
  Sports = 5,
  Settings = 6,
  Player = 7,
  Catchup = 8,
  Search = 9,
  Groups = 10,
  Grid = 11,  // the programme grid: channels by time
  MultiView = 12,  // up to four live channels at once
};

inline constexpr int kScreenCount = 13;

constexpr int ScreenIndex(Screen screen) { return static_cast<int>(screen); }
