#pragma once
// What Enter (or a click) does on each cell of the Settings screen. Almost
// every cell opens the option picker with a fixed set of options, writes the
// choice into the settings and saves at once; a cancelled picker changes
// nothing. Main thread only.
#include <string>
#include <vector>

#include "ui/screens/screen_view.h"

// The options and the highlighted one of a cell whose action is one picker
// (3, 4, 11, 12, 13/14, 15, 16, 17, 18); empty options for other cells.
struct SettingsChoice {
  std::vector<std::u16string> options;
  int highlighted = 0;
};
SettingsChoice SettingsChoiceFor(const Settings& settings, int cell);

// Runs cell `index` (0-21); an index outside that range does nothing.
void RunSettingsCell(ScreenContext& ctx, int index);
