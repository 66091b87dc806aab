// The host window: SDL2 window and OpenGL context, the main loop, timers,
// job messages and input translation. Sections:
//   1. the mailbox shared with other threads
//   2. creation and destruction
//   3. the loop: one pass = wait, dispatch events, job messages, timers, frame
//   4. input translation
//   5. frames, size and full screen
#include "platform/host_window.h"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_opengl.h>

#include <algorithm>

#include "net/text.h"
#include "platform/clock.h"
#include "platform/desktop_notification.h"
#include "platform/gl_compositor.h"
#include "platform/gl_present.h"
#include "platform/key_map.h"
#include "platform/loop_mailbox.h"
#include "platform/process.h"
#include "platform/timer_queue.h"

// ---- 1. The mailbox shared with other threads -------------------------------

namespace {

// Never destroyed: a detached job may post while the process exits.
LoopMailbox& Mailbox() {
  static auto* mailbox = new LoopMailbox;
  return *mailbox;
}

// One registered SDL event type wakes the loop for the mailbox.
Uint32 WakeEventType() {
  static const Uint32 type = SDL_RegisterEvents(1);
  return type;
}

bool PushWakeEvent() {
  SDL_Event event{};
  event.type = WakeEventType();
  return SDL_PushEvent(&event) == 1;
}

// A pass handles at most this many queued events or job messages before it
// draws, so a flood of input or messages cannot hold back the screen.
constexpr int kMaxPerPass = 256;

}  // namespace

struct HostWindow::Impl {
  HostEvents* events = nullptr;
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  bool sdlStarted = false;
  std::unique_ptr<GlCompositor> compositor;
  GlPresenter presenter;
  std::string lastError;
  HostWindow::StartupMarks startup;

  TimerQueue timers;
  bool quit = false;
  int exitCode = 0;

  std::vector<VideoTile> videoTiles;
  std::vector<bool> newPictures;  // per tile, since the last frame
  bool interfaceDirty = true;
  bool stripsDirty = true;
  bool frameWanted = true;

  int width = 0, height = 0;              // drawable, in pixels
  int windowWidth = 0, windowHeight = 0;  // window units (differ on high-DPI screens)
  bool fullScreen = true;
  // What the window still does once its first frame is on screen (see
  // FinishAfterFirstFrame).
  bool firstFramePresented = false;
  bool fullScreenPending = true;
  std::string iconPng;
  // The desktop notifications' sender, made on the first notice, with the
  // window's title and icon.
  std::string title, notifierIconPng;
  std::unique_ptr<DesktopNotifier> notifier;

  bool CreateWindowAndContext(const std::string& title);
  void FinishAfterFirstFrame();
  void SetIcon();
  void Destroy();

  void Pass();
  int WaitMs() const;
  void Dispatch(const SDL_Event& event);
  void DeliverJobMessages();
  void FireDueTimers();

  void HandleKey(const SDL_KeyboardEvent& key);
  void HandleText(const char* utf8);
  void HandlePointer(const SDL_Event& event);
  void HandleWindowEvent(const SDL_WindowEvent& event);
  int ToPixelsX(int x) const { return windowWidth > 0 ? x * width / windowWidth : x; }
  int ToPixelsY(int y) const { return windowHeight > 0 ? y * height / windowHeight : y; }

  void UpdateSize();
  void DrawFrame(std::vector<uint8_t>* readBack);
};

HostWindow::HostWindow() : impl_(std::make_unique<Impl>()) {}

HostWindow::~HostWindow() { impl_->Destroy(); }

// ---- 2. Creation and destruction --------------------------------------------

bool HostWindow::Create(const std::string& title, const std::string& iconPng, HostEvents* events) {
  Impl& w = *impl_;
  if (w.window) return false;
  w.events = events;

  // A desktop player stays on screen when another window takes the focus;
  // the click that activates the window still counts; the screen saver is
  // held off only while something plays (KeepScreenAwake).
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    w.lastError = std::string("SDL_Init: ") + SDL_GetError();
    return false;
  }
  w.sdlStarted = true;
  if (!w.CreateWindowAndContext(title)) {
    w.Destroy();
    return false;
  }
  w.iconPng = iconPng;
  w.title = title;
  w.notifierIconPng = iconPng;
  SDL_StartTextInput();
  w.UpdateSize();
  WakeEventType();
  Mailbox().Open(PushWakeEvent);
  return true;
}

