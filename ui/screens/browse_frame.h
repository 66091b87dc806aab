#pragma once
// What the Live, Movies and Series screens share: the header bar with its
// tabs and search pill, the geometry of their lists (whole-pixel rows, the
// scrolling rule) and the category column. Layout functions here are used
// by painting and hit tests alike. Main thread only.
#include <optional>
#include <string>
#include <vector>

#include "state/app_state.h"
#include "ui/render/render_resources.h"

// --- Header bar ---------------------------------------------------------------

constexpr double kHeaderBottom = 108;  // of 1080: the band; the accent line runs to 111
constexpr double kBodyTop = 111;

void PaintHeaderBar(RenderResources& res, Screen current);
// The screen a click in the header band opens (the tabs and the search
// pill); nothing outside them or below the band.
std::optional<Screen> HeaderTabAt(double x, double y, double width, double height);
// The band's free part, right of the search pill and left of the mark:
// where notices show on the browsing screens.
RectF HeaderNoticeRect(double width, double height);

// --- Lists --------------------------------------------------------------------

// Rows of a list between two design heights: the row height is the design
// height scaled and truncated to whole pixels (at least 1), and as many
// whole rows as fit are visible (at least 1).
struct ListRows {
  double top = 0, bottom = 0;
  int rowHeight = 1;
  int visible = 1;
  double RowTop(int offset) const { return top + double(offset) * rowHeight; }
  // The row offset at pixel height y, or -1 outside the rows.
  int OffsetAt(double y) const;
};
ListRows ListRowsOf(double designTop, double designBottom, double designRowHeight, double height);
ListRows ListRowsPixels(double top, double bottom, int rowHeight);

// The scrolling rule: the first visible row moves just enough to show
// `selected` (up to it, or so that it is the last visible), never below 0.
int KeepInView(int first, int selected, int visible);
// A first row kept within the list so that the last page stays full.
int ClampFirst(int first, int visible, int total);

// --- Category column ----------------------------------------------------------

// One row of a category column.
struct CategoryRow {
  int category = 0;  // index into the kind's category list
  std::u16string name;
  int count = -1;    // -1: no count shown
  bool special = false;  // counts in the accent colour
};

// The counts per category id of one item list, made once per list: the
// painters show a count on every row and a provider list is long.
class CategoryCounts {
 public:
  // Counts of the items in `items` per category id; the special categories
  // count their collections ("recent", "fav", "lock") and "All" everything.
  int CountFor(const SharedItems& items, const Category& category, const IdList& history, const IdList& favorites,
               const IdList& locked);

 private:
  std::weak_ptr<const ItemList> source_;
  size_t sourceSize_ = 0;
  std::vector<std::pair<std::u16string, int>> counts_;  // sorted by id
};

// A category's name as the screens show it: the program's own categories
// (recently viewed, all, favourites, locked, add group) in the interface
// language, the server's as the server names them. The lists keep the
// English names, which the cache files and the stored choices hold.
std::u16string CategoryLabel(const Category& category);

// The rows of a column: the visible categories of `categories` (hidden ones
// left out) with their names and counts.
std::vector<CategoryRow> CategoryRowsOf(const std::vector<Category>& categories, const std::vector<int>& visible,
                                        const SharedItems& items, const IdList& history, const IdList& favorites,
                                        const IdList& locked, CategoryCounts& counts);

// Position of `category` among the visible ones; 0 when absent.
int VisiblePosition(const std::vector<int>& visible, int category);

// The category column from x = 0 to 431 (design): rows, the selected one
// filled (and outlined while the column has the focus when `outlineFocus`),
// names, counts, a scroll bar at its right edge.
struct CategoryColumnStyle {
  double nameRight = 338, countRight = 424;
  bool outlineSelected = false;
};
void PaintCategoryColumn(RenderResources& res, const ListRows& rows, const std::vector<CategoryRow>& categories,
                         int first, int selectedCategory, const CategoryColumnStyle& style);
// The category column's scroll bar: x from 431 - 16 (design) to its right edge.
double CategoryScrollbarX(double width);
// Where a row's name and its count are written (pixels, between the row's
// top and bottom); the count stays left of the scroll bar.
RectF CategoryNameRect(const RenderResources& res, const CategoryColumnStyle& style, double top, double bottom);
RectF CategoryCountRect(const RenderResources& res, const CategoryColumnStyle& style, double top, double bottom);

// Steps through the visible categories: finds `current` (position 0 when
// absent), adds `step` and clamps; `current` itself for an empty list.
int StepCategory(const std::vector<int>& visible, int current, int step);
// The next visible category after `current`, the first after the last.
int NextCategoryWrapping(const std::vector<int>& visible, int current);
