// A small program that plays media through the real window, media engine
// and video layer, for the end-to-end test (video_probe_test.py) and the
// timing script (bench/video_timing.py). The renderer is the engine's
// choice: OpenGL, or software with VISTRA_FORCE_SW_RENDER=1.
//
// The interface layer is blue everywhere except the video rectangle. The
// probe notices a loaded picture by reading back one pixel in the middle
// of the video framebuffer after each render.
//
// Usage:
//   vistra_video_probe <log> check <clip>
//       plays the clip (red in the middle) in the middle half of the window;
//       once its colour shows, logs read-back pixels of the window (top,
//       middle, bottom, left and right edges of the video rectangle, and
//       the interface outside it) and "ready", then quits on a key.
//   vistra_video_probe <log> firstframe <red clip> <green clip> <loads>
//       loads the two clips in turn ("loadfile" "replace", as a channel
//       change does) and logs, per load, the milliseconds from the load
//       to the first frame drawn in the clip's colour.
//   vistra_video_probe <log> cpu <clip> <seconds>
//       loops the clip in a 640 x 360 preview rectangle and logs the
//       process's CPU use over that many seconds once it plays.
// Every line is also written to standard output.
#include <GL/gl.h>
#include <GL/glext.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "platform/host_window.h"
#include "platform/mpv_video_layer.h"
#include "player/media_engine.h"
#include "player/video_output.h"
#include "platform/virtual_keys.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kFrameSeen = 0x7101;
constexpr int kGiveUpTimer = 20;
constexpr int kMeasureTimer = 21;
constexpr uint32_t kGiveUpMs = 60000;

struct Rgb {
  int r, g, b;
};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 128, 0};  // ffmpeg's "green"

