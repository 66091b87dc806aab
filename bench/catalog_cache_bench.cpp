// Writing and reading the catalog cache of provider-sized live catalogs
// (171,000 and 1,000,000 channels), and what a channel costs in memory once
// its list is built. A warm start waits for the load before the lists show.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#if __has_include(<malloc.h>)
#include <malloc.h>
#define VISTRA_HAVE_MALLINFO2 1
#endif

#include "bench/catalog_fixture.h"
#include "catalog/catalog_cache.h"
#include "platform/large_memory.h"

namespace {

const std::u16string kPlaylist = u"http://line.provider.example:8080/get.php?username=user01&password=pass02&type=m3u_plus";

// The benchmarks write into a folder of their own, never the user's data.
void UseScratchDataFolder() {
  static const bool done = [] {
    const auto dir = std::filesystem::temp_directory_path() / "vistra_cache_bench";
    std::filesystem::create_directories(dir);
    setenv("XDG_DATA_HOME", dir.c_str(), 1);
    return true;
  }();
  (void)done;
}

// The heap in use plus the large blocks lists keep their texts in.
size_t HeapInUse() {
#ifdef VISTRA_HAVE_MALLINFO2
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd + LargeBlockBytesInUse();
#else
  return LargeBlockBytesInUse();
#endif
}

void BM_SaveCatalogCache(benchmark::State& state) {
  UseScratchDataFolder();
  const Catalog catalog = MakeBenchCatalog(int(state.range(0)));
  for (auto _ : state) SaveCatalogCache(catalog, kPlaylist);
  const auto size = std::filesystem::file_size(CatalogDir() / "live.tsv");
  state.counters["file_MB"] = double(size) / 1e6;
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

void BM_LoadCatalogCache(benchmark::State& state) {
  UseScratchDataFolder();
  SaveCatalogCache(MakeBenchCatalog(int(state.range(0))), kPlaylist);
  size_t heap = 0;
  size_t channels = 0;
  for (auto _ : state) {
    const size_t before = HeapInUse();
    Catalog catalog;
    benchmark::DoNotOptimize(LoadCatalogCache(kPlaylist, catalog));
    heap = HeapInUse() - before;
    channels = catalog.LiveChannels->size();
  }
  state.counters["channels"] = double(channels);
  state.counters["heap_MB"] = double(heap) / 1e6;
  state.counters["bytes_per_channel"] = channels ? double(heap) / double(channels) : 0.0;
}

// The heap a built list holds per channel: the vector's slots, each item and
// its texts, with the allocator's overhead.
void BM_ChannelMemory(benchmark::State& state) {
  size_t heap = 0;
  for (auto _ : state) {
    const size_t before = HeapInUse();
    const Catalog catalog = MakeBenchCatalog(int(state.range(0)));
    heap = HeapInUse() - before;
    benchmark::DoNotOptimize(catalog.LiveChannels->size());
  }
  state.counters["bytes_per_channel"] = double(heap) / double(state.range(0));
}

}  // namespace

BENCHMARK(BM_SaveCatalogCache)->Arg(171000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadCatalogCache)->Arg(171000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChannelMemory)->Arg(171000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);
