#include "ui/screens/multiview_rules.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

PixelRect Span(int left, int top, int right, int bottom) { return PixelRect{left, top, right - left, bottom - top}; }

int CentreX(const PixelRect& r) { return r.x + r.w / 2; }
int CentreY(const PixelRect& r) { return r.y + r.h / 2; }

bool Shows(const MultiViewState& view, int except, std::u16string_view id) {
  for (size_t i = 0; i < view.tiles.size(); ++i)
    if (int(i) != except && view.tiles[i].channel.id() == id) return true;
  return false;
}

}  // namespace

std::vector<PixelRect> TileRects(int count, int width, int height) {
  const int midX = width / 2, midY = height / 2;
  switch (count) {
    case 1: return {Span(0, 0, width, height)};
    case 2: return {Span(0, 0, midX, height), Span(midX, 0, width, height)};
    case 3: {
      const int quarter = width / 4;
      return {Span(0, 0, midX, midY), Span(midX, 0, width, midY), Span(quarter, midY, quarter + (width - midX), height)};
    }
    case 4:
      return {Span(0, 0, midX, midY), Span(midX, 0, width, midY), Span(0, midY, midX, height),
              Span(midX, midY, width, height)};
    default: return {};
  }
}

int TileAt(const std::vector<PixelRect>& tiles, int x, int y) {
  for (size_t i = 0; i < tiles.size(); ++i) {
    const PixelRect& r = tiles[i];
    if (x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h) return int(i);
  }
  return -1;
}

int FocusAfterArrow(const std::vector<PixelRect>& tiles, int focus, int dx, int dy) {
  if (focus < 0 || focus >= int(tiles.size())) return focus;
  const int fx = CentreX(tiles[size_t(focus)]), fy = CentreY(tiles[size_t(focus)]);
  int best = focus;
  long bestDistance = std::numeric_limits<long>::max();
  for (size_t i = 0; i < tiles.size(); ++i) {
    if (int(i) == focus) continue;
    const long ahead = long(CentreX(tiles[i]) - fx) * dx + long(CentreY(tiles[i]) - fy) * dy;
    const long aside = std::labs(long(CentreX(tiles[i]) - fx) * dy) + std::labs(long(CentreY(tiles[i]) - fy) * dx);
    if (ahead <= 0 || aside >= ahead) continue;
    const long distance = ahead + aside;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = int(i);
    }
  }
  return best;
}

int TilesAllowed(int wanted, std::optional<int32_t> maxConnections) {
  int allowed = std::clamp(wanted, 0, kMaxViewTiles);
  if (maxConnections && *maxConnections > 0) allowed = std::min(allowed, int(*maxConnections));
  return allowed;
}

std::vector<int> FirstTileChannels(const VisibleList& list, int current, int count,
                                   const std::function<bool(const CatalogItem&)>& playable) {
  std::vector<int> chosen;
  const int n = int(list.size());
  if (current < 0 || current >= n) return chosen;
  chosen.push_back(current);
  for (int step = 1; step < n && int(chosen.size()) < count; ++step) {
    const int index = (current + step) % n;
    const CatalogItem& channel = list[size_t(index)];
    if (playable && !playable(channel)) continue;
    const bool repeated = std::any_of(chosen.begin(), chosen.end(),
                                      [&](int c) { return list[size_t(c)].id() == channel.id(); });
    if (!repeated) chosen.push_back(index);
  }
  return chosen;
}

int NextFreeChannel(const VisibleList& list, int from, int direction, const MultiViewState& view, int tile,
                    const std::function<bool(const CatalogItem&)>& playable) {
  const int n = int(list.size());
  if (n == 0 || direction == 0) return -1;
  const int step = direction > 0 ? 1 : -1;
  int index = from >= 0 && from < n ? from : (step > 0 ? n - 1 : 0);
  for (int tried = 0; tried < n; ++tried) {
    index = (index + step + n) % n;
    const CatalogItem& channel = list[size_t(index)];
    if (playable && !playable(channel)) continue;
    if (!Shows(view, tile, channel.id())) return index;
  }
  return -1;
}

int FocusAfterRemoval(int focus, int removed, int remaining) {
  if (remaining <= 0) return 0;
  if (focus > removed) --focus;
  return std::clamp(focus, 0, remaining - 1);
}

std::vector<PixelRect> ViewTileRects(const MultiViewState& view, int width, int height) {
  if (!view.filled) return TileRects(int(view.tiles.size()), width, height);
  std::vector<PixelRect> rects(view.tiles.size());
  if (view.focus >= 0 && view.focus < int(rects.size())) rects[size_t(view.focus)] = PixelRect{0, 0, width, height};
  return rects;
}
