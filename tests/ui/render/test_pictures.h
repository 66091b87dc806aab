#pragma once
// Small picture files for the rendering tests, written with cairo, and pixel
// reads of cairo image surfaces.
#include <cairo.h>

#include <cstdint>
#include <filesystem>

#include "ui/render/render_resources.h"

// A PNG of w x h pixels in one colour (straight alpha). True when written.
inline bool WriteSolidPng(const std::filesystem::path& path, int w, int h, Rgba colour) {
  std::filesystem::create_directories(path.parent_path());
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(surface);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, colour.a);
  cairo_paint(cr);
  cairo_destroy(cr);
  const bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  return ok;
}

struct Pixel {
  int a, r, g, b;  // premultiplied, as cairo keeps them
  int Brightness() const { return r + g + b; }
};

inline Pixel PixelAt(cairo_surface_t* surface, int x, int y) {
  cairo_surface_flush(surface);
  const unsigned char* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
  const uint32_t p = reinterpret_cast<const uint32_t*>(row)[x];
  return Pixel{static_cast<int>(p >> 24), static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
               static_cast<int>(p & 0xFF)};
}

// An offscreen frame: a transparent surface of w x h bound to `res`.
class OffscreenFrame {
 public:
  OffscreenFrame(RenderResources& res, int w, int h, int dashColor = 0) : res_(res) {
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cr_ = cairo_create(surface_);
    res_.BeginFrame(cr_, w, h, dashColor);
  }
  ~OffscreenFrame() {
    res_.EndFrame();
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
  }
  OffscreenFrame(const OffscreenFrame&) = delete;
  OffscreenFrame& operator=(const OffscreenFrame&) = delete;

  Pixel At(int x, int y) const { return PixelAt(surface_, x, y); }
  // True when any pixel of the column range [x0, x1) has some alpha.
  bool AnyInk(int x0, int x1) const {
    const int h = cairo_image_surface_get_height(surface_);
    for (int y = 0; y < h; ++y) {
      for (int x = x0; x < x1; ++x) {
        if (At(x, y).a > 0) return true;
      }
    }
    return false;
  }

 private:
  RenderResources& res_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
};
