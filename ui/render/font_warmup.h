#pragma once
// The text machinery made ready on a thread of its own, so that the first
// frame does not wait for it: while the main thread makes the window and its
// GL context, this thread sets up fontconfig, opens the font files of every
// text style and shapes and renders a sample at the sizes the first frame
// will use, which fills the font caches that frame draws from.
//
// Pango keeps one default font map per thread, and a font map is not to be
// used by two threads at once. The thread makes a font map of its own and
// works only through it; the painting thread takes that map over as its
// default (Adopt) after the thread has ended, so the map is never shared.
#include <pango/pango.h>

#include <functional>
#include <thread>

class FontWarmup {
 public:
  // Starts the thread, preparing the fonts for a surface of width x height
  // pixels (sizes follow the surface, see FontScaleFor). `ready` runs on
  // that thread when the fonts are ready; it may be empty.
  FontWarmup(int width, int height, std::function<void()> ready);
  // Waits for the thread; a font map nobody adopted goes with it.
  ~FontWarmup();
  FontWarmup(const FontWarmup&) = delete;
  FontWarmup& operator=(const FontWarmup&) = delete;

  // Waits for the thread, then makes its font map the calling thread's
  // default one (what pango_cairo_create_layout uses there). Once; later
  // calls do nothing.
  void Adopt();

 private:
  void Prepare(int width, int height, const std::function<void()>& ready);

  PangoFontMap* map_ = nullptr;  // made by the thread, read after it ended
  std::thread thread_;
};