bool HostWindow::Impl::CreateWindowAndContext(const std::string& title) {
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);

  // The window covers the display from the start; full screen is asked for
  // once the first frame shows (FinishAfterFirstFrame).
  SDL_Rect bounds{0, 0, 1280, 720};
  SDL_GetDisplayBounds(0, &bounds);
  const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALLOW_HIGHDPI;
  window = SDL_CreateWindow(title.c_str(), bounds.x, bounds.y, bounds.w, bounds.h, flags);
  if (!window) {
    lastError = std::string("SDL_CreateWindow: ") + SDL_GetError();
    return false;
  }
  startup.windowMs = MsSinceProcessStart();
  context = SDL_GL_CreateContext(window);
  if (!context) {
    lastError = std::string("SDL_GL_CreateContext: ") + SDL_GetError();
    return false;
  }
  SDL_GL_MakeCurrent(window, context);
  // Frames are drawn on demand; waiting for the display's refresh keeps
  // video frames from tearing and costs nothing while idle.
  if (SDL_GL_SetSwapInterval(1) != 0) SDL_GL_SetSwapInterval(0);

  compositor = std::make_unique<GlCompositor>();
  if (!compositor->Init(SDL_GL_GetProcAddress)) {
    lastError = "OpenGL framebuffer objects are not available";
    return false;
  }
  presenter.Init(window);
  startup.glMs = MsSinceProcessStart();
  return true;
}

// Asking a shown window for full screen makes SDL wait up to 100 ms for
// the window manager to move it (without one, or when the window already
// covers the display as ours does, the whole 100 ms), and the icon is a
// picture to decode; neither shows in a borderless window that covers the
// display, so both wait until its first frame is on screen.
void HostWindow::Impl::FinishAfterFirstFrame() {
  if (firstFramePresented) return;
  firstFramePresented = true;
  SetIcon();
  if (fullScreenPending) {
    fullScreenPending = false;
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
  }
}

void HostWindow::Impl::SetIcon() {
  if (iconPng.empty()) return;
  SDL_Surface* icon = IMG_Load(iconPng.c_str());
  iconPng.clear();
  if (!icon) return;
  SDL_SetWindowIcon(window, icon);
  SDL_FreeSurface(icon);
}

void HostWindow::Impl::Destroy() {
  if (!sdlStarted) return;
  sdlStarted = false;
  Mailbox().Close();
  notifier.reset();
  if (context) {
    SDL_GL_MakeCurrent(window, context);
    compositor.reset();  // GL objects go while the context lives
    SDL_GL_DeleteContext(context);
    context = nullptr;
  }
  if (window) SDL_DestroyWindow(window);
  window = nullptr;
  SDL_Quit();
}

std::string HostWindow::LastError() const { return impl_->lastError; }
HostWindow::StartupMarks HostWindow::Startup() const { return impl_->startup; }

// ---- 3. The loop ------------------------------------------------------------

int HostWindow::Run() {
  if (!impl_->window) return impl_->exitCode;
  while (!impl_->quit) impl_->Pass();
  return impl_->exitCode;
}

void HostWindow::RunNestedUntil(const std::function<bool()>& done) {
  if (!impl_->window) return;
  while (!impl_->quit && !done()) impl_->Pass();
}

void HostWindow::Quit(int exitCode) {
  if (impl_->quit) return;
  impl_->quit = true;
  impl_->exitCode = exitCode;
}

bool HostWindow::QuitRequested() const { return impl_->quit; }

void HostWindow::PostJobMessage(uint32_t id, uintptr_t wparam) { Mailbox().Post(LoopMessage{id, wparam}); }

void HostWindow::WakeForVideo() { Mailbox().SignalVideoFrame(); }

void HostWindow::SetTimer(int id, uint32_t periodMs, bool repeating) {
  impl_->timers.Set(id, periodMs, repeating, TickMs());
}

void HostWindow::KillTimer(int id) { impl_->timers.Kill(id); }

// One pass of the loop: sleep until an event or the next timer deadline,
// handle what is queued, then draw a frame if anything asked for one.
void HostWindow::Impl::Pass() {
  SDL_Event event;
  if (SDL_WaitEventTimeout(&event, WaitMs())) Dispatch(event);
  for (int i = 0; i < kMaxPerPass && !quit && SDL_PollEvent(&event); ++i) Dispatch(event);
  // While the first frame asked for is not drawn yet, job messages wait:
  // what jobs delivered while the window was made (the boot's read of a
  // large cache) merges after the window shows something, not before.
  if (firstFramePresented || !(frameWanted || interfaceDirty || stripsDirty)) DeliverJobMessages();
  FireDueTimers();
  if (Mailbox().TakeVideoFrame()) {
    newPictures.resize(videoTiles.size());
    for (size_t i = 0; i < videoTiles.size(); ++i) {
      if (!videoTiles[i].layer || !videoTiles[i].layer->Update()) continue;
      newPictures[i] = true;
      frameWanted = true;
    }
  }
  if (!quit && (frameWanted || interfaceDirty || stripsDirty)) DrawFrame(nullptr);
}

