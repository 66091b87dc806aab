#pragma once
// The cells of the Settings screen as one table, in cell order: what each
// tile shows (label, value line, icon), where it sits and what Enter or a
// click runs. Painting, keys (which move between the tiles as drawn), the
// pointer and RunSettingsCell all read this table; a cell is written in one
// row.
//
// Almost every cell opens the option picker with a fixed set of options,
// writes the choice into the settings and saves at once; a cancelled picker
// changes nothing. Main thread only.
#include <string>
#include <string_view>
#include <vector>

#include "ui/render/render_resources.h"
#include "ui/screens/screen_view.h"

constexpr int kSettingsCellCount = 24;
constexpr int kSpeedTestCell = 20;
constexpr int kPipCell = 21;
constexpr int kLiveTvCell = 22;
// The recording settings (folder, padding before and after): no tile, as
// the grid has no free place; the Recordings screen runs it.
constexpr int kRecordingsCell = 23;

// The options and the highlighted one of a cell whose action is one picker;
// empty options for other cells.
struct SettingsChoice {
  std::vector<std::u16string> options;
  int highlighted = 0;
};

struct SettingIconPen;
using SettingIconDrawer = void (*)(const SettingIconPen&);

struct SettingsCell {
  // A setting tile shows its label (the settings row label of its cell,
  // i18n/translate.h, or the text of `buttonKey` for a cell past those
  // rows), its value line and its icon; a button shows the text of
  // `buttonKey`; cell 14 (the external players, reached through 13) and
  // kRecordingsCell have no tile.
  enum class Tile { Setting, Button, None };
  Tile tile = Tile::None;
  int column = 0, row = 0;  // the tile's place in the grid of four columns
  std::string_view buttonKey;
  SettingIconDrawer icon = nullptr;
  // The line under the label; null: none.
  std::u16string (*value)(const AppState&) = nullptr;
  // A one-picker cell: its options, and the write of the chosen one (the
  // save follows it). Null for cells whose action is `run`.
  SettingsChoice (*choices)(const Settings&) = nullptr;
  void (*apply)(ScreenContext&, int choice) = nullptr;
  // Any other cell's action, given its cell number.
  void (*run)(ScreenContext&, int cell) = nullptr;
  // With parental control on, the PIN is asked first; a wrong one stops.
  bool needsPin = false;
};

// The row of `cell`; nullptr outside 0 to kSettingsCellCount - 1.
const SettingsCell* SettingsCellAt(int cell);
// A tile's label: the settings row label, or the text of its `buttonKey`.
std::u16string_view SettingsTileLabel(int cell);

SettingsChoice SettingsChoiceFor(const Settings& settings, int cell);

// The word shown for a stored device type ("Stick" -> the text of
// dev_stick); empty counts as "TV", an unknown value shows as it is.
std::u16string DeviceTypeLabel(std::u16string_view stored);

// "Add playlist": opens the panel's playlists page for this device in the
// browser, shows the Account screen (left with Esc back to Settings), starts
// the panel playlist check and asks to scan the QR code.
void OpenPanelSite(ScreenContext& ctx);

// Runs cell `index`; an index outside the table does nothing.
void RunSettingsCell(ScreenContext& ctx, int index);

// The line icon of setting tile `cell` (a cell without one draws nothing),
// drawn in `colour` into the square `box` with strokes of `stroke` pixels.
void DrawSettingIcon(Canvas& canvas, int cell, const RectF& box, Rgba colour, double stroke);
