#include "ui/nav/spatial_focus.h"

#include <cmath>
#include <limits>

#include "platform/virtual_keys.h"

namespace {

// A rectangle seen along the move: `lead` and `trail` are its edges along
// the direction of the key (larger is further), `low` and `high` its edges
// across it.
struct Span {
  double lead, trail, low, high;
};

bool Turned(int vk, const RectF& r, Span& out) {
  switch (vk) {
    case Vk::Right: out = {r.left, r.right, r.top, r.bottom}; return true;
    case Vk::Left: out = {-r.right, -r.left, r.top, r.bottom}; return true;
    case Vk::Down: out = {r.top, r.bottom, r.left, r.right}; return true;
    case Vk::Up: out = {-r.bottom, -r.top, r.left, r.right}; return true;
    default: return false;
  }
}

bool Empty(const RectF& r) { return r.Width() <= 0 || r.Height() <= 0; }

}  // namespace

int SpatialNeighbour(const std::vector<RectF>& rects, int from, int vk) {
  if (from < 0 || size_t(from) >= rects.size()) return -1;
  Span source;
  if (!Turned(vk, rects[size_t(from)], source)) return -1;
  const double sourceMiddle = (source.low + source.high) / 2;
  int aligned = -1, other = -1;
  double alignedGap = 0, alignedOff = 0, otherDistance = std::numeric_limits<double>::infinity();
  for (size_t i = 0; i < rects.size(); ++i) {
    if (int(i) == from || Empty(rects[i])) continue;
    Span s;
    Turned(vk, rects[i], s);
    if (s.lead < source.trail) continue;  // not wholly beyond the edge
    const double gap = s.lead - source.trail;
    const double off = std::abs((s.low + s.high) / 2 - sourceMiddle);
    if (s.low < source.high && source.low < s.high) {
      if (aligned < 0 || gap < alignedGap || (gap == alignedGap && off < alignedOff)) {
        aligned = int(i);
        alignedGap = gap;
        alignedOff = off;
      }
      continue;
    }
    const double along = (s.lead + s.trail - source.lead - source.trail) / 2;
    const double distance = std::hypot(along, off);
    if (distance < otherDistance) {
      other = int(i);
      otherDistance = distance;
    }
  }
  return aligned >= 0 ? aligned : other;
}
