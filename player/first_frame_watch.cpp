#include "player/first_frame_watch.h"

#include "net/text.h"
#include "platform/clock.h"
#include "player/media_engine.h"
#include "store/runtime_log.h"

void FirstFrameWatch::Arm(uint64_t startMs, std::u16string url, std::u16string id) {
  armed_ = true;
  frameDue_ = false;
  startMs_ = startMs;
  url_ = std::move(url);
  id_ = std::move(id);
}

bool FirstFrameWatch::Update() {
  const bool due = inner_.Update();
  if (due) frameDue_ = true;
  return due;
}

void FirstFrameWatch::Render(int fbo, int width, int height) {
  inner_.Render(fbo, width, height);
  Count();
}

bool FirstFrameWatch::RenderIntoWindow(int x, int y, int width, int height) {
  if (!inner_.RenderIntoWindow(x, y, width, height)) return false;
  Count();
  return true;
}

void FirstFrameWatch::Count() {
  ++rendered_;
  if (!armed_ || !frameDue_) return;
  frameDue_ = false;
  // Frames of the stream that was left may still arrive right after the load.
  if (engine_.GetProperty("path") != url_ || engine_.GetProperty("time-pos").empty()) return;
  armed_ = false;
  WriteLogF(256, "zap first frame id=%s ms=%llu", WideToUtf8(id_).c_str(),
            static_cast<unsigned long long>(TickMs() - startMs_));
}
