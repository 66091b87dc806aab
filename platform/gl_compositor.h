#pragma once
// Stacks the layers of one frame in the current OpenGL context:
//   clear to black -> each video tile (a video layer at its rectangle, in
//   the order given) -> the interface layer -> the strip layer,
// each cairo layer blended premultiplied (cairo's ARGB32 is premultiplied)
// with glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA).
//
// A cairo layer is uploaded only when it was painted; a frame caused by a
// new video picture reuses the last uploads. After painting, the layer's
// inked box (the bounding box of its non-transparent pixels) is found, and
// only that box is uploaded and blended: on the Player screen the interface
// layer is usually empty and the strips are bars, so a video frame costs
// little more than the video itself.
//
// Main thread only, with the GL context current.
#include <cairo.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/gl_functions.h"
#include "platform/host_window.h"

class GlCompositor {
 public:
  enum class LayerId { Interface, Strips };
  using Painter = std::function<void(cairo_t* cr, int width, int height)>;
  using ProcLoader = GlFunctions::ProcLoader;

  GlCompositor() = default;
  ~GlCompositor();  // frees GL objects: the context must still be current
  GlCompositor(const GlCompositor&) = delete;
  GlCompositor& operator=(const GlCompositor&) = delete;

  // Loads the GL entry points beyond OpenGL 1.1. False when the context
  // lacks framebuffer objects (OpenGL 3.0 or ARB_framebuffer_object).
  bool Init(ProcLoader load);

  // The drawable size in pixels; reallocates the layers when it changed.
  void SetSize(int width, int height);

  // Clears the layer to transparent, lets `paint` draw it, finds its inked
  // box and uploads that box.
  void PaintLayer(LayerId layer, const Painter& paint);

  // Draws the frame into the default framebuffer's back buffer. A tile
  // without a layer stays black, as an idle video window is; an empty
  // rectangle draws nothing.
  void Compose(const std::vector<VideoTile>& tiles);

  // The back buffer after Compose, as RGBA rows from the top.
  std::vector<uint8_t> ReadBack() const;

  // Puts back the state a video renderer may leave changed.
  void ResetState() const;

 private:
  struct Layer {
    cairo_surface_t* surface = nullptr;
    unsigned texture = 0;
    PixelRect inked;  // empty = nothing to draw
  };

  Layer& LayerFor(LayerId id) { return id == LayerId::Interface ? interface_ : strips_; }
  void FreeLayer(Layer& layer);
  void AllocateLayer(Layer& layer);
  void Upload(Layer& layer);
  // Each tile renders into a framebuffer object of its own (renderers draw
  // whole framebuffers), kept from frame to frame while its size holds.
  struct VideoTarget {
    unsigned fbo = 0, texture = 0;
    int width = 0, height = 0;
  };
  void DrawVideo(VideoTarget& target, const PixelRect& rect, VideoLayer* video);
  bool EnsureVideoTarget(VideoTarget& target, int width, int height);
  void DrawLayer(const Layer& layer) const;

  std::unique_ptr<GlFunctions> gl_;  // set once Init succeeded
  int width_ = 0, height_ = 0;
  Layer interface_, strips_;
  std::vector<VideoTarget> videoTargets_;  // one per tile index
};

// The bounding box of the pixels whose alpha is not 0 in an ARGB32 image
// (a premultiplied pixel with alpha 0 is all 0). Empty when none.
PixelRect InkedBox(const uint8_t* data, int width, int height, int stride);
