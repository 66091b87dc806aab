#pragma once
// The canvas on cairo and pango (platform/canvas.h): what the compositor's
// layers, the offscreen images of tools and tests, and the SVG files of the
// icon tool are drawn with on Linux. Pictures are cairo image surfaces.
#include <cairo.h>
#include <pango/pango.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/canvas.h"

// A picture as a cairo ARGB32 image surface (premultiplied alpha).
class CairoPicture final : public Picture {
 public:
  // Takes over the caller's reference to `surface`.
  explicit CairoPicture(cairo_surface_t* surface) : surface_(surface) {}
  ~CairoPicture() override { cairo_surface_destroy(surface_); }
  CairoPicture(const CairoPicture&) = delete;
  CairoPicture& operator=(const CairoPicture&) = delete;

  int Width() const override { return cairo_image_surface_get_width(surface_); }
  int Height() const override { return cairo_image_surface_get_height(surface_); }
  cairo_surface_t* Surface() const { return surface_; }

 private:
  cairo_surface_t* surface_;
};

// The family list with the families this system lacks left out (generic
// names such as "sans-serif" are kept), resolved once per process. Any
// thread.
const std::string& ResolvedFontFamilies();
// A new description of `face` in the resolved families; the caller frees it
// with pango_font_description_free.
PangoFontDescription* NewFaceDescription(const FontFace& face);

class CairoCanvas final : public Canvas {
 public:
  // Draws on `target` (any cairo surface) until destroyed; the surface must
  // outlive the canvas.
  explicit CairoCanvas(cairo_surface_t* target);
  ~CairoCanvas() override;
  CairoCanvas(const CairoCanvas&) = delete;
  CairoCanvas& operator=(const CairoCanvas&) = delete;

  bool Ok() const { return cairo_status(cr_) == CAIRO_STATUS_SUCCESS; }

  void Clear(Rgba colour) override;
  void Erase(const RectF& rect) override;
  void MoveTo(double x, double y) override { cairo_move_to(cr_, x, y); }
  void LineTo(double x, double y) override { cairo_line_to(cr_, x, y); }
  void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) override {
    cairo_curve_to(cr_, x1, y1, x2, y2, x3, y3);
  }
  void Arc(double cx, double cy, double radius, double fromAngle, double toAngle) override {
    cairo_arc(cr_, cx, cy, radius, fromAngle, toAngle);
  }
  void ClosePath() override { cairo_close_path(cr_); }
  void NewFigure() override { cairo_new_sub_path(cr_); }
  void ClearPath() override { cairo_new_path(cr_); }
  void Rectangle(const RectF& rect) override;
  void Ellipse(double cx, double cy, double rx, double ry) override;
  void Fill(Rgba colour) override;
  void Stroke(Rgba colour, double width, LineEnds ends) override;
  void PushClip(const RectF& rect) override;
  void PopClip() override { cairo_restore(cr_); }
  RectF ClipBox() const override;
  void DrawPicture(const Picture& picture, const RectF& rect, double opacity) override;
  TextExtents MeasureText(const FontFace& face, std::string_view text, const TextFlow& flow) override;
  TextExtents DrawText(const FontFace& face, std::string_view text, const TextFlow& flow, double x, double y,
                       Rgba colour) override;

 private:
  // Lays `text` out in the canvas's one layout; the layout is kept as it is
  // when asked for the same face, text and flow again (a text is measured,
  // then drawn).
  PangoLayout* LayOut(const FontFace& face, std::string_view text, const TextFlow& flow);
  const PangoFontDescription* DescriptionOf(const FontFace& face);

  cairo_t* cr_;
  PangoLayout* layout_ = nullptr;  // made at the first text
  std::vector<std::pair<FontFace, PangoFontDescription*>> faces_;
  bool laidOut_ = false;
  FontFace laidFace_;
  std::string laidText_;
  TextFlow laidFlow_;
};
