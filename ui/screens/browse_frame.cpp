#include "ui/screens/browse_frame.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "catalog/special_categories.h"
#include "net/text.h"
#include "store/id_set.h"
#include "i18n/translate.h"

namespace sc = SpecialCategory;

// ---------------------------------------------------------------------------
// Header bar

namespace {

struct Tab {
  double left, right;
  int word;
  Screen screen;
};
constexpr Tab kTabs[] = {{54, 175, kMenuHome, Screen::Home},
                         {200, 345, kMenuLive, Screen::Live},
                         {360, 530, kMenuMovies, Screen::Movies},
                         {545, 730, kMenuSeries, Screen::Series}};

// Click ranges in 1920ths of the width; each includes its lower bound, the
// first that matches wins.
struct TabRange {
  double from, to;
  Screen screen;
};
constexpr TabRange kTabRanges[] = {{-1e9, 175, Screen::Home},
                                   {200, 345, Screen::Live},
                                   {360, 530, Screen::Movies},
                                   {545, 730, Screen::Series},
                                   {730, 1195, Screen::Search}};

constexpr double kSearchPillRight = 1195, kMarkLeft = 1758;
constexpr Rgba kHeaderFill{0.05, 0.05, 0.07, 1};
constexpr Rgba kPillFill{0.12, 0.12, 0.14, 1};

}  // namespace

void PaintHeaderBar(RenderResources& res, Screen current) {
  const Brushes& brush = res.Brush();
  const double W = res.Width();
  res.FillRect(RectF{0, 0, W, res.Y(kHeaderBottom)}, kHeaderFill);
  res.FillRect(RectF{0, res.Y(kHeaderBottom), W, res.Y(kBodyTop)}, brush.Accent);
  const int language = CurrentLanguage();
  for (size_t i = 0; i < std::size(kTabs); ++i) {
    const Tab& tab = kTabs[i];
    const RectF box = res.Design(tab.left, 42, tab.right, 96);
    Rgba colour = brush.Dim;
    // The current tab is a filled pill: accent text on the dark band is too
    // faint with the darker accents.
    if (tab.screen == current) {
      // Inset so it keeps clear of the separators and of the search pill,
      // which starts under the last tab's end.
      res.FillRounded(res.Design(tab.left + 8, 42, tab.right - 8, 96), 10, brush.Accent);
      colour = ReadableOn(brush.Accent);
    }
    res.DrawTrimmedLine(FontId::Label, MenuWord(language, tab.word), box, colour, kAlignCentered);
    if (i + 1 < std::size(kTabs)) {
      const double x = res.X(tab.right + 12);
      res.FillRect(RectF{x, res.Y(52), x + 3, res.Y(86)}, brush.Dim);
    }
  }
  res.FillRounded(res.Design(727, 30, kSearchPillRight, 96), 22, kPillFill);
  res.DrawTrimmedLine(FontId::Hint, MenuWord(language, kMenuSearch), res.Design(780, 30, 1170, 96), brush.Dim,
                      kAlignLeadingCentered);
  res.DrawTrimmedLine(FontId::Label, u"VS", res.Design(kMarkLeft, 18, 1902, 96), brush.Accent, kAlignCentered);
}

RectF HeaderNoticeRect(double width, double height) {
  return DesignRect(kSearchPillRight + 20, 24, kMarkLeft - 20, 100, width, height);
}

std::optional<Screen> HeaderTabAt(double x, double y, double width, double height) {
  if (y < 0 || y >= DesignY(kHeaderBottom, height) || width <= 0) return std::nullopt;
  const double designX = x * kDesignWidth / width;
  for (const TabRange& range : kTabRanges) {
    if (designX >= range.from && designX < range.to) return range.screen;
  }
  return std::nullopt;
}

// ---------------------------------------------------------------------------
// Lists

int ListRows::OffsetAt(double y) const {
  if (y < top || y >= bottom) return -1;
  const int offset = int((y - top) / rowHeight);
  return offset < visible ? offset : -1;
}

ListRows ListRowsPixels(double top, double bottom, int rowHeight) {
  ListRows rows;
  rows.top = top;
  rows.bottom = bottom;
  rows.rowHeight = std::max(1, rowHeight);
  rows.visible = std::max(1, int((bottom - top) / rows.rowHeight));
  return rows;
}

ListRows ListRowsOf(double designTop, double designBottom, double designRowHeight, double height) {
  return ListRowsPixels(DesignY(designTop, height), DesignY(designBottom, height),
                        int(DesignY(designRowHeight, height)));
}

int KeepInView(int first, int selected, int visible) {
  if (selected < first) first = selected;
  if (selected >= first + visible) first = selected - visible + 1;
  return std::max(0, first);
}

int ClampFirst(int first, int visible, int total) { return std::clamp(first, 0, std::max(0, total - visible)); }

// ---------------------------------------------------------------------------
// Category column

