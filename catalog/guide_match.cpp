#include "catalog/guide_match.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <thread>

// Sections: trigrams; words that pair; building; matching one name; batches.

struct GuideNameMatcher::Scratch {
  ChannelNameForm form;
  std::vector<uint8_t> counts;  // per form: trigrams shared with the name so far
  std::vector<uint32_t> touched;
  std::vector<uint32_t> trigrams;
  struct Looked {
    uint32_t postings;
    uint32_t trigram;
    const Slot* slot;  // null when no form holds the trigram
  };
  std::vector<Looked> byRarity;
  std::vector<uint32_t> rest;
  std::vector<Candidate> candidates;
  // In a batch: the similar forms of each core key met so far, since
  // catalogs repeat names (one channel in several packages and countries).
  bool remember = false;
  std::unordered_map<std::string, std::vector<Candidate>, StringHash, std::equal_to<>> similar;
};

namespace {

// Below this many names a batch is not worth a second thread.
constexpr size_t kParallelNames = 2000;
// A rival this close to the best candidate makes a similar name Unsure.
constexpr float kRivalMargin = 0.1f;
// Similar forms kept per remembered core key, and core keys remembered per
// batch thread before the memory starts afresh.
constexpr size_t kRememberedCandidates = 8;
constexpr size_t kRememberedKeys = 200000;
// Trigrams looked up beyond what the prefix filter needs, and how many forms
// met are compared in full regardless (see FindSimilar).
constexpr size_t kExtraProbes = 2;
constexpr size_t kAlwaysCompared = 64;
// Longer names are compared by their start (a trigram count must fit the
// 8-bit counters).
constexpr size_t kLongestComparedBytes = 250;

// ----------------------------------------------------------------- trigrams

// The distinct byte trigrams of " text ", sorted. A trigram is never 0:
// its first byte is a space or a byte of the text, which has no NUL.
void TrigramsOf(std::string_view text, std::vector<uint32_t>& out) {
  out.clear();
  if (text.empty()) return;
  const auto at = [&](size_t i) -> uint32_t { return i == 0 || i > text.size() ? ' ' : uint8_t(text[i - 1]); };
  for (size_t i = 0; i < text.size(); ++i) out.push_back((at(i) << 16) | (at(i + 1) << 8) | at(i + 2));
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
}

size_t SlotOf(uint32_t trigram, size_t mask) { return size_t((trigram * 2654435761u) >> 7) & mask; }

// The values two sorted lists share; without branches on the values, which
// a processor cannot predict.
size_t CountCommon(std::span<const uint32_t> a, std::span<const uint32_t> b) {
  size_t common = 0;
  for (size_t i = 0, j = 0; i < a.size() && j < b.size();) {
    const uint32_t x = a[i], y = b[j];
    common += x == y;
    i += x <= y;
    j += y <= x;
  }
  return common;
}

// ------------------------------------------------------- words that pair

bool IsExactWord(std::string_view word) {
  return word[0] == '+' || std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether the edit distance of a and b is at most `limit` (short words).
bool WithinEdits(std::string_view a, std::string_view b, size_t limit) {
  if (a.size() > b.size()) std::swap(a, b);
  if (b.size() - a.size() > limit || b.size() > 64) return false;
  std::array<size_t, 65> row{};
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    size_t best = row[0];
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
      best = std::min(best, row[j]);
    }
    if (best > limit) return false;
  }
  return row[b.size()] <= limit;
}

// A typing slip: one edit in words of five or more letters, two from nine.
bool NearlyEqual(std::string_view a, std::string_view b) {
  if (IsExactWord(a) || IsExactWord(b)) return false;
  const size_t shorter = std::min(a.size(), b.size());
  if (shorter < 5) return false;
  return WithinEdits(a, b, shorter >= 9 ? 2 : 1);
}

size_t SplitWords(std::string_view text, std::array<std::string_view, 16>& words) {
  size_t n = 0;
  while (!text.empty()) {
    const size_t space = text.find(' ');
    if (n == words.size()) return n + 1;  // too many to pair
    words[n++] = text.substr(0, space);
    if (space == std::string_view::npos) break;
    text.remove_prefix(space + 1);
  }
  return n;
}

