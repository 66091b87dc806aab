#include "platform/offscreen_canvas.h"

#include <cairo-svg.h>

#include "platform/cairo_canvas.h"

struct OffscreenCanvas::Parts {
  cairo_surface_t* surface;
  std::unique_ptr<CairoCanvas> canvas;
};

OffscreenCanvas::OffscreenCanvas(int width, int height)
    : parts_(std::make_unique<Parts>()), width_(width), height_(height) {
  parts_->surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  parts_->canvas = std::make_unique<CairoCanvas>(parts_->surface);
}

OffscreenCanvas::~OffscreenCanvas() {
  parts_->canvas.reset();
  cairo_surface_destroy(parts_->surface);
}

Canvas& OffscreenCanvas::Draw() { return *parts_->canvas; }

uint32_t OffscreenCanvas::PixelAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  cairo_surface_t* surface = parts_->surface;
  cairo_surface_flush(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  if (!data) return 0;
  return reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(surface))[x];
}

bool OffscreenCanvas::WritePng(const std::filesystem::path& path) const {
  cairo_surface_flush(parts_->surface);
  return cairo_surface_write_to_png(parts_->surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

bool DrawSvgFile(const std::filesystem::path& path, double width, double height,
                 const std::function<void(Canvas&)>& draw) {
  cairo_surface_t* surface = cairo_svg_surface_create(path.c_str(), width, height);
  cairo_svg_surface_set_document_unit(surface, CAIRO_SVG_UNIT_PX);
  bool drawn = false;
  {
    CairoCanvas canvas(surface);
    draw(canvas);
    drawn = canvas.Ok();
  }
  cairo_surface_finish(surface);
  const bool written = drawn && cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  return written;
}
