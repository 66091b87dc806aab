#pragma once
// Matching live channels to a guide's channels by name, for the many
// channels whose provider gives no guide id.
//
// Built once from a guide's <channel> elements (id and display names), then
// asked for any number of live channel names. A name is compared in the
// forms of catalog/channel_name_form.h, in this order:
//   1. Exact: its key equals a display name's key, the detailed keys first
//      ("ITV1 Central (East)" finds that region, not every "ITV1 Central").
//   2. Confident: its core key equals one ("The Box UK" and "Box").
//   3. By similarity: the Dice coefficient of the character trigrams of the
//      core keys; candidates come from an inverted index of trigrams with a
//      prefix filter (only the rarest trigrams are looked up), so a name
//      costs a few postings, never a pass over the guide. The filter is set
//      so that no guide name scoring kConfidentScore is missed; names
//      scoring between kUnsureScore and that are found when they share
//      enough rare trigrams (all of them in a small guide).
// A similar name is Confident only when its score reaches kConfidentScore
// and every word of it pairs with a word of the guide's name and back
// (digits and time shifts exactly, longer words allowing one typing slip),
// and no other guide channel comes as close: "BBC One East Yorkshire" is
// never taken for "BBC One Yorkshire", "Sky News Extra 1" never for "Sky
// News", "ITV2" never for "ITV3", "5STAR+1" never for "5STAR". A score from
// kUnsureScore is Unsure (for the review list), below it None.
//
// When one key belongs to several guide channels (a guide's "Film4" and
// "Film4 HD"), the one whose HD mark agrees with the name's is taken; when
// that does not single one out the match is Unsure.
//
// Immutable once built: Match, Suggest and MatchAll may run on any threads
// at once. No I/O.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalog/channel_name_form.h"

// One <channel> of a guide: its id and its <display-name>s.
struct GuideChannelName {
  std::string id;
  std::vector<std::string> displayNames;
};

enum class GuideMatchKind : uint8_t { None, Unsure, Confident, Exact };

struct GuideMatch {
  static constexpr uint32_t kNoChannel = UINT32_MAX;
  uint32_t channel = kNoChannel;  // index into the channels the matcher was built from
  float score = 0;                // 1 for Exact and key matches
  GuideMatchKind kind = GuideMatchKind::None;
};

struct GuideSuggestion {
  uint32_t channel = 0;
  float score = 0;
};

class GuideNameMatcher {
 public:
  static constexpr float kConfidentScore = 0.8f;
  static constexpr float kUnsureScore = 0.5f;
  // Suggestions go lower: the picker lists them before the whole guide.
  static constexpr float kSuggestScore = 0.3f;

  explicit GuideNameMatcher(std::span<const GuideChannelName> channels);

  // The match of one live channel name. `channel` is set for Exact,
  // Confident and Unsure (the best candidate); None leaves it unset.
  GuideMatch Match(std::string_view utf8Name) const;
  GuideMatch Match(std::u16string_view name) const;

  // Up to `max` guide channels for a name, best first, each channel once:
  // exact and key matches (score 1) before similar names.
  std::vector<GuideSuggestion> Suggest(std::string_view utf8Name, size_t max) const;
  std::vector<GuideSuggestion> Suggest(std::u16string_view name, size_t max) const;

  // Match of every name, in order, split over `threads` threads (the
  // calling one among them); the same answers as Match. Each thread keeps
  // the similar names of the core keys it met (a few hundred thousand at
  // most), since catalogs repeat names.
  std::vector<GuideMatch> MatchAll(std::span<const std::u16string_view> names, unsigned threads = 2) const;
  std::vector<GuideMatch> MatchAll(std::span<const std::string> utf8Names, unsigned threads = 2) const;

  size_t Channels() const { return channelCount_; }

 private:
  struct Scratch;
  struct Entry {
    uint32_t channel;
    bool qualityMarked;
  };
  struct Candidate {
    uint32_t form;
    float score;
  };
  struct StringHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  using KeyMap = std::unordered_map<std::string, std::vector<Entry>, StringHash, std::equal_to<>>;

  void AddName(uint32_t channel, std::string_view displayName, ChannelNameForm& form);
  uint32_t FuzzyForm(const std::string& coreKey);
  void BuildTrigramIndex();

  GuideMatch MatchForm(const ChannelNameForm& form, Scratch& scratch) const;
  std::vector<GuideSuggestion> SuggestForm(size_t max, Scratch& scratch) const;
  const std::vector<Candidate>& SimilarTo(const std::string& coreKey, Scratch& scratch) const;
  void FindSimilar(std::string_view coreKey, float probeScore, float keepScore, Scratch& scratch) const;
  // The channel of `entries` for a name with (or without) an HD mark, or
  // kNoChannel when several fit.
  static uint32_t PickChannel(const std::vector<Entry>& entries, bool qualityMarked);
  template <typename Name>
  std::vector<GuideMatch> MatchAllOf(std::span<const Name> names, unsigned threads) const;

  size_t channelCount_ = 0;
  KeyMap detailedKeys_;
  KeyMap keys_;
  KeyMap coreKeys_;
  // The distinct core keys (and detailed core keys) compared by similarity.
  std::vector<std::string> forms_;
  std::vector<std::vector<Entry>> formEntries_;
  std::unordered_map<std::string, uint32_t, StringHash, std::equal_to<>> formIndex_;
  // Each form's trigrams, sorted: [trigramStart_[f], trigramStart_[f + 1]).
  std::vector<uint32_t> formTrigrams_;
  std::vector<uint32_t> trigramStart_;
  // The inverted index: trigram -> forms holding it, in an open-addressing
  // table of (trigram, posting range) slots.
  struct Slot {
    uint32_t trigram = 0;  // 0: free (no trigram of text is 0)
    uint32_t begin = 0;
    uint32_t end = 0;
  };
  std::vector<Slot> slots_;
  std::vector<uint32_t> postings_;
};