bool SameWithoutSpaces(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (true) {
    while (i < a.size() && a[i] == ' ') ++i;
    while (j < b.size() && b[j] == ' ') ++j;
    if (i == a.size() || j == b.size()) return i == a.size() && j == b.size();
    if (a[i++] != b[j++]) return false;
  }
}

// Whether every word of `a` pairs with its own word of `b` and none of `b`
// is left over: the same words, or the same letters spaced otherwise
// ("sportystuff" / "sporty stuff"). Digits and time shifts pair only with
// themselves.
bool WordsPair(std::string_view a, std::string_view b) {
  if (SameWithoutSpaces(a, b)) return true;
  std::array<std::string_view, 16> wa, wb;
  const size_t na = SplitWords(a, wa), nb = SplitWords(b, wb);
  if (na != nb || na > wa.size()) return false;
  std::array<bool, 16> usedA{}, usedB{};
  for (size_t i = 0; i < na; ++i) {
    for (size_t j = 0; j < nb && !usedA[i]; ++j) {
      if (!usedB[j] && wa[i] == wb[j]) usedA[i] = usedB[j] = true;
    }
  }
  for (size_t i = 0; i < na; ++i) {
    for (size_t j = 0; j < nb && !usedA[i]; ++j) {
      if (!usedB[j] && NearlyEqual(wa[i], wb[j])) usedA[i] = usedB[j] = true;
    }
    if (!usedA[i]) return false;
  }
  return true;
}

}  // namespace

// ----------------------------------------------------------------- building

GuideNameMatcher::GuideNameMatcher(std::span<const GuideChannelName> channels) : channelCount_(channels.size()) {
  ChannelNameForm form;
  for (size_t c = 0; c < channels.size(); ++c) {
    for (const std::string& name : channels[c].displayNames) AddName(uint32_t(c), name, form);
  }
  BuildTrigramIndex();
}

void GuideNameMatcher::AddName(uint32_t channel, std::string_view displayName, ChannelNameForm& form) {
  FormOfChannelName(displayName, form);
  if (form.key.empty()) return;
  const Entry entry{channel, form.qualityMarked};
  const auto add = [&entry](std::vector<Entry>& entries) {
    const bool known = std::any_of(entries.begin(), entries.end(), [&](const Entry& e) { return e.channel == entry.channel; });
    if (!known) entries.push_back(entry);
  };
  add(keys_[form.key]);
  add(detailedKeys_[form.detailedKey.empty() ? form.key : form.detailedKey]);
  add(coreKeys_[form.coreKey]);
  add(formEntries_[FuzzyForm(form.coreKey)]);
  if (form.key != form.coreKey) add(formEntries_[FuzzyForm(form.key)]);
  if (!form.detailedKey.empty()) add(formEntries_[FuzzyForm(form.detailedKey)]);
}

uint32_t GuideNameMatcher::FuzzyForm(const std::string& coreKey) {
  const auto [it, added] = formIndex_.try_emplace(coreKey, uint32_t(forms_.size()));
  if (added) {
    forms_.push_back(coreKey);
    formEntries_.emplace_back();
  }
  return it->second;
}

