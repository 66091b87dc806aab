// The search answers on every keystroke: over a 230,000-item catalog each
// keystroke must fit in a frame (16 ms). The prepared index is made once per
// item list; its cost is measured on its own.
#include <benchmark/benchmark.h>

#include "bench/catalog_fixture.h"
#include "catalog/search.h"

namespace {

const Catalog& BigCatalog() {
  static const Catalog catalog = MakeBrowseBenchCatalog();
  return catalog;
}

// An aggregated account: a million channels, no movies or series.
const Catalog& MillionCatalog() {
  static const Catalog catalog = MakeBenchCatalog(1000000);
  return catalog;
}

// The keystrokes of "sportz": the last one finds nothing and so scans every
// name, the worst keystroke there is; and a miss in Cyrillic whose start is
// in one name of eight.
void SearchKeystrokes(benchmark::State& state, const Catalog& catalog) {
  static const std::u16string kTyped[] = {u"s", u"sp", u"spo", u"spor", u"sport", u"sportz",
                                          u"\u043f\u0435\u0440\u0432\u044b\u0439 \u043a\u0430\u043d\u0430\u043b 9999"};
  const std::u16string& query = kTyped[size_t(state.range(0))];
  SearchIndexCache cache;
  RunSearch(catalog, u"x", cache);  // the index is made on the first search
  size_t found = 0;
  for (auto _ : state) {
    const SearchResultList results = RunSearch(catalog, query, cache);
    found = results.size();
    benchmark::DoNotOptimize(found);
  }
  state.counters["results"] = double(found);
}

void BM_RunSearch_Keystroke(benchmark::State& state) { SearchKeystrokes(state, BigCatalog()); }
void BM_RunSearch_Keystroke_1M(benchmark::State& state) { SearchKeystrokes(state, MillionCatalog()); }

void BM_RunSearch_FirstAfterNewCatalog(benchmark::State& state) {
  const Catalog& catalog = BigCatalog();
  for (auto _ : state) {
    SearchIndexCache cache;
    benchmark::DoNotOptimize(RunSearch(catalog, u"s", cache).size());
  }
}

void BM_BuildSearchIndex_1M(benchmark::State& state) {
  const Catalog& catalog = MillionCatalog();
  for (auto _ : state) {
    SearchIndex index;
    BuildSearchIndex(index, catalog.LiveChannels);
    benchmark::DoNotOptimize(index.starts.size());
  }
}

}  // namespace

BENCHMARK(BM_RunSearch_Keystroke)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunSearch_Keystroke_1M)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunSearch_FirstAfterNewCatalog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildSearchIndex_1M)->Unit(benchmark::kMillisecond);
