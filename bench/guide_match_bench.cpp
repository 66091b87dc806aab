// Matching a whole catalog's channels to a guide by name runs on a job after
// the guide loads: a million channel names against twenty thousand guide
// channels must take a few seconds on two cores. The names are generated as
// providers write them: country prefixes, quality marks, capitals, typing
// slips, digits glued to words, time-shift variants, and a share of
// channels no guide has.
#include <benchmark/benchmark.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "catalog/guide_match.h"
#include "net/text.h"

namespace {

// Real guides of that size list thousands of distinct brands, each with a
// few genres, numbers and regions; the brands are made of syllables here.
constexpr std::array<std::string_view, 24> kSyllables = {"ka", "lo", "ver", "tis", "mon", "ra", "zen", "bel",
                                                         "cor", "di", "an", "sto", "mar", "qui", "fel", "nu",
                                                         "ge", "pa", "ho", "rix", "sun", "va", "te", "ol"};
constexpr std::array<std::string_view, 24> kGenres = {
    "Sports", "News", "Cinema", "Movies", "Kids", "Music", "Action", "Comedy", "Drama", "Nature", "Premier", "World",
    "Max",    "Family", "Series", "Docs", "Classic", "Hits", "Live", "Select", "Xtra", "Replay", "Life", "One"};
constexpr std::array<std::string_view, 8> kRegions = {"", "East", "West", "North", "South", "London", "Scotland",
                                                      "Wales"};
constexpr std::array<std::string_view, 9> kPrefixes = {"", "", "UK: ", "|FR| ", "DE - ", "[PT] ", "\u2605 AR ", "US | ",
                                                       "IT: "};
constexpr std::array<std::string_view, 10> kSuffixes = {"",         "",      " HD",    " FHD",     " \u1d34\u1d30",
                                                        " (backup)", " 4K",  " 1080p", " HEVC",    " RAW"};

std::string Brand(size_t b) {
  std::string brand(kSyllables[b % 24]);
  brand += kSyllables[(b / 24) % 24];
  if (b >= 24 * 24) brand += kSyllables[(b / 576) % 24];
  brand[0] = char(toupper(uint8_t(brand[0])));
  return brand;
}

// Name i: brand i / 4 with one of four variants: a genre, sometimes a
// number, sometimes a region ("Kalo Sports 2 East", "Kalo TV").
std::string GuideName(size_t i) {
  std::string name = Brand(i / 4 + 100);
  const size_t h = (i * 2654435761u) >> 8;
  if (i % 4 != 0) name += " " + std::string(kGenres[h % kGenres.size()]);
  if (i % 4 == 2) name += " " + std::to_string(1 + (h / 24) % 4);
  if (i % 4 == 3) name += " " + std::string(kRegions[1 + (h / 96) % (kRegions.size() - 1)]);
  if (i % 4 == 0) name += " TV";
  return name;
}

const std::vector<GuideChannelName>& Guide() {
  static const std::vector<GuideChannelName> guide = [] {
    std::vector<GuideChannelName> channels;
    for (size_t i = 0; i < 20000; ++i) {
      channels.push_back(GuideChannelName{"ch" + std::to_string(i) + ".tv", {GuideName(i)}});
      if (i % 10 == 0) channels.back().displayNames.push_back(GuideName(i) + " HD");
    }
    return channels;
  }();
  return guide;
}

// One provider-style name: a guide channel's name (or, one in five, a
// channel the guide lacks) dressed up.
std::string LiveName(std::mt19937& random) {
  std::uniform_int_distribution<size_t> pick(0, 1u << 30);
  const size_t roll = pick(random) % 100;
  std::string base = roll < 80 ? GuideName(pick(random) % 20000) : GuideName(20000 + pick(random) % 20000) + " Plus";
  if (roll % 9 == 0) {  // a typing slip: one letter dropped
    const size_t at = 1 + pick(random) % (base.size() - 1);
    if (base[at] != ' ') base.erase(at, 1);
  }
  if (roll % 11 == 0) {  // digits glued to the word before them
    if (const size_t space = base.rfind(' '); space != std::string::npos && isdigit(uint8_t(base[space + 1]))) {
      base.erase(space, 1);
    }
  }
  if (roll % 13 == 0) base += " +1";
  if (roll % 5 == 0) {
    for (char& c : base) c = char(toupper(uint8_t(c)));
  }
  return std::string(kPrefixes[pick(random) % kPrefixes.size()]) + base +
         std::string(kSuffixes[pick(random) % kSuffixes.size()]);
}

struct LiveNames {
  std::u16string pool;
  std::vector<std::u16string_view> names;
};

const LiveNames& MillionNames() {
  static const LiveNames live = [] {
    LiveNames made;
    std::mt19937 random(41);
    std::vector<size_t> ends;
    for (size_t i = 0; i < 1000000; ++i) {
      AppendUtf8AsWide(LiveName(random), made.pool);
      ends.push_back(made.pool.size());
    }
    size_t begin = 0;
    for (const size_t end : ends) {
      made.names.emplace_back(made.pool.data() + begin, end - begin);
      begin = end;
    }
    return made;
  }();
  return live;
}

void BM_GuideMatch_Build20k(benchmark::State& state) {
  for (auto _ : state) {
    GuideNameMatcher matcher(Guide());
    benchmark::DoNotOptimize(matcher.Channels());
  }
}

// range(0): threads.
void BM_GuideMatch_MatchAll1M(benchmark::State& state) {
  const GuideNameMatcher matcher(Guide());
  const LiveNames& live = MillionNames();
  std::array<size_t, 4> kinds{};
  for (auto _ : state) {
    const std::vector<GuideMatch> matches = matcher.MatchAll(live.names, unsigned(state.range(0)));
    kinds = {};
    for (const GuideMatch& m : matches) ++kinds[size_t(m.kind)];
  }
  const double total = double(live.names.size());
  state.counters["exact%"] = 100.0 * double(kinds[size_t(GuideMatchKind::Exact)]) / total;
  state.counters["confident%"] = 100.0 * double(kinds[size_t(GuideMatchKind::Confident)]) / total;
  state.counters["unsure%"] = 100.0 * double(kinds[size_t(GuideMatchKind::Unsure)]) / total;
  state.counters["none%"] = 100.0 * double(kinds[size_t(GuideMatchKind::None)]) / total;
}

}  // namespace

BENCHMARK(BM_GuideMatch_Build20k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GuideMatch_MatchAll1M)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
