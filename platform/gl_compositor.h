#pragma once
// Stacks the layers of one frame in the current OpenGL context:
//   clear to black -> each video tile (a video layer at its rectangle, in
//   the order given) -> the interface layer -> the strip layer,
// each cairo layer blended premultiplied (cairo's ARGB32 is premultiplied)
// with glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA).
//
// One tile inside the window with no ink of either layer over it (the
// Player without its strips, the Live screen's preview) is rendered
// straight into its rectangle of the back buffer, as a bare player would
// draw it, when its renderer can draw into a part of the window
// (VideoLayer::RenderIntoWindow; any can draw the whole window): no
// framebuffer object and no copy. Everything else is drawn around it. Its
// framebuffer object is rendered again before anything is drawn over it.
//
// Only what changed is drawn again. A cairo layer is painted into the
// second of two surfaces and compared with the first: the box of pixels
// that differ is uploaded and becomes damage, and a layer is blended only
// over the cells that hold its ink (LayerInk). A tile with a new picture
// damages its rectangle; a tile that moved damages where it was and where
// it is. Each damaged rectangle is redrawn from the kept sources (each
// tile's framebuffer object, each layer's texture) and nothing else, so a
// video frame on the Live screen costs the preview's rectangle, and on the
// Player screen the video plus the strips' overlap with it.
//
// The back buffer must hold the frame `bufferAge` frames ago (the host
// knows: buffer age, or a back buffer that is never swapped); 0 = unknown,
// which redraws everything.
//
// Main thread only, with the GL context current.
#include <cairo.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/canvas.h"
#include "platform/gl_functions.h"
#include "platform/host_window.h"
#include "platform/layer_ink.h"

class GlCompositor {
 public:
  enum class LayerId { Interface, Strips };
  // Returns whether it drew anything: a painter that drew nothing leaves the
  // layer transparent, which is then known without reading its pixels.
  using Painter = std::function<bool(Canvas& canvas, int width, int height)>;
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

  // Lets `paint` draw the layer on a cleared (transparent) surface, finds
  // its inked box and uploads, and marks as damage, the pixels that changed.
  void PaintLayer(LayerId layer, const Painter& paint);

  // The next Compose redraws the whole window (an exposed window).
  void Invalidate() { wholeFrame_ = true; }

  // Draws the frame into the default framebuffer's back buffer: what
  // changed since the frame that buffer holds. `newPicture[i]` says tile i
  // has a new video picture to render (missing = no). A tile without a
  // layer stays black, as an idle video window is; an empty rectangle
  // draws nothing. Returns this frame's damage (empty: nothing changed).
  std::vector<PixelRect> Compose(const std::vector<VideoTile>& tiles, const std::vector<bool>& newPicture,
                                 int bufferAge);

  // The back buffer after Compose, as RGBA rows from the top.
  std::vector<uint8_t> ReadBack() const;

  // Puts back the state a video renderer may leave changed.
  void ResetState() const;

 private:
  struct Layer {
    cairo_surface_t* surface = nullptr;   // what the texture holds
    cairo_surface_t* previous = nullptr;  // the one before, painted into next
    // Known to be all 0: a surface that is cleared needs no clearing again
    // (its memory need not even be touched).
    bool surfaceClear = true, previousClear = true;
    unsigned texture = 0;  // 0 until the first upload
    LayerInk ink;          // of what the texture holds
  };

  Layer& LayerFor(LayerId id) { return id == LayerId::Interface ? interface_ : strips_; }
  void FreeLayer(Layer& layer);
  void AllocateLayer(Layer& layer);
  PixelRect ChangeOf(const Layer& layer, bool drew) const;
  void Upload(Layer& layer, const PixelRect& box);
  void AddDamage(const PixelRect& rect);
  std::vector<PixelRect> Redrawn(int bufferAge) const;
  void Redraw(const PixelRect& rect, const std::vector<VideoTile>& tiles);
  bool InsideOnePicture(const PixelRect& rect, const std::vector<VideoTile>& tiles) const;
  // Each tile renders into a framebuffer object of its own (renderers draw
  // whole framebuffers), kept from frame to frame while its size holds.
  struct VideoTarget {
    unsigned fbo = 0, texture = 0;
    int width = 0, height = 0;
    bool stale = false;  // the last picture went straight to the window
  };
  bool StraightToWindow(const std::vector<VideoTile>& tiles) const;
  bool InkOver(const Layer& layer, const PixelRect& rect) const;
  void RenderVideo(VideoTarget& target, const PixelRect& rect, VideoLayer* video);
  bool RenderToWindow(const VideoTile& tile);
  bool EnsureVideoTarget(VideoTarget& target, int width, int height);
  void CopyVideo(const VideoTarget& target, const PixelRect& tile, const PixelRect& part) const;
  void DrawLayer(const Layer& layer, const PixelRect& rect) const;

  std::unique_ptr<GlFunctions> gl_;  // set once Init succeeded
  int width_ = 0, height_ = 0;
  Layer interface_, strips_;
  std::vector<VideoTarget> videoTargets_;  // one per tile index
  std::vector<VideoTile> lastTiles_;       // as composed last
  std::vector<PixelRect> damage_;          // of the frame being made
  std::vector<std::vector<PixelRect>> history_;  // damage of the last frames, newest first
  bool wholeFrame_ = true;
};

// The bounding box of the pixels that differ between two ARGB32 images of
// the same size and stride; a null `b` is an image of zeros (transparent).
// Empty when none.
PixelRect ChangedBox(const uint8_t* a, const uint8_t* b, int width, int height, int stride);
PixelRect Intersect(const PixelRect& a, const PixelRect& b);
// The parts of `rect` outside `hole`: up to four rectangles that do not
// overlap (above, left, right, below); `rect` itself when they do not meet.
std::vector<PixelRect> Outside(const PixelRect& rect, const PixelRect& hole);
// Whether any of `rects` overlaps `rect`.
bool Meets(const std::vector<PixelRect>& rects, const PixelRect& rect);
