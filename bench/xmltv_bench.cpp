// The whole-provider guide: a generated 20 MB XMLTV file read by the
// streaming reader (fed in 16 KiB pieces, as a download arrives) against a
// libxml2 tree of the whole file walked into the same guide. Counters: the
// XML read per second, and the guide's heap per programme kept (slots,
// texts and channel table together, and without the texts).
//
//   build/vistra_bench --benchmark_filter=Xmltv
//
// bench/guide_timing.py measures 10 MB to 1 GB files in processes of their
// own (speed and peak memory).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/xmltv_dom.h"
#include "bench/xmltv_guide_maker.h"
#include "catalog/xmltv_reader.h"

namespace {

constexpr uint64_t kGuideBytes = 20ull << 20;

const std::string& GuideText() {
  static const std::string text = [] {
    std::string out;
    WriteGeneratedXmltv(kGuideBytes, kGeneratedGuideNow, [&out](std::string_view piece) { out.append(piece); });
    return out;
  }();
  return text;
}

void ReportGuide(benchmark::State& state, const WholeGuide& guide, uint64_t bytes) {
  state.SetBytesProcessed(int64_t(state.iterations() * bytes));
  const double programmes = double(std::max<size_t>(guide.Programmes(), 1));
  state.counters["programmes"] = double(guide.Programmes());
  state.counters["bytes_per_programme"] = double(guide.Bytes()) / programmes;
  state.counters["slot_bytes_per_programme"] = double(sizeof(GuideSlot));
}

void BM_XmltvStream(benchmark::State& state) {
  const std::string& text = GuideText();
  const GuideChannelSet channels = GeneratedXmltvChannels(kGuideBytes);
  SharedWholeGuide guide;
  for (auto _ : state) {
    XmltvReader reader(channels, kGeneratedGuideNow);
    for (size_t at = 0; at < text.size(); at += 16384) reader.Feed(std::string_view(text).substr(at, 16384));
    XmltvResult result = reader.Finish();
    if (result.status != XmltvStatus::Read) state.SkipWithError(result.detail.c_str());
    guide = result.guide;
  }
  if (guide) ReportGuide(state, *guide, text.size());
}
BENCHMARK(BM_XmltvStream)->Unit(benchmark::kMillisecond);

// The same guide read for no channel of the catalog but keeping what every
// channel has on now (a picker of the guide's channels): what that costs
// per guide channel.
void BM_XmltvStreamNowForAll(benchmark::State& state) {
  const std::string& text = GuideText();
  XmltvOptions options;
  options.keepNowForAll = true;
  SharedWholeGuide guide;
  for (auto _ : state) {
    XmltvReader reader(GuideChannelSet{}, kGeneratedGuideNow, options);
    for (size_t at = 0; at < text.size(); at += 16384) reader.Feed(std::string_view(text).substr(at, 16384));
    XmltvResult result = reader.Finish();
    if (result.status != XmltvStatus::Read) state.SkipWithError(result.detail.c_str());
    guide = result.guide;
  }
  if (!guide) return;
  ReportGuide(state, *guide, text.size());
  const double channels = double(std::max<size_t>(guide->Channels(), 1));
  state.counters["channels"] = double(guide->Channels());
  state.counters["programmes_per_channel"] = double(guide->Programmes()) / channels;
  state.counters["bytes_per_channel"] = double(guide->Bytes()) / channels;
}
BENCHMARK(BM_XmltvStreamNowForAll)->Unit(benchmark::kMillisecond);

void BM_XmltvDom(benchmark::State& state) {
  const std::string& text = GuideText();
  const GuideChannelSet channels = GeneratedXmltvChannels(kGuideBytes);
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "vistra_xmltv_bench.xml";
  if (FILE* out = std::fopen(file.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
  }
  SharedWholeGuide guide;
  for (auto _ : state) {
    guide = ReadXmltvDom(file.c_str(), channels, kGeneratedGuideNow);
    if (!guide) state.SkipWithError("libxml2 could not parse the guide");
  }
  std::filesystem::remove(file);
  if (guide) ReportGuide(state, *guide, text.size());
}
BENCHMARK(BM_XmltvDom)->Unit(benchmark::kMillisecond);

}  // namespace
