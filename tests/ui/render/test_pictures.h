#pragma once
// Small picture files for the rendering tests, and offscreen frames whose
// pixels the tests read.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>

#include "platform/offscreen_canvas.h"
#include "ui/render/render_resources.h"

// A PNG of w x h pixels in one colour (straight alpha). True when written.
inline bool WriteSolidPng(const std::filesystem::path& path, int w, int h, Rgba colour) {
  std::filesystem::create_directories(path.parent_path());
  OffscreenCanvas image(w, h);
  image.Draw().Clear(colour);
  return image.WritePng(path);
}

struct Pixel {
  int a, r, g, b;  // premultiplied, as the canvas keeps them
  int Brightness() const { return r + g + b; }
};

inline Pixel PixelAt(const OffscreenCanvas& image, int x, int y) {
  const uint32_t p = image.PixelAt(x, y);
  return Pixel{static_cast<int>(p >> 24), static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
               static_cast<int>(p & 0xFF)};
}

// A pixel of a decoded picture, read by drawing it at its own size.
inline Pixel PictureAt(const Picture& picture, int x, int y) {
  OffscreenCanvas image(picture.Width(), picture.Height());
  image.Draw().DrawPicture(picture, RectF{0, 0, double(picture.Width()), double(picture.Height())});
  return PixelAt(image, x, y);
}

// The accessibility guidelines' contrast ratio of two opaque colours, written
// out here rather than taken from the product, so that the readability checks
// do not grade the product's formula with itself.
inline double GuidelineContrast(Rgba a, Rgba b) {
  const auto luminance = [](Rgba c) {
    const auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
  };
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// An offscreen frame: a transparent surface of w x h bound to `res`.
class OffscreenFrame {
 public:
  OffscreenFrame(RenderResources& res, int w, int h, int dashColor = 0) : res_(res), image_(w, h) {
    res_.BeginFrame(image_.Draw(), w, h, dashColor);
  }
  ~OffscreenFrame() { res_.EndFrame(); }
  OffscreenFrame(const OffscreenFrame&) = delete;
  OffscreenFrame& operator=(const OffscreenFrame&) = delete;

  Pixel At(int x, int y) const { return PixelAt(image_, x, y); }
  // The colour of an opaque pixel, in 0..1.
  Rgba ColourAt(int x, int y) const {
    const Pixel p = At(x, y);
    return Rgba{p.r / 255.0, p.g / 255.0, p.b / 255.0, 1};
  }
  // The contrast of text painted in `box`: its background is the commonest
  // colour there, its text the pixel that stands out most from it (the core
  // of a glyph's stroke).
  double TextContrast(const RectF& box) const {
    std::map<uint32_t, int> counts;
    for (int y = int(box.top); y < int(box.bottom); ++y) {
      for (int x = int(box.left); x < int(box.right); ++x) {
        const Pixel p = At(x, y);
        ++counts[uint32_t(p.r) << 16 | uint32_t(p.g) << 8 | uint32_t(p.b)];
      }
    }
    if (counts.empty()) return 1;
    const uint32_t common =
        std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
    const Rgba background{(common >> 16) / 255.0, ((common >> 8) & 0xFF) / 255.0, (common & 0xFF) / 255.0, 1};
    double best = 1;
    for (const auto& [packed, n] : counts) {
      const Rgba c{(packed >> 16) / 255.0, ((packed >> 8) & 0xFF) / 255.0, (packed & 0xFF) / 255.0, 1};
      best = std::max(best, GuidelineContrast(c, background));
    }
    return best;
  }
  // True when any pixel of `box` differs from `colour` (opaque surfaces).
  bool InkIn(const RectF& box, Rgba colour) const {
    for (int y = std::max(0, int(box.top)); y < int(box.bottom); ++y) {
      for (int x = std::max(0, int(box.left)); x < int(box.right); ++x) {
        const Rgba c = ColourAt(x, y);
        if (std::abs(c.r - colour.r) + std::abs(c.g - colour.g) + std::abs(c.b - colour.b) > 0.05) return true;
      }
    }
    return false;
  }
  // True when any pixel of the column range [x0, x1) has some alpha.
  bool AnyInk(int x0, int x1) const {
    const int h = image_.Height();
    for (int y = 0; y < h; ++y) {
      for (int x = x0; x < x1; ++x) {
        if (At(x, y).a > 0) return true;
      }
    }
    return false;
  }

 private:
  RenderResources& res_;
  OffscreenCanvas image_;
};
