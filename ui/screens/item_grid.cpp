#include "ui/screens/item_grid.h"

#include <algorithm>

#include "catalog/category_visibility.h"
#include "catalog/visible_list.h"
#include "net/text.h"
#include "platform/virtual_keys.h"
#include "store/collections.h"
#include "store/runtime_log.h"
#include "i18n/translate.h"
#include "ui/nav/navigator.h"

// Sections: layout and hit tests; painting; keys; pointer; entering.

namespace {

constexpr double kRowsTop = 122, kCategoryRowHeight = 72;
constexpr double kCategoryRight = 431;
constexpr double kGridLeft = 460, kGridRightMargin = 24;
constexpr uint64_t kNoticeMs = 2500;

const IdList& FavoritesOf(const Settings& s, VodKind kind) { return kind == VodKind::Movies ? s.FavVod : s.FavSeries; }
IdList& FavoritesOf(Settings& s, VodKind kind) { return kind == VodKind::Movies ? s.FavVod : s.FavSeries; }
const IdList& HistoryOf(const Settings& s, VodKind kind) {
  return kind == VodKind::Movies ? s.HistoryMovies : s.HistorySeries;
}
const IdList& HiddenOf(const Settings& s, VodKind kind) { return kind == VodKind::Movies ? s.HideVod : s.HideSeries; }

}  // namespace

std::vector<int> VisibleItemCategories(const AppState& state, VodKind kind) {
  return VisibleCategoryIndices(CategoriesOf(state.catalog, kind), HiddenOf(state.settings, kind));
}

RectF ItemGridLayout::CellRect(int item) const {
  const int shown = item - firstItem;
  const double left = gridLeft + (shown % kGridColumns) * cellWidth;
  const double top = gridTop + (shown / kGridColumns) * cellHeight;
  return RectF{left, top, left + cellWidth, top + cellHeight};
}

int GridFirstItem(int first, int selected, int rows) {
  const int page = rows * kGridColumns;
  first -= first % kGridColumns;
  if (selected < first) first = selected - selected % kGridColumns;
  if (selected >= first + page) first = (selected / kGridColumns - rows + 1) * kGridColumns;
  return std::max(0, first);
}

ItemGridLayout ItemGridLayoutOf(const NavState& nav, int categoryCount, int itemCount, double width, double height) {
  ItemGridLayout l;
  l.categories = ListRowsOf(kRowsTop, kDesignHeight, kCategoryRowHeight, height);
  l.categoryFirst = ClampFirst(nav.ItemCategoryScroll, l.categories.visible, categoryCount);
  l.gridLeft = DesignX(kGridLeft, width);
  l.gridTop = DesignY(kRowsTop, height);
  l.cellWidth = std::max(1.0, (width - DesignX(kGridRightMargin, width) - l.gridLeft) / kGridColumns);
  l.cellHeight = 1.55 * l.cellWidth;
  l.rows = std::max(1, int((height - l.gridTop - 16) / l.cellHeight));
  const int lastRowFirst = std::max(0, (itemCount - 1) / kGridColumns * kGridColumns);
  l.firstItem = std::clamp(nav.ItemScroll - nav.ItemScroll % kGridColumns, 0, lastRowFirst);
  return l;
}

GridHit GridHitTest(const ItemGridLayout& l, int categoryCount, int itemCount, double x, double y, double width,
                    double height) {
  if (const auto tab = HeaderTabAt(x, y, width, height)) return {GridHit::Kind::Tab, ScreenIndex(*tab)};
  if (x < DesignX(kCategoryRight, width)) {
    const int offset = l.categories.OffsetAt(y);
    if (offset >= 0 && l.categoryFirst + offset < categoryCount) return {GridHit::Kind::Category, l.categoryFirst + offset};
    return {};
  }
  if (x < l.gridLeft || y < l.gridTop) return {};
  const int column = int((x - l.gridLeft) / l.cellWidth), row = int((y - l.gridTop) / l.cellHeight);
  if (column >= kGridColumns || row >= l.rows) return {};
  const int item = l.firstItem + row * kGridColumns + column;
  if (item >= itemCount) return {};
  return {GridHit::Kind::Cell, item};
}

