#pragma once
// The Movies and Series screens share one grid: categories on the left and
// the items of the selected category as five columns of posters. The Series
// screen adds the episode list as a side panel over it. ItemGridLayoutOf is
// the one layout of painting and hit tests. Main thread only.
#include <vector>

#include "ui/screens/browse_frame.h"
#include "ui/screens/screen_view.h"

constexpr int kGridColumns = 5;
// Pictures asked for ahead of the frame: this many items from the first shown.
constexpr int kGridIconsAhead = 16;

struct ItemGridLayout {
  ListRows categories;
  int categoryFirst = 0;
  double gridLeft = 0, gridTop = 0;
  double cellWidth = 0, cellHeight = 0;
  int rows = 1;       // visible grid rows
  int firstItem = 0;  // first item shown (a multiple of five)
  RectF CellRect(int item) const;  // of an item shown (item - firstItem < rows * 5)
};

// The layout for `categoryCount` visible categories and `itemCount` items.
ItemGridLayout ItemGridLayoutOf(const NavState& nav, int categoryCount, int itemCount, double width, double height);

// The grid's scrolling rule: the selected item stays visible and moving down
// scrolls whole rows, so the selection sits on the last visible row.
int GridFirstItem(int first, int selected, int rows);

struct GridHit {
  enum class Kind { None, Tab, Category, Cell };
  Kind kind = Kind::None;
  int index = -1;  // visible category position, item, or the tab's Screen value
  bool operator==(const GridHit&) const = default;
};
GridHit GridHitTest(const ItemGridLayout& layout, int categoryCount, int itemCount, double x, double y, double width,
                    double height);

// The episode panel of the Series screen.
struct EpisodesLayout {
  ListRows rows;
  int first = 0;
  double left = 0;
};
EpisodesLayout EpisodesLayoutOf(int episodeIndex, int episodeCount, double width, double height);
// The episode under (x, y), or -1.
int EpisodeAt(const EpisodesLayout& layout, int episodeCount, double x, double y);

std::vector<int> VisibleItemCategories(const AppState& state, VodKind kind);

// One of the two grid screens.
class ItemGridScreen : public ScreenView {
 public:
  explicit ItemGridScreen(VodKind kind) : kind_(kind) {}
  void PrepareFrame(RenderResources& res, const AppState& state, int width, int height) const override;
  void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const override;
  bool TakeKeyBeforeBack(ScreenContext& ctx, int vk) override;
  void OnKey(ScreenContext& ctx, int vk) override;
  void OnPointer(ScreenContext& ctx, const PointerEvent& event) override;
  void OnEnter(ScreenContext& ctx, Screen from) override;
  // The item list shows one kind (the series while Series shows, else the
  // movies): rebuilt when that kind is this grid's and it changed.
  void OnCatalogChanged(ScreenContext& ctx, const CatalogChange& change) override;
  // In the header band, clear of its tabs (HeaderNoticeRect).
  ScreenHelp Help(const AppState& state) const override;
  RectF NoticeRect(const AppState& state, int width, int height) const override;

 private:
  Screen ScreenOf() const { return kind_ == VodKind::Movies ? Screen::Movies : Screen::Series; }
  void Activate(ScreenContext& ctx);
  void PaintEpisodes(RenderResources& res, const AppState& state) const;

  VodKind kind_;
  mutable CategoryCounts counts_;
};

// Entering Movies or Series: asks for the kind's download when its list is
// empty, selects "All" and rebuilds the grid's list.
void EnterItemScreen(ScreenContext& ctx, VodKind kind);
