#pragma once
// Where the video sits for each screen: a preview in the right half of the
// Live screen under the header, the whole window on the Player screen (or
// while the video is full-window), nowhere elsewhere.
#include "platform/host_window.h"
#include "state/screen.h"

// Empty rectangle: no video on this screen.
PixelRect VideoRectFor(Screen screen, bool fullVideo, int width, int height);

// True when `screen` shows video at all.
inline bool ShowsVideo(Screen screen, bool fullVideo) {
  return fullVideo || screen == Screen::Player || screen == Screen::Live;
}
