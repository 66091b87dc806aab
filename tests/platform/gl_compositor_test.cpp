#include "platform/gl_compositor.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

bool Inside(const PixelRect& r, int x, int y) { return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h; }

}  // namespace

// What is redrawn around a picture drawn straight into the window: every
// pixel of the rectangle outside the picture exactly once, none inside it.
TEST(GlCompositor, OutsideCoversTheRestOnce) {
  const PixelRect rect{10, 20, 40, 30};
  const std::vector<PixelRect> holes = {
      {25, 30, 10, 5},   // inside: four pieces
      {40, 0, 100, 40},  // over the top right corner
      {0, 0, 100, 100},  // over all of it
      {60, 20, 5, 5},    // beside it
      {10, 20, 40, 30},  // the same
  };
  for (const PixelRect& hole : holes) {
    const std::vector<PixelRect> pieces = Outside(rect, hole);
    EXPECT_LE(pieces.size(), 4u);
    for (int y = 0; y < 60; ++y) {
      for (int x = 0; x < 60; ++x) {
        int count = 0;
        for (const PixelRect& piece : pieces) count += Inside(piece, x, y);
        const bool wanted = Inside(rect, x, y) && !Inside(hole, x, y);
        ASSERT_EQ(count, wanted ? 1 : 0) << "hole " << hole.x << "," << hole.y << " at " << x << "," << y;
      }
    }
  }
  EXPECT_TRUE(Meets(Outside(rect, {25, 30, 10, 5}), {20, 25, 10, 10}));
  EXPECT_FALSE(Meets(Outside(rect, {25, 30, 10, 5}), {26, 31, 3, 3}));
}