void GuideNameMatcher::BuildTrigramIndex() {
  std::vector<std::pair<uint32_t, uint32_t>> pairs;  // (trigram, form)
  std::vector<uint32_t> trigrams;
  trigramStart_.assign(1, 0);
  for (uint32_t f = 0; f < forms_.size(); ++f) {
    TrigramsOf(std::string_view(forms_[f]).substr(0, kLongestComparedBytes), trigrams);
    formTrigrams_.insert(formTrigrams_.end(), trigrams.begin(), trigrams.end());
    trigramStart_.push_back(uint32_t(formTrigrams_.size()));
    for (const uint32_t t : trigrams) pairs.emplace_back(t, f);
  }
  std::sort(pairs.begin(), pairs.end());
  size_t distinct = 0;
  for (size_t i = 0; i < pairs.size(); ++i) distinct += i == 0 || pairs[i].first != pairs[i - 1].first;
  size_t size = 16;
  while (size < distinct * 2) size *= 2;
  slots_.assign(size, Slot{});
  postings_.reserve(pairs.size());
  for (size_t i = 0; i < pairs.size();) {
    const uint32_t trigram = pairs[i].first;
    const auto begin = uint32_t(postings_.size());
    for (; i < pairs.size() && pairs[i].first == trigram; ++i) postings_.push_back(pairs[i].second);
    size_t s = SlotOf(trigram, size - 1);
    while (slots_[s].trigram != 0) s = (s + 1) & (size - 1);
    slots_[s] = Slot{trigram, begin, uint32_t(postings_.size())};
  }
}

// ------------------------------------------------------ matching one name

uint32_t GuideNameMatcher::PickChannel(const std::vector<Entry>& entries, bool qualityMarked) {
  if (entries.size() == 1) return entries[0].channel;
  uint32_t picked = GuideMatch::kNoChannel;
  for (const Entry& e : entries) {
    if (e.qualityMarked != qualityMarked) continue;
    if (picked != GuideMatch::kNoChannel) return GuideMatch::kNoChannel;
    picked = e.channel;
  }
  return picked;
}

// Prefix filtering: a form whose Dice score with the name reaches t shares
// at least m = t|Q| / (2 - t) of the name's |Q| trigrams, so it holds at
// least e + 1 of any |Q| - m + 1 + e of them. Those are looked up, the
// rarest first; when they lead to many forms, only those met e + 1 times
// are compared in full (their trigrams are scattered in memory: a
// comparison costs a cache miss). The remaining common trigrams are counted
// only for the forms compared. Forms scoring below t are found when met
// often enough: best effort, for the unsure list.
void GuideNameMatcher::FindSimilar(std::string_view coreKey, float probeScore, float keepScore, Scratch& scratch) const {
  scratch.candidates.clear();
  TrigramsOf(coreKey.substr(0, kLongestComparedBytes), scratch.trigrams);
  if (scratch.trigrams.empty() || slots_.empty()) return;
  const size_t mask = slots_.size() - 1;
  const auto find = [&](uint32_t trigram) -> const Slot* {
    for (size_t s = SlotOf(trigram, mask);; s = (s + 1) & mask) {
      if (slots_[s].trigram == trigram) return &slots_[s];
      if (slots_[s].trigram == 0) return nullptr;
    }
  };
  scratch.byRarity.clear();
  for (const uint32_t t : scratch.trigrams) {
    const Slot* slot = find(t);
    scratch.byRarity.push_back({slot ? slot->end - slot->begin : 0, t, slot});
  }
  std::sort(scratch.byRarity.begin(), scratch.byRarity.end(), [](const auto& a, const auto& b) {
    return a.postings != b.postings ? a.postings < b.postings : a.trigram < b.trigram;
  });
  const size_t n = scratch.trigrams.size();
  const size_t needed = std::clamp<size_t>(size_t(std::ceil(probeScore * float(n) / (2 - probeScore) - 1e-4f)), 1, n);
  const size_t extra = std::min(kExtraProbes, needed - 1);
  const size_t probed = n - needed + 1 + extra;
  for (size_t k = 0; k < probed; ++k) {
    const Slot* slot = scratch.byRarity[k].slot;
    if (!slot) continue;
    for (uint32_t p = slot->begin; p < slot->end; ++p) {
      const uint32_t form = postings_[p];
      if (scratch.counts[form]++ == 0) scratch.touched.push_back(form);
    }
  }
  scratch.rest.clear();
  for (size_t k = probed; k < n; ++k) scratch.rest.push_back(scratch.byRarity[k].trigram);
  std::sort(scratch.rest.begin(), scratch.rest.end());
  // Few forms met: each is compared, so a small guide finds every unsure one.
  const size_t fewest = scratch.touched.size() <= kAlwaysCompared ? 1 : extra + 1;
  for (const uint32_t form : scratch.touched) {
    if (scratch.counts[form] < fewest) {
      scratch.counts[form] = 0;
      continue;
    }
    const std::span<const uint32_t> own(formTrigrams_.data() + trigramStart_[form], trigramStart_[form + 1] - trigramStart_[form]);
    const size_t counted = scratch.counts[form];
    scratch.counts[form] = 0;
    const size_t most = counted + std::min(scratch.rest.size(), own.size() - counted);
    if (2.0f * float(most) < keepScore * float(n + own.size())) continue;
    const size_t common = counted + CountCommon(own, scratch.rest);
    const float score = 2.0f * float(common) / float(n + own.size());
    if (score >= keepScore) scratch.candidates.push_back(Candidate{form, score});
  }
  scratch.touched.clear();
  std::sort(scratch.candidates.begin(), scratch.candidates.end(), [](const Candidate& a, const Candidate& b) {
    return a.score != b.score ? a.score > b.score : a.form < b.form;
  });
}

