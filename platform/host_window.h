#pragma once
// The one window. It owns the main loop, the timers, the posting of job
// messages from any thread, and the stacking of the layers of each frame:
//   1. the video tiles, each drawn by its VideoLayer into its rectangle;
//   2. the interface layer, an ARGB32 surface over the whole window that
//      the painters draw on through a Canvas, transparent where the video
//      shows (the "holes");
//   3. the strip layers, surfaces drawn over the video at their own
//      rectangles (the Player screen's on-screen controls).
// Frames are drawn only when something asked for one (RequestPaint, a video
// frame, a timer or job message handler asking for it); an idle window waits
// in SDL_WaitEvent and uses no CPU.
//
// Everything here runs on the main thread except PostJobMessage and
// VideoLayer wake-ups, which any thread may call.
//
// Linux (platform/host_window.cpp): SDL2 + OpenGL, one GL compositor stacks
// the layers into the window.
// Windows (platform/host_window_windows.cpp): Win32 windows stack them. The
// top window is black; a child window shows the interface layer (drawn with
// Direct2D) with its window region cut away at the video tiles; each tile's
// layer that draws into a window of its own (VideoLayer::OwnWindow) is placed
// there as a child window below it; the strip layer is a layered pop-up with
// per-pixel alpha over the video, click-through where it is transparent.
// There is no GL context: GlProcAddress gives null and MakeContextCurrent
// does nothing, and a layer's Render is called with fbo 0 after its Update
// said a new picture showed (so it counts pictures, it draws nothing).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/canvas.h"

struct PixelRect {
  int x = 0, y = 0, w = 0, h = 0;
  bool empty() const { return w <= 0 || h <= 0; }
  bool operator==(const PixelRect&) const = default;
};

struct PointerEvent {
  enum class Kind { Move, Down, Up, DoubleClick, Wheel };
  Kind kind = Kind::Move;
  int x = 0, y = 0;       // window coordinates in pixels
  int wheelNotches = 0;   // Wheel: positive = up (away from the user)
};

// What the application supplies; HostWindow calls these on the main thread.
class HostEvents {
 public:
  virtual ~HostEvents() = default;
  virtual void OnKey(int vk) = 0;                          // virtual-key code (platform/virtual_keys.h)
  virtual void OnChar(char16_t ch) = 0;                    // text input, one UTF-16 unit at a time
  virtual void OnPointer(const PointerEvent& event) = 0;
  virtual void OnJobMessage(uint32_t id, uintptr_t wparam) = 0;
  virtual void OnTimer(int id) = 0;
  // Paint the interface layer: `canvas` draws on a cleared (fully
  // transparent) surface of width x height pixels, for this call only.
  // Leave the video rectangle transparent.
  virtual void OnPaintInterface(Canvas& canvas, int width, int height) = 0;
  // Paint the strip layers (Player screen) on a cleared surface as above.
  // Returns false when nothing was drawn. Default: none.
  virtual bool OnPaintStrips(Canvas& /*canvas*/, int /*width*/, int /*height*/) { return false; }
  virtual void OnResize(int /*width*/, int /*height*/) {}
  // A frame has just been handed to the screen (after the buffer swap).
  virtual void OnFramePresented() {}
  // The user closed the window (window manager close). The app saves and
  // calls Quit.
  virtual void OnCloseRequested() = 0;
};

// The video layer: the media engine's renderer. Render draws the current
// video frame into the bound OpenGL framebuffer `fbo` of w x h pixels
// (orientation below). Called on the main thread inside a
// frame, with the GL context current.
//
// The framebuffer is a GL framebuffer object the size of the video rectangle,
// bottom-up like the window's own: a renderer that writes top-down rows (the
// media engine's render API) renders flipped, as it would into the window.
// After Render the compositor resets the GL state the renderer may change
// (framebuffer, viewport, scissor, blending, program, buffers, textures,
// pixel store).
class VideoLayer {
 public:
  virtual ~VideoLayer() = default;
  virtual void Render(int fbo, int width, int height) = 0;
  // Draws the current frame straight into the rectangle of the window's
  // default framebuffer at (x, y) (GL's bottom-up coordinates): every pixel
  // of it (black where there is no picture) and no pixel outside it; the
  // compositor binds framebuffer 0 first. This spares the framebuffer object
  // and the copy out of it. False (the default) when the renderer cannot:
  // it drew nothing then.
  virtual bool RenderIntoWindow(int /*x*/, int /*y*/, int /*width*/, int /*height*/) { return false; }
  // Called on the main thread after WakeForVideo: true when a new frame
  // should be drawn (the media engine asks its render context here).
  virtual bool Update() { return true; }
  // A layer whose media engine draws into a window of its own (Windows: a
  // child window of the host bound to the engine) gives that window's native
  // handle; the host then places the window at the tile's rectangle and
  // hides it when the tile goes. Null (the default): the host composes the
  // layer through Render.
  virtual void* OwnWindow() const { return nullptr; }
};

