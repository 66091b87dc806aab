#include "platform/offscreen_canvas.h"

#include <vector>

#include "platform/direct2d_canvas_windows.h"

// The SVG canvas (DrawSvgFile) draws the program's icons at build time, on
// Linux only; Windows has the offscreen image alone.

using Microsoft::WRL::ComPtr;

// The canvas handed out: the Direct2D canvas, with each call first making
// sure the target is drawing and marking what was read as stale.
class OffscreenDrawing final : public Canvas {
 public:
  OffscreenDrawing(ID2D1RenderTarget* target, std::function<void()> touch) : canvas_(target), touch_(std::move(touch)) {}

  void Clear(Rgba colour) override { Touch().Clear(colour); }
  void Erase(const RectF& rect) override { Touch().Erase(rect); }
  void MoveTo(double x, double y) override { canvas_.MoveTo(x, y); }
  void LineTo(double x, double y) override { canvas_.LineTo(x, y); }
  void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) override {
    canvas_.CurveTo(x1, y1, x2, y2, x3, y3);
  }
  void Arc(double cx, double cy, double r, double from, double to) override { canvas_.Arc(cx, cy, r, from, to); }
  void ClosePath() override { canvas_.ClosePath(); }
  void NewFigure() override { canvas_.NewFigure(); }
  void ClearPath() override { canvas_.ClearPath(); }
  void Rectangle(const RectF& rect) override { canvas_.Rectangle(rect); }
  void Ellipse(double cx, double cy, double rx, double ry) override { canvas_.Ellipse(cx, cy, rx, ry); }
  void Fill(Rgba colour) override { Touch().Fill(colour); }
  void Stroke(Rgba colour, double width, LineEnds ends) override { Touch().Stroke(colour, width, ends); }
  void PushClip(const RectF& rect) override { Touch().PushClip(rect); }
  void PopClip() override { Touch().PopClip(); }
  RectF ClipBox() const override { return canvas_.ClipBox(); }
  void DrawPicture(const Picture& picture, const RectF& rect, double opacity) override {
    Touch().DrawPicture(picture, rect, opacity);
  }
  TextExtents MeasureText(const FontFace& face, std::string_view text, const TextFlow& flow) override {
    return canvas_.MeasureText(face, text, flow);
  }
  TextExtents DrawText(const FontFace& face, std::string_view text, const TextFlow& flow, double x, double y,
                       Rgba colour) override {
    return Touch().DrawText(face, text, flow, x, y, colour);
  }

 private:
  Direct2DCanvas& Touch() {
    touch_();
    return canvas_;
  }
  Direct2DCanvas canvas_;
  std::function<void()> touch_;
};

struct OffscreenCanvas::Parts {
  ComPtr<IWICBitmap> bitmap;
  ComPtr<ID2D1RenderTarget> target;
  std::unique_ptr<OffscreenDrawing> canvas;
  bool drawing = false;
  // The pixels as last read, while nothing was drawn since: ending the
  // drawing to read one pixel is slow.
  std::vector<uint32_t> pixels;
  bool stale = true;

  void Touch() {
    stale = true;
    if (drawing || !target) return;
    target->BeginDraw();
    drawing = true;
  }
  // Drawing reaches the bitmap's memory when it ends (the bitmap is locked
  // while it goes on); a clip left pushed is given up.
  void End() {
    if (!drawing) return;
    target->EndDraw();
    drawing = false;
  }
  // Writes the bitmap as a PNG of straight alpha.
  bool Encode(IWICImagingFactory& wic, const std::filesystem::path& path);
};

OffscreenCanvas::OffscreenCanvas(int width, int height)
    : parts_(std::make_unique<Parts>()), width_(width), height_(height) {
  IWICImagingFactory* wic = SharedWicFactory();
  ID2D1Factory1* d2d = SharedD2DFactory();
  if (wic && d2d && width > 0 && height > 0 &&
      SUCCEEDED(wic->CreateBitmap(static_cast<UINT>(width), static_cast<UINT>(height), GUID_WICPixelFormat32bppPBGRA,
                                  WICBitmapCacheOnLoad, &parts_->bitmap))) {
    const D2D1_RENDER_TARGET_PROPERTIES properties{
        D2D1_RENDER_TARGET_TYPE_SOFTWARE,
        D2D1_PIXEL_FORMAT{DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED}, 96.0f, 96.0f,
        D2D1_RENDER_TARGET_USAGE_NONE, D2D1_FEATURE_LEVEL_DEFAULT};
    d2d->CreateWicBitmapRenderTarget(parts_->bitmap.Get(), &properties, &parts_->target);
  }
  if (!parts_->target) {
    // Nothing to draw on (no size, or no memory): a canvas over a 1 x 1
    // scratch image keeps Draw() usable, and PixelAt answers 0.
    parts_->bitmap.Reset();
    ComPtr<IWICBitmap> scratch;
    if (wic && d2d &&
        SUCCEEDED(wic->CreateBitmap(1, 1, GUID_WICPixelFormat32bppPBGRA, WICBitmapCacheOnLoad, &scratch))) {
      d2d->CreateWicBitmapRenderTarget(scratch.Get(), nullptr, &parts_->target);
    }
  }
  Parts* parts = parts_.get();
  parts_->canvas = std::make_unique<OffscreenDrawing>(parts_->target.Get(), [parts] { parts->Touch(); });
  parts_->canvas->Clear(Rgba{0, 0, 0, 0});
}

OffscreenCanvas::~OffscreenCanvas() {
  parts_->canvas.reset();
  parts_->End();
}

Canvas& OffscreenCanvas::Draw() { return *parts_->canvas; }

uint32_t OffscreenCanvas::PixelAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || !parts_->bitmap) return 0;
  if (parts_->stale) {
    parts_->End();
    // 32bppPBGRA is B, G, R, A in memory: one little-endian 0xAARRGGBB word.
    parts_->pixels.assign(static_cast<size_t>(width_) * height_, 0);
    const UINT stride = static_cast<UINT>(width_) * 4;
    if (FAILED(parts_->bitmap->CopyPixels(nullptr, stride, stride * static_cast<UINT>(height_),
                                          reinterpret_cast<BYTE*>(parts_->pixels.data())))) {
      return 0;
    }
    parts_->stale = false;
  }
  return parts_->pixels[static_cast<size_t>(y) * width_ + x];
}

bool OffscreenCanvas::WritePng(const std::filesystem::path& path) const {
  IWICImagingFactory* wic = SharedWicFactory();
  if (!wic || !parts_->bitmap) return false;
  parts_->End();
  return parts_->Encode(*wic, path);
}

bool OffscreenCanvas::Parts::Encode(IWICImagingFactory& wic, const std::filesystem::path& path) {
  ComPtr<IWICBitmapSource> straight;
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, bitmap.Get(), &straight)) ||
      FAILED(wic.CreateStream(&stream)) || FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) ||
      FAILED(wic.CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) ||
      FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(&frame, nullptr)) || FAILED(frame->Initialize(nullptr))) {
    return false;
  }
  UINT width = 0, height = 0;
  bitmap->GetSize(&width, &height);
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
  return SUCCEEDED(frame->SetSize(width, height)) &&
         SUCCEEDED(frame->SetPixelFormat(&format)) && format == GUID_WICPixelFormat32bppBGRA &&
         SUCCEEDED(frame->WriteSource(straight.Get(), nullptr)) && SUCCEEDED(frame->Commit()) &&
         SUCCEEDED(encoder->Commit());
}
