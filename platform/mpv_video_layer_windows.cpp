#include "platform/mpv_video_layer.h"

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "net/text.h"
#include "platform/direct2d_canvas_windows.h"
#include "platform/host_window_windows.h"

namespace {

// Runs on mpv's threads: only wakes the main loop, never calls mpv.
void WakeMainLoop(void*) { HostWindow::WakeForVideo(); }

// The engine's video output makes its windows inside the layer's window from
// a thread of its own, which waits for the main thread (the parent window's)
// to answer the messages it sends; a main thread that meanwhile waits in a
// call to the engine, whose core waits for the output, would never answer.
// Answering the messages sent to this thread's windows breaks that wait.
void AnswerSentMessages() {
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

}  // namespace

// Reads one property of the engine on a thread of the layer's own while the
// main thread answers sent messages (see AnswerSentMessages).
class MpvVideoLayer::PropertyReader {
 public:
  explicit PropertyReader(const MpvPlayerRef& player) : player_(player) {}
  ~PropertyReader() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
  }

  std::string Read(const char* name) {
    if (!thread_.joinable()) thread_ = std::thread([this] { Loop(); });
    std::unique_lock<std::mutex> lock(mutex_);
    name_ = name;
    done_ = false;
    changed_.notify_all();
    while (!changed_.wait_for(lock, std::chrono::milliseconds(2), [this] { return done_; })) {
      lock.unlock();
      AnswerSentMessages();
      lock.lock();
    }
    name_ = nullptr;
    return value_;
  }

 private:
  void Loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
      changed_.wait(lock, [this] { return stop_ || (name_ && !done_); });
      if (stop_) return;
      const std::string name = name_;
      lock.unlock();
      const MpvEntryPoints& api = *player_.api;
      char* value = api.getPropertyString(player_.handle, name.c_str());
      std::string text = value ? value : "";
      if (value && api.free) api.free(value);
      lock.lock();
      value_ = std::move(text);
      done_ = true;
      changed_.notify_all();
    }
  }

  const MpvPlayerRef& player_;
  std::mutex mutex_;
  std::condition_variable changed_;
  const char* name_ = nullptr;
  bool done_ = true, stop_ = false;
  std::string value_;
  std::thread thread_;
};

// The render API's buffers have no use here: the engine draws into the
// layer's window itself.
struct MpvVideoLayer::SoftwareTarget {};

std::vector<MpvOutputOption> MpvVideoOutputOptions(bool) {
  const std::wstring& family = ResolvedFontFamily();
  return {{"vo", "gpu"}, {"gpu-sw", "yes"}, {"sub-font", WideToUtf8(std::u16string(family.begin(), family.end()))}};
}

MpvVideoLayer::MpvVideoLayer(MpvPlayerRef player, HostWindow& window) : player_(std::move(player)), window_(window) {}

MpvVideoLayer::~MpvVideoLayer() {
  Release();
  reader_.reset();
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
  if (!player_.api->getPropertyString) return false;
  if (!reader_) reader_ = std::make_unique<PropertyReader>(player_);
  std::string frames = reader_->Read("estimated-frame-number");
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

// The engine draws into its own window here, never into the host's.
bool MpvVideoLayer::RenderIntoWindow(int, int, int, int) { return false; }

// Called while the main thread waits for the engine: nothing waits for it
// to draw, but the engine's output may wait for it to answer its windows'
// messages.
void MpvVideoLayer::ServeDueFrame() { AnswerSentMessages(); }

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
