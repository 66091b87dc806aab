#include "player/media_engine.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <utility>

#include "net/text.h"
#include "platform/mpv_video_layer.h"
#include "platform/process.h"
#include "player/trailer.h"

namespace {

struct OptionRow {
  const char* name;
  const char* value;
};

// Applied as options (not properties), in this order, on every attempt.
// The player's own key bindings, on-screen controller and web-video hook are
// off: the program handles every key, draws its own controls and resolves
// trailer pages before loading. "keep-open" keeps the last frame and sets
// "eof-reached" at the end of a file, which end-of-file detection relies on.
// The user agent is overwritten before every load.
constexpr OptionRow kBaseOptions[] = {
    {"keep-open", "yes"},
    {"osc", "no"},
    {"osd-level", "0"},
    {"input-default-bindings", "no"},
    {"input-vo-keyboard", "no"},
    {"user-agent", "Vistra43/4.3"},
    {"tls-verify", "no"},
    {"demuxer-readahead-secs", "4"},
    {"cache", "yes"},
    {"network-timeout", "8"},
    {"demuxer-max-bytes", "32MiB"},
    // The stream that is left is cancelled at once rather than given 0.1 s
    // to close: a live stream's reader waits for data and never closed in
    // time, so every channel change waited the whole 0.1 s first.
    {"demuxer-termination-timeout", "0"},
    {"force-window", "no"},
    {"ytdl", "no"},
    {"vd-lavc-dr", "no"},
    // Every sound system the engine may know except SDL's: SDL in this
    // process belongs to the window, and an engine that opened and closed
    // SDL's audio from its own thread (as its probe does when nothing else
    // answers) raced the window and the other engines of a multi-view and
    // could hang them. Names a build lacks are skipped.
    {"ao", "pipewire,pulse,alsa,jack,sndio,oss,coreaudio,audiounit,wasapi,openal"},
    // Without a sound device the video plays on the silent output's clock,
    // and that choice is kept like any other (KeepOutputs).
    {"audio-fallback-to-null", "yes"},
};

constexpr char kPreferredHwdec[] = "auto";
// Software rendering reads decoded frames on the CPU: decoding in hardware
// would only add a copy back.
constexpr char kSafeHwdec[] = "no";
constexpr char kOscScriptOptions[] = "osc-visibility=never,osc-hidetimeout=2500,osc-layout=bottombar,osc-boxalpha=140";
constexpr char kYtDlpName[] = "yt-dlp";

bool SafeRendererForced() {
  const char* value = std::getenv("VISTRA_FORCE_SW_RENDER");
  return value && std::strcmp(value, "1") == 0;
}

}  // namespace

const char kConcurrentAudioOutputs[] = "pipewire,pulse,alsa,sndio,oss,coreaudio,audiounit,wasapi,openal";

std::string FormatShortest(double value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
  if (result.ec != std::errc()) return "0";
  return std::string(text, result.ptr);
}

MediaEngine::~MediaEngine() { Shutdown(); }

void MediaEngine::SetHooks(MediaEngineHooks hooks) { hooks_ = std::move(hooks); }

// --- life cycle ---

bool MediaEngine::Init() { return Init(MpvLibrary::Load()); }

bool MediaEngine::Init(MpvLibrary library) {
  if (Ready()) return true;
  library_ = std::move(library);
  if (!library_.Loaded() || !Api().HasRequired()) return false;
  const bool forced = SafeRendererForced();
  if (!forced && Attempt(VideoRenderer::Preferred, true)) return true;
  return Attempt(VideoRenderer::Safe, forced);
}

bool MediaEngine::Attempt(VideoRenderer renderer, bool firstAttempt) {
  handle_ = Api().create();
  if (!handle_) return false;
  ApplyBaseOptions();
  if (!audioOutputs_.empty()) SetOption("ao", audioOutputs_);
  for (const MpvOutputOption& option : MpvVideoOutputOptions(renderer == VideoRenderer::Preferred))
    SetOption(option.name.c_str(), option.value);
  if (renderer == VideoRenderer::Preferred) {
    SetOption("hwdec", softwareDecoding_ ? kSafeHwdec : kPreferredHwdec);
    SetOption("script-opts", ScriptOptions());
  } else {
    SetOption("hwdec", kSafeHwdec);
  }
  for (const EngineOption& option : hooks_.extraOptions) {
    if (firstAttempt || !option.firstAttemptOnly) SetOption(option.name.c_str(), option.value);
  }
  if (Api().initialize(handle_) >= 0) {
    renderer_ = renderer;
    return true;
  }
  DestroyHandle();
  return false;
}

void MediaEngine::ApplyBaseOptions() {
  for (const OptionRow& row : kBaseOptions) SetOption(row.name, row.value);
}

void MediaEngine::SetOption(const char* name, const std::string& value) {
  Api().setOptionString(handle_, name, value.c_str());
}

// The on-screen controller stays hidden; yt-dlp beside the executable is
// named for the player's hook, which "ytdl" = "no" keeps off anyway.
std::string MediaEngine::ScriptOptions() const {
  std::string options = kOscScriptOptions;
  const std::filesystem::path folder = hooks_.programFolder.empty() ? ExecutableFolder() : hooks_.programFolder;
  if (folder.empty()) return options;
  const std::filesystem::path tool = folder / ProgramFileName(kYtDlpName);
  std::error_code error;
  if (std::filesystem::exists(tool, error)) options += ",ytdl_hook-ytdl_path=" + PathUtf8(tool);
  return options;
}

