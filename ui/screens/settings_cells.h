#pragma once
// What Enter (or a click) does on each cell of the Settings screen. Almost
// every cell opens the option picker with a fixed set of options, writes the
// choice into the settings and saves at once; a cancelled picker changes
// nothing. Main thread only.
#include <cairo.h>

#include <string>
#include <vector>

#include "ui/render/render_resources.h"
#include "ui/screens/screen_view.h"

// The options and the highlighted one of a cell whose action is one picker
// (3, 4, 11, 12, 13/14, 15, 16, 17, 18); empty options for other cells.
struct SettingsChoice {
  std::vector<std::u16string> options;
  int highlighted = 0;
};
SettingsChoice SettingsChoiceFor(const Settings& settings, int cell);

// The word shown for a stored device type ("Stick" -> the text of
// dev_stick); empty counts as "TV", an unknown value shows as it is.
std::u16string DeviceTypeLabel(std::u16string_view stored);

// "Add playlist": opens the panel's playlists page for this device in the
// browser, shows the Account screen (left with Esc back to Settings), starts
// the panel playlist check and asks to scan the QR code.
void OpenPanelSite(ScreenContext& ctx);

// Runs cell `index` (0-21); an index outside that range does nothing.
void RunSettingsCell(ScreenContext& ctx, int index);

// The line icon of setting tile `cell` (0-19; 14 has no tile and draws
// nothing, like any other cell), drawn in `colour` into the square `box`
// with strokes of `stroke` pixels.
void DrawSettingIcon(cairo_t* cr, int cell, const RectF& box, Rgba colour, double stroke);
