#include "platform/font_warmup.h"

#include <pango/pangocairo.h>

#include "platform/cairo_canvas.h"

namespace {

// The letters, digits and signs of most interface texts (menu words, the
// clock, dates, counts, status lines): each face's glyphs for them are
// rendered once, into the caches the frames draw from.
constexpr const char* kSample =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz 0123456789 :-/.,()+%|…";

}  // namespace

FontWarmup::FontWarmup(std::vector<FontFace> faces, std::function<void()> ready)
    : thread_([this, faces = std::move(faces), ready = std::move(ready)] { Prepare(faces, ready); }) {}

FontWarmup::~FontWarmup() {
  if (thread_.joinable()) thread_.join();
  if (map_) g_object_unref(map_);
}

// The same path a frame takes (CairoCanvas): a context for an ARGB32 image
// surface drawn without a transform, with the descriptions the canvas makes,
// so the fonts loaded here are the ones the frame asks for.
void FontWarmup::Prepare(const std::vector<FontFace>& faces, const std::function<void()>& ready) {
  PangoFontMap* map = pango_cairo_font_map_new();
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 64, 64);
  cairo_t* cr = cairo_create(surface);
  PangoContext* context = pango_font_map_create_context(map);
  pango_cairo_update_context(cr, context);
  PangoLayout* layout = pango_layout_new(context);
  pango_layout_set_text(layout, kSample, -1);
  for (const FontFace& face : faces) {
    PangoFontDescription* font = NewFaceDescription(face);
    pango_layout_set_font_description(layout, font);
    cairo_move_to(cr, 0, 0);
    pango_cairo_show_layout(cr, layout);
    pango_font_description_free(font);
  }
  g_object_unref(layout);
  g_object_unref(context);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  map_ = map;
  if (ready) ready();
}

void FontWarmup::Adopt() {
  if (!thread_.joinable()) return;
  thread_.join();
  pango_cairo_font_map_set_default(PANGO_CAIRO_FONT_MAP(map_));
  g_object_unref(map_);
  map_ = nullptr;
}
