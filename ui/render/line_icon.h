#pragma once
// A pen for the small line icons of tiles: coordinates are fractions of a
// square box (0,0 its top-left corner, 1,1 its bottom-right), stroke widths
// are pixels. Strokes are white unless the pen is given a colour, with the
// ends the pen was given.
#include <cmath>

#include "ui/render/render_resources.h"

struct IconPen {
  Canvas& canvas;
  RectF box;
  Rgba colour{1, 1, 1, 1};
  LineEnds ends = LineEnds::Round;
  double X(double f) const { return box.left + f * box.Width(); }
  double Y(double f) const { return box.top + f * box.Height(); }
  double S(double f) const { return f * box.Width(); }

  void Rect(double l, double t, double r, double b) const {
    canvas.Rectangle(RectF{X(l), Y(t), X(l) + S(r - l), Y(t) + S(b - t)});
  }
  void Line(double x0, double y0, double x1, double y1) const {
    canvas.MoveTo(X(x0), Y(y0));
    canvas.LineTo(X(x1), Y(y1));
  }
  void MoveTo(double x, double y) const { canvas.MoveTo(X(x), Y(y)); }
  void LineTo(double x, double y) const { canvas.LineTo(X(x), Y(y)); }
  void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) const {
    canvas.CurveTo(X(x1), Y(y1), X(x2), Y(y2), X(x3), Y(y3));
  }
  void Ellipse(double cx, double cy, double rx, double ry) const { canvas.Ellipse(X(cx), Y(cy), S(rx), S(ry)); }
  // An arc of the circle at (cx, cy), angles in radians clockwise from 3 o'clock.
  void Arc(double cx, double cy, double r, double from, double to) const {
    canvas.NewFigure();
    canvas.Arc(X(cx), Y(cy), S(r), from, to);
  }
  void Stroke(double width) const { canvas.Stroke(colour, width, ends); }
  void Fill() const { canvas.Fill(colour); }
};
