#pragma once
// How a composed frame reaches the screen, and so what the back buffer
// holds when the next frame is drawn.
//   - Copy: the window system copies rectangles of the back buffer to the
//     screen (GLX_MESA_copy_sub_buffer) and the back buffer is never
//     swapped, so it always holds the last frame. Used with software
//     rasterisers, where every swap is a CPU copy of the whole window and
//     copying only the changed rectangles is the saving.
//   - Swap: buffers are swapped; the back buffer's age (GLX_EXT_buffer_age)
//     says which frame it holds, 0 when unknown.
// Main thread only, with the window's context current.
#include <SDL.h>

#include <vector>

#include "platform/host_window.h"

class GlPresenter {
 public:
  // Chooses the way for the window's current context.
  void Init(SDL_Window* window);
  // The age of the back buffer for the next frame (1 = the last frame).
  int BackBufferAge() const;
  // Shows the frame; `damage` is what changed in it (window coordinates).
  // A resized window is swapped once (the window system takes the new
  // size for its buffers at a swap) and the frame after it drawn whole.
  void Present(const std::vector<PixelRect>& damage, int width, int height);

 private:
  SDL_Window* window_ = nullptr;
  int width_ = 0, height_ = 0;  // of the last frame presented
  bool swapped_ = false;        // the last frame was swapped
  void* display_ = nullptr;
  unsigned long drawable_ = 0;
  void (*copySubBuffer_)(void*, unsigned long, int, int, int, int) = nullptr;
  void (*queryDrawable_)(void*, unsigned long, int, unsigned*) = nullptr;
};