// -1 waits for an event only; SDL sleeps in poll() on the display connection.
int HostWindow::Impl::WaitMs() const {
  if (quit || Mailbox().HasWork() || frameWanted || interfaceDirty || stripsDirty) return 0;
  const std::optional<uint64_t> untilTimer = timers.MsUntilNext(TickMs());
  if (!untilTimer) return -1;
  return static_cast<int>(std::min<uint64_t>(*untilTimer, 24 * 3600 * 1000));
}

void HostWindow::Impl::Dispatch(const SDL_Event& event) {
  if (quit) return;
  if (event.type == WakeEventType()) {
    Mailbox().Rearm();
    return;
  }
  switch (event.type) {
    case SDL_QUIT:  // the window's close button, or SIGINT/SIGTERM
      events->OnCloseRequested();
      break;
    case SDL_WINDOWEVENT:
      HandleWindowEvent(event.window);
      break;
    case SDL_KEYDOWN:
      HandleKey(event.key);
      break;
    case SDL_TEXTINPUT:
      HandleText(event.text.text);
      break;
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL:
      HandlePointer(event);
      break;
    default:
      break;
  }
}

// One message at a time from the shared queue: a handler may open a nested
// loop, which then goes on delivering in order.
void HostWindow::Impl::DeliverJobMessages() {
  for (int i = 0; i < kMaxPerPass && !quit; ++i) {
    const std::optional<LoopMessage> message = Mailbox().Take();
    if (!message) return;
    events->OnJobMessage(message->id, message->wparam);
  }
}

void HostWindow::Impl::FireDueTimers() {
  const uint64_t now = TickMs();
  while (!quit) {
    const std::optional<int> id = timers.TakeDue(now);
    if (!id) return;
    events->OnTimer(*id);
  }
}

// ---- 4. Input translation ---------------------------------------------------

void HostWindow::Impl::HandleKey(const SDL_KeyboardEvent& key) {
  const int vk = VirtualKeyFromSdl(key.keysym.sym, key.keysym.scancode, key.keysym.mod);
  if (vk) events->OnKey(vk);
}

void HostWindow::Impl::HandleText(const char* utf8) {
  for (char16_t unit : Utf8ToWide(utf8)) {
    if (quit) return;
    events->OnChar(unit);
  }
}

void HostWindow::Impl::HandlePointer(const SDL_Event& event) {
  PointerEvent pointer;
  switch (event.type) {
    case SDL_MOUSEMOTION:
      pointer.kind = PointerEvent::Kind::Move;
      pointer.x = event.motion.x;
      pointer.y = event.motion.y;
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (event.button.button != SDL_BUTTON_LEFT) return;
      // As on other systems, the second press of a double click replaces
      // the press; the third starts over.
      if (event.type == SDL_MOUSEBUTTONUP) {
        pointer.kind = PointerEvent::Kind::Up;
      } else {
        pointer.kind = event.button.clicks % 2 == 0 ? PointerEvent::Kind::DoubleClick : PointerEvent::Kind::Down;
      }
      pointer.x = event.button.x;
      pointer.y = event.button.y;
      break;
    case SDL_MOUSEWHEEL: {
      const int notches = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
      if (notches == 0) return;
      pointer.kind = PointerEvent::Kind::Wheel;
      pointer.wheelNotches = notches;
#if SDL_VERSION_ATLEAST(2, 26, 0)
      pointer.x = event.wheel.mouseX;
      pointer.y = event.wheel.mouseY;
#else
      SDL_GetMouseState(&pointer.x, &pointer.y);
#endif
      break;
    }
    default:
      return;
  }
  pointer.x = ToPixelsX(pointer.x);
  pointer.y = ToPixelsY(pointer.y);
  events->OnPointer(pointer);
}

void HostWindow::Impl::HandleWindowEvent(const SDL_WindowEvent& event) {
  switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESIZED:
      UpdateSize();
      break;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_RESTORED:
      compositor->Invalidate();
      frameWanted = true;
      break;
    default:
      break;
  }
}

// ---- 5. Frames, size and full screen ----------------------------------------

void HostWindow::RequestPaint() {
  impl_->interfaceDirty = true;
  impl_->stripsDirty = true;
}

void HostWindow::RequestStripPaint() { impl_->stripsDirty = true; }

void HostWindow::Invalidate() {
  impl_->compositor->Invalidate();
  impl_->frameWanted = true;
}

int HostWindow::Width() const { return impl_->width; }

bool HostWindow::PointerPosition(int& x, int& y) const {
  int gx = 0, gy = 0, wx = 0, wy = 0;
  SDL_GetGlobalMouseState(&gx, &gy);
  if (impl_->window) SDL_GetWindowPosition(impl_->window, &wx, &wy);
  x = gx - wx;
  y = gy - wy;
  return x >= 0 && y >= 0 && x < impl_->width && y < impl_->height;
}
int HostWindow::Height() const { return impl_->height; }

