#pragma once
// The canvas on Direct2D and DirectWrite (platform/canvas.h), with pictures
// kept as WIC bitmaps: what the host window's layers, the offscreen images
// of tests and the pictures decoded on Windows are drawn with.
//
// Fonts: the family list kFontFamilies is resolved once to the first family
// of it the system has (DirectWrite draws nothing for an absent family);
// with none present, to the system's own interface face. An explicit
// fallback maps the scripts the interface and channel names use (Greek,
// Cyrillic, Arabic, Hebrew, Indic, Thai, CJK, Hangul, ...) to installed
// families that have them, on top of the system's own fallback.
#include <d2d1_1.h>
#include <dwrite_2.h>
#include <wincodec.h>
#include <wrl/client.h>
// The Unicode build names Win32's DrawText DrawTextW through a macro, which
// would rename the canvas's own DrawText.
#undef DrawText

#include <string>
#include <vector>

#include "platform/canvas.h"

// Process-wide factories, made on first use; any thread. The Direct2D
// factory is multi-threaded, so its resources may be released on any
// thread. Null when the system lacks the service.
ID2D1Factory1* SharedD2DFactory();
IDWriteFactory2* SharedDWriteFactory();
IWICImagingFactory* SharedWicFactory();

// The family of kFontFamilies the texts are drawn in, resolved once per
// process; any thread.
const std::wstring& ResolvedFontFamily();
// The fallback every text format gets, built once per process; any thread.
// Null where the system has no fallback interface.
IDWriteFontFallback* SharedFontFallback();

// A picture as a WIC bitmap, premultiplied BGRA (device-independent: any
// thread makes or destroys one). The canvas that draws it makes the
// Direct2D bitmap for its render target and keeps it in the picture until
// it is drawn on another target.
class WicPicture final : public Picture {
 public:
  explicit WicPicture(Microsoft::WRL::ComPtr<IWICBitmap> bitmap);
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  IWICBitmap* Bitmap() const { return bitmap_.Get(); }
  // The Direct2D copy for `target`, made on first use; null on failure.
  ID2D1Bitmap* DeviceBitmap(ID2D1RenderTarget* target) const;

 private:
  Microsoft::WRL::ComPtr<IWICBitmap> bitmap_;
  int width_ = 0, height_ = 0;
  mutable Microsoft::WRL::ComPtr<ID2D1RenderTarget> deviceTarget_;
  mutable Microsoft::WRL::ComPtr<ID2D1Bitmap> device_;
};

class Direct2DCanvas final : public Canvas {
 public:
  // Draws on `target` between the caller's BeginDraw and EndDraw; the
  // target must outlive the canvas. Sets the target to 96 DPI (a unit is a
  // pixel) and grey-scale text anti-aliasing (the layers are transparent).
  explicit Direct2DCanvas(ID2D1RenderTarget* target);
  ~Direct2DCanvas() override;
  Direct2DCanvas(const Direct2DCanvas&) = delete;
  Direct2DCanvas& operator=(const Direct2DCanvas&) = delete;

  void Clear(Rgba colour) override;
  void Erase(const RectF& rect) override;
  void MoveTo(double x, double y) override;
  void LineTo(double x, double y) override;
  void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) override;
  void Arc(double cx, double cy, double radius, double fromAngle, double toAngle) override;
  void ClosePath() override;
  void NewFigure() override;
  void ClearPath() override;
  void Rectangle(const RectF& rect) override;
  void Ellipse(double cx, double cy, double rx, double ry) override;
  void Fill(Rgba colour) override;
  void Stroke(Rgba colour, double width, LineEnds ends) override;
  void PushClip(const RectF& rect) override;
  void PopClip() override;
  RectF ClipBox() const override;
  void DrawPicture(const Picture& picture, const RectF& rect, double opacity) override;
  TextExtents MeasureText(const FontFace& face, std::string_view text, const TextFlow& flow) override;
  TextExtents DrawText(const FontFace& face, std::string_view text, const TextFlow& flow, double x, double y,
                       Rgba colour) override;

 private:
  struct Point {
    float x, y;
  };
  // One figure of the path: its start, then lines (one point) and cubic
  // curves (three points) in order.
  struct Figure {
    Point start;
    std::vector<Point> points;
    std::vector<bool> curve;  // per segment: a curve (3 points) or a line (1)
    bool closed = false;
  };
  void BeginFigureAt(Point p);
  void AddCurve(Point c1, Point c2, Point end);
  Microsoft::WRL::ComPtr<ID2D1PathGeometry> TakePath();
  ID2D1SolidColorBrush* Brush(Rgba colour);
  // Lays `text` out for `face` and `flow` into layout_ (and tail_), kept
  // while the same text is asked for again (a text is measured, then
  // drawn). False when it cannot be laid out.
  bool LayOut(const FontFace& face, std::string_view text, const TextFlow& flow);
  Microsoft::WRL::ComPtr<IDWriteTextLayout> NewLayout(const FontFace& face, const std::wstring& text, double width,
                                                      bool wrap, bool trim, HAlign align);
  void CutToHeight(const FontFace& face, const std::wstring& text, const TextFlow& flow);
  TextExtents Extents() const;
  IDWriteTextFormat* FormatOf(const FontFace& face);

  ID2D1RenderTarget* target_;
  Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> brush_;
  std::vector<Figure> figures_;
  bool hasPoint_ = false;  // a figure is open and has a current point
  Point current_{0, 0};
  std::vector<RectF> clips_;  // the clip boxes pushed, each already narrowed
  std::vector<std::pair<FontFace, Microsoft::WRL::ComPtr<IDWriteTextFormat>>> formats_;
  // A text cut to a height is two layouts: the lines that fit whole, then
  // the last line, trimmed, tailTop_ below them.
  Microsoft::WRL::ComPtr<IDWriteTextLayout> layout_;
  Microsoft::WRL::ComPtr<IDWriteTextLayout> tail_;
  double tailTop_ = 0;
  FontFace laidFace_;
  std::string laidText_;
  TextFlow laidFlow_;
};
