// The Xtream client on answers the size of large providers': parsing a
// get_live_streams answer of about 48 MiB (160,000 channels), and the whole
// LoadLive through the HTTP client against the stand-in server on 127.0.0.1.
#include <benchmark/benchmark.h>

#include <memory>

#include "catalog/xtream_client.h"
#include "tests/fixtures/stand_in_server.h"
#include "tests/fixtures/xtream_fixture.h"

namespace {

constexpr int kLargeLiveCount = 160000;
constexpr double kMiB = 1024.0 * 1024.0;

// Generated once: about 300 bytes per channel, with the fields and quirks
// real panels send.
const std::shared_ptr<XtreamFixture>& LargeLiveProvider() {
  static const auto provider = std::make_shared<XtreamFixture>(MakeCatalog(48, kLargeLiveCount, 0, 0));
  return provider;
}

// Heap bytes held by a list: the vector's slots and each item's one text
// allocation (rounded up to the allocator's 16-byte steps with its header).
double ListMiB(const ItemList& items) {
  size_t bytes = items.capacity() * sizeof(CatalogItem);
  for (const CatalogItem& item : items) {
    const CatalogItem::Fields f = item.fields();
    const size_t chars = f.id.size() + f.name.size() + f.categoryId.size() + f.epgChannelId.size() +
                         f.containerExt.size() + f.icon.size() + f.num.size() + f.url.size() + f.added.size() +
                         f.rating.size();
    bytes += (chars * sizeof(char16_t) + 8 + 15) / 16 * 16;
  }
  return double(bytes) / kMiB;
}

void BM_LoadLive_Parse48MiB(benchmark::State& state) {
  const std::string& json = LargeLiveProvider()->catalog().liveStreams;
  const XtreamAccount account{u"http://provider.example:8080", u"subscriber", u"s3cret", true};
  SharedItems items;
  for (auto _ : state) {
    state.PauseTiming();
    items.reset();  // freeing the previous list is not parsing
    state.ResumeTiming();
    items = ParseLiveStreams(json, account, u"ts");
    benchmark::DoNotOptimize(items->data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(json.size()));
  state.counters["channels"] = double(items->size());
  state.counters["answer_MiB"] = double(json.size()) / kMiB;
  state.counters["list_MiB"] = ListMiB(*items);
}
BENCHMARK(BM_LoadLive_Parse48MiB)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_LoadLive_StandInServer(benchmark::State& state) {
  StandInServer server;
  AddXtreamRoutes(server, LargeLiveProvider());
  if (!server.Start()) {
    state.SkipWithError("stand-in server did not start");
    return;
  }
  const XtreamAccount account = LargeLiveProvider()->Account(server);
  Catalog catalog;
  for (auto _ : state) {
    state.PauseTiming();
    catalog = Catalog();
    state.ResumeTiming();
    if (!LoadLive(account, u"ts", catalog)) {
      state.SkipWithError("LoadLive failed");
      break;
    }
  }
  state.counters["channels"] = double(catalog.LiveChannels->size());
}
BENCHMARK(BM_LoadLive_StandInServer)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