GuideMatch GuideNameMatcher::MatchForm(const ChannelNameForm& form, Scratch& scratch) const {
  if (form.key.empty()) return {};
  const auto byKey = [&](const KeyMap& map, const std::string& key, GuideMatchKind kind) -> std::optional<GuideMatch> {
    const auto it = map.find(key);
    if (it == map.end()) return std::nullopt;
    const uint32_t channel = PickChannel(it->second, form.qualityMarked);
    if (channel == GuideMatch::kNoChannel) return GuideMatch{it->second[0].channel, 1.0f, GuideMatchKind::Unsure};
    return GuideMatch{channel, 1.0f, kind};
  };
  if (auto m = byKey(detailedKeys_, form.detailedKey.empty() ? form.key : form.detailedKey, GuideMatchKind::Exact)) return *m;
  if (auto m = byKey(keys_, form.key, GuideMatchKind::Exact)) return *m;
  if (auto m = byKey(coreKeys_, form.coreKey, GuideMatchKind::Confident)) return *m;

  const std::vector<Candidate>& candidates = SimilarTo(form.coreKey, scratch);
  if (candidates.empty()) return {};
  const Candidate& best = candidates[0];
  const std::vector<Entry>& entries = formEntries_[best.form];
  const uint32_t channel = PickChannel(entries, form.qualityMarked);
  GuideMatch unsure{channel == GuideMatch::kNoChannel ? entries[0].channel : channel, best.score, GuideMatchKind::Unsure};
  if (channel == GuideMatch::kNoChannel || best.score < kConfidentScore || !WordsPair(form.coreKey, forms_[best.form])) {
    return unsure;
  }
  for (size_t i = 1; i < candidates.size(); ++i) {
    const Candidate& other = candidates[i];
    if (other.score < best.score - kRivalMargin) break;
    const uint32_t otherChannel = PickChannel(formEntries_[other.form], form.qualityMarked);
    if (otherChannel != channel && WordsPair(form.coreKey, forms_[other.form])) return unsure;
  }
  return GuideMatch{channel, best.score, GuideMatchKind::Confident};
}

// Only a confident match must never be missed: the prefix filter looks for
// forms scoring kConfidentScore, which costs a third of the postings that
// kUnsureScore would; unsure ones are what it meets on the way.
const std::vector<GuideNameMatcher::Candidate>& GuideNameMatcher::SimilarTo(const std::string& coreKey,
                                                                             Scratch& scratch) const {
  if (!scratch.remember) {
    FindSimilar(coreKey, kConfidentScore, kUnsureScore, scratch);
    return scratch.candidates;
  }
  if (const auto it = scratch.similar.find(coreKey); it != scratch.similar.end()) return it->second;
  FindSimilar(coreKey, kConfidentScore, kUnsureScore, scratch);
  if (scratch.candidates.size() > kRememberedCandidates) scratch.candidates.resize(kRememberedCandidates);
  if (scratch.similar.size() >= kRememberedKeys) scratch.similar.clear();
  return scratch.similar.emplace(coreKey, scratch.candidates).first->second;
}