EpisodesLayout EpisodesLayoutOf(int episodeIndex, int episodeCount, double width, double height) {
  EpisodesLayout l;
  l.left = DesignX(900, width);
  l.rows = ListRowsPixels(DesignY(150, height), height - DesignY(20, height), int(DesignY(48, height)));
  l.first = ClampFirst(KeepInView(0, episodeIndex, l.rows.visible), l.rows.visible, episodeCount);
  return l;
}

int EpisodeAt(const EpisodesLayout& l, int episodeCount, double x, double y) {
  if (x < l.left) return -1;
  const int offset = l.rows.OffsetAt(y);
  if (offset < 0 || l.first + offset >= episodeCount) return -1;
  return l.first + offset;
}

// ---------------------------------------------------------------------------
// Painting

namespace {

constexpr Rgba kBodyFill{0.02, 0.02, 0.03, 1};
constexpr Rgba kCardFill{0.08, 0.08, 0.10, 1};
constexpr Rgba kPanelFill{0.06, 0.07, 0.10, 0.96};

bool Contains(const IdList& list, std::u16string_view id) { return std::find(list.begin(), list.end(), id) != list.end(); }

}  // namespace

void ItemGridScreen::PrepareFrame(RenderResources& res, const AppState& state, int width, int height) const {
  const VisibleList& items = state.VisibleItems;
  const ItemGridLayout l = ItemGridLayoutOf(state.nav, 0, int(items.size()), width, height);
  const int end = std::min(int(items.size()), l.firstItem + kGridIconsAhead);
  for (int i = l.firstItem; i < end; ++i) res.IconFor(items[size_t(i)]);
}

void ItemGridScreen::Paint(RenderResources& res, const AppState& state, const LocalTime& /*now*/) const {
  const Brushes& brush = res.Brush();
  const double W = res.Width(), H = res.Height();
  res.Clear(kScreenClear);
  res.FillRect(RectF{0, res.Y(kBodyTop), W, H}, kBodyFill);
  PaintHeaderBar(res, ScreenOf());
  const Settings& s = state.settings;
  const std::vector<int> visible = VisibleItemCategories(state, kind_);
  const std::vector<CategoryRow> categories =
      CategoryRowsOf(CategoriesOf(state.catalog, kind_), visible, ItemsOf(state.catalog, kind_), HistoryOf(s, kind_),
                     FavoritesOf(s, kind_), s.LockCh, counts_);
  const VisibleList& items = state.VisibleItems;
  const int total = int(items.size());
  const ItemGridLayout l = ItemGridLayoutOf(state.nav, int(categories.size()), total, W, H);
  CategoryColumnStyle style;
  style.nameRight = 328;
  style.outlineSelected = state.nav.ItemFocus == 0;
  PaintCategoryColumn(res, l.categories, categories, l.categoryFirst, state.nav.ItemCategoryIndex, style);
  res.FillRect(RectF{res.X(439), res.Y(kBodyTop), res.X(442), H}, brush.Accent);

  if (total == 0) {
    const std::u16string text = state.StatusText.empty() ? std::u16string(Translate("no_items")) : state.StatusText;
    res.DrawTrimmedLine(FontId::Label, text, RectF{res.X(480), res.Y(400), W - res.X(24), res.Y(500)}, brush.Dim);
  }
  const IdList& favorites = FavoritesOf(s, kind_);
  const int end = std::min(total, l.firstItem + l.rows * kGridColumns);
  for (int i = l.firstItem; i < end; ++i) {
    const CatalogItem& item = items[size_t(i)];
    const RectF cell = l.CellRect(i);
    const RectF card{cell.left, cell.top, cell.right - 10, cell.bottom - 10};
    const bool focused = i == state.nav.ItemIndex && state.nav.ItemFocus == 1;
    const double caption = res.Px(36);
    res.FillRounded(card, 8, kCardFill);
    if (const Picture* poster = res.IconFor(item))
      res.DrawPicture(poster, RectF{card.left + 4, card.top + 4, card.right - 4, card.bottom - caption});
    // The focused card: a thick accent ring and its caption on an accent bar.
    Rgba text = brush.White;
    if (focused) {
      res.FillRounded(RectF{card.left, card.bottom - caption, card.right, card.bottom}, 8, brush.Accent);
      res.StrokeRounded(card, 8, brush.Accent, res.FocusRing());
      text = ReadableOn(brush.Accent);
    }
    res.DrawTrimmedLine(FontId::Hint, CleanDisplayName(item.name()),
                        RectF{card.left + 6, card.bottom - caption + 2, card.right - 6, card.bottom - 4}, text,
                        kAlignLeadingCentered);
    if (Contains(favorites, item.id()))
      res.DrawTrimmedLine(FontId::Hint, u"*", RectF{card.right - 28, card.top + 4, card.right - 6, card.top + 28},
                          brush.Accent);
  }
  if (kind_ == VodKind::Series && state.nav.EpisodesOpen && !state.series.Episodes.empty()) PaintEpisodes(res, state);
}

