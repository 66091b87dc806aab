#pragma once
// The table of screens: one ScreenView per Screen value, in Screen order.
// The rows follow VISTRA_SCREENS (state/screen.h); screen_table.cpp only
// includes each screen's header.
#include <array>
#include <memory>

#include "state/screen.h"
#include "ui/screens/screen_view.h"

class ScreenTable {
 public:
  ScreenTable();
  ScreenView& operator[](Screen screen) const { return *rows_[static_cast<size_t>(ScreenIndex(screen))]; }

 private:
  std::array<std::unique_ptr<ScreenView>, kScreenCount> rows_;
};
