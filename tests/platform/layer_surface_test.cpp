#include "platform/layer_surface.h"

#include <gtest/gtest.h>

#include <cstdint>

// A layer starts transparent, as the compositor's "known clear" state
// assumes, and takes cairo's drawing like any image surface, also at sizes
// whose rows or total do not fill a whole huge page.
TEST(LayerSurface, StartsTransparentAndPaintsLikeAnImageSurface) {
  for (const auto& [w, h] : {std::pair{1920, 1080}, std::pair{7, 3}, std::pair{1, 1}}) {
    cairo_surface_t* surface = CreateLayerSurface(w, h);
    ASSERT_EQ(cairo_surface_status(surface), CAIRO_STATUS_SUCCESS) << w << "x" << h;
    EXPECT_EQ(cairo_image_surface_get_format(surface), CAIRO_FORMAT_ARGB32);
    EXPECT_EQ(cairo_image_surface_get_width(surface), w);
    EXPECT_EQ(cairo_image_surface_get_height(surface), h);
    const int stride = cairo_image_surface_get_stride(surface);
    ASSERT_GE(stride, w * 4);
    const uint8_t* data = cairo_image_surface_get_data(surface);
    bool allZero = true;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w * 4; ++x) allZero = allZero && data[y * stride + x] == 0;
    EXPECT_TRUE(allZero) << w << "x" << h;

    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgba(cr, 1, 0, 0, 1);
    cairo_rectangle(cr, 0, h - 1, 1, 1);  // the last row: the end of the memory
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const auto last = *reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(h - 1) * stride);
    EXPECT_EQ(last, 0xFFFF0000u);
    cairo_surface_destroy(surface);  // the mapping goes with it
  }
  // No pixels: cairo's own empty surface, no mapping.
  cairo_surface_t* none = CreateLayerSurface(0, 10);
  if (cairo_surface_status(none) == CAIRO_STATUS_SUCCESS) {
    EXPECT_EQ(cairo_image_surface_get_width(none), 0);
  }
  cairo_surface_destroy(none);
}
