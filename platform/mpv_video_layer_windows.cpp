#include "platform/mpv_video_layer.h"

#include <windows.h>

#include <string>
#include <utility>

#include "platform/host_window_windows.h"

namespace {

// Runs on mpv's threads: only wakes the main loop, never calls mpv.
void WakeMainLoop(void*) { HostWindow::WakeForVideo(); }

}  // namespace

// The render API's buffers have no use here: the engine draws into the
// layer's window itself.
struct MpvVideoLayer::SoftwareTarget {};

const char* MpvVideoOutput(bool preferredRenderer) { return preferredRenderer ? "gpu,direct3d" : "direct3d"; }

MpvVideoLayer::MpvVideoLayer(MpvPlayerRef player, HostWindow& window) : player_(std::move(player)), window_(window) {}

MpvVideoLayer::~MpvVideoLayer() {
  Release();
  // The player has let go of the window by now (it is destroyed before the
  // layer), so the windows it made inside are gone too.
  if (ownWindow_) DestroyWindow(static_cast<HWND>(ownWindow_));
  ownWindow_ = nullptr;
}

bool MpvVideoLayer::Create() {
  if (kind_ == Kind::Window) return true;
  const MpvEntryPoints* api = player_.api;
  if (!api || !player_.handle || !api->setPropertyString) return false;
  HWND video = CreateVideoChildWindow();
  if (!video) return false;
  // Read when the engine opens its video output, at the first video it plays.
  const std::string wid = std::to_string(reinterpret_cast<intptr_t>(video));
  if (api->setPropertyString(player_.handle, "wid", wid.c_str()) < 0) {
    DestroyWindow(video);
    return false;
  }
  ownWindow_ = video;
  kind_ = Kind::Window;
  if (api->setWakeupCallback) api->setWakeupCallback(player_.handle, WakeMainLoop, nullptr);
  return true;
}

bool MpvVideoLayer::CreateContext(Kind) { return false; }

// A new picture showed when the engine's count of shown frames moved. The
// count is read only while the host shows the tile (it asks then), so an
// idle window reads nothing.
bool MpvVideoLayer::Update() {
  if (player_.drainEvents) player_.drainEvents();
  if (kind_ != Kind::Window) return false;
  if (blank_) return std::exchange(blankDue_, false);
  return TakeDueFrame();
}

bool MpvVideoLayer::TakeDueFrame() {
  const MpvEntryPoints& api = *player_.api;
  if (!api.getPropertyString) return false;
  char* value = api.getPropertyString(player_.handle, "estimated-frame-number");
  std::string frames = value ? value : "";
  if (value && api.free) api.free(value);
  if (frames.empty() || frames == shownFrames_) return false;
  shownFrames_ = std::move(frames);
  frameDue_ = true;
  return true;
}

void MpvVideoLayer::Render(int, int width, int height) {
  lastWidth_ = width;
  lastHeight_ = height;
  frameDue_ = false;
}

// Nothing waits for the main thread to draw.
void MpvVideoLayer::ServeDueFrame() {}

// The last picture stays in the window after a stop: repainted black (the
// window's background) until the next load shows frames again.
void MpvVideoLayer::SetBlank(bool blank) {
  if (blank == blank_) return;
  blank_ = blankDue_ = blank;
  if (!blank) return;
  shownFrames_.clear();
  if (ownWindow_) RedrawWindow(static_cast<HWND>(ownWindow_), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  HostWindow::WakeForVideo();
}

void MpvVideoLayer::Release() {
  if (kind_ == Kind::None) return;
  if (player_.api && player_.api->setWakeupCallback) player_.api->setWakeupCallback(player_.handle, nullptr, nullptr);
  kind_ = Kind::None;
}
