#include "ui/screens/settings_screen.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/virtual_keys.h"
#include "i18n/translate.h"
#include "ui/nav/navigator.h"
#include "ui/nav/spatial_focus.h"

namespace {

constexpr int kLastGridCell = 19;
constexpr int kNoTileCell = 14;

}  // namespace

// --- Value texts: read from the cells' table ------------------------------------

std::u16string SettingsValueText(const AppState& state, int index) {
  const SettingsCell* row = SettingsCellAt(index);
  return row && row->value ? row->value(state) : std::u16string();
}

// --- Layout ---------------------------------------------------------------------

namespace {

struct Grid {
  double columnWidth, top, pitch, tileHeight;
};

Grid SettingsGrid(double width, double height) {
  Grid g;
  g.columnWidth = std::max(120.0, (width - 12 - 12 - 24) / 4);
  g.top = 150 * height / 1080;
  const double bottom = std::max(g.top + 200, std::min(820 * height / 1080, height - 16 - 90 * height / 1080));
  g.pitch = (bottom - g.top) / 5;
  g.tileHeight = std::max(48.0, g.pitch - 8);
  return g;
}

RectF GridTile(const Grid& g, int column, int row) {
  const double left = 12 + column * (g.columnWidth + 8);
  const double top = g.top + row * g.pitch;
  return RectF{left, top, left + g.columnWidth, top + g.tileHeight};
}

}  // namespace

RectF SettingsTileRect(int cell, double width, double height) {
  const SettingsCell* row = SettingsCellAt(cell);
  if (!row || row->tile == SettingsCell::Tile::None) return RectF{};
  return GridTile(SettingsGrid(width, height), row->column, row->row);
}

// The designed box (x 716 to 1204 of 1920, and left of the PIP tile) is
// narrower than the text it holds at every width, as the PIP tile starts at
// the middle; the box grows to the left over the empty columns instead.
RectF SettingsIdentityRect(double width, double height) {
  const RectF pip = SettingsTileRect(kPipCell, width, height);
  const double right = std::min(1204 * width / 1920, pip.left - 8);
  const double left = std::max(12.0, std::min(716 * width / 1920, right - 600));
  return RectF{left, pip.top, std::max(left, right), pip.bottom};
}

RectF SettingsBackRect(double width, double height) { return DesignRect(54, 54, 144, 144, width, height); }

// The grid ends above the bottom with room for a notice (SettingsGrid keeps
// 90 of 1080 and 16 pixels under it at least).
RectF SettingsNoticeRect(double width, double height) {
  const double top = SettingsTileRect(kPipCell, width, height).bottom + DesignY(12, height);
  const double bottom = std::min(top + DesignY(76, height), height - DesignY(4, height));
  return RectF{width / 4, top, 3 * width / 4, std::max(top, bottom)};
}

int SettingsMove(int cell, int vk, double width, double height) {
  const int from = SettingsCellAt(cell) && SettingsCellAt(cell)->tile != SettingsCell::Tile::None
                       ? cell
                       : cell == kNoTileCell ? 13 : std::clamp(cell, 0, kLastGridCell);
  std::vector<RectF> tiles;
  for (int c = 0; c < kSettingsCellCount; ++c) tiles.push_back(SettingsTileRect(c, width, height));
  const int to = SpatialNeighbour(tiles, from, vk);
  return to >= 0 ? to : cell;
}

int SettingsHitTest(double x, double y, double width, double height) {
  for (int cell = 0; cell < kSettingsCellCount; ++cell) {
    if (SettingsCellAt(cell)->tile != SettingsCell::Tile::None && SettingsTileRect(cell, width, height).Contains(x, y))
      return cell;
  }
  return -1;
}

// --- Painting -------------------------------------------------------------------

