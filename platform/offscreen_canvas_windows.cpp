#include "platform/offscreen_canvas.h"

#include "platform/direct2d_canvas_windows.h"

// The SVG canvas (DrawSvgFile) draws the program's icons at build time, on
// Linux only; Windows has the offscreen image alone.

using Microsoft::WRL::ComPtr;

struct OffscreenCanvas::Parts {
  ComPtr<IWICBitmap> bitmap;
  ComPtr<ID2D1RenderTarget> target;
  std::unique_ptr<Direct2DCanvas> canvas;
  bool drawing = false;

  void Begin() {
    if (drawing || !target) return;
    target->BeginDraw();
    drawing = true;
  }
  // Drawing reaches the bitmap's memory only when it ends.
  void End() {
    if (!drawing) return;
    target->EndDraw();
    drawing = false;
  }
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
    if (wic && d2d && SUCCEEDED(wic->CreateBitmap(1, 1, GUID_WICPixelFormat32bppPBGRA, WICBitmapCacheOnLoad, &scratch))) {
      d2d->CreateWicBitmapRenderTarget(scratch.Get(), nullptr, &parts_->target);
    }
  }
  if (parts_->target) {
    parts_->canvas = std::make_unique<Direct2DCanvas>(parts_->target.Get());
    parts_->Begin();
    parts_->target->Clear(D2D1_COLOR_F{0, 0, 0, 0});
  }
}

OffscreenCanvas::~OffscreenCanvas() {
  parts_->canvas.reset();
  parts_->End();
}

Canvas& OffscreenCanvas::Draw() {
  parts_->Begin();
  return *parts_->canvas;
}

uint32_t OffscreenCanvas::PixelAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || !parts_->bitmap) return 0;
  parts_->End();
  // 32bppPBGRA is B, G, R, A in memory: one little-endian 0xAARRGGBB word.
  uint32_t pixel = 0;
  const WICRect one{x, y, 1, 1};
  if (FAILED(parts_->bitmap->CopyPixels(&one, 4, 4, reinterpret_cast<BYTE*>(&pixel)))) return 0;
  return pixel;
}

bool OffscreenCanvas::WritePng(const std::filesystem::path& path) const {
  IWICImagingFactory* wic = SharedWicFactory();
  if (!wic || !parts_->bitmap) return false;
  parts_->End();
  ComPtr<IWICBitmapSource> straight;
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, parts_->bitmap.Get(), &straight)) ||
      FAILED(wic->CreateStream(&stream)) || FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) ||
      FAILED(wic->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) ||
      FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(&frame, nullptr)) || FAILED(frame->Initialize(nullptr))) {
    return false;
  }
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
  return SUCCEEDED(frame->SetSize(static_cast<UINT>(width_), static_cast<UINT>(height_))) &&
         SUCCEEDED(frame->SetPixelFormat(&format)) && format == GUID_WICPixelFormat32bppBGRA &&
         SUCCEEDED(frame->WriteSource(straight.Get(), nullptr)) && SUCCEEDED(frame->Commit()) &&
         SUCCEEDED(encoder->Commit());
}
