#pragma once
// The video layer: the media engine's picture at the video rectangle.
//
// Linux (platform/mpv_video_layer.cpp): drawn through libmpv's render API
// into the compositor's framebuffer. Two render contexts, chosen by the
// engine's renderer:
//   OpenGL (preferred): mpv draws straight into the framebuffer object it is
//     given, with the window's GL context and its get_proc_address, or into
//     a rectangle of the window itself (RenderIntoWindow), its entry points
//     wrapped so that its drawing lands there (platform/gl_window_part.h);
//   software (safe, "sw"): mpv draws into an "rgb0" buffer in memory, which
//     is uploaded as a texture and copied into the framebuffer.
// When the OpenGL context cannot be created the software one is tried.
//
// The player's wake-up callback and the render context's update callback
// only wake the main loop (HostWindow::WakeForVideo); every render call is
// made on the main thread, from Update, Render and ServeDueFrame. Advanced
// control stays off: the main thread waits for the player's other calls
// (serving the layer meanwhile, player/engine_calls.h).
//
// Main thread only, with the window's GL context. The player handle must
// outlive the render context: whoever destroys the player calls Release
// first (the media engine does, through the callback it is given), and the
// window must still exist then.
//
// Windows (platform/mpv_video_layer_windows.cpp): the engine draws with its
// own video output into a child window of the host that the layer makes
// (Kind::Window, OwnWindow), bound through the player's "wid" before anything
// is loaded; the host places that window at the tile. There is no render
// context: Update says whether the engine's count of shown frames moved
// (the host asks while the tile shows), Render only notes it, and
// ServeDueFrame answers the messages the engine's output sends to the
// windows of the waiting main thread. The window lives until the layer is
// destroyed, after the player that draws into it.
#include <cstdint>
#include <memory>

#include <functional>
#include <string>

#include "platform/host_window.h"
#include "platform/mpv_library.h"

// The player the layer draws: the library's entry points, the handle, which
// context to try first, and how to empty the player's event queue when it
// wakes the main loop.
struct MpvPlayerRef {
  const MpvEntryPoints* api = nullptr;
  mpv_handle* handle = nullptr;
  bool preferOpenGl = true;
  std::function<void()> drainEvents;
};

// The engine's options that tie its picture to this system's layer, set
// before initialisation. On Linux the render API ("vo" = "libmpv"), whose
// picture the layer draws. On Windows the engine's own GPU output into the
// layer's window, allowed onto a software OpenGL (a virtual machine, Wine)
// rather than showing no picture, and subtitles in the family the interface
// resolved (the engine's font lookup there knows no generic "sans-serif").
struct MpvOutputOption {
  std::string name;
  std::string value;
};
std::vector<MpvOutputOption> MpvVideoOutputOptions(bool preferredRenderer);

class MpvVideoLayer : public VideoLayer {
 public:
  enum class Kind { None, OpenGL, Software, Window };

  MpvVideoLayer(MpvPlayerRef player, HostWindow& window);
  ~MpvVideoLayer() override;
  MpvVideoLayer(const MpvVideoLayer&) = delete;
  MpvVideoLayer& operator=(const MpvVideoLayer&) = delete;

  // Creates the render context for the player. False when there is no
  // player or neither context could be created (the program
  // then runs without a picture).
  bool Create();
  Kind kind() const { return kind_; }

  // After a wake-up: empties the player's event queue and asks the render
  // context whether a new frame is due.
  bool Update() override;
  // Draws the current frame into `fbo` (width x height, bottom-up).
  void Render(int fbo, int width, int height) override;
  // Linux, OpenGL context only: the engine's drawing into the window is
  // moved to the rectangle (platform/gl_window_part.h).
  bool RenderIntoWindow(int x, int y, int width, int height) override;
  // While the main thread waits for the player, a frame the player waits to
  // have rendered is rendered at once, where the last one went; the next
  // Update says a frame is due, so the compositor shows it.
  void ServeDueFrame();

  // A stopped stream leaves no picture: while blank the layer draws nothing
  // (the compositor's black), rather than the last frame standing still
  // under whatever the screen names now; the next load ends it.
  void SetBlank(bool blank);

  // Frees the render context; safe to call more than once.
  void Release();

  void* OwnWindow() const override { return ownWindow_; }

 private:
  struct SoftwareTarget;
  class PropertyReader;  // Windows

  bool CreateContext(Kind kind);
  // Asks the render context whether a new frame is due (and notes it).
  bool TakeDueFrame();
  void Remember(int fbo, int width, int height, bool inWindow, int x, int y);
  void RenderOpenGl(int fbo, int width, int height);
  void RenderSoftware(int fbo, int width, int height);

  MpvPlayerRef player_;
  HostWindow& window_;
  mpv_render_context* context_ = nullptr;
  Kind kind_ = Kind::None;
  bool frameDue_ = true;
  bool served_ = false;
  bool blank_ = false, blankDue_ = false;  // blank, and not yet drawn so
  int lastFbo_ = 0, lastWidth_ = 0, lastHeight_ = 0;
  bool lastInWindow_ = false;  // the last frame went into a rectangle of the window
  int lastX_ = 0, lastY_ = 0;  // at this origin
  std::unique_ptr<SoftwareTarget> software_;
  void* ownWindow_ = nullptr;    // Windows: the window the engine draws into
  std::unique_ptr<PropertyReader> reader_;  // Windows
  std::string shownFrames_;      // Windows: the engine's count when last asked
};
