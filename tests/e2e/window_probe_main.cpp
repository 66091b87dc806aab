// A small program on the host window for the end-to-end test
// (window_probe_test.py): it logs, one line each, every key, character,
// pointer event, job message, timer and close request it receives, and
// draws a known picture:
//   - the interface layer: blue everywhere except the video rectangle (the
//     middle half of the window), which it leaves transparent;
//   - the video layer: green, with its top half yellow (the renderer's
//     framebuffer is bottom-up like the window's);
//   - the strip layer: an opaque red bar along the bottom of the video
//     rectangle and a half-transparent white box at (20, 20)-(120, 60).
// Key S hides the strip layer (its painter then draws nothing) and shows it
// again. Key D changes only small parts (a marker square on the interface moves,
// the video turns cyan and back) and then checks that the frame on screen
// equals one composed whole: a damaged region left undrawn shows there.
// Usage: vistra_window_probe <log file> [icon.png to write and use]
#include <GL/gl.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "platform/host_window.h"
#include "platform/offscreen_canvas.h"
#include "platform/virtual_keys.h"

namespace {

constexpr uint32_t kBeforeOpenMessage = 0x401;
constexpr uint32_t kThreadMessage = 0x402;
constexpr uint32_t kNestedMessage = 0x7001;
constexpr int kTickTimer = 1;
constexpr int kOneShotTimer = 5;
constexpr int kReadyTimer = 6;
constexpr int kMarkerTimer = 7;
constexpr int kDamageTimer = 8;

// A second video tile, as a multi-view would place one: its own layer in
// its own rectangle, drawn in one colour.
class SecondTile : public VideoLayer {
 public:
  void Render(int, int, int) override {
    glClearColor(200 / 255.f, 0.f, 200 / 255.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
};

class Probe : public HostEvents, public VideoLayer {
 public:
  Probe(HostWindow& window, FILE* log) : window_(window), log_(log) {}

  void OnKey(int vk) override {
    Log("key 0x%02X", vk);
    if (vk == Vk::F11) window_.ToggleMaximized();
    if (vk == Vk::Letter('N') && !nested_) RunNested();
    if (vk == Vk::Letter('D')) ChangeSmallParts();
    if (vk == Vk::Letter('S')) {
      stripsShown_ = !stripsShown_;
      window_.RequestStripPaint();
    }
  }
  void OnChar(char16_t ch) override { Log("char 0x%04X", static_cast<unsigned>(ch)); }

  void OnPointer(const PointerEvent& e) override {
    switch (e.kind) {
      case PointerEvent::Kind::Move: Log("move %d %d", e.x, e.y); break;
      case PointerEvent::Kind::Down: Log("down %d %d", e.x, e.y); break;
      case PointerEvent::Kind::Up: Log("up %d %d", e.x, e.y); break;
      case PointerEvent::Kind::DoubleClick: Log("dblclick %d %d", e.x, e.y); break;
      case PointerEvent::Kind::Wheel: Log("wheel %d %d %d", e.wheelNotches, e.x, e.y); break;
    }
  }

  void OnJobMessage(uint32_t id, uintptr_t wparam) override {
    Log("job 0x%X %lu", id, static_cast<unsigned long>(wparam));
    if (id == kNestedMessage) nestedDone_ = true;
  }

  void OnTimer(int id) override {
    Log("timer %d", id);
    if (id == kReadyTimer) ReportReadPixels();
    if (id == kMarkerTimer) {
      ++markers_;
      window_.RequestPaint();
    }
    if (id == kDamageTimer) CompareWithWholeFrame();
  }

  void OnResize(int width, int height) override {
    Log("size %d %d", width, height);
    video_ = PixelRect{width / 4, height / 4, width / 2, height / 2};
    second_ = PixelRect{width - 200, height - 120, 160, 90};
    window_.SetVideoTiles({{this, video_}, {&secondLayer_, second_}});
  }

  void OnPaintInterface(Canvas& canvas, int width, int height) override {
    canvas.Rectangle(RectF{0, 0, double(width), double(height)});
    canvas.Fill(Rgba{40 / 255.0, 90 / 255.0, 160 / 255.0, 1});
    for (const PixelRect& v : {video_, second_})
      canvas.Erase(RectF{double(v.x), double(v.y), double(v.x + v.w), double(v.y + v.h)});
    const double x = 40 + 60 * (markers_ % 2);
    canvas.Rectangle(RectF{x, 200, x + 30, 230});
    canvas.Fill(Rgba{1, 0.5, 0, 1});
  }

  bool OnPaintStrips(Canvas& canvas, int, int) override {
    if (!stripsShown_) return false;
    const PixelRect v = video_;
    canvas.Rectangle(RectF{double(v.x), double(v.y + v.h - 40), double(v.x + v.w), double(v.y + v.h)});
    canvas.Fill(Rgba{220 / 255.0, 30 / 255.0, 30 / 255.0, 1});
    canvas.Rectangle(RectF{20, 20, 120, 60});
    canvas.Fill(Rgba{1, 1, 1, 0.5});
    return true;
  }

  void OnCloseRequested() override {
    Log("close");
    window_.Quit(3);
  }

  // Leaves behind the kind of state a real renderer does; the compositor
  // must put it back.
  void Render(int, int width, int height) override {
    glClearColor(0.f, 200 / 255.f, changes_ % 2 ? 200 / 255.f : 0.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, height / 2, width, height - height / 2);
    glClearColor(230 / 255.f, 210 / 255.f, 0.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT);
    glViewport(0, 0, 1, 1);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_ZERO);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  }

  void Log(const char* format, auto... args) {
    std::fprintf(log_, format, args...);
    std::fputc('\n', log_);
    std::fflush(log_);
  }

 private:
  void RunNested() {
    nested_ = true;
    nestedDone_ = false;
    Log("nested begin");
    std::thread([] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      HostWindow::PostJobMessage(kNestedMessage, 0);
    }).detach();
    window_.RunNestedUntil([this] { return nestedDone_; });
    Log("nested end");
    nested_ = false;
  }