void HostWindow::SetVideoTiles(std::vector<VideoTile> tiles) {
  if (tiles == impl_->videoTiles) return;
  impl_->videoTiles = std::move(tiles);
  impl_->newPictures.assign(impl_->videoTiles.size(), false);
  impl_->frameWanted = true;
}

const std::vector<VideoTile>& HostWindow::VideoTiles() const { return impl_->videoTiles; }

void* HostWindow::GlProcAddress(const char* name) { return SDL_GL_GetProcAddress(name); }

std::string HostWindow::GraphicsInfo() const {
  if (!impl_->context) return {};
  auto text = [](GLenum name) {
    const auto* value = reinterpret_cast<const char*>(glGetString(name));
    return std::string(value ? value : "?");
  };
  return text(GL_RENDERER) + " / " + text(GL_VERSION);
}

void HostWindow::MakeContextCurrent() {
  if (impl_->window && impl_->context) SDL_GL_MakeCurrent(impl_->window, impl_->context);
}

std::vector<uint8_t> HostWindow::ReadPixels(int& width, int& height) {
  std::vector<uint8_t> pixels;
  width = height = 0;
  if (!impl_->window) return pixels;
  impl_->DrawFrame(&pixels);
  width = impl_->width;
  height = impl_->height;
  return pixels;
}

void HostWindow::ToggleMaximized() {
  Impl& w = *impl_;
  if (!w.window) return;
  // Before the first frame the window covers the display but has not asked
  // for full screen yet; after this toggle it no longer will.
  w.fullScreenPending = false;
  if (w.fullScreen) {
    SDL_SetWindowFullscreen(w.window, 0);
    SDL_MaximizeWindow(w.window);
  } else {
    // Without a window manager (a kiosk session) full screen is only a
    // request nobody serves: cover the display first, then ask.
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(w.window), 0), &bounds) == 0) {
      SDL_RestoreWindow(w.window);
      SDL_SetWindowPosition(w.window, bounds.x, bounds.y);
      SDL_SetWindowSize(w.window, bounds.w, bounds.h);
    }
    SDL_SetWindowFullscreen(w.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
  }
  w.fullScreen = !w.fullScreen;
  w.frameWanted = true;  // the loop picks up the new size before drawing
}

bool HostWindow::Focused() const {
  return impl_->window && (SDL_GetWindowFlags(impl_->window) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

bool HostWindow::Notify(const std::string& title, const std::string& body) {
  Impl& w = *impl_;
  if (!w.window) return false;
  if (!w.notifier) w.notifier = std::make_unique<DesktopNotifier>(w.title, w.notifierIconPng, nullptr);
  return w.notifier->Notify(title, body);
}

void HostWindow::KeepScreenAwake(bool awake) {
  if (!impl_->window) return;
  if (awake) {
    SDL_DisableScreenSaver();
  } else {
    SDL_EnableScreenSaver();
  }
}

void HostWindow::Impl::UpdateSize() {
  int w = 0, h = 0;
  SDL_GL_GetDrawableSize(window, &w, &h);
  SDL_GetWindowSize(window, &windowWidth, &windowHeight);
  if (w <= 0 || h <= 0 || (w == width && h == height)) return;
  width = w;
  height = h;
  compositor->SetSize(w, h);
  interfaceDirty = stripsDirty = frameWanted = true;
  events->OnResize(w, h);
}

void HostWindow::Impl::DrawFrame(std::vector<uint8_t>* readBack) {
  SDL_GL_MakeCurrent(window, context);
  UpdateSize();
  // Cleared before painting: a painter's RequestPaint schedules the next frame.
  if (interfaceDirty) {
    interfaceDirty = false;
    compositor->PaintLayer(GlCompositor::LayerId::Interface,
                           [this](Canvas& canvas, int w, int h) {
                             events->OnPaintInterface(canvas, w, h);
                             return true;
                           });
  }
  if (stripsDirty) {
    stripsDirty = false;
    compositor->PaintLayer(GlCompositor::LayerId::Strips,
                           [this](Canvas& canvas, int w, int h) { return events->OnPaintStrips(canvas, w, h); });
  }
  frameWanted = false;
  const std::vector<PixelRect> damage = compositor->Compose(videoTiles, newPictures, presenter.BackBufferAge());
  newPictures.assign(videoTiles.size(), false);
  if (readBack) *readBack = compositor->ReadBack();
  // Nothing changed: the screen already shows this frame.
  if (!damage.empty()) presenter.Present(damage, width, height);
  events->OnFramePresented();
  FinishAfterFirstFrame();
}
