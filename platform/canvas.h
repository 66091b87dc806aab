#pragma once
// The drawing interface every painter uses: what the screens draw, in the
// design's own types, with the system's drawing library behind it (cairo and
// pango on Linux, platform/cairo_canvas.h). A canvas is handed to a painter
// for one paint of one surface and is not kept past it.
//
// Coordinates are pixels of the surface, x to the right and y down, with no
// transform: what a painter computes is where the ink goes. Colours are
// straight (not premultiplied) alpha, 0..1.
//
// What every implementation guarantees (a painter may rely on it, the tests
// check it on this one):
//   - Fonts: the family list kFontFamilies is resolved once, when the first
//     canvas of the process starts, to the families of it that are present;
//     a list with none present falls back to the system's default sans face.
//     A character the chosen face lacks is drawn from another installed face
//     that has it (Greek, Cyrillic, Arabic, Hebrew, CJK): text never draws as
//     nothing because of its script.
//   - Text is laid out the same way by MeasureText and DrawText for the same
//     face, text and flow, so a painter measures and then draws.
//   - Lines wrap at word boundaries, or inside a word longer than the width.
//     Right-to-left text is shaped and ordered as the script wants; HAlign
//     is applied as written (Leading is the left edge).
//   - Paths are consumed by Fill and Stroke. Angles are radians, clockwise
//     on screen from 3 o'clock.
//
// Main thread only (the thread that paints), except where a function says.
#include <memory>
#include <string_view>

// ---------------------------------------------------------------------------
// The design's types

struct Rgba {
  double r = 0, g = 0, b = 0, a = 1;
  bool operator==(const Rgba&) const = default;
};

constexpr Rgba WithAlpha(Rgba colour, double alpha) { return Rgba{colour.r, colour.g, colour.b, alpha}; }

struct RectF {
  double left = 0, top = 0, right = 0, bottom = 0;
  double Width() const { return right - left; }
  double Height() const { return bottom - top; }
  bool Contains(double x, double y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const RectF&) const = default;
};

enum class HAlign { Leading, Center, Trailing };

// The interface's fonts: one family list for every text, which the
// platform's fallback completes for scripts its faces lack.
constexpr const char* kFontFamilies = "Segoe UI, Noto Sans, DejaVu Sans, sans-serif";

// A face of the family list: CSS weight (400 regular, 500 medium, 600
// semibold, 700 bold) and size in pixels.
struct FontFace {
  int weight = 400;
  double sizePx = 18;
  bool operator==(const FontFace&) const = default;
};

// How a text is laid out.
//   - width <= 0: no wrapping; each paragraph is one line.
//   - width > 0: lines wrap at the width and `align` places them in it.
//   - ellipsis: each line that does not fit the width is cut with "…";
//     with height > 0 as well, lines wrap and the last line that fits in
//     the height carries the ellipsis instead.
struct TextFlow {
  double width = 0;
  double height = 0;
  bool ellipsis = false;
  HAlign align = HAlign::Leading;
  bool operator==(const TextFlow&) const = default;
};

// Where a laid-out text lies, relative to its origin (the top-left corner
// of its first line's box): `logical` is the box the lines take (the
// height of every line, the advance of every glyph), `ink` the pixels its
// glyphs touch. Both in pixels, not rounded.
struct TextExtents {
  RectF logical;
  RectF ink;
};

// A decoded picture ready to draw (platform/image_decode.h makes them).
// Its pixels are its own; any thread may make or destroy one, and it is
// drawn on the painting thread.
class Picture {
 public:
  virtual ~Picture() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
};
using PicturePtr = std::unique_ptr<Picture>;

// How the ends and corners of a stroke look: Square is butt caps and mitred
// joins; Round rounds both.
enum class LineEnds { Square, Round };

class Canvas {
 public:
  virtual ~Canvas() = default;

  // Every pixel inside the clip becomes `colour`, alpha included (nothing
  // of what was there shows through).
  virtual void Clear(Rgba colour) = 0;
  // The rectangle becomes fully transparent: a hole a layer below shows
  // through.
  virtual void Erase(const RectF& rect) = 0;

  // --- Paths ---------------------------------------------------------------
  // A path is a list of figures. MoveTo begins one at a point; LineTo,
  // CurveTo and Arc continue it from its current point (Arc with a straight
  // line to its start), and ClosePath closes it, its current point going
  // back to its start. Rectangle and Ellipse add closed figures of their
  // own. At the start of a path and after NewFigure, Rectangle or Ellipse
  // there is no current point: Arc then begins a figure at its start, and
  // LineTo and CurveTo need a MoveTo first.
  virtual void MoveTo(double x, double y) = 0;
  virtual void LineTo(double x, double y) = 0;
  virtual void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) = 0;
  virtual void Arc(double cx, double cy, double radius, double fromAngle, double toAngle) = 0;
  virtual void ClosePath() = 0;
  // Ends the open figure without closing it, so the next Arc begins one.
  virtual void NewFigure() = 0;
  // Drops the path without drawing it.
  virtual void ClearPath() = 0;
  virtual void Rectangle(const RectF& rect) = 0;
  virtual void Ellipse(double cx, double cy, double rx, double ry) = 0;
  // Fill the path (non-zero winding) or stroke it `width` pixels wide, then
  // drop it.
  virtual void Fill(Rgba colour) = 0;
  virtual void Stroke(Rgba colour, double width, LineEnds ends = LineEnds::Square) = 0;

  // --- Clip ------------------------------------------------------------------
  // Nothing outside `rect` (and any clip pushed before) is drawn until the
  // matching PopClip.
  virtual void PushClip(const RectF& rect) = 0;
  virtual void PopClip() = 0;
  // The area drawing reaches now: the surface, narrowed by the clips.
  virtual RectF ClipBox() const = 0;

  // --- Pictures --------------------------------------------------------------
  // The picture stretched over `rect` (smoothly filtered), `opacity` 0..1.
  virtual void DrawPicture(const Picture& picture, const RectF& rect, double opacity = 1.0) = 0;

  // --- Text ------------------------------------------------------------------
  // Texts are UTF-8. Empty text measures 0 x 0 and draws nothing.
  virtual TextExtents MeasureText(const FontFace& face, std::string_view text, const TextFlow& flow) = 0;
  // Draws the text laid out by `flow` with its origin at (x, y); returns
  // its extents as MeasureText would.
  virtual TextExtents DrawText(const FontFace& face, std::string_view text, const TextFlow& flow, double x, double y,
                               Rgba colour) = 0;
};
