#include "platform/mpv_library.h"

#include <type_traits>
#include <utility>

#include "platform/process.h"
#include "platform/shared_library.h"

#if __has_include(<mpv/client.h>)
#include <mpv/client.h>
#include <mpv/render.h>
#define VISTRA_HAVE_MPV_HEADERS 1
#else
// A build without mpv's headers (the Windows tests): its event record
// starts with the event's id, and "none" is 0, in every version of the
// library's ABI 2.
struct mpv_event {
  int event_id;
  int error;
  uint64_t reply_userdata;
  void* data;
};
constexpr int MPV_EVENT_NONE = 0;
constexpr int MPV_EVENT_END_FILE = 7;
#endif

namespace {

// The library's client ABI, version 2.
constexpr int kLibraryAbi = 2;
// One drain never takes more than this many events, so a player that keeps
// producing them cannot hold the main thread.
constexpr int kMaxEventsPerDrain = 256;

#ifdef VISTRA_HAVE_MPV_HEADERS
// The table's signatures must be the library's own.
#define VISTRA_SAME_TYPE(field, function) \
  static_assert(std::is_same_v<decltype(MpvEntryPoints::field), decltype(&function)>, #function)
VISTRA_SAME_TYPE(create, mpv_create);
VISTRA_SAME_TYPE(initialize, mpv_initialize);
VISTRA_SAME_TYPE(destroy, mpv_destroy);
VISTRA_SAME_TYPE(setOptionString, mpv_set_option_string);
VISTRA_SAME_TYPE(command, mpv_command);
VISTRA_SAME_TYPE(setPropertyString, mpv_set_property_string);
VISTRA_SAME_TYPE(getPropertyString, mpv_get_property_string);
VISTRA_SAME_TYPE(free, mpv_free);
VISTRA_SAME_TYPE(setWakeupCallback, mpv_set_wakeup_callback);
VISTRA_SAME_TYPE(waitEvent, mpv_wait_event);
VISTRA_SAME_TYPE(renderContextCreate, mpv_render_context_create);
VISTRA_SAME_TYPE(renderContextSetUpdateCallback, mpv_render_context_set_update_callback);
VISTRA_SAME_TYPE(renderContextUpdate, mpv_render_context_update);
VISTRA_SAME_TYPE(renderContextRender, mpv_render_context_render);
VISTRA_SAME_TYPE(renderContextFree, mpv_render_context_free);
#undef VISTRA_SAME_TYPE
#endif

template <typename Pointer>
void Resolve(void* module, const char* name, Pointer& out) {
  out = reinterpret_cast<Pointer>(SharedLibrarySymbol(module, name));
}

MpvEntryPoints ResolveAll(void* module) {
  MpvEntryPoints api;
  Resolve(module, "mpv_create", api.create);
  Resolve(module, "mpv_initialize", api.initialize);
  Resolve(module, "mpv_destroy", api.destroy);
  Resolve(module, "mpv_set_option_string", api.setOptionString);
  Resolve(module, "mpv_command", api.command);
  Resolve(module, "mpv_set_property_string", api.setPropertyString);
  Resolve(module, "mpv_get_property_string", api.getPropertyString);
  Resolve(module, "mpv_free", api.free);
  Resolve(module, "mpv_set_wakeup_callback", api.setWakeupCallback);
  Resolve(module, "mpv_wait_event", api.waitEvent);
  Resolve(module, "mpv_render_context_create", api.renderContextCreate);
  Resolve(module, "mpv_render_context_set_update_callback", api.renderContextSetUpdateCallback);
  Resolve(module, "mpv_render_context_update", api.renderContextUpdate);
  Resolve(module, "mpv_render_context_render", api.renderContextRender);
  Resolve(module, "mpv_render_context_free", api.renderContextFree);
  return api;
}

}  // namespace

std::vector<std::string> MpvLibraryCandidates(const std::filesystem::path& programFolder) {
  std::vector<std::string> candidates;
  const std::string file = SharedLibraryFileName("mpv", kLibraryAbi);
  if (!programFolder.empty()) candidates.push_back(PathUtf8(programFolder / file));
  candidates.push_back(file);
  return candidates;
}

MpvLibrary MpvLibrary::Load() {
  for (const std::string& candidate : MpvLibraryCandidates(ExecutableFolder())) {
    MpvLibrary library = LoadFrom(candidate);
    if (library.Loaded()) return library;
  }
  return {};
}

MpvLibrary MpvLibrary::LoadFrom(const std::string& path) {
  // Never unmapped (see OpenSharedLibrary): the media stack below libmpv
  // may leave exit handlers behind that run when the process ends.
  void* module = OpenSharedLibrary(path);
  if (!module) return {};
  MpvLibrary library;
  library.module_ = module;
  library.loaded_ = true;
  library.path_ = path;
  library.api_ = ResolveAll(module);
  return library;
}

MpvLibrary MpvLibrary::FromTable(const MpvEntryPoints& table) {
  MpvLibrary library;
  library.loaded_ = true;
  library.api_ = table;
  return library;
}

MpvLibrary::~MpvLibrary() { Unload(); }

MpvLibrary::MpvLibrary(MpvLibrary&& other) noexcept
    : module_(std::exchange(other.module_, nullptr)),
      loaded_(std::exchange(other.loaded_, false)),
      path_(std::move(other.path_)),
      api_(std::exchange(other.api_, {})) {}

MpvLibrary& MpvLibrary::operator=(MpvLibrary&& other) noexcept {
  if (this == &other) return *this;
  Unload();
  module_ = std::exchange(other.module_, nullptr);
  loaded_ = std::exchange(other.loaded_, false);
  path_ = std::move(other.path_);
  api_ = std::exchange(other.api_, {});
  return *this;
}

void MpvLibrary::Unload() {
  if (module_) CloseSharedLibrary(module_);
  module_ = nullptr;
  loaded_ = false;
  path_.clear();
  api_ = {};
}

int MpvLibrary::DrainEvents(mpv_handle* handle) const {
  int ended = 0;
  if (!handle || !api_.waitEvent) return ended;
  for (int i = 0; i < kMaxEventsPerDrain; ++i) {
    const mpv_event* event = api_.waitEvent(handle, 0);
    if (!event || event->event_id == MPV_EVENT_NONE) break;
    ended += event->event_id == MPV_EVENT_END_FILE;
  }
  return ended;
}
