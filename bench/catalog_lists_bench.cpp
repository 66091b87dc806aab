// Rebuilding the live list over the 230,000-item browsing catalog: the list
// is rebuilt on every category change, so it must stay well inside one
// frame. The orders a rebuild reads are prepared once per item list, by the
// catalog job that downloaded it; that cost is measured on its own.
#include <benchmark/benchmark.h>

#include "bench/catalog_fixture.h"
#include "catalog/categories.h"
#include "catalog/channel_choice.h"
#include "catalog/visible_list.h"

namespace {

// "Category 0" (id 1000) holds about 5,000 channels; after the five special
// entries it is the sixth row of the live categories.
constexpr int kBigCategoryIndex = 5;

const Catalog& SharedBenchCatalog() {
  static const Catalog catalog = MakeBrowseBenchCatalog();
  return catalog;
}

// A category change as the Live screen makes it: the rebuild and the
// default channel. The orders were prepared before (by the catalog job).
void RunCategoryChange(benchmark::State& state, int liveSort, int categoryIndex) {
  Catalog catalog = SharedBenchCatalog();
  Settings settings;
  settings.LiveSort = liveSort;
  settings.HideLive = {u"1003", u"1017", u"1200"};
  LiveListSelection selection;
  selection.orders = PrepareLiveOrders(catalog.LiveChannels);
  selection.LiveCategoryIndex = categoryIndex;
  VisibleList list;
  for (auto _ : state) {
    RebuildLiveList(catalog, settings, selection, list);
    benchmark::DoNotOptimize(DefaultChannelIndex(list, settings, catalog.LiveCategories, selection));
  }
  state.counters["rows"] = double(list.size());
}

void BM_CategoryChange_5000ByName(benchmark::State& state) { RunCategoryChange(state, 1, kBigCategoryIndex); }
void BM_CategoryChange_5000CatalogOrder(benchmark::State& state) { RunCategoryChange(state, 0, kBigCategoryIndex); }
void BM_CategoryChange_AllCatalogOrder(benchmark::State& state) { RunCategoryChange(state, 0, kLiveAllIndex); }
void BM_CategoryChange_AllByName(benchmark::State& state) { RunCategoryChange(state, 1, kLiveAllIndex); }
void BM_CategoryChange_AllByNameDescending(benchmark::State& state) { RunCategoryChange(state, 2, kLiveAllIndex); }
void BM_CategoryChange_AllByNumber(benchmark::State& state) { RunCategoryChange(state, 3, kLiveAllIndex); }

// The orders of a new item list: paid once per download, on the job's thread.
void BM_PrepareLiveOrders(benchmark::State& state) {
  const Catalog& catalog = SharedBenchCatalog();
  for (auto _ : state) benchmark::DoNotOptimize(PrepareLiveOrders(catalog.LiveChannels).get());
}

// The main thread's first rebuild after a new list merged with its orders.
void BM_FirstRebuildAfterNewList(benchmark::State& state) {
  Catalog catalog = SharedBenchCatalog();
  Settings settings;
  settings.LiveSort = 1;
  const auto orders = PrepareLiveOrders(catalog.LiveChannels);
  VisibleList list;
  for (auto _ : state) {
    LiveListSelection selection;
    selection.orders = orders;
    RebuildLiveList(catalog, settings, selection, list);
    benchmark::DoNotOptimize(list.size());
  }
}

}  // namespace

BENCHMARK(BM_CategoryChange_5000ByName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CategoryChange_5000CatalogOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CategoryChange_AllCatalogOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CategoryChange_AllByName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CategoryChange_AllByNameDescending)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CategoryChange_AllByNumber)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrepareLiveOrders)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstRebuildAfterNewList)->Unit(benchmark::kMillisecond);
