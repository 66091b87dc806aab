#include "ui/render/product_mark.h"

#include <pango/pangocairo.h>

#include <cmath>

namespace {

constexpr char kMarkText[] = "VS";
constexpr int kMarkWeight = 700;
// In the icon the letters take about half the square's height, and the
// corners are rounded by a fifth of its side.
constexpr double kIconTextShare = 0.5;
constexpr double kIconCornerShare = 0.2;

void RoundedSquare(cairo_t* cr, double size, double radius) {
  constexpr double kQuarter = M_PI / 2;
  cairo_new_sub_path(cr);
  cairo_arc(cr, size - radius, radius, radius, -kQuarter, 0);
  cairo_arc(cr, size - radius, size - radius, radius, 0, kQuarter);
  cairo_arc(cr, radius, size - radius, radius, kQuarter, 2 * kQuarter);
  cairo_arc(cr, radius, radius, radius, 2 * kQuarter, 3 * kQuarter);
  cairo_close_path(cr);
}

}  // namespace

void DrawProductMark(cairo_t* cr, const RectF& box, double sizePx, Rgba colour) {
  if (!cr || sizePx <= 0) return;
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* font = pango_font_description_new();
  pango_font_description_set_family(font, kFontFamilies);
  pango_font_description_set_weight(font, static_cast<PangoWeight>(kMarkWeight));
  pango_font_description_set_absolute_size(font, sizePx * PANGO_SCALE);
  pango_layout_set_font_description(layout, font);
  pango_layout_set_text(layout, kMarkText, -1);
  PangoRectangle ink;
  pango_layout_get_extents(layout, &ink, nullptr);
  const double inkX = double(ink.x) / PANGO_SCALE, inkY = double(ink.y) / PANGO_SCALE;
  const double inkW = double(ink.width) / PANGO_SCALE, inkH = double(ink.height) / PANGO_SCALE;
  cairo_save(cr);
  cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, colour.a);
  cairo_move_to(cr, box.left + (box.Width() - inkW) / 2 - inkX, box.top + (box.Height() - inkH) / 2 - inkY);
  pango_cairo_show_layout(cr, layout);
  cairo_new_path(cr);
  cairo_restore(cr);
  pango_font_description_free(font);
  g_object_unref(layout);
}

void DrawProductIcon(cairo_t* cr, double size, Rgba accent) {
  if (!cr || size <= 0) return;
  cairo_save(cr);
  RoundedSquare(cr, size, size * kIconCornerShare);
  cairo_set_source_rgba(cr, kMarkGround.r, kMarkGround.g, kMarkGround.b, kMarkGround.a);
  cairo_fill(cr);
  cairo_restore(cr);
  DrawProductMark(cr, RectF{0, 0, size, size}, size * kIconTextShare, accent);
}
