// The process bench/recording_cpu.py measures: one recorder writing a
// stream for a while, then stopped.
//   vistra_record_probe <url> <file> <seconds>
// Prints "bytes <n>" once the stream is closed.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "net/text.h"
#include "player/recorder.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: vistra_record_probe <url> <file> <seconds>\n");
    return 2;
  }
  Recorder recorder;
  if (!recorder.Start(Utf8ToWide(argv[1]), argv[2])) return 1;
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(std::atof(argv[3]));
  while (std::chrono::steady_clock::now() < until && recorder.Writing())
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  recorder.Stop();
  while (recorder.Writing()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::printf("bytes %llu\n", static_cast<unsigned long long>(recorder.BytesWritten()));
  return 0;
}