void ItemGridScreen::PaintEpisodes(RenderResources& res, const AppState& state) const {
  const Brushes& brush = res.Brush();
  const double W = res.Width(), H = res.Height();
  const auto& episodes = state.series.Episodes;
  const EpisodesLayout l = EpisodesLayoutOf(state.nav.EpisodeIndex, int(episodes.size()), W, H);
  res.FillRect(RectF{0, 0, W, H}, Rgba{0, 0, 0, 0.55});
  res.FillRect(RectF{l.left, 0, W, H}, kPanelFill);
  res.DrawTrimmedLine(FontId::Title, Translate("episodes"), RectF{l.left + 24, res.Y(20), W - 24, res.Y(90)},
                      LegibleAccent(brush.Accent, kPanelFill), kAlignLeadingCentered);
  res.DrawTrimmedLine(FontId::Hint, CleanDisplayName(state.SeriesShown.name()),
                      RectF{res.X(924), res.Y(90), W - 24, res.Y(140)}, brush.Dim, kAlignLeadingCentered);
  const int total = int(episodes.size());
  for (int offset = 0; offset < l.rows.visible && l.first + offset < total; ++offset) {
    const int index = l.first + offset;
    const Episode& episode = episodes[size_t(index)];
    const double top = l.rows.RowTop(offset), bottom = top + l.rows.rowHeight;
    const bool selected = index == state.nav.EpisodeIndex;
    if (selected) res.FillRect(RectF{res.X(908), top, W - 8, bottom}, brush.Accent);
    res.DrawTrimmedLine(FontId::Row, u"S" + episode.season + u"  " + episode.title,
                        RectF{res.X(924), top, W - 24, bottom}, selected ? ReadableOn(brush.Accent) : brush.White,
                        kAlignLeadingCentered);
  }
}

// ---------------------------------------------------------------------------
// Keys

namespace {

void KeepGridInView(ScreenContext& ctx, VodKind kind) {
  AppState& state = ctx.state;
  NavState& nav = state.nav;
  const std::vector<int> visible = VisibleItemCategories(state, kind);
  const ItemGridLayout l = ItemGridLayoutOf(nav, int(visible.size()), int(state.VisibleItems.size()), ctx.width,
                                            ctx.height);
  nav.ItemScroll = GridFirstItem(nav.ItemScroll, nav.ItemIndex, l.rows);
  nav.ItemCategoryScroll = KeepInView(nav.ItemCategoryScroll, VisiblePosition(visible, nav.ItemCategoryIndex),
                                      l.categories.visible);
}

void SelectCategory(ScreenContext& ctx, VodKind kind, int category) {
  AppState& state = ctx.state;
  state.nav.ItemCategoryIndex = category;
  RebuildItemList(state.catalog, kind, state.settings, state.nav.ItemCategoryIndex, state.VisibleItems);
  state.nav.ItemIndex = 0;
  state.nav.ItemScroll = 0;
}

void ToggleItemFavorite(ScreenContext& ctx, VodKind kind) {
  AppState& state = ctx.state;
  const int index = state.nav.ItemIndex;
  if (index < 0 || index >= int(state.VisibleItems.size())) return;
  const std::string_view key = ToggleFavoriteId(FavoritesOf(state.settings, kind), state.VisibleItems[size_t(index)].id());
  ShowNotice(state, std::u16string(Translate(key)), kNoticeMs);
  ctx.window.SaveSettingsNow();
}

}  // namespace

