#include "platform/mpv_video_layer.h"

#include <mpv/render.h>
#include <mpv/render_gl.h>

#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/gl_functions.h"
#include "platform/gl_window_part.h"


namespace {

// The software buffer's rows and start are aligned for mpv's SIMD paths.
constexpr size_t kSoftwareAlignment = 64;
constexpr char kSoftwareFormat[] = "rgb0";

// Runs on mpv's threads: only wakes the main loop, never calls mpv.
void WakeMainLoop(void*) { HostWindow::WakeForVideo(); }

// The engine's entry points go through the wrappers that can move its
// drawing into a rectangle of the window (RenderIntoWindow).
void* GetProcAddress(void*, const char* name) { return WindowPartProcAddress(name, &HostWindow::GlProcAddress); }

struct FreeAligned {
  void operator()(uint8_t* data) const { std::free(data); }
};

}  // namespace

// The software path's memory buffer, its texture and the framebuffer that
// reads from it. The entry points beyond OpenGL 1.1 come from the window's
// context, as the compositor's do.
struct MpvVideoLayer::SoftwareTarget {
  GlFunctions gl;

  std::unique_ptr<uint8_t, FreeAligned> pixels;
  size_t stride = 0;
  int width = 0, height = 0;
  GLuint texture = 0, framebuffer = 0;

  bool Load() { return gl.Load(&HostWindow::GlProcAddress); }

  // Needs the GL context current.
  ~SoftwareTarget() {
    if (framebuffer) gl.DeleteFramebuffers(1, &framebuffer);
    if (texture) glDeleteTextures(1, &texture);
  }

  // A buffer and texture of w x h. The texture keeps only red, green and
  // blue, so the "0" byte of "rgb0" (unspecified) never becomes alpha.
  bool Resize(int w, int h) {
    width = height = 0;
    stride = (static_cast<size_t>(w) * 4 + kSoftwareAlignment - 1) / kSoftwareAlignment * kSoftwareAlignment;
    pixels.reset(static_cast<uint8_t*>(std::aligned_alloc(kSoftwareAlignment, stride * h)));
    if (!pixels) return false;
    std::memset(pixels.get(), 0, stride * h);
    if (!texture) glGenTextures(1, &texture);
    if (!framebuffer) gl.GenFramebuffers(1, &framebuffer);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    gl.BindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    gl.FramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    const bool complete = gl.CheckFramebufferStatus(GL_READ_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    gl.BindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    if (!complete) return false;
    width = w;
    height = h;
    return true;
  }

  void Upload() {
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(stride / 4));
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.get());
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
  }

  // The buffer's first row is the picture's top; the target is bottom-up,
  // so the copy flips.
  void CopyTo(GLuint target) {
    gl.BindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    gl.BindFramebuffer(GL_DRAW_FRAMEBUFFER, target);
    gl.BlitFramebuffer(0, 0, width, height, 0, height, width, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    gl.BindFramebuffer(GL_FRAMEBUFFER, target);
  }
};

// Only Windows reads properties on a thread of the layer's own.
class MpvVideoLayer::PropertyReader {};

std::vector<MpvOutputOption> MpvVideoOutputOptions(bool) { return {{"vo", "libmpv"}}; }

MpvVideoLayer::MpvVideoLayer(MpvPlayerRef player, HostWindow& window) : player_(std::move(player)), window_(window) {}

MpvVideoLayer::~MpvVideoLayer() { Release(); }

bool MpvVideoLayer::Create() {
  if (context_) return true;
  if (!player_.api || !player_.handle || !player_.api->HasRenderApi()) return false;
  window_.MakeContextCurrent();
  if (!(player_.preferOpenGl && CreateContext(Kind::OpenGL)) && !CreateContext(Kind::Software)) return false;

  // Frames are handed over when they are due, so rendering never waits for
  // a display time on the main thread.
  const MpvEntryPoints& api = *player_.api;
  if (api.setPropertyString) api.setPropertyString(player_.handle, "video-timing-offset", "0");
  api.renderContextSetUpdateCallback(context_, WakeMainLoop, nullptr);
  if (api.setWakeupCallback) api.setWakeupCallback(player_.handle, WakeMainLoop, nullptr);
  frameDue_ = true;
  return true;
}

