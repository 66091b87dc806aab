#include "ui/render/product_mark.h"

#include <cmath>
#include <numbers>

namespace {

constexpr char kMarkText[] = "VS";
constexpr int kMarkWeight = 700;
// In the icon the letters take about half the square's height, and the
// corners are rounded by a fifth of its side.
constexpr double kIconTextShare = 0.5;
constexpr double kIconCornerShare = 0.2;

void RoundedSquare(Canvas& canvas, double size, double radius) {
  constexpr double kQuarter = std::numbers::pi / 2;
  canvas.NewFigure();
  canvas.Arc(size - radius, radius, radius, -kQuarter, 0);
  canvas.Arc(size - radius, size - radius, radius, 0, kQuarter);
  canvas.Arc(radius, size - radius, radius, kQuarter, 2 * kQuarter);
  canvas.Arc(radius, radius, radius, 2 * kQuarter, 3 * kQuarter);
  canvas.ClosePath();
}

}  // namespace

void DrawProductMark(Canvas& canvas, const RectF& box, double sizePx, Rgba colour) {
  if (sizePx <= 0) return;
  const FontFace face{kMarkWeight, sizePx};
  const RectF ink = canvas.MeasureText(face, kMarkText, {}).ink;
  canvas.DrawText(face, kMarkText, {}, box.left + (box.Width() - ink.Width()) / 2 - ink.left,
                  box.top + (box.Height() - ink.Height()) / 2 - ink.top, colour);
}

void DrawProductIcon(Canvas& canvas, double size, Rgba accent) {
  if (size <= 0) return;
  RoundedSquare(canvas, size, size * kIconCornerShare);
  canvas.Fill(kMarkGround);
  DrawProductMark(canvas, RectF{0, 0, size, size}, size * kIconTextShare, accent);
}
