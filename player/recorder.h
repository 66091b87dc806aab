#pragma once
// A recorder: an engine of its own that receives one stream and writes it
// to a file as it arrives (the engine's stream dump: the bytes as sent, no
// demuxing, no decoding, no video, no sound), so a recording costs little
// more than the download and never touches what plays. A live MPEG-TS
// stream gives a playable MPEG-TS file. Main thread only.
#include <cstdint>
#include <filesystem>
#include <string>

#include "player/media_engine.h"

class Recorder {
 public:
  // `hooks` are the engine's test seams; the program passes none.
  explicit Recorder(MediaEngineHooks hooks = {});

  // Starts writing `url` to `file` (created or replaced). False when the
  // engine could not start; nothing is written then. A recorder records
  // once.
  bool Start(const std::u16string& url, const std::filesystem::path& file);
  // Asks the engine to end the stream; Writing turns false once it has.
  void Stop();
  // From Start until the engine has closed the stream (its file ended):
  // stopped, or the stream ended, broke or never opened. Reads the engine's
  // events, so it is polled (the tick) rather than const.
  bool Writing();
  // The file's size so far; 0 before anything arrived.
  uint64_t BytesWritten() const;
  const std::filesystem::path& File() const { return file_; }

 private:
  MediaEngine engine_;
  MediaEngineHooks hooks_;
  std::filesystem::path file_;
  bool started_ = false;
  bool ended_ = false;
};
