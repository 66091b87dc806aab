#include "ui/screens/live_layout.h"

#include <algorithm>

#include "catalog/category_visibility.h"
#include "platform/clock.h"
#include "player/video_layout.h"

namespace {

constexpr double kRowsTop = 122, kRowHeight = 48;
constexpr double kCategoryRight = 431, kChannelRight = 960;
constexpr double kGuideTop = 648;

bool ValidChannel(const AppState& state) {
  return state.nav.ChannelIndex >= 0 && state.nav.ChannelIndex < int(state.VisibleLive.size());
}

}  // namespace

std::vector<int> VisibleLiveCategories(const AppState& state) {
  return VisibleCategoryIndices(state.catalog.LiveCategories, state.settings.HideLive);
}

LiveLayout LiveLayoutOf(const AppState& state, int categoryCount, int guideCount, double width, double height) {
  LiveLayout l;
  l.categories = ListRowsOf(kRowsTop, kLiveRowsBottom, kRowHeight, height);
  l.channels = l.categories;
  l.guide = ListRowsPixels(DesignY(713, height), DesignY(kLiveRowsBottom, height),
                           std::max(int(DesignY(36, height)), 22));
  const NavState& nav = state.nav;
  l.categoryFirst = ClampFirst(nav.LiveCategoryScroll, l.categories.visible, categoryCount);
  l.channelFirst = ClampFirst(nav.ChannelScroll, l.channels.visible, int(state.VisibleLive.size()));
  if (guideCount > 0) l.guideCurrent = CurrentGuideRow(SelectedGuideRows(state), NowUnix());
  l.guideFirst = ClampFirst(l.guideCurrent + nav.GuideRowIndex, l.guide.visible, guideCount);
  l.categoryRight = DesignX(kCategoryRight, width);
  l.channelRight = DesignX(kChannelRight, width);
  l.channelScrollbarX = l.channelRight - 18;
  l.guideTop = DesignY(kGuideTop, height);
  const double left = DesignX(kChannelRight + 18, width), right = width - DesignX(18, width);
  // The menu's button is as wide as it is high; the four others share the rest.
  const double top = DesignY(kLiveRowsBottom, height), bottom = DesignY(1055, height), space = DesignX(14, width);
  const double menuWidth = bottom - top;
  const double buttonWidth = (right - left - menuWidth - space * (kLiveButtonCount - 1)) / (kLiveButtonCount - 1);
  for (int i = 0; i + 1 < kLiveButtonCount; ++i) {
    const double x = left + i * (buttonWidth + space);
    l.buttons[i] = RectF{x, top, x + buttonWidth, bottom};
  }
  l.buttons[kLiveButtonCount - 1] = RectF{right - menuWidth, top, right, bottom};
  // Notices and the buffer's state show on the video, where the eyes are,
  // and cover no text or control.
  const PixelRect video = VideoRectFor(Screen::Live, false, int(width), int(height));
  l.preview = RectF{double(video.x), double(video.y), double(video.x + video.w), double(video.y + video.h)};
  const double inset = DesignX(24, width), gap = DesignY(18, height);
  l.notice = RectF{l.preview.left + inset, l.preview.top + gap, l.preview.right - inset, l.preview.top + gap + DesignY(80, height)};
  l.previewState = RectF{l.preview.left + inset, l.preview.bottom - gap - DesignY(56, height), l.preview.right - inset,
                         l.preview.bottom - gap};
  return l;
}

LiveHit LiveHitTest(const LiveLayout& l, int categoryCount, int channelCount, double x, double y, double width,
                    double height) {
  if (const auto tab = HeaderTabAt(x, y, width, height)) return {LiveHit::Kind::Tab, ScreenIndex(*tab)};
  for (int i = 0; i < kLiveButtonCount; ++i)
    if (l.buttons[i].Contains(x, y)) return {LiveHit::Kind::Button, i};
  if (x < l.categoryRight) {
    if (x >= CategoryScrollbarX(width) && categoryCount > l.categories.visible) return {LiveHit::Kind::CategoryScrollbar, 0};
    const int offset = l.categories.OffsetAt(y);
    if (offset >= 0 && l.categoryFirst + offset < categoryCount) return {LiveHit::Kind::Category, l.categoryFirst + offset};
    return {};
  }
  if (x < l.channelRight) {
    if (x >= l.channelScrollbarX) return {LiveHit::Kind::ChannelScrollbar, 0};
    const int offset = l.channels.OffsetAt(y);
    if (offset >= 0 && l.channelFirst + offset < channelCount) return {LiveHit::Kind::Channel, l.channelFirst + offset};
  }
  return {};
}

const std::vector<EpgEntry>& SelectedGuideRows(const AppState& state) {
  const int index = state.nav.ChannelIndex;
  if (index < 0 || index >= int(state.VisibleLive.size())) return state.guide.RowsOf({});
  return state.guide.RowsOf(state.VisibleLive[size_t(index)].id());
}

void KeepLiveSelectionInView(AppState& state, int width, int height) {
  NavState& nav = state.nav;
  const std::vector<int> visible = VisibleLiveCategories(state);
  const LiveLayout l = LiveLayoutOf(state, int(visible.size()), 0, width, height);
  nav.LiveCategoryScroll = KeepInView(nav.LiveCategoryScroll, VisiblePosition(visible, nav.live.LiveCategoryIndex),
                                      l.categories.visible);
  if (ValidChannel(state)) nav.ChannelScroll = KeepInView(nav.ChannelScroll, nav.ChannelIndex, l.channels.visible);
  nav.ChannelScroll = ClampFirst(nav.ChannelScroll, l.channels.visible, int(state.VisibleLive.size()));
}

