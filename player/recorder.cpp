#include "player/recorder.h"

#include <system_error>

#include "platform/process.h"

Recorder::Recorder(MediaEngineHooks hooks) : hooks_(std::move(hooks)) {}

bool Recorder::Start(const std::u16string& url, const std::filesystem::path& file) {
  if (started_ || url.empty()) return false;
  MediaEngineHooks hooks = hooks_;
  // After the engine's own options, so these win: no picture, no sound,
  // and the stream's bytes into the file instead of a playback.
  hooks.extraOptions.push_back({"vo", "null"});
  hooks.extraOptions.push_back({"ao", "null"});
  hooks.extraOptions.push_back({"stream-dump", PathUtf8(file)});
  engine_.SetHooks(std::move(hooks));
  if (!engine_.Init()) return false;
  file_ = file;
  started_ = true;
  engine_.LoadResolvedUrl(url);
  return true;
}

void Recorder::Stop() {
  if (started_) engine_.Stop();
}

bool Recorder::Writing() {
  if (!started_) return false;
  ended_ = ended_ || engine_.DrainEvents() > 0;
  return !ended_;
}

uint64_t Recorder::BytesWritten() const {
  std::error_code error;
  const uint64_t size = std::filesystem::file_size(file_, error);
  return error ? 0 : size;
}
