// vistra_guide_tool: the processes bench/guide_timing.py runs.
//   vistra_guide_tool generate <bytes> <file>   writes a generated XMLTV guide
//   vistra_guide_tool stream <file>             reads it with the streaming reader
//   vistra_guide_tool dom <file>                reads it through a libxml2 tree
// The readers print one line: key=value pairs (wall and CPU seconds, MB/s of
// each, programmes,
// the guide's bytes per programme, peak and starting resident memory in KiB).
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/xmltv_dom.h"
#include "bench/xmltv_guide_maker.h"
#include "catalog/xmltv_reader.h"

namespace {

// A line of /proc/self/status in KiB ("VmHWM", "VmRSS").
long StatusKib(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(key) + ":";
  while (std::getline(status, line))
    if (line.rfind(prefix, 0) == 0) return std::atol(line.c_str() + prefix.size());
  return -1;
}

// The process's CPU seconds (user and system): on a shared machine the wall
// clock also counts the other processes' turns.
double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

uint64_t FileBytes(const char* path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return in ? uint64_t(in.tellg()) : 0;
}

int Report(const char* mode, const char* path, double seconds, const SharedWholeGuide& guide, long startKib,
           const std::string& detail) {
  const uint64_t bytes = FileBytes(path);
  const size_t programmes = guide ? guide->Programmes() : 0;
  const double cpu = CpuSeconds();
  std::printf("mode=%s ok=%d bytes=%llu seconds=%.3f mbps=%.1f cpu_seconds=%.3f cpu_mbps=%.1f programmes=%zu guide_bytes=%zu "
              "bytes_per_programme=%.1f hwm_kib=%ld start_kib=%ld detail=%s\n",
              mode, guide ? 1 : 0, static_cast<unsigned long long>(bytes), seconds, bytes / 1e6 / seconds, cpu,
              bytes / 1e6 / cpu, programmes,
              guide ? guide->Bytes() : 0, programmes ? double(guide->Bytes()) / double(programmes) : 0.0,
              StatusKib("VmHWM"), startKib, detail.empty() ? "-" : detail.c_str());
  return guide ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "generate") {
    FILE* out = std::fopen(argv[3], "wb");
    if (!out) return 2;
    WriteGeneratedXmltv(std::strtoull(argv[2], nullptr, 10), kGeneratedGuideNow,
                        [out](std::string_view piece) { std::fwrite(piece.data(), 1, piece.size(), out); });
    return std::fclose(out) == 0 ? 0 : 2;
  }
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s generate <bytes> <file> | stream <file> | dom <file>\n", argv[0]);
    return 2;
  }
  const std::string mode = argv[1];
  const GuideChannelSet channels = GeneratedXmltvChannels(FileBytes(argv[2]));
  const long startKib = StatusKib("VmRSS");
  const auto began = std::chrono::steady_clock::now();
  const auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count(); };
  if (mode == "stream") {
    FILE* in = std::fopen(argv[2], "rb");
    if (!in) return 2;
    XmltvReader reader(channels, kGeneratedGuideNow);
    std::vector<char> piece(16384);
    for (size_t got; (got = std::fread(piece.data(), 1, piece.size(), in)) > 0;)
      reader.Feed(std::string_view(piece.data(), got));
    std::fclose(in);
    const XmltvResult result = reader.Finish();
    return Report("stream", argv[2], elapsed(), result.guide, startKib, result.detail);
  }
  if (mode == "dom") {
    const SharedWholeGuide guide = ReadXmltvDom(argv[2], channels, kGeneratedGuideNow);
    return Report("dom", argv[2], elapsed(), guide, startKib, guide ? "" : "libxml2 failed");
  }
  return 2;
}
