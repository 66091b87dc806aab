// The kept past programmes at scale: 1,000 channels with a week of 30
// programmes a day (titles about 25 bytes, descriptions about 200), each
// channel remembered from one answer, then written to its gzip file and
// read back. Reports the main thread's cost of handing them to a job, the heap the listings hold, the file's text and its
// size on disk, and how long each step took. Arg 0: every text distinct
// (the most memory); arg 1: titles repeat through the week as a channel's
// shows do, descriptions still distinct.
//
//   build/vistra_bench --benchmark_filter=PastListings
#include <benchmark/benchmark.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "catalog/guide_past_file.h"
#include "net/text.h"
#include "store/file_io.h"
#include "tests/fixtures/temp_data_home.h"

namespace {

constexpr int kChannels = 1000, kDays = 7, kPerDay = 30;
constexpr int64_t kNow = 1'800'000'000;

// Words of 2 to 9 letters, the common ones drawn most (text as a guide's
// prose, which compresses as prose does rather than as noise).
class Prose {
 public:
  Prose() : random_(7) {
    std::uniform_int_distribution<int> length(2, 9), letter('a', 'z');
    for (int i = 0; i < 3000; ++i) {
      std::u16string word;
      for (int n = length(random_); n > 0; --n) word += char16_t(letter(random_));
      words_.push_back(word);
    }
  }
  std::u16string Text(size_t bytes) {
    std::u16string text;
    std::geometric_distribution<int> pick(0.01);
    while (text.size() < bytes) {
      if (!text.empty()) text += u' ';
      text += words_[size_t(pick(random_)) % words_.size()];
    }
    return text.substr(0, bytes);
  }

 private:
  std::mt19937 random_;
  std::vector<std::u16string> words_;
};

double Ms(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

void BM_PastListingsThousandChannelsWeek(benchmark::State& state) {
  const bool repeatTitles = state.range(0) == 1;
  TempDataHome home;
  Prose prose;
  std::vector<std::vector<EpgEntry>> answers(kChannels);
  for (int c = 0; c < kChannels; ++c) {
    std::vector<std::u16string> shows;
    for (int s = 0; s < 40; ++s) shows.push_back(prose.Text(25));
    const int64_t step = 86400 / kPerDay;
    for (int64_t start = kNow - kDays * 86400 + 3600; start + step <= kNow; start += step) {
      const size_t i = answers[c].size();
      answers[c].push_back(EpgEntry{u"", repeatTitles ? shows[i % shows.size()] : prose.Text(25), start,
                                    int32_t(step / 60), prose.Text(200)});
    }
  }
  const XtreamAccount account{u"http://host:8080", u"user", u"pw", true};
  for (auto _ : state) {
    auto at = std::chrono::steady_clock::now();
    PastListings past;
    for (int c = 0; c < kChannels; ++c) past.Remember(AsciiToWide(std::to_string(c)), answers[c], kDays, kNow);
    state.counters["remember_ms"] = Ms(at);
    // What the main thread spends to hand the listings to a writing job.
    at = std::chrono::steady_clock::now();
    const PastListings copy = past;
    state.counters["copy_ms"] = Ms(at);
    at = std::chrono::steady_clock::now();
    const std::string text = PastListingsText(copy, PastAccountKey(account));
    state.counters["text_ms"] = Ms(at);
    at = std::chrono::steady_clock::now();
    WritePastListingsFile(PastListingsPath(account), text);
    state.counters["gzip_write_ms"] = Ms(at);
    at = std::chrono::steady_clock::now();
    const PastListings loaded = LoadPastListings(account, kNow);
    state.counters["load_ms"] = Ms(at);
    state.counters["programmes"] = double(loaded.Programmes());
    state.counters["memory_MiB"] = double(past.Bytes()) / (1 << 20);
    state.counters["text_MiB"] = double(text.size()) / (1 << 20);
    state.counters["disk_MiB"] = double(std::filesystem::file_size(PastListingsPath(account))) / (1 << 20);
    if (loaded.Programmes() != past.Programmes()) state.SkipWithError("the file lost programmes");
  }
}
BENCHMARK(BM_PastListingsThousandChannelsWeek)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
