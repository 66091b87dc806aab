#pragma once
// Key-search scanning of raw UTF-8 JSON text, without building a tree.
//
// The scanners are lenient: they never fail and never throw; an empty result
// means absent, empty or unreadable alike, and callers decide what that means.
// A key is only ever matched where it stands as a key (an unescaped quote, the
// key, a quote, optional white space, a colon), never inside a string value.
// Braces and brackets inside strings do not count when objects and arrays are
// cut out, so a name such as "Kids {HD" cannot swallow the rest of a list.
// All functions are thread-safe and keep no state.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace JsonScan {

// The value of the first occurrence of `key` as a key anywhere in `text`
// (nested objects included). Strings are unescaped (\n \r \t \uXXXX, surrogate
// pairs joined into one character); a bare token (number, true, false, null,
// or the start of an object or array) is returned as written, up to the first
// ',', '}' or ']', trailing white space included.
std::string Value(std::string_view text, std::string_view key);
std::u16string ValueW(std::string_view text, std::string_view key);

// The value of `key` as text to show: like Value, but absent, null, and
// nested objects or arrays all give empty (none of them is something to
// show), and a bare token loses its trailing white space.
std::string TextValue(std::string_view text, std::string_view key);

// The other way: `utf8` as a JSON string, quotes, backslashes and control
// characters escaped and everything else as it is (the files the program
// writes itself).
std::string Quoted(std::string_view utf8);

// The raw text of the array that follows `"key":` (no white space allowed
// between the key's closing quote and the colon), brackets included.
std::string Array(std::string_view text, std::string_view key);

// The top-level objects of `text`, in order, each from its '{' through its
// matching '}'. Views point into `text`. A '}' at depth zero makes the object
// that follows it go unreported; the objects after that one are reported.
std::vector<std::string_view> Objects(std::string_view text);

// The streaming form of Objects for large answers: calls fn(object) for each.
template <typename Fn>
void ForEachObject(std::string_view text, Fn&& fn);

// The list of objects in an answer, for servers that wrap it in other text
// (a PHP notice or warning before it, an HTML comment after it) or send it
// as an object keyed by index ({"0":{…},"1":{…}}). The list opens at the
// first '[' followed (after white space) by '{' or ']', or at the first '{'
// followed by a key: that object is the list when its first key is a
// decimal index, and otherwise the answer is an object, not a list. Other
// brackets before it are text. The list ends at its matching close
// (brackets and braces counted alike, strings skipped); what follows is
// ignored. Without the matching close (a cut answer) the state is Cut.
struct ObjectList {
  enum class State { None, Cut, Whole };
  State state = State::None;
  std::string_view items;  // Whole: the text between the list's brackets
};
ObjectList FindObjectList(std::string_view text);

// Makes bytes safe to stand between quotes in a JSON body (no quotes added).
std::string Escape(std::string_view bytes);

// UTF-8 of `text` between quotes, with a backslash before every backslash and
// every quote and nothing else escaped (the settings file's string form).
std::string QuoteW(std::u16string_view text);

// One located value, before decoding: for a string, the bytes between its
// quotes (escapes still in place); for a bare token, the token as written.
struct RawValue {
  std::string_view raw;
  bool found = false;
  bool quoted = false;
  bool escaped = false;  // the string holds at least one backslash
};

// Finds several keys in one pass over `text`: out[i] receives the first
// occurrence of keys[i] as a key. Equivalent to calling Value per key.
void FindValues(std::string_view text, std::span<const std::string_view> keys, std::span<RawValue> out);

// Decoding of a located value, appended to `out`.
void AppendDecoded(const RawValue& value, std::string& out);
void AppendDecodedW(const RawValue& value, std::u16string& out);
std::string Decoded(const RawValue& value);
std::u16string DecodedW(const RawValue& value);

// Decodes a located value as AppendDecodedW does, straight into UTF-16
// without an intermediate UTF-8 copy (the list readers' hot path).
void AppendDecodedWide(const RawValue& value, std::u16string& out);

