#pragma once
// A canvas that draws nothing and keeps what it was asked to draw: the
// bounds and colour of each filled or stroked shape, each picture and hole,
// and each text with its ink on the surface. For tests that ask where
// something was drawn rather than how it looks; text is measured by a real
// canvas, so layouts are the program's own.
#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "platform/offscreen_canvas.h"
#include "ui/render/render_resources.h"

class RecordingCanvas final : public Canvas {
 public:
  enum class Kind { Fill, Stroke, Picture, Erase, Clear };
  struct Shape {
    Kind kind;
    RectF bounds;  // of the path's points; a curve's or arc's by its control points or circle
    Rgba colour;
  };
  struct Text {
    std::string text;
    RectF ink;  // on the surface
    Rgba colour;
  };

  RecordingCanvas(int width, int height) : surface_{0, 0, double(width), double(height)} {}

  std::vector<Shape> shapes;
  std::vector<Text> texts;

  void Clear(Rgba colour) override { shapes.push_back({Kind::Clear, ClipBox(), colour}); }
  void Erase(const RectF& rect) override { shapes.push_back({Kind::Erase, rect, Rgba{0, 0, 0, 0}}); }
  void MoveTo(double x, double y) override { Add(x, y); }
  void LineTo(double x, double y) override { Add(x, y); }
  void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) override {
    Add(x1, y1), Add(x2, y2), Add(x3, y3);
  }
  void Arc(double cx, double cy, double radius, double, double) override {
    Add(cx - radius, cy - radius), Add(cx + radius, cy + radius);
  }
  void ClosePath() override {}
  void NewFigure() override {}
  void ClearPath() override { path_.reset(); }
  void Rectangle(const RectF& r) override { Add(r.left, r.top), Add(r.right, r.bottom); }
  void Ellipse(double cx, double cy, double rx, double ry) override { Add(cx - rx, cy - ry), Add(cx + rx, cy + ry); }
  void Fill(Rgba colour) override { Take(Kind::Fill, colour); }
  void Stroke(Rgba colour, double, LineEnds) override { Take(Kind::Stroke, colour); }
  void PushClip(const RectF& rect) override {
    const RectF c = ClipBox();
    clips_.push_back(RectF{std::max(c.left, rect.left), std::max(c.top, rect.top), std::min(c.right, rect.right),
                           std::min(c.bottom, rect.bottom)});
  }
  void PopClip() override { clips_.pop_back(); }
  RectF ClipBox() const override { return clips_.empty() ? surface_ : clips_.back(); }
  void DrawPicture(const Picture&, const RectF& rect, double) override {
    shapes.push_back({Kind::Picture, rect, Rgba{}});
  }
  TextExtents MeasureText(const FontFace& face, std::string_view text, const TextFlow& flow) override {
    return measure_.Draw().MeasureText(face, text, flow);
  }
  TextExtents DrawText(const FontFace& face, std::string_view text, const TextFlow& flow, double x, double y,
                       Rgba colour) override {
    const TextExtents e = MeasureText(face, text, flow);
    texts.push_back({std::string(text), RectF{x + e.ink.left, y + e.ink.top, x + e.ink.right, y + e.ink.bottom}, colour});
    return e;
  }

  // The shapes of `kind` whose bounds lie inside `box` (give or take `slack`).
  std::vector<Shape> Inside(const RectF& box, Kind kind, double slack = 0.5) const {
    std::vector<Shape> found;
    for (const Shape& s : shapes) {
      if (s.kind == kind && s.bounds.left >= box.left - slack && s.bounds.top >= box.top - slack &&
          s.bounds.right <= box.right + slack && s.bounds.bottom <= box.bottom + slack)
        found.push_back(s);
    }
    return found;
  }

 private:
  struct Bounds {
    double left = std::numeric_limits<double>::max(), top = left, right = -left, bottom = -left;
    void reset() { *this = Bounds(); }
  };
  void Add(double x, double y) {
    path_.left = std::min(path_.left, x), path_.top = std::min(path_.top, y);
    path_.right = std::max(path_.right, x), path_.bottom = std::max(path_.bottom, y);
  }
  void Take(Kind kind, Rgba colour) {
    if (path_.right >= path_.left) shapes.push_back({kind, RectF{path_.left, path_.top, path_.right, path_.bottom}, colour});
    path_.reset();
  }

  RectF surface_;
  std::vector<RectF> clips_;
  Bounds path_;
  OffscreenCanvas measure_{1, 1};
};

// A frame of `res` on a recording canvas, for as long as it lives.
class RecordedFrame {
 public:
  RecordedFrame(RenderResources& res, int w, int h, int dashColor = 0) : res_(res), canvas_(w, h) {
    res_.BeginFrame(canvas_, w, h, dashColor);
  }
  ~RecordedFrame() { res_.EndFrame(); }
  RecordedFrame(const RecordedFrame&) = delete;
  RecordedFrame& operator=(const RecordedFrame&) = delete;
  const RecordingCanvas& Drawn() const { return canvas_; }

 private:
  RenderResources& res_;
  RecordingCanvas canvas_;
};
