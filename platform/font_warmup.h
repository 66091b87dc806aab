#pragma once
// The text machinery made ready on a thread of its own, so that the first
// frame does not wait for it: while the main thread makes the window and its
// GL context, this thread sets up the font configuration, opens the font
// files of every face the first frame uses and shapes and renders a sample
// in each, which fills the font caches that frame draws from.
//
// The text library keeps one font map per thread, and a font map is not to
// be used by two threads at once. The thread makes a font map of its own and
// works only through it; the painting thread takes that map over as its
// default (Adopt) after the thread has ended, so the map is never shared.
#include <functional>
#include <thread>
#include <vector>

#include "platform/canvas.h"

class FontWarmup {
 public:
  // Starts the thread, preparing `faces`. `ready` runs on that thread when
  // the fonts are ready; it may be empty.
  FontWarmup(std::vector<FontFace> faces, std::function<void()> ready);
  // Waits for the thread; a font map nobody adopted goes with it.
  ~FontWarmup();
  FontWarmup(const FontWarmup&) = delete;
  FontWarmup& operator=(const FontWarmup&) = delete;

  // Waits for the thread, then makes its font map the calling thread's
  // default one (what the canvases of that thread draw text with). Once;
  // later calls do nothing.
  void Adopt();

 private:
  void Prepare(const std::vector<FontFace>& faces, const std::function<void()>& ready);

  void* map_ = nullptr;  // the thread's font map, read after it ended
  std::thread thread_;
};
