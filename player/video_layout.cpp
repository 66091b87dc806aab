#include "player/video_layout.h"

PixelRect VideoRectFor(Screen screen, bool fullVideo, int w, int h) {
  if (screen == Screen::Player || fullVideo) return PixelRect{0, 0, w, h};
  if (screen != Screen::Live) return PixelRect{};
  const int x = w * 960 / 1920;
  const int y = h * 108 / 1080;
  return PixelRect{x, y, w - x, h * 648 / 1080 - y};
}
