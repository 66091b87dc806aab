#pragma once
// The Search screen: the query box and the results in three sections (live
// channels, movies, series). The box takes every key but F11: letters are
// typed (through OnChar), Backspace deletes, Up/Down move over all results,
// Enter plays or opens the highlighted one, Esc returns to Live.
// SearchLayoutOf is shared by painting and clicks. Main thread only.
#include <string>
#include <vector>

#include "ui/screens/screen_view.h"

constexpr int kSearchRowsPerSection = 12;

struct SearchSectionLayout {
  RectF title;
  std::vector<std::pair<RectF, int>> rows;  // row rectangle, result index
  bool empty = false;  // "—" instead of rows
  bool shown = true;   // the section's top is above the bottom margin
};
struct SearchLayout {
  RectF back, queryBox;
  RectF notice;  // right of the query box: where notices show
  SearchSectionLayout sections[3];  // live, movies, series
};
// Each section shows up to twelve of its results, scrolled so that the
// highlighted result (ListIndex) stays in view.
SearchLayout SearchLayoutOf(const SearchResultList& results, int listIndex, double width, double height);
// The result under (x, y), or -1.
int SearchResultAt(const SearchLayout& layout, double x, double y);

// RunSearch into the state: the query, the results and the highlight.
void SearchCatalog(AppState& state, std::u16string query);

class SearchScreen final : public ScreenView {
 public:
  void PrepareFrame(RenderResources& res, const AppState& state, int width, int height) const override;
  void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const override;
  bool TakeKeyFirst(ScreenContext& ctx, int vk) override;
  bool OnChar(ScreenContext& ctx, char16_t ch) override;
  void OnPointer(ScreenContext& ctx, const PointerEvent& event) override;
  void OnEnter(ScreenContext& ctx, Screen from) override;
  ScreenHelp Help(const AppState& state) const override;
  RectF NoticeRect(const AppState& state, int width, int height) const override;
};

// Enter on a result: a channel plays full-window, a series opens with its
// first episode playing, a movie plays.
void OpenSearchResult(ScreenContext& ctx, int index);
