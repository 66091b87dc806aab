#include "platform/font_warmup.h"

#include "platform/direct2d_canvas_windows.h"
#include "platform/offscreen_canvas.h"

// DirectWrite's factory is shared by every thread and keeps what it loaded
// (the family resolved, the fallback built, the font files opened and their
// glyphs shaped), so the thread prepares all of it through a canvas of its
// own and there is no font map to hand over: Adopt only waits.

namespace {

// The letters, digits and signs of most interface texts (menu words, the
// clock, dates, counts, status lines).
constexpr const char* kSample =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz 0123456789 :-/.,()+%|…";

}  // namespace

FontWarmup::FontWarmup(std::vector<FontFace> faces, std::function<void()> ready)
    : thread_([this, faces = std::move(faces), ready = std::move(ready)] { Prepare(faces, ready); }) {}

FontWarmup::~FontWarmup() {
  if (thread_.joinable()) thread_.join();
}

void FontWarmup::Prepare(const std::vector<FontFace>& faces, const std::function<void()>& ready) {
  ResolvedFontFamily();
  SharedFontFallback();
  OffscreenCanvas image(64, 64);
  for (const FontFace& face : faces) image.Draw().DrawText(face, kSample, TextFlow{}, 0, 0, Rgba{1, 1, 1, 1});
  image.PixelAt(0, 0);  // ends the drawing, so the glyphs are rendered
  if (ready) ready();
}

void FontWarmup::Adopt() {
  if (thread_.joinable()) thread_.join();
}