namespace {

constexpr Rgba kTileFill{0.12, 0.12, 0.14, 0.95};

void PaintSettingTile(RenderResources& res, const AppState& state, int cell, bool focused) {
  const RectF tile = SettingsTileRect(cell, res.Width(), res.Height());
  const Brushes& brush = res.Brush();
  res.FillRounded(tile, 14, kTileFill);
  res.StrokeRounded(tile, 14, brush.Accent, focused ? res.FocusRing() : 1.5);
  // The icon on a grid of 2 x 11.44 pixels (of a 1080-high surface) centred
  // 26 right of the tile's edge; lengths that hold text scale like it.
  const double half = res.Px(11.44), cx = tile.left + res.Px(26), cy = (tile.top + tile.bottom) / 2;
  DrawSettingIcon(res.Target(), cell, RectF{cx - half, cy - half, cx + half, cy + half}, brush.Accent,
                  std::max(1.5, res.Px(2)));
  const std::u16string value = SettingsValueText(state, cell);
  const double left = tile.left + res.Px(48), right = tile.right - res.Px(14);
  const double raise = value.empty() ? 0 : res.Px(26);
  res.DrawTrimmed(FontId::Hint, SettingsTileLabel(cell),
                  RectF{left, tile.top + res.Px(10) - raise, right, tile.bottom - res.Px(8) - raise}, brush.White,
                  kAlignLeadingCentered);
  if (!value.empty())
    res.DrawTrimmedLine(FontId::Hint, value, RectF{left, tile.bottom - res.Px(32), right, tile.bottom - res.Px(6)},
                        LegibleAccent(brush.Accent, kTileFill), kAlignLeadingCentered);
}

void PaintButtonTile(RenderResources& res, int cell, std::u16string_view text, bool focused) {
  const RectF tile = SettingsTileRect(cell, res.Width(), res.Height());
  res.FillRounded(tile, 12, Rgba{0.18, 0.16, 0.08, 1});
  res.StrokeRounded(tile, 12, res.Brush().Accent, focused ? res.FocusRing() : 1.5);
  res.DrawTrimmedLine(FontId::Label, text, tile, res.Brush().White, kAlignCentered);
}

std::u16string IdentityText(const AppState& state) {
  const DeviceIdentity& id = state.panel.identity;
  std::u16string text(Translate("mac_address"));
  text += u": " + id.ShownMac() + u"\n";
  text += Translate("device_key");
  text += u": " + (id.deviceKey.empty() ? std::u16string(u"-") : id.deviceKey);
  return text;
}

}  // namespace

void PaintSettings(RenderResources& res, const AppState& state) {
  if (!res.Drawing()) return;
  const double W = res.Width(), H = res.Height();
  res.Clear(Rgba{0.05, 0.05, 0.07, 1});
  res.DrawTrimmedLine(FontId::Title, Translate("settings"), RectF{0, res.Y(40), W, res.Y(110)}, res.Brush().White,
                      kAlignCentered);
  res.DrawBackButton(SettingsBackRect(W, H));

  // A focus of 14 (never reached by the keys) shows on tile 13.
  const int focus = state.nav.SettingsIndex == kNoTileCell ? 13 : state.nav.SettingsIndex;
  for (int cell = 0; cell < kSettingsCellCount; ++cell) {
    const SettingsCell& row = *SettingsCellAt(cell);
    if (row.tile == SettingsCell::Tile::Setting) PaintSettingTile(res, state, cell, cell == focus);
    if (row.tile == SettingsCell::Tile::Button) PaintButtonTile(res, cell, Translate(row.buttonKey), cell == focus);
  }
  res.DrawTrimmed(FontId::Label, IdentityText(state), SettingsIdentityRect(W, H), res.Brush().White, kAlignCentered);
  if (!state.StatusText.empty())
    res.DrawTrimmed(FontId::Hint, state.StatusText, RectF{res.X(180), res.Y(112), W - res.X(180), res.Y(146)},
                    res.Brush().Accent, TextAlign{HAlign::Center, VAlign::Center});
}

// --- The screen -------------------------------------------------------------------

void SettingsScreen::Paint(RenderResources& res, const AppState& state, const LocalTime& /*now*/) const {
  PaintSettings(res, state);
}

void SettingsScreen::OnKey(ScreenContext& ctx, int vk) {
  int& index = ctx.state.nav.SettingsIndex;
  if (vk == Vk::Return) {
    RunSettingsCell(ctx, index);
    return;
  }
  index = SettingsMove(index, vk, ctx.width, ctx.height);
}

void SettingsScreen::OnPointer(ScreenContext& ctx, const PointerEvent& event) {
  if (event.kind != PointerEvent::Kind::Up) return;
  if (SettingsBackRect(ctx.width, ctx.height).Contains(event.x, event.y)) {
    ctx.navigator.SetScreen(Screen::Home);
    return;
  }
  const int cell = SettingsHitTest(event.x, event.y, ctx.width, ctx.height);
  if (cell < 0) return;
  ctx.state.nav.SettingsIndex = cell;
  RunSettingsCell(ctx, cell);
}

RectF SettingsScreen::NoticeRect(const AppState& /*state*/, int width, int height) const {
  return SettingsNoticeRect(width, height);
}

void SettingsScreen::OnEnter(ScreenContext& ctx, Screen /*from*/) { ctx.state.nav.SettingsIndex = 0; }

ScreenHelp SettingsScreen::Help(const AppState& /*state*/) const {
  return {nullptr, {{{Vk::Left, Vk::Right, Vk::Up, Vk::Down}, "help_move"}, {{Vk::Return}, "help_change_setting"}}};
}
