#include "platform/layer_ink.h"

#include <algorithm>

void LayerInk::Reset(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  columns_ = (width_ + kCell - 1) / kCell;
  rows_ = (height_ + kCell - 1) / kCell;
  cells_.assign(static_cast<size_t>(columns_) * rows_, 0);
  rects_.clear();
  bounds_ = {};
}

bool LayerInk::CellInked(const uint8_t* data, int stride, int column, int row) const {
  const int x0 = column * kCell, x1 = std::min(x0 + kCell, width_);
  const int y0 = row * kCell, y1 = std::min(y0 + kCell, height_);
  for (int y = y0; y < y1; ++y) {
    const auto* p = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    uint32_t any = 0;
    for (int x = x0; x < x1; ++x) any |= p[x];
    if (any) return true;
  }
  return false;
}

void LayerInk::Update(const uint8_t* data, int stride, const PixelRect& changed) {
  const int x0 = std::max(changed.x, 0), y0 = std::max(changed.y, 0);
  const int x1 = std::min(changed.x + changed.w, width_), y1 = std::min(changed.y + changed.h, height_);
  if (!data || x1 <= x0 || y1 <= y0) return;
  for (int row = y0 / kCell; row <= (y1 - 1) / kCell; ++row) {
    for (int column = x0 / kCell; column <= (x1 - 1) / kCell; ++column) {
      cells_[static_cast<size_t>(row) * columns_ + column] = CellInked(data, stride, column, row) ? 1 : 0;
    }
  }
  Rebuild();
}

void LayerInk::Rebuild() {
  rects_.clear();
  bounds_ = {};
  // Runs of the row above still open for extension: [first, last) columns
  // and the index of their rectangle.
  struct Run {
    int first, last;
    size_t rect;
  };
  std::vector<Run> above, here;
  int left = width_, top = height_, right = 0, bottom = 0;
  for (int row = 0; row < rows_; ++row) {
    here.clear();
    const uint8_t* cells = &cells_[static_cast<size_t>(row) * columns_];
    for (int column = 0; column < columns_;) {
      if (!cells[column]) {
        ++column;
        continue;
      }
      const int first = column;
      while (column < columns_ && cells[column]) ++column;
      const int x = first * kCell, y = row * kCell;
      const int w = std::min(column * kCell, width_) - x, h = std::min(y + kCell, height_) - y;
      const auto same = std::find_if(above.begin(), above.end(),
                                     [&](const Run& r) { return r.first == first && r.last == column; });
      if (same != above.end()) {
        rects_[same->rect].h += h;
        here.push_back(*same);
      } else {
        rects_.push_back(PixelRect{x, y, w, h});
        here.push_back(Run{first, column, rects_.size() - 1});
      }
      left = std::min(left, x);
      right = std::max(right, x + w);
      top = std::min(top, y);
      bottom = std::max(bottom, y + h);
    }
    above.swap(here);
  }
  if (!rects_.empty()) bounds_ = PixelRect{left, top, right - left, bottom - top};
}
