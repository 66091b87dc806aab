// Rebuilding the live list over a provider-sized catalog: the list is rebuilt
// on every category change, so it must stay well inside one frame's budget.
#include <benchmark/benchmark.h>

#include "bench/catalog_fixture.h"
#include "catalog/visible_list.h"

namespace {

constexpr int kChannels = 160000;

const Catalog& SharedBenchCatalog() {
  static const Catalog catalog = MakeBenchCatalog(kChannels);
  return catalog;
}

void RunRebuild(benchmark::State& state, int liveSort, int categoryIndex) {
  Catalog catalog = SharedBenchCatalog();
  Settings settings;
  settings.LiveSort = liveSort;
  settings.HideLive = {u"1003", u"1017", u"1200"};
  LiveListSelection selection;
  selection.LiveCategoryIndex = categoryIndex;
  VisibleList list;
  for (auto _ : state) {
    RebuildLiveList(catalog, settings, selection, list);
    benchmark::DoNotOptimize(list.size());
  }
  state.counters["rows"] = double(list.size());
}

void BM_RebuildLiveList_AllCatalogOrder(benchmark::State& state) { RunRebuild(state, 0, 2); }
void BM_RebuildLiveList_AllByName(benchmark::State& state) { RunRebuild(state, 1, 2); }
void BM_RebuildLiveList_AllByNameDescending(benchmark::State& state) { RunRebuild(state, 2, 2); }
void BM_RebuildLiveList_AllByNumber(benchmark::State& state) { RunRebuild(state, 3, 2); }
void BM_RebuildLiveList_OneCategoryByName(benchmark::State& state) { RunRebuild(state, 1, 10); }

}  // namespace

BENCHMARK(BM_RebuildLiveList_AllCatalogOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildLiveList_AllByName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildLiveList_AllByNameDescending)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildLiveList_AllByNumber)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildLiveList_OneCategoryByName)->Unit(benchmark::kMillisecond);

namespace {

// The first sorted rebuild after a new item list arrived pays for the sort.
void BM_RebuildLiveList_ByNameFirstAfterNewList(benchmark::State& state) {
  Catalog catalog = SharedBenchCatalog();
  Settings settings;
  settings.LiveSort = 1;
  VisibleList list;
  for (auto _ : state) {
    LiveListSelection selection;
    RebuildLiveList(catalog, settings, selection, list);
    benchmark::DoNotOptimize(list.size());
  }
}

void BM_RebuildLiveList_AllNoHidden(benchmark::State& state) {
  Catalog catalog = SharedBenchCatalog();
  Settings settings;
  LiveListSelection selection;
  VisibleList list;
  for (auto _ : state) {
    RebuildLiveList(catalog, settings, selection, list);
    benchmark::DoNotOptimize(list.size());
  }
}

}  // namespace

BENCHMARK(BM_RebuildLiveList_ByNameFirstAfterNewList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildLiveList_AllNoHidden)->Unit(benchmark::kMillisecond);
