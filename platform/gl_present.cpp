#include "platform/gl_present.h"

#include <SDL_opengl.h>

#include <cstring>
#include <string>

namespace {

constexpr int kGlxScreen = 0x800C;           // GLX_SCREEN
constexpr int kGlxBackBufferAge = 0x20F4;    // GLX_BACK_BUFFER_AGE_EXT

template <typename F>
F Load(const char* name) {
  return reinterpret_cast<F>(SDL_GL_GetProcAddress(name));
}

bool HasWord(const char* list, const char* word) {
  if (!list) return false;
  const std::string all = std::string(" ") + list + " ";
  return all.find(std::string(" ") + word + " ") != std::string::npos;
}

bool SoftwareRasteriser() {
  const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  if (!renderer) return false;
  for (const char* name : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"}) {
    if (std::strstr(renderer, name)) return true;
  }
  return false;
}

}  // namespace

// Only a GLX context offers either way; SDL uses GLX on X11 unless told
// to use EGL, and anything else swaps whole frames.
void GlPresenter::Init(SDL_Window* window) {
  window_ = window;
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* forceEgl = SDL_GetHint(SDL_HINT_VIDEO_X11_FORCE_EGL);
  if (!driver || std::strcmp(driver, "x11") != 0 || (forceEgl && std::strcmp(forceEgl, "1") == 0)) return;

  auto currentDisplay = Load<void* (*)()>("glXGetCurrentDisplay");
  auto currentDrawable = Load<unsigned long (*)()>("glXGetCurrentDrawable");
  auto currentContext = Load<void* (*)()>("glXGetCurrentContext");
  auto queryContext = Load<int (*)(void*, void*, int, int*)>("glXQueryContext");
  auto extensions = Load<const char* (*)(void*, int)>("glXQueryExtensionsString");
  if (!currentDisplay || !currentDrawable || !currentContext || !queryContext || !extensions) return;
  void* context = currentContext();
  display_ = currentDisplay();
  drawable_ = currentDrawable();
  if (!context || !display_ || !drawable_) return;
  int screen = 0;
  queryContext(display_, context, kGlxScreen, &screen);
  const char* list = extensions(display_, screen);

  if (SoftwareRasteriser() && HasWord(list, "GLX_MESA_copy_sub_buffer")) {
    using CopySub = void (*)(void*, unsigned long, int, int, int, int);
    copySubBuffer_ = Load<CopySub>("glXCopySubBufferMESA");
  }
  if (!copySubBuffer_ && HasWord(list, "GLX_EXT_buffer_age")) {
    using Query = void (*)(void*, unsigned long, int, unsigned*);
    queryDrawable_ = Load<Query>("glXQueryDrawable");
  }
}

int GlPresenter::BackBufferAge() const {
  if (copySubBuffer_) return swapped_ ? 0 : 1;
  if (!queryDrawable_) return 0;
  unsigned age = 0;
  queryDrawable_(display_, drawable_, kGlxBackBufferAge, &age);
  return static_cast<int>(age);
}

void GlPresenter::Present(const std::vector<PixelRect>& damage, int width, int height) {
  const bool resized = width != width_ || height != height_;
  width_ = width;
  height_ = height;
  swapped_ = !copySubBuffer_ || resized;
  if (swapped_) {
    SDL_GL_SwapWindow(window_);
    return;
  }
  for (const PixelRect& r : damage) copySubBuffer_(display_, drawable_, r.x, height - r.y - r.h, r.w, r.h);
}