// One picture of the window: a video layer (null: the rectangle stays
// black) and where it is drawn (empty: nowhere).
struct VideoTile {
  VideoLayer* layer = nullptr;
  PixelRect rect;
  bool operator==(const VideoTile&) const = default;
};

class HostWindow {
 public:
  HostWindow();
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  // Creates the borderless full-screen window on the primary display with
  // its drawing (Linux: its GL context). `iconPng` may be empty or missing. False on failure.
  // The window covers the display at once; the full-screen state and the
  // icon (`iconPng`, read then) follow right after its first frame is
  // presented, as neither changes what that frame shows.
  bool Create(const std::string& title, const std::string& iconPng, HostEvents* events);
  // Why Create failed (the system's words), for the log.
  std::string LastError() const;
  // The startup timeline of Create, in ms since exec: when the window
  // existed and when its drawing (GL context and compositor, or Direct2D)
  // was ready (0 before).
  struct StartupMarks {
    int64_t windowMs = 0;
    int64_t glMs = 0;
  };
  StartupMarks Startup() const;

  // Runs the main loop until Quit; returns the exit code given to Quit. The
  // first frame asked for is drawn before any job message is handled.
  int Run();
  // Runs a nested loop (for modal questions and pickers) that dispatches
  // everything the main loop does (keys, pointer, job messages, timers,
  // paints) until done() returns true after an event, or Quit was called.
  void RunNestedUntil(const std::function<bool()>& done);
  void Quit(int exitCode);
  bool QuitRequested() const;

  // Thread-safe: queues a job message for OnJobMessage on the main thread.
  static void PostJobMessage(uint32_t id, uintptr_t wparam);

  // Timers fire OnTimer(id) on the main thread. Setting an existing id
  // restarts it.
  void SetTimer(int id, uint32_t periodMs, bool repeating);
  void KillTimer(int id);

  // Schedules a frame that repaints the interface and strip layers.
  void RequestPaint();
  // Schedules a frame that repaints only the strip layer (the Player
  // screen's controls change often; the interface layer stays as it is).
  void RequestStripPaint();
  // Schedules a frame composed whole, as after the window was exposed.
  // Frames otherwise redraw only the rectangles that changed.
  void Invalidate();
  int Width() const;
  int Height() const;
  // The pointer in window coordinates (it may lie outside the window);
  // true when it is inside.
  bool PointerPosition(int& x, int& y) const;

  // F11: toggles between desktop full screen and a maximized window.
  void ToggleMaximized();
  // True while the window has the keyboard focus (it is the window the
  // user works in).
  bool Focused() const;
  // Shows a desktop notification (platform/desktop_notification.h) in the
  // window's name, for news while the window is not focused; returns at
  // once. False when the desktop has nothing to show it with.
  bool Notify(const std::string& title, const std::string& body);
  // Holds the screen saver and display power saving off (while something
  // plays) or lets them run again. They run by default.
  void KeepScreenAwake(bool awake);

  // The video tiles, drawn in this order (empty list = no video shown). The
  // interface layer is expected to be transparent at their rectangles. The
  // layers must stay alive until the next call.
  void SetVideoTiles(std::vector<VideoTile> tiles);
  const std::vector<VideoTile>& VideoTiles() const;
  // Thread-safe: a new video frame is ready (of any tile); schedules a
  // frame, for which every tile's layer is asked for its new picture.
  static void WakeForVideo();

  // The OpenGL context's entry points, for the media engine's render
  // context and the GL tables (platform/gl_functions.h). Windows has no GL
  // context: null, and nothing.
  static void* GlProcAddress(const char* name);
  void MakeContextCurrent();
  // For the runtime log: "<renderer> / <version>" of the OpenGL context;
  // on Windows "Direct2D / <graphics adapter, or software>".
  std::string GraphicsInfo() const;

  // Draws and presents a frame now (painting the layers that asked for it)
  // and returns its pixels (tests and screenshots): RGBA, top row first.
  std::vector<uint8_t> ReadPixels(int& width, int& height);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Opens a web page in the desktop's browser (xdg-open, started without a
// shell; the child is reaped). Only http and https URLs are opened: the URLs
// come from servers, and any other scheme could start a local program.
// False when the URL was refused or xdg-open could not be started.
bool OpenUrlInBrowser(const std::string& url);
