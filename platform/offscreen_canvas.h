#pragma once
// Canvases that draw into memory or files rather than a window: the images
// of the benchmarks and tests, and the program's icons drawn by the build
// (PNG and SVG).
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

#include "platform/canvas.h"

// An image of width x height pixels, transparent at first, with a canvas
// over it. Any one thread.
class OffscreenCanvas {
 public:
  OffscreenCanvas(int width, int height);
  ~OffscreenCanvas();
  OffscreenCanvas(const OffscreenCanvas&) = delete;
  OffscreenCanvas& operator=(const OffscreenCanvas&) = delete;

  Canvas& Draw();
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The pixel as 0xAARRGGBB with premultiplied colour; 0 outside the image.
  uint32_t PixelAt(int x, int y) const;
  // Writes the image as a PNG (straight alpha). False when not written.
  bool WritePng(const std::filesystem::path& path) const;

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
  int width_, height_;
};

// Runs `draw` on a canvas over an SVG document of width x height pixels and
// writes it to `path`. False when it could not be written.
bool DrawSvgFile(const std::filesystem::path& path, double width, double height,
                 const std::function<void(Canvas&)>& draw);