int CategoryCounts::CountFor(const SharedItems& items, const Category& category, const IdList& history,
                             const IdList& favorites, const IdList& locked) {
  if (category.id == sc::AddGroup) return -1;
  if (category.id == sc::Recent) return int(IdSet(history).size());
  if (category.id == sc::Favorite) return int(IdSet(favorites).size());
  if (category.id == sc::Lock) return int(IdSet(locked).size());
  if (!items) return 0;
  if (category.id.empty()) return int(items->size());
  if (source_.lock() != items || sourceSize_ != items->size()) {
    source_ = items;
    sourceSize_ = items->size();
    std::vector<std::u16string_view> ids;
    ids.reserve(items->size());
    for (const CatalogItem& item : *items) ids.push_back(item.categoryId());
    std::sort(ids.begin(), ids.end());
    counts_.clear();
    for (size_t i = 0; i < ids.size();) {
      size_t j = i;
      while (j < ids.size() && ids[j] == ids[i]) ++j;
      counts_.emplace_back(std::u16string(ids[i]), int(j - i));
      i = j;
    }
  }
  const auto it = std::lower_bound(counts_.begin(), counts_.end(), category.id,
                                   [](const auto& entry, const std::u16string& id) { return entry.first < id; });
  return it != counts_.end() && it->first == category.id ? it->second : 0;
}

std::u16string CategoryLabel(const Category& category) {
  if (category.id == sc::Recent) return std::u16string(Translate("recently_viewed"));
  if (category.id == sc::Favorite) return std::u16string(Translate("favorite"));
  if (category.id == sc::Lock) return std::u16string(Translate("lock"));
  if (category.id == sc::AddGroup) return u"+ " + std::u16string(Translate("add_group"));
  if (category.id.empty() && (category.name == sc::AllName || category.name == sc::DownloadAllName))
    return std::u16string(Translate("all"));
  return CleanDisplayName(category.name);
}

std::vector<CategoryRow> CategoryRowsOf(const std::vector<Category>& categories, const std::vector<int>& visible,
                                        const SharedItems& items, const IdList& history, const IdList& favorites,
                                        const IdList& locked, CategoryCounts& counts) {
  std::vector<CategoryRow> rows;
  rows.reserve(visible.size());
  for (int index : visible) {
    const Category& category = categories[size_t(index)];
    CategoryRow row;
    row.category = index;
    row.name = CategoryLabel(category);
    row.count = counts.CountFor(items, category, history, favorites, locked);
    row.special = category.id == sc::Recent || category.id == sc::Favorite || category.id == sc::Lock;
    rows.push_back(std::move(row));
  }
  return rows;
}

int VisiblePosition(const std::vector<int>& visible, int category) {
  const auto it = std::find(visible.begin(), visible.end(), category);
  return it == visible.end() ? 0 : int(it - visible.begin());
}

double CategoryScrollbarX(double width) { return DesignX(431, width) - 16; }

// The count ends clear of the scroll bar (a count of four digits reached
// under it), and a long name ends before the count begins.
RectF CategoryCountRect(const RenderResources& res, const CategoryColumnStyle& style, double top, double bottom) {
  const double right = std::min(res.X(style.countRight), CategoryScrollbarX(res.Width()) - res.Px(6));
  return RectF{res.X(style.nameRight), top, right, bottom};
}

RectF CategoryNameRect(const RenderResources& res, const CategoryColumnStyle& style, double top, double bottom) {
  return RectF{res.X(16), top, res.X(style.nameRight) - res.Px(6), bottom};
}

namespace {
constexpr Rgba kColumnFill{0.06, 0.07, 0.10, 1};
constexpr Rgba kSelectedCategoryFill{0.14, 0.14, 0.16, 1};
}  // namespace

void PaintCategoryColumn(RenderResources& res, const ListRows& rows, const std::vector<CategoryRow>& categories,
                         int first, int selectedCategory, const CategoryColumnStyle& style) {
  const Brushes& brush = res.Brush();
  res.FillRect(RectF{0, res.Y(kBodyTop), res.X(431), double(res.Height())}, kColumnFill);
  const int total = int(categories.size());
  for (int offset = 0; offset < rows.visible && first + offset < total; ++offset) {
    const CategoryRow& row = categories[size_t(first + offset)];
    const double top = rows.RowTop(offset);
    const double bottom = top + rows.rowHeight;
    if (row.category == selectedCategory) {
      res.FillRect(RectF{res.X(4), top, res.X(431), bottom}, kSelectedCategoryFill);
      if (style.outlineSelected) {
        const double ring = res.FocusRing();
        res.StrokeRounded(RectF{res.X(4) + ring / 2, top + 4, res.X(431) - 6, bottom - 4}, 6, brush.Accent, ring);
      }
    }
    res.DrawTrimmedLine(FontId::Row, row.name, CategoryNameRect(res, style, top, bottom), brush.White,
                        kAlignLeadingCentered);
    if (row.count >= 0) {
      res.DrawTrimmedLine(FontId::Hint, AsciiToWide(std::to_string(row.count)),
                          CategoryCountRect(res, style, top, bottom), row.special ? brush.Accent : brush.Dim,
                          TextAlign{HAlign::Trailing, VAlign::Center});
    }
  }
  res.DrawScrollbar(CategoryScrollbarX(res.Width()), rows.top, rows.bottom, first, rows.visible, total);
}

int StepCategory(const std::vector<int>& visible, int current, int step) {
  if (visible.empty()) return current;
  const int position = std::clamp(VisiblePosition(visible, current) + step, 0, int(visible.size()) - 1);
  return visible[size_t(position)];
}

int NextCategoryWrapping(const std::vector<int>& visible, int current) {
  if (visible.empty()) return current;
  const int position = (VisiblePosition(visible, current) + 1) % int(visible.size());
  return visible[size_t(position)];
}
