#pragma once
// libmpv, loaded at run time. The program does not link the library: it is
// opened with OpenSharedLibrary ("libmpv.so.2" on Linux, "libmpv-2.dll" on
// Windows; first beside the executable, then from the system's search path)
// and its entry points are resolved by name into
// a plain table of function pointers, so player/ code can use them without
// system headers and tests can hand in a table of fakes.
//
// The mpv types stay opaque here; only platform/ includes <mpv/...>.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct mpv_handle;
struct mpv_render_context;
struct mpv_render_param;
struct mpv_event;

// Signatures are those of <mpv/client.h> and <mpv/render.h> (checked at
// compile time in mpv_library.cpp).
struct MpvEntryPoints {
  // Required: without any of these the player cannot be created or driven.
  mpv_handle* (*create)() = nullptr;
  int (*initialize)(mpv_handle* ctx) = nullptr;
  void (*destroy)(mpv_handle* ctx) = nullptr;
  int (*setOptionString)(mpv_handle* ctx, const char* name, const char* value) = nullptr;
  int (*command)(mpv_handle* ctx, const char** args) = nullptr;
  // Optional: an operation that needs a missing one does nothing.
  int (*setPropertyString)(mpv_handle* ctx, const char* name, const char* value) = nullptr;
  char* (*getPropertyString)(mpv_handle* ctx, const char* name) = nullptr;
  void (*free)(void* data) = nullptr;
  // Events and the render API (optional: without them there is no video).
  void (*setWakeupCallback)(mpv_handle* ctx, void (*callback)(void* d), void* d) = nullptr;
  mpv_event* (*waitEvent)(mpv_handle* ctx, double timeout) = nullptr;
  int (*renderContextCreate)(mpv_render_context** res, mpv_handle* ctx, mpv_render_param* params) = nullptr;
  void (*renderContextSetUpdateCallback)(mpv_render_context* ctx, void (*callback)(void* d), void* d) = nullptr;
  uint64_t (*renderContextUpdate)(mpv_render_context* ctx) = nullptr;
  int (*renderContextRender)(mpv_render_context* ctx, mpv_render_param* params) = nullptr;
  void (*renderContextFree)(mpv_render_context* ctx) = nullptr;

  bool HasRequired() const { return create && initialize && destroy && setOptionString && command; }
  bool HasRenderApi() const {
    return renderContextCreate && renderContextSetUpdateCallback && renderContextUpdate && renderContextRender &&
           renderContextFree;
  }
};

// One opened copy of the library (or, in tests, a table without a module).
// Move-only; the module is released by Unload or the destructor.
class MpvLibrary {
 public:
  MpvLibrary() = default;  // nothing loaded
  ~MpvLibrary();
  MpvLibrary(MpvLibrary&& other) noexcept;
  MpvLibrary& operator=(MpvLibrary&& other) noexcept;
  MpvLibrary(const MpvLibrary&) = delete;
  MpvLibrary& operator=(const MpvLibrary&) = delete;

  // Tries the candidates of MpvLibraryCandidates for the executable's folder
  // in order; the first that opens is kept (whether or not it has every
  // entry point). Not loaded when none opens.
  static MpvLibrary Load();
  // Opens exactly `path` (a file path, or a bare name for the system's
  // search path). Not loaded when it cannot be opened.
  static MpvLibrary LoadFrom(const std::string& path);
  // Tests: a table of fakes, "loaded" without any module.
  static MpvLibrary FromTable(const MpvEntryPoints& table);

  bool Loaded() const { return loaded_; }
  const MpvEntryPoints& Api() const { return api_; }
  // What was opened (empty for a table of fakes or when nothing loaded).
  const std::string& Path() const { return path_; }

  // Drains the handle's event queue without waiting. The program reads the
  // player's state through properties, so events are only emptied out, which
  // keeps the queue from filling up; only the files that ended are counted
  // (a stream dump shows its end in no property). Returns that count. Main
  // thread.
  int DrainEvents(mpv_handle* handle) const;

  void Unload();

 private:
  void* module_ = nullptr;
  bool loaded_ = false;
  std::string path_;
  MpvEntryPoints api_;
};

// The places tried, in order: the executable's folder + "/libmpv.so.2"
// ("\\libmpv-2.dll" on Windows), then the bare file name for the system's
// search path.
std::vector<std::string> MpvLibraryCandidates(const std::filesystem::path& programFolder);
