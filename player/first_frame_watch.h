#pragma once
// Watches the video layer for the first picture of a newly loaded stream and
// logs how long it took from a given start (the key press of a channel
// change): "zap first frame id=<id> ms=<n>". The first frame counts when the
// engine plays the new URL, reports a position, and the layer draws a new
// frame. Main thread only (inside the window's frames).
#include <cstdint>
#include <string>

#include "platform/host_window.h"

class MediaEngine;

class FirstFrameWatch final : public VideoLayer {
 public:
  FirstFrameWatch(VideoLayer& inner, const MediaEngine& engine) : inner_(inner), engine_(engine) {}

  // From now on, the next new frame of `url` ends the measurement.
  void Arm(uint64_t startMs, std::u16string url, std::u16string id);

  bool Update() override;
  void Render(int fbo, int width, int height) override;
  bool RenderIntoWindow(int x, int y, int width, int height) override;
  void* OwnWindow() const override { return inner_.OwnWindow(); }
  // Pictures rendered into the window so far (the multi-view's frame rate).
  uint64_t Rendered() const { return rendered_; }

 private:
  void Count();  // a picture drawn: counts it and ends a measurement that waits for it

  VideoLayer& inner_;
  const MediaEngine& engine_;
  bool armed_ = false;
  bool frameDue_ = false;
  uint64_t startMs_ = 0;
  uint64_t rendered_ = 0;
  std::u16string url_, id_;
};
