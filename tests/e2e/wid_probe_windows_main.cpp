// A small Windows program that plays media through the host window and the
// video layer as the program does there: the engine draws with its own
// output into the layer's child window ("wid"), the host places that window
// at a tile and asks the layer for new pictures while it shows.
//
// The interface layer is blue everywhere but the tile (the middle half of
// the window). The probe logs the engine's output ("current-vo"), the
// milliseconds from the load to the first picture the layer counted, then
// "pictures <n>" after the given seconds, and quits.
//
// Usage: vistra_wid_probe <log> <clip or URL> <seconds> [libmpv-2.dll]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/clock.h"
#include "platform/host_window.h"
#include "platform/mpv_library.h"
#include "platform/mpv_video_layer.h"

namespace {

constexpr int kQuitTimer = 1;

class Probe : public HostEvents {
 public:
  Probe(HostWindow& window, FILE* log) : window_(window), log_(log) {}

  void Log(const std::string& line) {
    std::fprintf(log_, "%s\n", line.c_str());
    std::fflush(log_);
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  }

  void OnKey(int vk) override { Log("key " + std::to_string(vk)); }
  void OnChar(char16_t) override {}
  void OnPointer(const PointerEvent&) override {}
  void OnJobMessage(uint32_t, uintptr_t) override {}
  void OnTimer(int id) override {
    if (id == kQuitTimer) window_.Quit(0);
  }
  void OnPaintInterface(Canvas& canvas, int, int) override { canvas.Clear(Rgba{0, 0, 1, 1}); }
  void OnCloseRequested() override { window_.Quit(0); }

 private:
  HostWindow& window_;
  FILE* log_;
};

// Counts the pictures the host has the layer render, as the first-frame
// watch of the program does.
class Counter : public VideoLayer {
 public:
  explicit Counter(VideoLayer& inner) : inner_(inner) {}
  bool Update() override { return inner_.Update(); }
  void Render(int fbo, int width, int height) override {
    inner_.Render(fbo, width, height);
    if (!pictures_++) firstMs_ = TickMs();
  }
  void* OwnWindow() const override { return inner_.OwnWindow(); }
  uint64_t pictures_ = 0, firstMs_ = 0;

 private:
  VideoLayer& inner_;
};

std::string Property(const MpvLibrary& mpv, mpv_handle* handle, const char* name) {
  char* value = mpv.Api().getPropertyString ? mpv.Api().getPropertyString(handle, name) : nullptr;
  std::string text = value ? value : "";
  if (value) mpv.Api().free(value);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s <log> <clip> <seconds> [libmpv-2.dll]\n", argv[0]);
    return 2;
  }
  FILE* log = std::fopen(argv[1], "w");
  if (!log) return 2;
  HostWindow window;
  Probe probe(window, log);
  if (!window.Create("wid probe", "", &probe)) {
    probe.Log("window failed: " + window.LastError());
    return 1;
  }
  MpvLibrary mpv = argc > 4 ? MpvLibrary::LoadFrom(argv[4]) : MpvLibrary::Load();
  if (!mpv.Loaded() || !mpv.Api().HasRequired()) {
    probe.Log("no libmpv");
    return 1;
  }
  const MpvEntryPoints& api = mpv.Api();
  mpv_handle* handle = api.create();
  for (const MpvOutputOption& option : MpvVideoOutputOptions(true))
    api.setOptionString(handle, option.name.c_str(), option.value.c_str());
  api.setOptionString(handle, "hwdec", "auto");
  api.setOptionString(handle, "ao", "null");
  api.setOptionString(handle, "keep-open", "yes");
  api.setOptionString(handle, "input-vo-keyboard", "no");
  api.setOptionString(handle, "loop-file", "inf");
  // The engine's own log, for finding out why nothing showed.
  if (const char* engineLog = std::getenv("VISTRA_WID_PROBE_MPV_LOG")) api.setOptionString(handle, "log-file", engineLog);
  if (api.initialize(handle) < 0) {
    probe.Log("initialize failed");
    return 1;
  }
  {
    MpvVideoLayer layer(MpvPlayerRef{&api, handle, true, [&] { mpv.DrainEvents(handle); }}, window);
    if (!layer.Create()) {
      probe.Log("layer failed");
      return 1;
    }
    Counter counter(layer);
    const int w = window.Width(), h = window.Height();
    window.SetVideoTiles({VideoTile{&counter, PixelRect{w / 4, h / 4, w / 2, h / 2}}});
    const uint64_t loadMs = TickMs();
    const char* load[] = {"loadfile", argv[2], nullptr};
    api.command(handle, load);
    window.SetTimer(kQuitTimer, static_cast<uint32_t>(std::atoi(argv[3]) * 1000), false);
    window.Run();
    probe.Log("vo " + Property(mpv, handle, "current-vo"));
    probe.Log("hwdec " + Property(mpv, handle, "hwdec-current"));
    probe.Log("first picture ms " + std::to_string(counter.pictures_ ? counter.firstMs_ - loadMs : 0));
    probe.Log("pictures " + std::to_string(counter.pictures_));
    probe.Log("frames dropped " + Property(mpv, handle, "frame-drop-count"));
    window.SetVideoTiles({});
    layer.Release();
    api.destroy(handle);
  }
  std::fclose(log);
  return 0;
}
