// Costs of the hostile and the very large: series info and guides nested
// megabytes deep (each reader is linear in its input), and a provider of a
// million live channels (the list parse, the closing-bracket check, the
// cache load, and the whole LoadLive through the HTTP client).
//
// Peak memory: run one benchmark per process under /usr/bin/time -v, e.g.
//   /usr/bin/time -v build/vistra_bench --benchmark_filter=BM_ParseLiveStreams_1M
// and compare its maximum resident size with the rss_before_MiB counter
// (what the process held before the measured step: the input).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "catalog/catalog_cache.h"
#include "catalog/guide.h"
#include "catalog/xtream_client.h"
#include "net/json_scan.h"
#include "tests/fixtures/stand_in_server.h"
#include "tests/fixtures/xtream_fixture.h"

namespace {

constexpr double kMiB = 1024.0 * 1024.0;
constexpr int kMillion = 1000000;
const XtreamAccount kAccount{u"http://line.provider.example:8080", u"subscriber", u"s3cret", true};
const std::u16string kPlaylist =
    u"http://line.provider.example:8080/get.php?username=subscriber&password=s3cret&type=m3u_plus";

double ResidentMiB() {
  std::ifstream statm("/proc/self/statm");
  size_t pages = 0, resident = 0;
  statm >> pages >> resident;
  return double(resident) * double(sysconf(_SC_PAGESIZE)) / kMiB;
}

// --- deep nesting ---

// `{"episodes":` and then braces to the given size: every object is a
// container, none an episode, none closed.
std::string DeepSeriesInfo(size_t bytes) {
  std::string text = R"({"info":{"plot":"x"},"episodes":)";
  text.append(bytes - text.size(), '{');
  return text;
}

void BM_SeriesInfo_DeepNesting(benchmark::State& state) {
  const std::string text = DeepSeriesInfo(size_t(state.range(0)));
  for (auto _ : state) {
    SeriesInfo info;
    benchmark::DoNotOptimize(ParseSeriesInfo(text, info));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_SeriesInfo_DeepNesting)->Arg(256 << 10)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);

// Closed nesting with an episode key on every level after its child: each
// level is an episode only known at its end.
void BM_SeriesInfo_DeepEpisodes(benchmark::State& state) {
  const size_t levels = size_t(state.range(0)) / 40;
  std::string text = R"({"episodes":)";
  for (size_t i = 0; i < levels; ++i) text += R"({"id":"1","x":)";
  text += "0";
  for (size_t i = 0; i < levels; ++i) text += R"(,"episode_num":"2"})";
  text += "}";
  for (auto _ : state) {
    SeriesInfo info;
    benchmark::DoNotOptimize(ParseSeriesInfo(text, info));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_SeriesInfo_DeepEpisodes)->Arg(8 << 20)->Unit(benchmark::kMillisecond);

// A guide whose titles follow nested objects, level by level.
void BM_Guide_DeepTitles(benchmark::State& state) {
  const size_t levels = size_t(state.range(0)) / 40;
  std::string text;
  for (size_t i = 0; i < levels; ++i) text += R"({"start":"1700000000","x":)";
  text += "0";
  for (size_t i = 0; i < levels; ++i) text += R"(,"title":"T"})";
  for (auto _ : state) {
    std::vector<EpgEntry> rows;
    ParseGuide(rows, text);
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_Guide_DeepTitles)->Arg(8 << 20)->Unit(benchmark::kMillisecond);

// --- a million channels ---

// A get_live_streams answer as panels write it: about 370 bytes a channel.
const std::string& MillionChannelAnswer() {
  static const std::string answer = [] {
    std::string one;
    std::string json;
    json.reserve(size_t(kMillion) * 380 + 2);
    json += '[';
    for (int i = 0; i < kMillion; ++i) {
      const std::string n = std::to_string(i + 1);
      const std::string category = std::to_string(1000 + i % 600);
      if (i) json += ',';
      json += R"({"num":)" + n + R"(,"name":"UK: Sky Sports )" + n + R"( HD","stream_type":"live","stream_id":)" + n +
              R"(,"stream_icon":"http:\/\/logos.provider.example\/picons\/uk\/sky-sports-)" + n +
              R"(.png","epg_channel_id":"skysports)" + n + R"(.uk","added":"1700000000","is_adult":"0",)" +
              R"("category_id":")" + category + R"(","category_ids":[)" + category +
              R"(],"custom_sid":"","tv_archive":)" + (i % 7 == 0 ? "1" : "0") +
              R"(,"direct_source":"","tv_archive_duration":)" + (i % 7 == 0 ? "7" : "0") + "}";
    }
    json += ']';
    return json;
  }();
  return answer;
}

void BM_ParseLiveStreams_1M(benchmark::State& state) {
  const std::string& json = MillionChannelAnswer();
  const double before = ResidentMiB();
  size_t channels = 0;
  for (auto _ : state) {
    ItemList items = ParseLiveStreams(json, kAccount, u"ts");
    channels = items.size();
    state.counters["rss_after_MiB"] = ResidentMiB();
  }
  state.counters["channels"] = double(channels);
  state.counters["answer_MiB"] = double(json.size()) / kMiB;
  state.counters["rss_before_MiB"] = before;
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(json.size()));
}
BENCHMARK(BM_ParseLiveStreams_1M)->Unit(benchmark::kMillisecond)->Iterations(3);

