// Writing and reading the catalog cache of a provider-sized live catalog.
// The load runs on the main thread at start-up, before the first screen.
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

namespace {

constexpr int kChannels = 160000;
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

size_t HeapInUse() {
#ifdef VISTRA_HAVE_MALLINFO2
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
#else
  return 0;
#endif
}

void BM_SaveCatalogCache(benchmark::State& state) {
  UseScratchDataFolder();
  const Catalog catalog = MakeBenchCatalog(kChannels);
  for (auto _ : state) SaveCatalogCache(catalog, kPlaylist);
  const auto size = std::filesystem::file_size(CatalogDir() / "live.tsv");
  state.counters["file_MB"] = double(size) / 1e6;
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

void BM_LoadCatalogCache(benchmark::State& state) {
  UseScratchDataFolder();
  SaveCatalogCache(MakeBenchCatalog(kChannels), kPlaylist);
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
}

}  // namespace

BENCHMARK(BM_SaveCatalogCache)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadCatalogCache)->Unit(benchmark::kMillisecond);
