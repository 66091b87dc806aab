#pragma once
// A pen for the small line icons of tiles: coordinates are fractions of a
// square box (0,0 its top-left corner, 1,1 its bottom-right), stroke widths
// are pixels. The caller sets the colour and restores the context.
#include <cairo.h>

#include <cmath>

#include "ui/render/render_resources.h"

struct IconPen {
  cairo_t* cr;
  RectF box;
  double X(double f) const { return box.left + f * box.Width(); }
  double Y(double f) const { return box.top + f * box.Height(); }
  double S(double f) const { return f * box.Width(); }

  void Rect(double l, double t, double r, double b) const { cairo_rectangle(cr, X(l), Y(t), S(r - l), S(b - t)); }
  void Line(double x0, double y0, double x1, double y1) const {
    cairo_move_to(cr, X(x0), Y(y0));
    cairo_line_to(cr, X(x1), Y(y1));
  }
  void Ellipse(double cx, double cy, double rx, double ry) const {
    cairo_save(cr);
    cairo_translate(cr, X(cx), Y(cy));
    cairo_scale(cr, S(rx), S(ry));
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
  }
  // An arc of the circle at (cx, cy), angles in radians clockwise from 3 o'clock.
  void Arc(double cx, double cy, double r, double from, double to) const {
    cairo_new_sub_path(cr);
    cairo_arc(cr, X(cx), Y(cy), S(r), from, to);
  }
  void Stroke(double width) const {
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
  }
};