GuideMatch GuideNameMatcher::Match(std::string_view utf8Name) const {
  Scratch scratch;
  scratch.counts.assign(forms_.size(), 0);
  FormOfChannelName(utf8Name, scratch.form);
  return MatchForm(scratch.form, scratch);
}

GuideMatch GuideNameMatcher::Match(std::u16string_view name) const {
  Scratch scratch;
  scratch.counts.assign(forms_.size(), 0);
  FormOfChannelName(name, scratch.form);
  return MatchForm(scratch.form, scratch);
}

std::vector<GuideSuggestion> GuideNameMatcher::Suggest(std::string_view utf8Name, size_t max) const {
  Scratch scratch;
  scratch.counts.assign(forms_.size(), 0);
  FormOfChannelName(utf8Name, scratch.form);
  return SuggestForm(max, scratch);
}

std::vector<GuideSuggestion> GuideNameMatcher::Suggest(std::u16string_view name, size_t max) const {
  Scratch scratch;
  scratch.counts.assign(forms_.size(), 0);
  FormOfChannelName(name, scratch.form);
  return SuggestForm(max, scratch);
}

std::vector<GuideSuggestion> GuideNameMatcher::SuggestForm(size_t max, Scratch& scratch) const {
  const ChannelNameForm& form = scratch.form;
  std::vector<GuideSuggestion> suggestions;
  const auto add = [&](uint32_t channel, float score) {
    if (suggestions.size() >= max) return;
    const bool known = std::any_of(suggestions.begin(), suggestions.end(),
                                   [&](const GuideSuggestion& s) { return s.channel == channel; });
    if (!known) suggestions.push_back(GuideSuggestion{channel, score});
  };
  if (form.key.empty()) return suggestions;
  // Of a shared key, the channel whose HD mark agrees comes first.
  const auto addKey = [&](const KeyMap& map, const std::string& key) {
    const auto it = map.find(key);
    if (it == map.end()) return;
    for (const bool agrees : {true, false}) {
      for (const Entry& e : it->second) {
        if ((e.qualityMarked == form.qualityMarked) == agrees) add(e.channel, 1.0f);
      }
    }
  };
  addKey(detailedKeys_, form.detailedKey.empty() ? form.key : form.detailedKey);
  addKey(keys_, form.key);
  addKey(coreKeys_, form.coreKey);
  FindSimilar(form.coreKey, kSuggestScore, kSuggestScore, scratch);
  for (const Candidate& c : scratch.candidates) {
    for (const Entry& e : formEntries_[c.form]) add(e.channel, c.score);
  }
  return suggestions;
}

// ------------------------------------------------------------------ batches

template <typename Name>
std::vector<GuideMatch> GuideNameMatcher::MatchAllOf(std::span<const Name> names, unsigned threads) const {
  std::vector<GuideMatch> matches(names.size());
  const auto work = [&](size_t from, size_t to) {
    Scratch scratch;
    scratch.counts.assign(forms_.size(), 0);
    scratch.remember = true;
    for (size_t i = from; i < to; ++i) {
      FormOfChannelName(names[i], scratch.form);
      matches[i] = MatchForm(scratch.form, scratch);
    }
  };
  const size_t parts = names.size() < kParallelNames ? 1 : std::clamp<size_t>(threads, 1, 16);
  std::vector<std::thread> helpers;
  for (size_t p = 1; p < parts; ++p) {
    helpers.emplace_back(work, names.size() * p / parts, names.size() * (p + 1) / parts);
  }
  work(0, names.size() / parts);
  for (std::thread& helper : helpers) helper.join();
  return matches;
}

std::vector<GuideMatch> GuideNameMatcher::MatchAll(std::span<const std::u16string_view> names, unsigned threads) const {
  return MatchAllOf(names, threads);
}

std::vector<GuideMatch> GuideNameMatcher::MatchAll(std::span<const std::string> utf8Names, unsigned threads) const {
  return MatchAllOf(utf8Names, threads);
}