  // A frame with a new video picture only, then one with the marker moved
  // only; the last timer compares what is drawn with a whole frame.
  void ChangeSmallParts() {
    ++changes_;
    HostWindow::WakeForVideo();
    window_.SetTimer(kMarkerTimer, 60, false);
    window_.SetTimer(kDamageTimer, 150, false);
  }

  void CompareWithWholeFrame() {
    int w = 0, h = 0;
    const std::vector<uint8_t> drawn = window_.ReadPixels(w, h);
    window_.Invalidate();
    const std::vector<uint8_t> whole = window_.ReadPixels(w, h);
    size_t differing = 0;
    for (size_t i = 0; i + 3 < drawn.size() && drawn.size() == whole.size(); i += 4) {
      if (std::memcmp(&drawn[i], &whole[i], 3) != 0) ++differing;
    }
    Log("damage %d pixels_differ=%zu", changes_, drawn.size() == whole.size() ? differing : drawn.size());
  }

  void ReportReadPixels() {
    int w = 0, h = 0;
    const std::vector<uint8_t> pixels = window_.ReadPixels(w, h);
    if (pixels.empty()) return;
    const PixelRect v = video_, t = second_;
    auto at = [&](int x, int y) {
      const uint8_t* p = &pixels[(static_cast<size_t>(y) * w + x) * 4];
      return std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]);
    };
    Log("readpixels %d %d video_top=%s video_bottom=%s strip=%s interface=%s half_white=%s second_tile=%s", w, h,
        at(v.x + v.w / 2, v.y + 10).c_str(), at(v.x + v.w / 2, v.y + v.h - 60).c_str(),
        at(v.x + v.w / 2, v.y + v.h - 20).c_str(), at(10, h - 10).c_str(), at(70, 40).c_str(),
        at(t.x + t.w / 2, t.y + t.h / 2).c_str());
    Log("ready");
  }

  HostWindow& window_;
  FILE* log_;
  SecondTile secondLayer_;
  PixelRect video_, second_;
  bool nested_ = false;
  bool nestedDone_ = false;
  bool stripsShown_ = true;
  int changes_ = 0, markers_ = 0;
};

void WriteIcon(const std::string& path) {
  OffscreenCanvas image(32, 32);
  image.Draw().Clear(Rgba{0.9, 0.5, 0.1, 1});
  image.WritePng(path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <log file> [icon.png]\n", argv[0]);
    return 2;
  }
  FILE* log = std::fopen(argv[1], "w");
  if (!log) return 2;
  const std::string icon = argc > 2 ? argv[2] : "";
  if (!icon.empty()) WriteIcon(icon);

  // Posted before the window exists: must still arrive.
  HostWindow::PostJobMessage(kBeforeOpenMessage, 1);

  HostWindow window;
  Probe probe(window, log);
  if (!window.Create("Vistra 4.3", icon, &probe)) {
    probe.Log("create failed: %s", window.LastError().c_str());
    return 1;
  }
  probe.Log("gl %s", window.GraphicsInfo().c_str());
  window.SetTimer(kTickTimer, 1000, true);
  window.SetTimer(kOneShotTimer, 150, false);
  window.SetTimer(kReadyTimer, 300, false);
  std::thread([] { HostWindow::PostJobMessage(kThreadMessage, 7); }).detach();

  const int code = window.Run();
  probe.Log("exit %d", code);
  std::fclose(log);
  return code;
}
