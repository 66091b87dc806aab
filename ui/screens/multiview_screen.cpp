#include "ui/screens/multiview_screen.h"

#include <algorithm>

#include "i18n/translate.h"
#include "platform/virtual_keys.h"
#include "ui/modals/option_picker.h"
#include "ui/nav/navigator.h"
#include "ui/screens/multiview_rules.h"

namespace {

constexpr Rgba kLabelShade{0, 0, 0, 0.62};
constexpr Rgba kFailedShade{0.05, 0.05, 0.07, 0.78};
// The focus outline: the strips' amber, whatever the accent colour, as it
// must stand out on any picture.
constexpr Rgba kFocusOutline{0.90, 0.77, 0.31, 1};

bool Focusable(const MultiViewState& view, int tile) { return tile >= 0 && tile < int(view.tiles.size()); }

void Leave(ScreenContext& ctx) { ctx.navigator.SetScreen(Screen::Player); }

// The picker's rows: "<number>  <name>" of up to kViewPickerRows channels
// of the Live list around `centre`, those in a tile checked.
struct PickerRows {
  int first = 0;  // the list index of row 0
  std::vector<std::u16string> options;
  std::vector<bool> inTile;
};

PickerRows RowsAround(const AppState& state, int centre) {
  PickerRows rows;
  const int n = int(state.VisibleLive.size());
  rows.first = std::clamp(centre - kViewPickerRows / 2, 0, std::max(0, n - kViewPickerRows));
  const int last = std::min(n, rows.first + kViewPickerRows);
  for (int i = rows.first; i < last; ++i) {
    const CatalogItem& channel = state.VisibleLive[size_t(i)];
    std::u16string text(channel.num());
    if (!text.empty()) text += u"  ";
    text += channel.name();
    rows.options.push_back(std::move(text));
    const auto& tiles = state.multiView.tiles;
    rows.inTile.push_back(std::any_of(tiles.begin(), tiles.end(),
                                      [&](const ViewTile& t) { return t.channel.id() == channel.id(); }));
  }
  return rows;
}

// C: the focused tile's channel, picked from the Live list.
void PickChannel(ScreenContext& ctx) {
  const MultiViewState& view = ctx.state.multiView;
  if (!Focusable(view, view.focus) || ctx.state.VisibleLive.empty()) return;
  const int current = ctx.state.VisibleLive.find(view.tiles[size_t(view.focus)].channel.id());
  PickerRows rows = RowsAround(ctx.state, std::max(current, 0));
  OptionPicker picker =
      MakePicker(std::u16string(Translate("mv_pick")), std::move(rows.options), std::max(current, 0) - rows.first, ctx.nowMs);
  picker.checked = std::move(rows.inTile);
  PickerModal modal(std::move(picker));
  if (!ctx.modal.Run(modal) || modal.Choice() < 0) return;
  const CatalogItem channel = ctx.state.VisibleLive[size_t(rows.first + modal.Choice())];
  ctx.playback.MultiView().SetChannel(ctx.state.multiView.focus, channel);
}

void MoveFocus(ScreenContext& ctx, int dx, int dy) {
  const MultiViewState& view = ctx.state.multiView;
  const int next = FocusAfterArrow(TileRects(int(view.tiles.size()), ctx.width, ctx.height), view.focus, dx, dy);
  if (next != view.focus) ctx.playback.MultiView().Focus(next);
}

void PaintOutline(RenderResources& res, const PixelRect& r, Rgba colour) {
  const double t = std::max(4.0, res.Px(6));
  const double l = r.x, top = r.y, right = r.x + r.w, bottom = r.y + r.h;
  res.FillRect(RectF{l, top, right, top + t}, colour);
  res.FillRect(RectF{l, bottom - t, right, bottom}, colour);
  res.FillRect(RectF{l, top + t, l + t, bottom - t}, colour);
  res.FillRect(RectF{right - t, top + t, right, bottom - t}, colour);
}

std::u16string LabelOf(const CatalogItem& channel) {
  std::u16string text(channel.num());
  if (!text.empty()) text += u"  ";
  return text + std::u16string(channel.name());
}

void PaintLabel(RenderResources& res, const RectF& band, const CatalogItem& channel) {
  const std::u16string text = LabelOf(channel);
  const double width = std::min(band.Width(), res.MeasureText(FontId::StripSmall, text).first + 2 * res.Px(14));
  res.FillRounded(RectF{band.left, band.top, band.left + width, band.bottom}, res.Px(8), kLabelShade);
  res.DrawTrimmedLine(FontId::StripSmall, text, RectF{band.left + res.Px(14), band.top, band.right - res.Px(14), band.bottom},
                      res.Brush().White, kAlignLeadingCentered);
}

void PaintFailed(RenderResources& res, const RectF& box, const CatalogItem& channel) {
  res.FillRounded(box, res.Px(10), kFailedShade);
  const double third = box.Height() / 3;
  const TextAlign centre = kAlignCentered;
  res.DrawTrimmedLine(FontId::StripSmall, LabelOf(channel), RectF{box.left, box.top, box.right, box.top + third},
                      res.Brush().Dim, centre);
  res.DrawTrimmedLine(FontId::StripLarge, Translate("mv_failed"),
                      RectF{box.left, box.top + third, box.right, box.top + 2 * third}, res.Brush().White, centre);
  res.DrawTrimmedLine(FontId::StripSmall, Translate("mv_other"), RectF{box.left, box.top + 2 * third, box.right, box.bottom},
                      res.Brush().Dim, centre);
}

void PaintHint(RenderResources& res, const RectF& place) {
  const std::u16string_view text = Translate("mv_keys");
  const double w = res.Width();
  const double width = std::min(place.Width(), res.MeasureText(FontId::StripSmall, text).first + 2 * res.Px(24));
  const RectF band{(w - width) / 2, place.top, (w + width) / 2, place.bottom};
  res.FillRounded(band, res.Px(10), kLabelShade);
  res.DrawTrimmedLine(FontId::StripSmall, text, RectF{band.left + res.Px(24), band.top, band.right - res.Px(24), band.bottom},
                      res.Brush().White, kAlignCentered);
}

}  // namespace