void ItemGridScreen::Activate(ScreenContext& ctx) {
  AppState& state = ctx.state;
  const int index = state.nav.ItemIndex;
  if (index < 0 || index >= int(state.VisibleItems.size())) return;
  const CatalogItem& item = state.VisibleItems[size_t(index)];
  if (kind_ == VodKind::Movies) ctx.playback.PlayMovie(item);
  else ctx.content.RequestSeriesInfo(item, false);
}

// The episode panel takes every key while it is open.
bool ItemGridScreen::TakeKeyBeforeBack(ScreenContext& ctx, int vk) {
  NavState& nav = ctx.state.nav;
  if (kind_ != VodKind::Series || !nav.EpisodesOpen) return false;
  const auto& episodes = ctx.state.series.Episodes;
  const int last = int(episodes.size()) - 1;
  if (Vk::IsBack(vk)) {
    nav.EpisodesOpen = false;
  } else if (vk == Vk::Down) {
    nav.EpisodeIndex = std::clamp(nav.EpisodeIndex + 1, 0, std::max(0, last));
  } else if (vk == Vk::Up) {
    nav.EpisodeIndex = std::clamp(nav.EpisodeIndex - 1, 0, std::max(0, last));
  } else if (vk == Vk::Return && nav.EpisodeIndex >= 0 && nav.EpisodeIndex <= last) {
    nav.EpisodesOpen = false;
    ctx.playback.PlayEpisode(episodes[size_t(nav.EpisodeIndex)]);
  }
  return true;
}

void ItemGridScreen::OnKey(ScreenContext& ctx, int vk) {
  AppState& state = ctx.state;
  NavState& nav = state.nav;
  const std::vector<int> visible = VisibleItemCategories(state, kind_);
  if (!visible.empty() && std::find(visible.begin(), visible.end(), nav.ItemCategoryIndex) == visible.end())
    nav.ItemCategoryIndex = visible.front();
  const int last = std::max(0, int(state.VisibleItems.size()) - 1);
  const bool grid = nav.ItemFocus == 1;
  if (vk == Vk::Right) {
    if (grid) nav.ItemIndex = std::min(last, nav.ItemIndex + 1);
    else nav.ItemFocus = 1;
  } else if (vk == Vk::Left) {
    if (grid) nav.ItemFocus = 0;
    else nav.ItemIndex = std::max(0, nav.ItemIndex - 1);
  } else if (vk == Vk::Down) {
    if (grid) nav.ItemIndex = std::min(last, nav.ItemIndex + kGridColumns);
    else SelectCategory(ctx, kind_, StepCategory(visible, nav.ItemCategoryIndex, 1));
  } else if (vk == Vk::Up) {
    if (grid) nav.ItemIndex = std::max(0, nav.ItemIndex - kGridColumns);
    else SelectCategory(ctx, kind_, StepCategory(visible, nav.ItemCategoryIndex, -1));
  } else if (vk == Vk::Tab) {
    SelectCategory(ctx, kind_, NextCategoryWrapping(visible, nav.ItemCategoryIndex));
  } else if (vk == Vk::Grave) {
    ToggleItemFavorite(ctx, kind_);
  } else if (vk == Vk::Return) {
    Activate(ctx);
  }
  KeepGridInView(ctx, kind_);
}

// ---------------------------------------------------------------------------
// Pointer

