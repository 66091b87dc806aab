#include "ui/screens/search_screen.h"

#include <algorithm>

#include "net/text.h"
#include "platform/virtual_keys.h"
#include "store/runtime_log.h"
#include "i18n/translate.h"
#include "ui/nav/navigator.h"
#include "ui/screens/browse_frame.h"

namespace {

constexpr Rgba kSearchClear{0.04, 0.05, 0.07, 1};
constexpr ItemKind kSectionKinds[3] = {ItemKind::Live, ItemKind::Vod, ItemKind::Series};
constexpr std::string_view kSectionTitles[3] = {"live_channels", "movies", "series"};

}  // namespace

SearchLayout SearchLayoutOf(const SearchResultList& results, int listIndex, double width, double height) {
  SearchLayout l;
  l.back = DesignRect(54, 54, 144, 144, width, height);
  l.queryBox = DesignRect(240, 54, 1160, 144, width, height);
  l.notice = DesignRect(1200, 54, 1872, 144, width, height);
  const double rowHeight = DesignY(48, height), titleHeight = DesignY(36, height);
  double y = DesignY(180, height);
  for (int s = 0; s < 3; ++s) {
    SearchSectionLayout& section = l.sections[s];
    section.shown = y < height - DesignY(80, height);
    section.title = RectF{DesignX(48, width), y, DesignX(800, width), y + titleHeight};
    y += titleHeight;
    const std::vector<int> hits = results.OfKind(kSectionKinds[s]);
    if (hits.empty()) {
      section.empty = true;
      y += rowHeight;
      continue;
    }
    const auto at = std::find(hits.begin(), hits.end(), listIndex);
    const int position = at == hits.end() ? 0 : int(at - hits.begin());
    const int shown = std::min<int>(kSearchRowsPerSection, int(hits.size()));
    const int first = ClampFirst(KeepInView(0, position, shown), shown, int(hits.size()));
    for (int r = 0; r < shown; ++r) {
      const RectF row{DesignX(48, width), y, width - DesignX(48, width), y + rowHeight};
      y += rowHeight;
      if (!section.shown || row.bottom > height - DesignY(20, height)) continue;
      section.rows.emplace_back(row, hits[size_t(first + r)]);
    }
  }
  return l;
}

int SearchResultAt(const SearchLayout& l, double x, double y) {
  for (const SearchSectionLayout& section : l.sections) {
    for (const auto& [rect, index] : section.rows)
      if (rect.Contains(x, y)) return index;
  }
  return -1;
}

void SearchCatalog(AppState& state, std::u16string query) {
  state.SearchResults = RunSearch(state.catalog, query, state.searchIndex);
  state.nav.SearchQuery = std::move(query);
  state.nav.ListIndex = 0;
}

// Decodes the icons of the rows the frame will show (never inside a frame).
void SearchScreen::PrepareFrame(RenderResources& res, const AppState& state, int width, int height) const {
  const SearchLayout l = SearchLayoutOf(state.SearchResults, state.nav.ListIndex, width, height);
  for (const SearchSectionLayout& section : l.sections) {
    for (const auto& row : section.rows) res.IconFor(state.SearchResults[size_t(row.second)]);
  }
}

void SearchScreen::Paint(RenderResources& res, const AppState& state, const LocalTime& /*now*/) const {
  const Brushes& brush = res.Brush();
  res.Clear(kSearchClear);
  const SearchLayout l = SearchLayoutOf(state.SearchResults, state.nav.ListIndex, res.Width(), res.Height());
  res.DrawBackButton(l.back);
  res.FillRounded(l.queryBox, 28, Rgba{0.12, 0.12, 0.14, 0.95});
  const RectF text{l.queryBox.left + res.X(40), l.queryBox.top, l.queryBox.right - res.X(60), l.queryBox.bottom};
  if (state.nav.SearchQuery.empty())
    res.DrawTrimmedLine(FontId::Label, Translate("search_hint"), text, brush.Dim, kAlignLeadingCentered);
  else
    res.DrawTrimmedLine(FontId::Label, state.nav.SearchQuery + u"|", text, brush.White, kAlignLeadingCentered);
  for (int s = 0; s < 3; ++s) {
    const SearchSectionLayout& section = l.sections[s];
    if (!section.shown) continue;
    res.DrawTrimmedLine(FontId::Hint, Translate(kSectionTitles[s]), section.title, brush.Dim, kAlignLeadingCentered);
    if (section.empty) {
      const RectF dash{section.title.left, section.title.bottom, section.title.right,
                       section.title.bottom + res.Y(48)};
      res.DrawTrimmedLine(FontId::Hint, u"—", dash, brush.Dim, kAlignLeadingCentered);
    }
    for (const auto& [row, index] : section.rows) {
      const bool selected = index == state.nav.ListIndex;
      if (selected) res.FillRect(row, brush.Blue);
      const CatalogItem& item = state.SearchResults[size_t(index)];
      // The icon is as high as the row, so the name starts after it (60 at
      // 1080, further on a taller surface).
      const double side = row.Height() - 8;
      if (const Picture* icon = res.IconFor(item))
        res.DrawPicture(icon, RectF{row.left + 8, row.top + 4, row.left + 8 + side, row.top + 4 + side});
      res.DrawTrimmedLine(FontId::Row, CleanDisplayName(item.name()),
                          RectF{row.left + std::max(60.0, side + 20), row.top, row.right - 16, row.bottom},
                          selected ? ReadableOn(brush.Blue) : brush.White, kAlignLeadingCentered);
    }
  }
}

