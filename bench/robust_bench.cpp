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

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#ifdef VISTRA_BENCH_SIMDJSON
#include <simdjson.h>
#endif

#include "catalog/catalog_cache.h"
#include "catalog/guide.h"
#include "catalog/xtream_client.h"
#include "net/json_scan.h"
#include "net/text.h"
#include "tests/fixtures/stand_in_server.h"
#include "tests/fixtures/xtream_fixture.h"

namespace {

constexpr double kMiB = 1024.0 * 1024.0;
constexpr int kMillion = 1000000;
constexpr int kProviderChannels = 171000;
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

// A get_live_streams answer as panels write it: about 300 bytes a channel
// (171,000 channels make 48 MiB, a million 282 MiB).
std::string ChannelAnswer(int channels) {
  std::string json;
  json.reserve(size_t(channels) * 300 + 2);
  json += '[';
  for (int i = 0; i < channels; ++i) {
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
}

const std::string& MillionChannelAnswer() {
  static const std::string answer = ChannelAnswer(kMillion);
  return answer;
}

// The stand-in's generated get_live_streams answer (the one the boot timing
// serves): 171,000 channels make 48 MiB, a million 282 MiB.
const std::string& ChannelAnswerOf(int64_t channels) {
  static std::map<int64_t, std::string> answers;
  std::string& answer = answers[channels];
  if (answer.empty()) answer = MakeCatalog(48, int(channels), 0, 0).liveStreams;
  return answer;
}

void BM_ParseLiveStreams_1M(benchmark::State& state) {
  const std::string& json = MillionChannelAnswer();
  const double before = ResidentMiB();
  size_t channels = 0;
  for (auto _ : state) {
    const SharedItems items = ParseLiveStreams(json, kAccount, u"ts");
    channels = items->size();
    state.counters["rss_after_MiB"] = ResidentMiB();
  }
  state.counters["channels"] = double(channels);
  state.counters["answer_MiB"] = double(json.size()) / kMiB;
  state.counters["rss_before_MiB"] = before;
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(json.size()));
}
BENCHMARK(BM_ParseLiveStreams_1M)->Unit(benchmark::kMillisecond)->Iterations(3);

// The list parse at both provider sizes, beside the same records built with
// simdjson's ondemand parser (when the bench was built with it), in one run:
//   build/vistra_bench --benchmark_filter='BM_ParseLive_'
void BM_ParseLive_Vistra(benchmark::State& state) {
  const std::string& json = ChannelAnswerOf(state.range(0));
  size_t channels = 0;
  for (auto _ : state) {
    SharedItems items = ParseLiveStreams(json, kAccount, u"ts");
    channels = items->size();
    state.PauseTiming();
    items.reset();  // freeing the list is not parsing
    state.ResumeTiming();
  }
  state.counters["channels"] = double(channels);
  state.counters["answer_MiB"] = double(json.size()) / kMiB;
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(json.size()));
}
BENCHMARK(BM_ParseLive_Vistra)->Arg(kProviderChannels)->Arg(kMillion)->Unit(benchmark::kMillisecond)->Iterations(3);

#ifdef VISTRA_BENCH_SIMDJSON
enum SimdKey { kSimdId, kSimdName, kSimdCategory, kSimdEpg, kSimdContainer, kSimdIcon, kSimdNum, kSimdArchive,
               kSimdAdded, kSimdKeyCount };
constexpr std::array<std::string_view, kSimdKeyCount> kSimdKeys = {
    "stream_id", "name", "category_id", "epg_channel_id", "container_extension",
    "stream_icon", "num", "tv_archive", "added"};