bool MpvVideoLayer::CreateContext(Kind kind) {
  int advancedControl = 0;
  mpv_opengl_init_params glInit{GetProcAddress, &window_};
  std::vector<mpv_render_param> params;
  if (kind == Kind::OpenGL) {
    params.push_back({MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)});
    params.push_back({MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit});
  } else {
    software_ = std::make_unique<SoftwareTarget>();
    if (!software_->Load()) {
      software_.reset();
      return false;
    }
    params.push_back({MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)});
  }
  params.push_back({MPV_RENDER_PARAM_ADVANCED_CONTROL, &advancedControl});
  params.push_back({MPV_RENDER_PARAM_INVALID, nullptr});

  if (player_.api->renderContextCreate(&context_, player_.handle, params.data()) < 0) {
    context_ = nullptr;
    software_.reset();
    return false;
  }
  kind_ = kind;
  return true;
}

bool MpvVideoLayer::Update() {
  if (player_.drainEvents) player_.drainEvents();
  if (!context_) return false;
  const bool served = std::exchange(served_, false);
  const bool due = TakeDueFrame();
  if (blank_) return std::exchange(blankDue_, false);
  return due || served;
}

void MpvVideoLayer::SetBlank(bool blank) {
  if (blank == blank_) return;
  blank_ = blankDue_ = blank;
  if (blank) HostWindow::WakeForVideo();
}

void MpvVideoLayer::ServeDueFrame() {
  if (!context_ || lastWidth_ <= 0 || lastHeight_ <= 0 || !TakeDueFrame()) return;
  if (lastInWindow_) {
    RenderIntoWindow(lastX_, lastY_, lastWidth_, lastHeight_);
  } else {
    Render(lastFbo_, lastWidth_, lastHeight_);
  }
  served_ = true;
}

bool MpvVideoLayer::TakeDueFrame() {
  if (!(player_.api->renderContextUpdate(context_) & MPV_RENDER_UPDATE_FRAME)) return false;
  frameDue_ = true;
  return true;
}

void MpvVideoLayer::Remember(int fbo, int width, int height, bool inWindow, int x, int y) {
  lastFbo_ = fbo;
  lastWidth_ = width;
  lastHeight_ = height;
  lastInWindow_ = inWindow;
  lastX_ = x;
  lastY_ = y;
}

// mpv clears all of its target before it draws; without a picture the
// rectangle is cleared here.
bool MpvVideoLayer::RenderIntoWindow(int x, int y, int width, int height) {
  if (kind_ != Kind::OpenGL) return false;
  if (width <= 0 || height <= 0) return true;
  if (!context_ || blank_) {
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, width, height);
    glClearColor(0.f, 0.f, 0.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    return true;
  }
  Remember(0, width, height, true, x, y);
  const WindowPartScope part(x, y);
  RenderOpenGl(0, width, height);
  return true;
}

void MpvVideoLayer::Render(int fbo, int width, int height) {
  if (!context_ || blank_ || width <= 0 || height <= 0) return;
  Remember(fbo, width, height, false, 0, 0);
  if (kind_ == Kind::OpenGL) {
    RenderOpenGl(fbo, width, height);
  } else {
    RenderSoftware(fbo, width, height);
  }
}

// The framebuffer is bottom-up and mpv draws top-down: flipped.
void MpvVideoLayer::RenderOpenGl(int fbo, int width, int height) {
  mpv_opengl_fbo target{fbo, width, height, 0};
  int flipY = 1;
  mpv_render_param params[] = {
      {MPV_RENDER_PARAM_OPENGL_FBO, &target},
      {MPV_RENDER_PARAM_FLIP_Y, &flipY},
      {MPV_RENDER_PARAM_INVALID, nullptr},
  };
  player_.api->renderContextRender(context_, params);
}

// Rendering in software costs the CPU a full conversion and scaling, so
// the picture is rendered only when a new frame is due or the size changed;
// frames drawn for the interface's sake copy the last upload again.
void MpvVideoLayer::RenderSoftware(int fbo, int width, int height) {
  SoftwareTarget& target = *software_;
  const bool resized = width != target.width || height != target.height;
  if (resized && !target.Resize(width, height)) return;
  if (frameDue_ || resized) {
    int size[2] = {width, height};
    size_t stride = target.stride;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SW_SIZE, size},
        {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>(kSoftwareFormat)},
        {MPV_RENDER_PARAM_SW_STRIDE, &stride},
        {MPV_RENDER_PARAM_SW_POINTER, target.pixels.get()},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    player_.api->renderContextRender(context_, params);
    target.Upload();
    frameDue_ = false;
  }
  target.CopyTo(static_cast<GLuint>(fbo));
}

void MpvVideoLayer::Release() {
  if (!context_) return;
  window_.MakeContextCurrent();
  const MpvEntryPoints& api = *player_.api;
  if (api.setWakeupCallback) api.setWakeupCallback(player_.handle, nullptr, nullptr);
  api.renderContextFree(context_);
  context_ = nullptr;
  software_.reset();
  kind_ = Kind::None;
}