RectF SearchScreen::NoticeRect(const AppState& state, int width, int height) const {
  return SearchLayoutOf(state.SearchResults, state.nav.ListIndex, width, height).notice;
}

bool SearchScreen::TakeKeyFirst(ScreenContext& ctx, int vk) {
  AppState& state = ctx.state;
  NavState& nav = state.nav;
  nav.SwallowChar = 0;
  if (vk == Vk::F11) return false;
  const int last = int(state.SearchResults.size()) - 1;
  if (vk == Vk::Escape) {
    ctx.navigator.SetScreen(Screen::Live);
  } else if (vk == Vk::Back) {
    if (nav.SearchQuery.empty()) {
      ctx.navigator.SetScreen(Screen::Live);
    } else {
      std::u16string query = nav.SearchQuery;
      query.pop_back();
      SearchCatalog(state, std::move(query));
    }
  } else if (vk == Vk::Down) {
    nav.ListIndex = std::clamp(nav.ListIndex + 1, 0, std::max(0, last));
  } else if (vk == Vk::Up) {
    nav.ListIndex = std::clamp(nav.ListIndex - 1, 0, std::max(0, last));
  } else if (vk == Vk::Return) {
    OpenSearchResult(ctx, nav.ListIndex);
  }
  return true;
}

bool SearchScreen::OnChar(ScreenContext& ctx, char16_t ch) {
  const char16_t swallow = ctx.state.nav.SwallowChar;
  ctx.state.nav.SwallowChar = 0;
  if (swallow != 0 && (ch == swallow || ch == swallow - 32)) return false;
  SearchCatalog(ctx.state, ctx.state.nav.SearchQuery + ch);
  WriteLogF(512, "search query=%s results=%d", WideToUtf8(ctx.state.nav.SearchQuery).c_str(),
            int(ctx.state.SearchResults.size()));
  return true;
}

void SearchScreen::OnPointer(ScreenContext& ctx, const PointerEvent& event) {
  AppState& state = ctx.state;
  const int count = int(state.SearchResults.size());
  if (event.kind == PointerEvent::Kind::Wheel) {
    if (count > 0) state.nav.ListIndex = std::clamp(state.nav.ListIndex - event.wheelNotches, 0, count - 1);
    return;
  }
  if (event.kind != PointerEvent::Kind::Up) return;
  const SearchLayout l = SearchLayoutOf(state.SearchResults, state.nav.ListIndex, ctx.width, ctx.height);
  if (l.back.Contains(event.x, event.y)) {
    ctx.navigator.SetScreen(Screen::Live);
    return;
  }
  const int index = SearchResultAt(l, event.x, event.y);
  if (index < 0) return;
  // A click highlights a result; a click on the highlighted one opens it.
  if (index == state.nav.ListIndex) OpenSearchResult(ctx, index);
  else state.nav.ListIndex = index;
}

void SearchScreen::OnEnter(ScreenContext& ctx, Screen /*from*/) { SearchCatalog(ctx.state, ctx.state.nav.SearchQuery); }

void OpenSearchResult(ScreenContext& ctx, int index) {
  AppState& state = ctx.state;
  if (index < 0 || index >= int(state.SearchResults.size())) return;
  const SearchHit hit = state.SearchResults.hits[size_t(index)];
  const CatalogItem& item = state.SearchResults[size_t(index)];
  if (hit.kind == ItemKind::Vod) {
    ctx.playback.PlayMovie(item);
    return;
  }
  if (hit.kind == ItemKind::Series) {
    ctx.content.RequestSeriesInfo(item, true);
    return;
  }
  // A channel replaces the live list and plays on the Player screen, from
  // the list the hit indexes, once it passes the parental gate; refused,
  // the list and the selection stay as they were.
  const SharedItems live = state.SearchResults.live;
  if (!live || hit.index >= live->size()) return;
  VisibleList before = std::move(state.VisibleLive);
  const int selected = state.nav.ChannelIndex;
  state.VisibleLive = VisibleList(live, {hit.index});
  state.nav.ChannelIndex = 0;
  if (!ctx.playback.PlaySelectedChannel(LiveStart::Chosen, false)) {
    state.VisibleLive = std::move(before);
    state.nav.ChannelIndex = selected;
    return;
  }
  ctx.playback.EnterFullVideo();
}

ScreenHelp SearchScreen::Help(const AppState& /*state*/) const {
  return {nullptr, {{{Vk::Up, Vk::Down}, "help_move"}, {{Vk::Return}, "help_open"}, {{Vk::Back}, "help_delete_char"}}};
}
