#pragma once
// Arrow-key focus over controls drawn as rectangles: an arrow moves to the
// control drawn in its direction, so the keys follow whatever layout the
// painter uses (a grid with gaps, rows of different widths) without a table
// of moves to keep in step with it.
#include <vector>

#include "ui/render/render_resources.h"

// The index of the rectangle an arrow key (Vk::Left, Right, Up, Down) moves
// to from rects[from]; -1 when none lies that way or the key is no arrow.
// Only rectangles wholly beyond the edge the key points at count. Those that
// share the band of `from` across the move (the same row for Left/Right, the
// same column for Up/Down) come first, the nearest along the move, then the
// nearest across it; without one, the nearest by the distance of the
// centres. Empty rectangles are never chosen.
int SpatialNeighbour(const std::vector<RectF>& rects, int from, int vk);
