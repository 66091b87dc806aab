#include "platform/layer_ink.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int C = LayerInk::kCell;

struct Image {
  int width, height, stride;
  std::vector<uint32_t> pixels;
  LayerInk ink;
  Image(int w, int h, int padding = 0) : width(w), height(h), stride((w + padding) * 4),
                                         pixels(static_cast<size_t>(w + padding) * h, 0) {
    ink.Reset(w, h);
  }
  void Set(int x, int y, uint32_t argb) {
    pixels[static_cast<size_t>(y) * (stride / 4) + x] = argb;
    ink.Update(reinterpret_cast<const uint8_t*>(pixels.data()), stride, PixelRect{x, y, 1, 1});
  }
};

}  // namespace

TEST(LayerInk, CellsOfEveryVisiblePixelAndNoMore) {
  Image image(5 * C + 7, 3 * C, /*padding=*/3);  // a last column narrower than a cell
  EXPECT_TRUE(image.ink.Rects().empty());
  EXPECT_TRUE(image.ink.Bounds().empty());
  image.Set(C + 3, 4, 0x80808080);  // half-transparent grey, premultiplied
  EXPECT_EQ(image.ink.Rects(), (std::vector<PixelRect>{{C, 0, C, C}}));
  image.Set(5 * C + 6, 3 * C - 1, 0x00000001);  // colour without alpha still adds light when blended
  EXPECT_EQ(image.ink.Rects(), (std::vector<PixelRect>{{C, 0, C, C}, {5 * C, 2 * C, 7, C}}));
  EXPECT_EQ(image.ink.Bounds(), (PixelRect{C, 0, 4 * C + 7, 3 * C}));
  image.Set(C + 3, 4, 0);  // wiped: its cell is empty again
  EXPECT_EQ(image.ink.Rects(), (std::vector<PixelRect>{{5 * C, 2 * C, 7, C}}));
  image.Set(5 * C + 6, 3 * C - 1, 0);
  EXPECT_TRUE(image.ink.Bounds().empty());
}

// The outline of a box: its top and bottom rows of cells as one rectangle
// each, the sides as one tall rectangle each, nothing inside.
TEST(LayerInk, AnOutlineCostsItsEdgesOnly) {
  Image image(8 * C, 6 * C);
  for (int x = C; x < 7 * C; ++x) image.Set(x, C, 0xFFFFC040), image.Set(x, 5 * C - 1, 0xFFFFC040);
  for (int y = C; y < 5 * C; ++y) image.Set(C, y, 0xFFFFC040), image.Set(7 * C - 1, y, 0xFFFFC040);
  EXPECT_EQ(image.ink.Rects(), (std::vector<PixelRect>{{C, C, 6 * C, C},
                                                       {C, 2 * C, C, 2 * C},
                                                       {6 * C, 2 * C, C, 2 * C},
                                                       {C, 4 * C, 6 * C, C}}));
}

TEST(LayerInk, ReadsOnlyTheImageAndTheChangedCells) {
  Image image(8, 4, /*padding=*/4);
  image.pixels[9] = 0xFFFFFFFF;  // in the padding of row 0, outside the image
  image.ink.Update(reinterpret_cast<const uint8_t*>(image.pixels.data()), image.stride, PixelRect{0, 0, 8, 4});
  EXPECT_TRUE(image.ink.Rects().empty());
  image.pixels[0] = 0xFF000000;  // opaque black, not yet told
  image.ink.Update(reinterpret_cast<const uint8_t*>(image.pixels.data()), image.stride, PixelRect{-5, -5, 2, 2});
  EXPECT_TRUE(image.ink.Rects().empty()) << "a box outside the image reads nothing";
  image.ink.Update(reinterpret_cast<const uint8_t*>(image.pixels.data()), image.stride, PixelRect{7, 3, 1, 1});
  EXPECT_EQ(image.ink.Rects(), (std::vector<PixelRect>{{0, 0, 8, 4}})) << "the whole cell is read again";
}
