#include "platform/gl_compositor.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Image {
  int width, height, stride;
  std::vector<uint32_t> pixels;
  Image(int w, int h, int padding = 0) : width(w), height(h), stride((w + padding) * 4),
                                         pixels(static_cast<size_t>(w + padding) * h, 0) {}
  void Set(int x, int y, uint32_t argb) { pixels[static_cast<size_t>(y) * (stride / 4) + x] = argb; }
  PixelRect Box() const { return InkedBox(reinterpret_cast<const uint8_t*>(pixels.data()), width, height, stride); }
};

}  // namespace

TEST(InkedBox, EmptyLayerDrawsNothing) {
  Image image(64, 32);
  EXPECT_TRUE(image.Box().empty());
}

TEST(InkedBox, BoundsEveryVisiblePixel) {
  Image image(64, 32, /*padding=*/3);
  image.Set(10, 5, 0x80808080);  // half-transparent grey, premultiplied
  EXPECT_EQ(image.Box(), (PixelRect{10, 5, 1, 1}));
  image.Set(63, 31, 0xFF000000);  // opaque black counts too
  image.Set(2, 20, 0x01000000);
  EXPECT_EQ(image.Box(), (PixelRect{2, 5, 62, 27}));
  image.Set(0, 0, 0x00000001);  // colour without alpha would still add light when blended
  EXPECT_EQ(image.Box(), (PixelRect{0, 0, 64, 32}));
}

TEST(InkedBox, IgnoresRowPadding) {
  Image image(8, 4, /*padding=*/4);
  image.pixels[9] = 0xFFFFFFFF;  // in the padding of row 0, outside the image
  EXPECT_TRUE(image.Box().empty());
}