// ParseLiveStreams' records through simdjson ondemand: the same members with
// the same fallbacks (no container: the live format; the URL always ends in
// it; a null is "null", a number its text; an empty id drops the channel;
// tv_archive read like atoi), decoded into one reused UTF-16 buffer.
class SimdjsonLiveParser {
 public:
  ItemList Parse(const simdjson::padded_string& json, const XtreamAccount& account, std::u16string_view liveFormat) {
    ItemList items;
    items.reserve(json.size() / 256 + 1);
    const std::u16string prefix = StreamUrlPrefix(account, u"live");
    simdjson::ondemand::document doc;
    simdjson::ondemand::array list;
    if (parser_.iterate(json).get(doc) || doc.get_array().get(list)) return items;
    for (auto element : list) {
      simdjson::ondemand::object object;
      if (element.get_object().get(object)) continue;
      std::array<std::pair<size_t, size_t>, kSimdKeyCount> slot{};
      std::array<bool, kSimdKeyCount> have{};
      text_.clear();
      for (auto field : object) {
        std::string_view key;
        if (field.unescaped_key().get(key)) break;
        size_t k = 0;
        while (k < kSimdKeyCount && kSimdKeys[k] != key) ++k;
        if (k == kSimdKeyCount || have[k]) continue;
        have[k] = true;
        simdjson::ondemand::value value = field.value();
        simdjson::ondemand::json_type type;
        if (value.type().get(type)) break;
        std::string_view bytes;
        if (type != simdjson::ondemand::json_type::string) {
          bytes = value.raw_json_token();
        } else if (value.get_string().get(bytes)) {
          break;
        }
        const size_t begin = text_.size();
        Widen(bytes);
        slot[k] = {begin, text_.size()};
      }
      const auto view = [&](size_t k) { return std::u16string_view(text_).substr(slot[k].first, slot[k].second - slot[k].first); };
      if (view(kSimdId).empty()) continue;
      if (view(kSimdContainer).empty()) slot[kSimdContainer] = Append(liveFormat);
      const size_t urlBegin = text_.size();
      text_.append(prefix);
      text_.append(text_, slot[kSimdId].first, slot[kSimdId].second - slot[kSimdId].first);
      text_.append(u".").append(liveFormat.empty() ? std::u16string_view(u"ts") : liveFormat);
      const std::u16string_view url = std::u16string_view(text_).substr(urlBegin);
      CatalogItem::Fields f;
      f.id = view(kSimdId);
      f.name = view(kSimdName);
      f.categoryId = view(kSimdCategory);
      f.epgChannelId = view(kSimdEpg);
      f.containerExt = view(kSimdContainer);
      f.icon = view(kSimdIcon);
      f.num = view(kSimdNum);
      f.url = url;
      f.added = view(kSimdAdded);
      items.emplace_back(ItemKind::Live, f, Atoi(view(kSimdArchive)));
    }
    return items;
  }

 private:
  void Widen(std::string_view utf8) {
    unsigned char all = 0;
    for (const char c : utf8) all |= static_cast<unsigned char>(c);
    if (all >= 0x80) {
      AppendUtf8AsWide(utf8, text_);
      return;
    }
    const size_t at = text_.size();
    text_.resize(at + utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) text_[at + i] = static_cast<unsigned char>(utf8[i]);
  }
  std::pair<size_t, size_t> Append(std::u16string_view literal) {
    const size_t begin = text_.size();
    text_.append(literal);
    return {begin, text_.size()};
  }
  static int32_t Atoi(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == u' ') ++i;
    const bool negative = i < text.size() && text[i] == u'-';
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) ++i;
    int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9' && value <= INT32_MAX; ++i)
      value = value * 10 + (text[i] - u'0');
    value = std::min<int64_t>(negative ? -value : value, INT32_MAX);
    return int32_t(std::max<int64_t>(value, INT32_MIN));
  }

  simdjson::ondemand::parser parser_;
  std::u16string text_;
};

void BM_ParseLive_SimdjsonOndemand(benchmark::State& state) {
  const std::string& json = ChannelAnswerOf(state.range(0));
  const simdjson::padded_string padded(json);  // ondemand reads past the end
  SimdjsonLiveParser parser;
  // The last channel as ParseLiveStreams builds it: the records must agree.
  const std::string last = "[" + json.substr(json.rfind(",{") + 1);
  const CatalogItem expected = ParseLiveStreams(last, kAccount, u"ts")->at(0);
  size_t channels = 0;
  for (auto _ : state) {
    ItemList items = parser.Parse(padded, kAccount, u"ts");
    channels = items.size();
    state.PauseTiming();
    if (channels == 0 || items[channels - 1] != expected) state.SkipWithError("simdjson built a different record");
    items = ItemList();
    state.ResumeTiming();
  }
  state.counters["channels"] = double(channels);
  state.counters["answer_MiB"] = double(json.size()) / kMiB;
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(json.size()));
}
BENCHMARK(BM_ParseLive_SimdjsonOndemand)
    ->Arg(kProviderChannels)
    ->Arg(kMillion)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
#endif

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
    catalog.LiveChannels = ParseLiveStreams(MillionChannelAnswer(), kAccount, u"ts");
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