ViewOverlayLayout ViewOverlayLayoutOf(const MultiViewState& view, int width, int height) {
  // The painters' sizes: design pixels at the window's font scale.
  const double k = FontScaleFor(width, height);
  const auto px = [k](double design) { return design * k; };
  ViewOverlayLayout l;
  for (const PixelRect& r : ViewTileRects(view, width, height)) {
    if (r.empty()) {
      l.labels.emplace_back();
      l.failed.emplace_back();
      continue;
    }
    const double pad = px(14);
    l.labels.push_back(RectF{r.x + pad, r.y + pad, r.x + r.w - pad, r.y + pad + px(46)});
    const double cy = r.y + r.h / 2.0;
    l.failed.push_back(RectF{r.x + r.w * 0.08, cy - px(74), r.x + r.w * 0.92, cy + px(74)});
  }
  const double w = width, h = height;
  l.hint = RectF{px(24), h - px(24) - px(52), w - px(24), h - px(24)};
  // Above the hint, where the lower tiles show nothing but their picture
  // (their failure boxes sit at their middle, their labels at their top).
  const double noticeWidth = std::min(w - 2 * px(24), px(1100));
  const double bottom = l.hint.top - px(16);
  l.notice = RectF{(w - noticeWidth) / 2, bottom - px(80), (w + noticeWidth) / 2, bottom};
  return l;
}

RectF MultiViewScreen::NoticeRect(const AppState& state, int width, int height) const {
  return ViewOverlayLayoutOf(state.multiView, width, height).notice;
}