void MediaEngine::Shutdown() {
  serveFrame_ = nullptr;
  if (renderRelease_) std::exchange(renderRelease_, nullptr)();
  DestroyHandle();
  library_.Unload();
}

void MediaEngine::DestroyHandle() {
  if (handle_) Api().destroy(handle_);
  handle_ = nullptr;
  renderer_ = VideoRenderer::None;
  audioKept_ = hwdecKept_ = false;
}

void MediaEngine::SetRenderRelease(std::function<void()> release) { renderRelease_ = std::move(release); }

void MediaEngine::SetFrameService(std::function<void()> serve) {
  if (serve && !calls_) calls_ = std::make_unique<EngineCalls>();
  serveFrame_ = std::move(serve);
}

int MediaEngine::DrainEvents() { return Ready() ? library_.DrainEvents(handle_) : 0; }

// --- properties and commands ---

std::u16string MediaEngine::GetProperty(std::string_view name) const {
  // Without mpv_free the text could not be released, so it is not read.
  if (!Ready() || !Api().getPropertyString || !Api().free) return {};
  const std::string key(name);
  char* value = nullptr;
  Blocking([&] { value = Api().getPropertyString(handle_, key.c_str()); });
  if (!value) return {};
  std::u16string text = Utf8ToWide(value);
  Api().free(value);
  return text;
}

void MediaEngine::SetProperty(std::string_view name, std::string_view value) {
  if (!Ready() || !Api().setPropertyString) return;
  const std::string key(name), text(value);
  Blocking([&] { Api().setPropertyString(handle_, key.c_str(), text.c_str()); });
}

void MediaEngine::Command(std::initializer_list<std::string_view> args) {
  if (!Ready()) return;
  std::vector<std::string> owned(args.begin(), args.end());
  std::vector<const char*> argv;
  for (const std::string& arg : owned) argv.push_back(arg.c_str());
  argv.push_back(nullptr);
  Blocking([&] { Api().command(handle_, argv.data()); });
}

// With a video layer drawing this player, the main thread is the one that
// renders its frames, so calls that wait for the player's core are made
// on the engine's call thread while this one serves the layer.
void MediaEngine::Blocking(const std::function<void()>& call) const {
  if (!serveFrame_) {
    call();
    return;
  }
  calls_->Run(call, serveFrame_);
}

// --- operations ---

void MediaEngine::LoadUrl(const std::u16string& url) {
  if (!Ready() || url.empty()) return;
  std::u16string media = hooks_.resolveUrl ? hooks_.resolveUrl(url) : ResolveMediaUrl(url);
  LoadResolvedUrl(media.empty() ? url : media);
}

// Once a load has chosen an audio output and a hardware decoder, later
// loads use them without trying every other one first: a channel change
// then costs the same each time, not a round of probing.
void MediaEngine::KeepOutputs() {
  if (!audioKept_) {
    const std::u16string ao = GetProperty("current-ao");
    if (!ao.empty()) {
      SetProperty("ao", WideToUtf8(ao));
      audioKept_ = true;
    }
  }
  if (!hwdecKept_ && renderer_ == VideoRenderer::Preferred && !softwareDecoding_) {
    const std::u16string hwdec = GetProperty("hwdec-current");
    if (!hwdec.empty()) {
      SetProperty("hwdec", WideToUtf8(hwdec));
      hwdecKept_ = true;
    }
  }
}

void MediaEngine::LoadResolvedUrl(const std::u16string& url) {
  if (!Ready() || url.empty()) return;
  if (Api().getPropertyString && Api().setPropertyString) KeepOutputs();
  Command({"loadfile", WideToUtf8(url), "replace"});
  if (Api().setPropertyString) SetProperty("pause", "no");
}

void MediaEngine::Stop() { Command({"stop"}); }

void MediaEngine::SeekAbsolute(double seconds) { Command({"seek", FormatShortest(seconds), "absolute+exact"}); }

void MediaEngine::SeekRelative(double seconds) { Command({"seek", FormatShortest(seconds), "relative+exact"}); }

bool MediaEngine::IsPaused() const {
  const std::u16string pause = GetProperty("pause");
  return !pause.empty() && pause[0] == u'y';
}

void MediaEngine::SetPaused(bool paused) { SetProperty("pause", paused ? "yes" : "no"); }

void MediaEngine::TogglePause() {
  if (!Ready()) return;
  SetPaused(!IsPaused());
}

std::string MediaEngine::AudioOutput() const { return WideToUtf8(GetProperty("current-ao")); }

void MediaEngine::SetVolume(int percent) {
  const std::string value = std::to_string(std::clamp(percent, 0, 100));
  SetProperty("volume", value);
  SetProperty("ao-volume", value);
}

void MediaEngine::SetOverlay(int id, std::string_view format, std::string_view data) {
  if (format.empty()) return;
  Command({"osd-overlay", std::to_string(id), format, data});
}

void MediaEngine::RemoveOverlay(int id) { Command({"overlay-remove", std::to_string(id)}); }

void MediaEngine::SetAspect(std::string_view ratio) {
  SetProperty("video-aspect-override", ratio.empty() ? std::string_view("-1") : ratio);
}

void MediaEngine::SetSubtitleSize(int size) { SetProperty("sub-font-size", std::to_string(size)); }

void MediaEngine::SetSubtitleColor(std::string_view color) { SetProperty("sub-color", color); }

void MediaEngine::SetSubtitleVisible(bool visible) { SetProperty("sub-visibility", visible ? "yes" : "no"); }
