#include <benchmark/benchmark.h>

#include <string>

#include "net/text.h"

static void BM_Utf8ToWide_AsciiMostly(benchmark::State& state) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "Channel name \xC3\xA9 HD ";
  for (auto _ : state) benchmark::DoNotOptimize(Utf8ToWide(text));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_Utf8ToWide_AsciiMostly);

BENCHMARK_MAIN();
