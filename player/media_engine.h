#pragma once
// MediaEngine: the program's only door to the media player, libmpv, which
// is loaded at run time (platform/mpv_library.h). Each player/Player owns
// one engine: created empty, initialised once when the window exists, shut
// down at exit. Everything else talks to the player through
// the string options, properties and commands below.
//
// The engine is ready when it holds a player handle. Every operation except
// Init does nothing while it is not ready; property reads then give empty
// text, which callers treat as "unknown" (never as zero or "no"). Results of
// the player's set, command and seek calls are not inspected.
//
// Main thread only. Once a video layer serves frames (SetFrameService), the
// calls that wait for the player run on a thread of the engine's own
// (player/engine_calls.h). LoadUrl may hold the calling thread for up to 20 s while
// a trailer page is resolved (player/trailer.h).
//
// Video: the window's video layer (platform/mpv_video_layer.h) names the
// player's video output for its system (MpvVideoOutputOptions: on Linux the render
// API, "libmpv", whose picture the layer draws, asking Renderer() which
// render context to create; on Windows the player's own output into the
// layer's window). The first
// initialisation is the preferred one (OpenGL render context, hardware
// decoding "auto"); when it fails, the handle is recreated for the safe
// renderer (software rendering, no hardware decoding).
//
// Tests only: the environment variable VISTRA_FORCE_SW_RENDER=1 skips the
// preferred attempt, so the safe renderer is used from the start.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mpv_library.h"
#include "player/engine_calls.h"

// Which render context the video layer should create for this handle.
enum class VideoRenderer {
  None,       // not ready
  Preferred,  // OpenGL render context drawing into the compositor
  Safe,       // software render API ("sw"), uploaded as a texture
};

// An option applied after the engine's own, just before initialisation
// (a later value of the same option wins). Tests use these to run the real
// player headless ("vo" = "null", "ao" = "null") or to make the first
// initialisation fail.
struct EngineOption {
  std::string name;
  std::string value;
  bool firstAttemptOnly = false;
};

// Seams for tests; a default-constructed value is what the program uses.
struct MediaEngineHooks {
  std::vector<EngineOption> extraOptions;
  // Where yt-dlp is looked for to fill "script-opts"; empty: the folder of
  // the executable.
  std::filesystem::path programFolder;
  // Replaces ResolveMediaUrl inside LoadUrl when set.
  std::function<std::u16string(const std::u16string&)> resolveUrl;
};

class MediaEngine {
 public:
  MediaEngine() = default;
  ~MediaEngine();  // Shutdown
  MediaEngine(const MediaEngine&) = delete;
  MediaEngine& operator=(const MediaEngine&) = delete;

  // Set before Init.
  void SetHooks(MediaEngineHooks hooks);
  // Set before Init: decode in software even with the OpenGL renderer.
  // The engine's first hardware decoder probe waits, without a time limit,
  // for the render thread (the main thread) to serve its render context;
  // a main thread that meanwhile reads a property of the same engine waits
  // for the engine in turn. The one main player probes once, at its first
  // load, and keeps its choice; players started while others play (the
  // multi-view's tiles, polled every second from their first frame) decode
  // in software so that the wait cannot happen.
  void PreferSoftwareDecoding() { softwareDecoding_ = true; }
  // Set before Init: the sound outputs to try, in mpv's "ao" list form,
  // instead of the engine's own probe list (an empty text keeps it).
  void UseAudioOutputs(std::string outputs) { audioOutputs_ = std::move(outputs); }
  // The sound output the engine opened for what plays; empty before one is
  // open.
  std::string AudioOutput() const;

  // Loads libmpv.so.2 (beside the executable, then from the system) and
  // creates and initialises the player. False when the library or one of
  // its five required entry points is missing, or both attempts fail; the
  // engine then stays not ready and the program runs on without video.
  bool Init();
  // The same with an already loaded library (an explicit path, or fakes).
  bool Init(MpvLibrary library);

  // Frees the video layer's render context (through the callback given to
  // SetRenderRelease), destroys the player and unloads the library.
  void Shutdown();

  bool Ready() const { return handle_ != nullptr; }
  VideoRenderer Renderer() const { return Ready() ? renderer_ : VideoRenderer::None; }

  // Properties. Names and values are UTF-8; a read gives UTF-16 text.
  std::u16string GetProperty(std::string_view name) const;
  void SetProperty(std::string_view name, std::string_view value);

  // Resolves a trailer page, sends "loadfile" URL "replace", then
  // "pause" = "no" so that a load always plays. An empty URL sends nothing.
  void LoadUrl(const std::u16string& url);
  // The same for a URL already resolved (a trailer resolved by a job): it
  // is loaded as it is, never handed to yt-dlp again on this thread.
  void LoadResolvedUrl(const std::u16string& url);
  void Stop();
  void SeekAbsolute(double seconds);
  void SeekRelative(double seconds);

  // Paused when "pause" reads text starting with "y".
  bool IsPaused() const;
  void SetPaused(bool paused);
  // An unreadable "pause" counts as playing, so the toggle pauses.
  void TogglePause();

  // Clamped to 0..100; written to "volume", then to "ao-volume".
  void SetVolume(int percent);
  // Nothing is sent without a format. The program uses id 1 and the format
  // "none" with empty data, which clears that overlay.
  void SetOverlay(int id, std::string_view format, std::string_view data);
  void RemoveOverlay(int id);
  // An empty ratio means none ("-1").
  void SetAspect(std::string_view ratio);
  void SetSubtitleSize(int size);
  void SetSubtitleColor(std::string_view color);
  void SetSubtitleVisible(bool visible);

  // For the video layer (platform/): the player handle and the library's
  // entry points, valid while ready.
  mpv_handle* Handle() const { return handle_; }
  const MpvEntryPoints& Api() const { return library_.Api(); }
  // Empties the player's event queue (the video layer does this when the
  // player wakes the main loop); returns how many files ended among the
  // events.
  int DrainEvents();
  // The render context must be freed before the player is destroyed: the
  // video layer registers how (empty to unregister).
  void SetRenderRelease(std::function<void()> release);
  // How the main thread renders a frame that is due while it waits for the
  // player (empty: no layer); cleared by Shutdown.
  void SetFrameService(std::function<void()> serve);

 private:
  bool Attempt(VideoRenderer renderer, bool firstAttempt);
  void SetOption(const char* name, const std::string& value);
  void ApplyBaseOptions();
  std::string ScriptOptions() const;
  void Command(std::initializer_list<std::string_view> args);
  void Blocking(const std::function<void()>& call) const;
  void DestroyHandle();
  void KeepOutputs();

  MpvLibrary library_;
  mpv_handle* handle_ = nullptr;
  VideoRenderer renderer_ = VideoRenderer::None;
  MediaEngineHooks hooks_;
  std::function<void()> renderRelease_;
  std::function<void()> serveFrame_;
  std::unique_ptr<EngineCalls> calls_;
  bool audioKept_ = false, hwdecKept_ = false;
  bool softwareDecoding_ = false;  // the first choices hold for later loads
  std::string audioOutputs_;
};

// The sound outputs a player may probe while other players run: the
// engine's list without JACK, whose client library keeps one message
// thread for the whole process that two clients opening at once fight
// over (seen as a hang of both).
extern const char kConcurrentAudioOutputs[];

// "%g" of a number, independent of the C locale (seek positions).
std::string FormatShortest(double value);
