#pragma once
// The Settings screen: a grid of nineteen setting tiles (settings 0-19, 14
// having no tile), the "PIP Size / Pos" button (cell 21), the speed-test
// button (cell 20) and the device's MAC address and key between them.
//
// Each cell is a row of the table of cells (ui/screens/settings_cells.h);
// here are the layout shared by painting and clicks and the screen row.
// Main thread only.
#include <string>

#include "ui/screens/screen_view.h"
#include "ui/screens/settings_cells.h"

// The cell the key moves to from `cell` on a width x height surface: the
// tile drawn next in the arrow's direction (ui/nav/spatial_focus.h), `cell`
// itself when none lies that way or the key is no arrow. Cell 14 is never
// reached: it has no tile (a focus on it moves as tile 13, where it shows).
int SettingsMove(int cell, int vk, double width, double height);

// The value a tile shows under its label; empty for cells without one.
std::u16string SettingsValueText(const AppState& state, int index);

// --- Layout (pixels of a width x height surface) ----------------------------
// The tile of `cell` (0-13, 15-21); an empty rectangle for 14 and others.
RectF SettingsTileRect(int cell, double width, double height);
// Where the MAC address and the device key are written.
RectF SettingsIdentityRect(double width, double height);
RectF SettingsBackRect(double width, double height);
// Notices show under the last row of tiles, in the middle.
RectF SettingsNoticeRect(double width, double height);
// The cell under (x, y), or -1.
int SettingsHitTest(double x, double y, double width, double height);

void PaintSettings(RenderResources& res, const AppState& state);

class SettingsScreen final : public ScreenView {
 public:
  void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const override;
  void OnKey(ScreenContext& ctx, int vk) override;
  void OnPointer(ScreenContext& ctx, const PointerEvent& event) override;
  void OnEnter(ScreenContext& ctx, Screen from) override;
  ScreenHelp Help(const AppState& state) const override;
  RectF NoticeRect(const AppState& state, int width, int height) const override;
};