void ItemGridScreen::OnPointer(ScreenContext& ctx, const PointerEvent& event) {
  AppState& state = ctx.state;
  NavState& nav = state.nav;
  const std::vector<int> visible = VisibleItemCategories(state, kind_);
  const int categoryCount = int(visible.size()), itemCount = int(state.VisibleItems.size());
  const bool episodes = kind_ == VodKind::Series && nav.EpisodesOpen && !state.series.Episodes.empty();
  if (episodes) {
    const int count = int(state.series.Episodes.size());
    if (event.kind == PointerEvent::Kind::Wheel) {
      nav.EpisodeIndex = std::clamp(nav.EpisodeIndex - event.wheelNotches, 0, count - 1);
      return;
    }
    if (event.kind != PointerEvent::Kind::Up) return;
    const EpisodesLayout el = EpisodesLayoutOf(nav.EpisodeIndex, count, ctx.width, ctx.height);
    const int row = EpisodeAt(el, count, event.x, event.y);
    if (row >= 0) {
      nav.EpisodeIndex = row;
      nav.EpisodesOpen = false;
      ctx.playback.PlayEpisode(state.series.Episodes[size_t(row)]);
    } else if (event.x < el.left) {
      nav.EpisodesOpen = false;  // a click on the veil closes the panel
    }
    return;
  }
  const ItemGridLayout l = ItemGridLayoutOf(nav, categoryCount, itemCount, ctx.width, ctx.height);
  if (event.kind == PointerEvent::Kind::Wheel) {
    if (event.x < DesignX(kCategoryRight, ctx.width)) {
      nav.ItemCategoryScroll = ClampFirst(l.categoryFirst - 3 * event.wheelNotches, l.categories.visible, categoryCount);
    } else if (itemCount > 0) {
      nav.ItemIndex = std::clamp(nav.ItemIndex - kGridColumns * event.wheelNotches, 0, itemCount - 1);
      nav.ItemFocus = 1;
      KeepGridInView(ctx, kind_);
    }
    return;
  }
  if (event.kind != PointerEvent::Kind::Up && event.kind != PointerEvent::Kind::DoubleClick) return;
  const GridHit hit = GridHitTest(l, categoryCount, itemCount, event.x, event.y, ctx.width, ctx.height);
  switch (hit.kind) {
    case GridHit::Kind::Tab:
      if (event.kind == PointerEvent::Kind::Up) ctx.navigator.SetScreen(Screen(hit.index));
      return;
    case GridHit::Kind::Category:
      nav.ItemFocus = 0;
      if (visible[size_t(hit.index)] != nav.ItemCategoryIndex) SelectCategory(ctx, kind_, visible[size_t(hit.index)]);
      return;
    case GridHit::Kind::Cell: {
      // A click selects a card; a click on the selected card opens it, as
      // Enter does. A double click's second press is not acted on: its
      // release is that second click, and acting on both would play twice.
      if (event.kind == PointerEvent::Kind::DoubleClick) return;
      const bool again = hit.index == nav.ItemIndex && nav.ItemFocus == 1;
      nav.ItemFocus = 1;
      nav.ItemIndex = hit.index;
      if (again) Activate(ctx);
      return;
    }
    default: return;
  }
}

// ---------------------------------------------------------------------------
// Entering

void ItemGridScreen::OnCatalogChanged(ScreenContext& ctx, const CatalogChange& change) {
  AppState& state = ctx.state;
  const VodKind shown = state.CurrentScreen == Screen::Series ? VodKind::Series : VodKind::Movies;
  const bool changed = kind_ == VodKind::Series ? change.series : change.movies;
  if (shown != kind_ || !changed) return;
  RebuildItemList(state.catalog, kind_, state.settings, state.nav.ItemCategoryIndex, state.VisibleItems);
}

void ItemGridScreen::OnEnter(ScreenContext& ctx, Screen /*from*/) { EnterItemScreen(ctx, kind_); }

void EnterItemScreen(ScreenContext& ctx, VodKind kind) {
  AppState& state = ctx.state;
  NavState& nav = state.nav;
  const SharedItems& items = ItemsOf(state.catalog, kind);
  if (!items || items->empty()) (kind == VodKind::Movies ? state.flags.MoviesWanted : state.flags.SeriesWanted) = true;
  nav.ItemFocus = 0;
  nav.ItemCategoryIndex = 1;
  nav.ItemIndex = 0;
  nav.ItemScroll = 0;
  nav.ItemCategoryScroll = 0;
  nav.EpisodesOpen = false;
  RebuildItemList(state.catalog, kind, state.settings, nav.ItemCategoryIndex, state.VisibleItems);
}

RectF ItemGridScreen::NoticeRect(const AppState& /*state*/, int width, int height) const {
  return HeaderNoticeRect(width, height);
}

ScreenHelp ItemGridScreen::Help(const AppState& state) const {
  if (kind_ == VodKind::Series && state.nav.EpisodesOpen)
    return {"episodes", {{{Vk::Up, Vk::Down}, "help_move"}, {{Vk::Return}, "play"}}};
  return {nullptr,
          {{{Vk::Left, Vk::Right, Vk::Up, Vk::Down}, "help_move"},
           {{Vk::Tab}, "help_next_category"},
           {{Vk::Grave}, "help_favorite"},
           {{Vk::Return}, kind_ == VodKind::Series ? "help_play_or_episodes" : "play"}}};
}