// Reads the objects of a list as its bytes arrive, in one pass: it finds the
// list, cuts its objects and locates the wanted keys of each in the same
// scan, holding only the object not yet closed between chunks.
//
// Two ways to begin:
// - List: the answer as FindObjectList reads it (text before the list is
//   skipped, an object keyed by index counts as a list, what follows the
//   list is ignored); state() tells None, Cut or Whole as FindObjectList
//   would for the bytes fed.
// - Objects: the bytes are the items themselves and are cut as
//   ForEachObject cuts them; state() is Whole once finished.
// For every object cut, onObject receives what FindValues would give for
// `keys` in that object (views valid during the call only). Objects of a
// list that turns out cut have been reported already: the caller drops them.
// At most kMaxKeys keys are looked for; later ones are never found.
class ListReader {
 public:
  enum class Start { List, Objects };
  static constexpr size_t kMaxKeys = 64;
  using OnObject = void (*)(void* context, std::span<const RawValue> values);

  ListReader(Start start, std::span<const std::string_view> keys, OnObject onObject, void* context);

  // The next bytes of the answer.
  void Feed(std::string_view bytes);
  // No more bytes come; returns the final state.
  ObjectList::State Finish();
  ObjectList::State state() const { return state_; }

 private:
  enum class Phase { SeekList, InList, Done };
  // Scans text from pos_; returns where the bytes still needed begin.
  size_t Scan(std::string_view text, bool last);
  size_t SeekList(std::string_view text, bool last);
  void Emit(std::string_view text);
  // Whether `name` may be a wanted key not located yet in the open object:
  // a length check that turns away most strings (values, keys nobody asked
  // for) before any bytes are compared.
  uint64_t Candidates(std::string_view name) const {
    return keysOfLength_[name.size() < kLengthSlots ? name.size() : kLengthSlots - 1] & unfound_;
  }

  struct Located {
    uint32_t at = 0, size = 0;  // relative to the object's '{'
    bool found = false, quoted = false, escaped = false;
  };

  std::span<const std::string_view> keys_;
  OnObject onObject_;
  void* context_;
  Phase phase_;
  bool list_;
  ObjectList::State state_ = ObjectList::State::None;
  std::string carry_;  // the unfinished part of the bytes fed so far
  size_t pos_ = 0;      // where the scan resumes, in the current text
  char closer_ = ']';
  size_t depth_ = 0;    // brackets and braces alike, List only
  long braces_ = 0;     // braces only, for cutting objects
  size_t objectStart_ = std::string_view::npos;
  bool skipNext_ = false;
  // Bit k: keys_[k] has that length (the last slot: that long or longer).
  static constexpr size_t kLengthSlots = 32;
  std::array<uint64_t, kLengthSlots> keysOfLength_{};
  uint64_t unfound_ = 0;  // bit k: keys_[k] not yet located in the open object
  uint64_t allKeys_ = 0;
  std::vector<Located> located_;
  std::vector<RawValue> values_;
};

// --- implementation details of ForEachObject ---
namespace detail {
// Returns the index of the quote that closes the string whose opening quote
// is at text[open], or npos when the string is not closed. When `escaped` is
// given, it is set to whether the string holds a backslash.
size_t StringEnd(std::string_view text, size_t open, bool* escaped = nullptr);
}  // namespace detail

template <typename Fn>
void ForEachObject(std::string_view text, Fn&& fn) {
  long depth = 0;
  size_t start = std::string_view::npos;
  // A '}' standing at depth zero swallows the object that follows it; the
  // objects after that one are reported again.
  bool skipNext = false;
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    const char c = text[i];
    if (c == '"') {
      const size_t end = detail::StringEnd(text, i);
      if (end == std::string_view::npos) return;
      i = end;
    } else if (c == '{') {
      if (depth == 0) start = i;
      ++depth;
    } else if (c == '}') {
      if (depth == 0) {
        skipNext = true;
        continue;
      }
      if (--depth == 0 && start != std::string_view::npos) {
        if (!skipNext) fn(text.substr(start, i - start + 1));
        skipNext = false;
        start = std::string_view::npos;
      }
    }
  }
}

}  // namespace JsonScan