bool Near(const uint8_t* p, Rgb c) {
  const int tolerance = 40;  // limited-range YUV and back
  return std::abs(p[0] - c.r) <= tolerance && std::abs(p[1] - c.g) <= tolerance && std::abs(p[2] - c.b) <= tolerance;
}

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class Probe : public HostEvents, public VideoLayer {
 public:
  Probe(HostWindow& window, MediaEngine& engine, FILE* log)
      : window_(window), engine_(engine), log_(log) {}

  std::string mode;
  std::vector<std::string> clips;
  int loads = 1;
  int seconds = 10;

  void Start() {
    bindFramebuffer_ = reinterpret_cast<PFNGLBINDFRAMEBUFFERPROC>(window_.GlProcAddress("glBindFramebuffer"));
    const int w = window_.Width(), h = window_.Height();
    if (mode == "cpu") {
      rect_ = PixelRect{40, 40, 640, 360};
      engine_.SetProperty("loop-file", "inf");
    } else {
      rect_ = PixelRect{w / 4, h / 4, w / 2, h / 2};
    }
    window_.SetVideoTiles({{this, rect_}});
    Log("window %d %d video %d %d %d %d", w, h, rect_.x, rect_.y, rect_.w, rect_.h);
    window_.SetTimer(kGiveUpTimer, kGiveUpMs, false);
    Load(0);
  }

  // VideoLayer: the real layer, watched.
  bool Update() override {
    const bool frame = layer_->Update();
    if (frame) ++framesDue_;
    return frame;
  }
  void Render(int fbo, int width, int height) override {
    layer_->Render(fbo, width, height);
    ++rendered_;
    if (!waiting_ || !bindFramebuffer_) return;
    if (mode == "cpu") {  // any picture will do
      if (framesDue_ == 0) return;
      waiting_ = false;
      firstFrameMs_ = MsSince(loadStart_);
      HostWindow::PostJobMessage(kFrameSeen, 0);
      return;
    }
    uint8_t pixel[4] = {};
    bindFramebuffer_(GL_READ_FRAMEBUFFER, static_cast<GLuint>(fbo));
    glReadPixels(width / 2, height / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    if (!Near(pixel, expected_)) return;
    waiting_ = false;
    firstFrameMs_ = MsSince(loadStart_);
    HostWindow::PostJobMessage(kFrameSeen, 0);
  }

  // HostEvents
  void OnKey(int vk) override {
    Log("key 0x%02X", vk);
    window_.Quit(0);
  }
  void OnChar(char16_t) override {}
  void OnPointer(const PointerEvent&) override {}
  void OnCloseRequested() override { window_.Quit(0); }
  void OnPaintInterface(Canvas& canvas, int width, int height) override {
    canvas.Rectangle(RectF{0, 0, double(width), double(height)});
    canvas.Fill(Rgba{40 / 255.0, 90 / 255.0, 160 / 255.0, 1});
    canvas.Erase(RectF{double(rect_.x), double(rect_.y), double(rect_.x + rect_.w), double(rect_.y + rect_.h)});
  }

  void OnJobMessage(uint32_t id, uintptr_t) override {
    if (id != kFrameSeen) return;
    Log("first_frame_ms %.1f", firstFrameMs_);
    if (mode == "check") return ReportPixels();
    if (mode == "cpu") return StartMeasuring();
    if (++loadIndex_ < loads) return Load(loadIndex_);
    Log("done");
    window_.Quit(0);
  }

  void OnTimer(int id) override {
    if (id == kMeasureTimer) return FinishMeasuring();
    if (id == kGiveUpTimer) {
      Log("gave up: time-pos=%s", Utf8(engine_.GetProperty("time-pos")).c_str());
      window_.Quit(1);
    }
  }

  void Log(const char* format, auto... args) {
    char line[512];
    std::snprintf(line, sizeof line, format, args...);
    std::fprintf(log_, "%s\n", line);
    std::fflush(log_);
    std::printf("%s\n", line);
    std::fflush(stdout);
  }

 private:
  static std::string Utf8(const std::u16string& text) { return std::string(text.begin(), text.end()); }

  void Load(int index) {
    const std::string& clip = clips[static_cast<size_t>(index) % clips.size()];
    expected_ = index % 2 == 0 ? kRed : kGreen;
    waiting_ = true;
    loadStart_ = Clock::now();
    engine_.LoadUrl(std::u16string(clip.begin(), clip.end()));
  }

  void ReportPixels() {
    int w = 0, h = 0;
    const std::vector<uint8_t> pixels = window_.ReadPixels(w, h);
    const PixelRect v = rect_;
    auto at = [&](int x, int y) {
      const uint8_t* p = &pixels[(static_cast<size_t>(y) * w + x) * 4];
      return std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]);
    };
    if (pixels.empty()) return Log("readpixels failed");
    Log("readpixels top=%s center=%s bottom=%s left=%s right=%s outside=%s", at(v.x + v.w / 2, v.y + v.h / 16).c_str(),
        at(v.x + v.w / 2, v.y + v.h / 2).c_str(), at(v.x + v.w / 2, v.y + v.h - 4).c_str(),
        at(v.x + 3, v.y + v.h / 2).c_str(), at(v.x + v.w - 4, v.y + v.h / 2).c_str(), at(v.x - 10, v.y - 10).c_str());
    Log("ready");
  }

  void StartMeasuring() {
    measureStart_ = Clock::now();
    cpuStart_ = std::clock();
    renderedAtStart_ = rendered_;
    framesDueAtStart_ = framesDue_;
    window_.SetTimer(kMeasureTimer, static_cast<uint32_t>(seconds) * 1000, false);
  }

  void FinishMeasuring() {
    const double wallSeconds = MsSince(measureStart_) / 1000.0;
    const double cpuSeconds = static_cast<double>(std::clock() - cpuStart_) / CLOCKS_PER_SEC;
    Log("cpu_percent %.1f seconds %.1f frames %d renders %d vo=%s hwdec=%s dropped=%s", 100.0 * cpuSeconds / wallSeconds,
        wallSeconds, framesDue_ - framesDueAtStart_, rendered_ - renderedAtStart_,
        Utf8(engine_.GetProperty("current-vo")).c_str(), Utf8(engine_.GetProperty("hwdec-current")).c_str(),
        Utf8(engine_.GetProperty("frame-drop-count")).c_str());
    window_.Quit(0);
  }

  HostWindow& window_;
  MediaEngine& engine_;
  std::unique_ptr<MpvVideoLayer> layer_;
  PixelRect rect_;

 public:
  void SetLayer(std::unique_ptr<MpvVideoLayer> layer) { layer_ = std::move(layer); }
  MpvVideoLayer* Layer() const { return layer_.get(); }

 private:
  FILE* log_;
  PFNGLBINDFRAMEBUFFERPROC bindFramebuffer_ = nullptr;

  bool waiting_ = false;
  Rgb expected_ = kRed;
  Clock::time_point loadStart_;
  double firstFrameMs_ = 0;
  int loadIndex_ = 0;

  int framesDue_ = 0, rendered_ = 0;
  int framesDueAtStart_ = 0, renderedAtStart_ = 0;
  Clock::time_point measureStart_;
  std::clock_t cpuStart_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s <log> check|firstframe|cpu <clip> [...]\n", argv[0]);
    return 2;
  }
  FILE* log = std::fopen(argv[1], "w");
  if (!log) return 2;

  HostWindow window;
  MediaEngine engine;
  Probe probe(window, engine, log);
  probe.mode = argv[2];
  probe.clips = {argv[3]};
  if (probe.mode == "firstframe" && argc >= 6) {
    probe.clips.push_back(argv[4]);
    probe.loads = std::atoi(argv[5]);
  }
  if (probe.mode == "cpu" && argc >= 5) probe.seconds = std::atoi(argv[4]);

  if (!window.Create("Vistra 4.3", "", &probe)) {
    probe.Log("create failed: %s", window.LastError().c_str());
    return 1;
  }
  probe.Log("gl %s", window.GraphicsInfo().c_str());
  // No sound device under Xvfb.
  engine.SetHooks(MediaEngineHooks{{{"ao", "null"}}, {}, {}});
  if (!engine.Init()) {
    probe.Log("engine failed");
    return 1;
  }
  probe.SetLayer(AttachVideoLayer(engine, window));
  if (!probe.Layer()) {
    probe.Log("render context failed");
    return 1;
  }
  probe.Log("renderer %s", probe.Layer()->kind() == MpvVideoLayer::Kind::OpenGL ? "opengl" : "software");
  probe.Start();

  const int code = window.Run();
  window.SetVideoTiles({});
  engine.Shutdown();
  probe.SetLayer(nullptr);
  probe.Log("exit %d", code);
  std::fclose(log);
  return code;
}
