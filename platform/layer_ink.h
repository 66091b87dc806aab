#pragma once
// Where a cairo layer has ink, in cells of kCell x kCell pixels: a pixel is
// ink when it is not 0 (cairo's ARGB32 is premultiplied, so a pixel with
// alpha 0 and any colour would still add light when blended). The
// compositor blends a layer only over its inked cells: a thin outline or a
// few labels spread over the window cost their cells, not their bounding
// box.
#include <cstdint>
#include <vector>

#include "platform/host_window.h"

class LayerInk {
 public:
  static constexpr int kCell = 32;

  // An image of this size without ink.
  void Reset(int width, int height);
  // Reads again the cells that meet `changed` in an image of the size given
  // to Reset (ARGB32 rows `stride` bytes apart).
  void Update(const uint8_t* data, int stride, const PixelRect& changed);

  // Rectangles, within the image, that together cover every inked cell and
  // nothing else: runs of inked cells along a cell row, a run extended down
  // while the next rows have the same run.
  const std::vector<PixelRect>& Rects() const { return rects_; }
  // Their bounding box; empty when the image has no ink.
  PixelRect Bounds() const { return bounds_; }

 private:
  bool CellInked(const uint8_t* data, int stride, int column, int row) const;
  void Rebuild();

  int width_ = 0, height_ = 0, columns_ = 0, rows_ = 0;
  std::vector<uint8_t> cells_;  // rows_ x columns_, 1 = inked
  std::vector<PixelRect> rects_;
  PixelRect bounds_;
};
