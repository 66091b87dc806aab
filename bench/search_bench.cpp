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

void BM_RunSearch_Keystroke(benchmark::State& state) {
  static const std::u16string kTyped[] = {u"s", u"sp", u"spo", u"spor", u"sport", u"sportz"};
  const std::u16string& query = kTyped[size_t(state.range(0))];
  const Catalog& catalog = BigCatalog();
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

void BM_RunSearch_FirstAfterNewCatalog(benchmark::State& state) {
  const Catalog& catalog = BigCatalog();
  for (auto _ : state) {
    SearchIndexCache cache;
    benchmark::DoNotOptimize(RunSearch(catalog, u"s", cache).size());
  }
}

}  // namespace

BENCHMARK(BM_RunSearch_Keystroke)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunSearch_FirstAfterNewCatalog)->Unit(benchmark::kMillisecond);