// The second pass a loader makes over a list: where is it, and is it whole?
void BM_FindObjectList_1M(benchmark::State& state) {
  const std::string& json = MillionChannelAnswer();
  for (auto _ : state) benchmark::DoNotOptimize(JsonScan::FindObjectList(json).items);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(json.size()));
}
BENCHMARK(BM_FindObjectList_1M)->Unit(benchmark::kMillisecond)->Iterations(3);

void UseScratchDataFolder() {
  const auto dir = std::filesystem::temp_directory_path() / "vistra_robust_bench";
  std::filesystem::create_directories(dir);
  setenv("XDG_DATA_HOME", dir.c_str(), 1);
}

void BM_LoadCatalogCache_1M(benchmark::State& state) {
  UseScratchDataFolder();
  // Written once and kept, so that a run of this benchmark alone measures
  // the load without the answer and list that made the file.
  if (!std::filesystem::exists(CatalogDir() / "live.tsv") || !std::filesystem::exists(CatalogDir() / "meta.txt")) {
    Catalog catalog;
    catalog.LiveChannels = std::make_shared<const ItemList>(ParseLiveStreams(MillionChannelAnswer(), kAccount, u"ts"));
    SaveCatalogCache(catalog, kPlaylist);
  }
  const double before = ResidentMiB();
  size_t channels = 0;
  for (auto _ : state) {
    Catalog catalog;
    benchmark::DoNotOptimize(LoadCatalogCache(kPlaylist, catalog));
    channels = catalog.LiveChannels->size();
    state.counters["rss_after_MiB"] = ResidentMiB();
  }
  state.counters["channels"] = double(channels);
  state.counters["file_MiB"] = double(std::filesystem::file_size(CatalogDir() / "live.tsv")) / kMiB;
  state.counters["rss_before_MiB"] = before;
}
BENCHMARK(BM_LoadCatalogCache_1M)->Unit(benchmark::kMillisecond)->Iterations(3);

// The whole LoadLive against the stand-in server on 127.0.0.1: transfer,
// completeness checks, parse.
void BM_LoadLive_StandInServer_1M(benchmark::State& state) {
  auto provider = std::make_shared<XtreamFixture>(GeneratedCatalog{});
  provider->SetOverride("get_live_streams", MillionChannelAnswer());
  StandInServer server;
  AddXtreamRoutes(server, provider);
  if (!server.Start()) {
    state.SkipWithError("stand-in server did not start");
    return;
  }
  XtreamAccount account = provider->Account(server);
  const double before = ResidentMiB();
  size_t channels = 0;
  for (auto _ : state) {
    Catalog catalog;
    if (!LoadLive(account, u"ts", catalog)) {
      state.SkipWithError("LoadLive failed");
      break;
    }
    channels = catalog.LiveChannels->size();
    state.counters["rss_after_MiB"] = ResidentMiB();
  }
  state.counters["channels"] = double(channels);
  state.counters["rss_before_MiB"] = before;
}
BENCHMARK(BM_LoadLive_StandInServer_1M)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