void MultiViewScreen::Paint(RenderResources& res, const AppState& state, const LocalTime& /*now*/) const {
  const MultiViewState& view = state.multiView;
  const std::vector<PixelRect> rects = ViewTileRects(view, res.Width(), res.Height());
  const ViewOverlayLayout l = ViewOverlayLayoutOf(view, res.Width(), res.Height());
  for (size_t i = 0; i < rects.size() && i < view.tiles.size(); ++i) {
    const ViewTile& tile = view.tiles[i];
    if (rects[i].empty()) continue;
    if (tile.failed) PaintFailed(res, l.failed[i], tile.channel);
    else if (tile.labelShown) PaintLabel(res, l.labels[i], tile.channel);
  }
  if (!view.filled && view.tiles.size() > 1 && Focusable(view, view.focus))
    PaintOutline(res, rects[size_t(view.focus)], kFocusOutline);
  if (view.hintShown && !view.filled) PaintHint(res, l.hint);
}

bool MultiViewScreen::TakeKeyBeforeBack(ScreenContext& ctx, int vk) {
  if (!Vk::IsBack(vk)) return false;
  if (ctx.state.multiView.filled) ctx.playback.MultiView().Unfill();
  else Leave(ctx);
  return true;
}

void MultiViewScreen::OnKey(ScreenContext& ctx, int vk) {
  MultiViewActions& tiles = ctx.playback.MultiView();
  const bool filled = ctx.state.multiView.filled;
  if (vk == Vk::Letter('W')) {
    Leave(ctx);
  } else if (vk == Vk::PageUp || (filled && vk == Vk::Up)) {
    tiles.StepChannel(-1);
  } else if (vk == Vk::PageDown || (filled && vk == Vk::Down)) {
    tiles.StepChannel(+1);
  } else if (vk == Vk::Letter('C')) {
    PickChannel(ctx);
  } else if (filled) {
    return;
  } else if (vk == Vk::Left || vk == Vk::Right) {
    MoveFocus(ctx, vk == Vk::Right ? 1 : -1, 0);
  } else if (vk == Vk::Up || vk == Vk::Down) {
    MoveFocus(ctx, 0, vk == Vk::Down ? 1 : -1);
  } else if (vk == Vk::Return) {
    tiles.Fill();
  } else if (vk == Vk::Delete) {
    tiles.RemoveTile();
  } else if (vk == Vk::Letter('N')) {
    tiles.AddTile();
  }
}

void MultiViewScreen::OnPointer(ScreenContext& ctx, const PointerEvent& event) {
  const bool click = event.kind == PointerEvent::Kind::Up, twice = event.kind == PointerEvent::Kind::DoubleClick;
  if (!click && !twice) return;
  MultiViewActions& tiles = ctx.playback.MultiView();
  if (ctx.state.multiView.filled) {
    if (twice) tiles.Unfill();
    return;
  }
  const int tile = TileAt(ViewTileRects(ctx.state.multiView, ctx.width, ctx.height), event.x, event.y);
  if (tile < 0) return;
  if (tile != ctx.state.multiView.focus) tiles.Focus(tile);
  if (twice) tiles.Fill();
}

// However the screen is left, only the focused tile's channel goes on (as
// the one video tile); a screen without video then stops it as well.
void MultiViewScreen::OnLeave(ScreenContext& ctx, Screen to) {
  if (ctx.state.multiView.Open()) ctx.playback.MultiView().Close();
  if (to != Screen::Player && to != Screen::Live && to != Screen::Grid) ctx.playback.StopPlayback();
}

ScreenHelp MultiViewScreen::Help(const AppState& /*state*/) const {
  return {"multiview",
          {{{Vk::Left, Vk::Right, Vk::Up, Vk::Down}, "help_tile_focus"},
           {{Vk::PageUp, Vk::PageDown}, "help_tile_channel"},
           {{Vk::Letter('C')}, "help_tile_pick"},
           {{Vk::Delete}, "help_remove"},
           {{Vk::Letter('N')}, "help_tile_add"},
           {{Vk::Return}, "help_tile_fill"},
           {{Vk::Letter('W')}, "help_to_player"}}};
}
