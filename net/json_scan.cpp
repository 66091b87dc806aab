#include "net/json_scan.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "net/text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace JsonScan {
namespace {

constexpr size_t npos = std::string_view::npos;

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int Hex4(std::string_view s, size_t at) {
  if (at + 4 > s.size()) return -1;
  int v = 0;
  for (size_t k = 0; k < 4; ++k) {
    const int d = HexDigit(s[at + k]);
    if (d < 0) return -1;
    v = v * 16 + d;
  }
  return v;
}

// Unescapes the inside of a string. A \u escape with four hex digits becomes
// UTF-8; a high surrogate directly followed by an escaped low surrogate is
// joined into one four-byte character. A \u without four hex digits yields
// the letter u. Any other escaped byte stands for itself.
void Unescape(std::string_view s, std::string& out) {
  const size_t n = s.size();
  for (size_t i = 0; i < n; ++i) {
    const char c = s[i];
    if (c != '\\' || i + 1 >= n) {
      out.push_back(c);
      continue;
    }
    const char e = s[++i];
    switch (e) {
      case 'n': out.push_back('\n'); break;
      case 'r': out.push_back('\r'); break;
      case 't': out.push_back('\t'); break;
      case 'u': {
        const int code = Hex4(s, i + 1);
        if (code < 0) { out.push_back('u'); break; }
        i += 4;
        if (code >= 0xD800 && code <= 0xDBFF && i + 2 < n && s[i + 1] == '\\' && s[i + 2] == 'u') {
          const int low = Hex4(s, i + 3);
          if (low >= 0xDC00 && low <= 0xDFFF) {
            AppendCodePointAsUtf8(0x10000 + ((char32_t(code) - 0xD800) << 10) + (char32_t(low) - 0xDC00), out);
            i += 6;
            break;
          }
        }
        AppendCodePointAsUtf8(char32_t(code), out);
        break;
      }
      default: out.push_back(e); break;
    }
  }
}

// After a key's closing quote at `close`: the position just past the colon
// when optional white space and a colon follow, else npos.
size_t ColonAfter(std::string_view text, size_t close, bool allowSpace) {
  size_t p = close + 1;
  if (allowSpace)
    while (p < text.size() && IsSpace(text[p])) ++p;
  if (p < text.size() && text[p] == ':') return p + 1;
  return npos;
}

// Locates the value that starts after position `p` (just past a colon).
RawValue ValueAt(std::string_view text, size_t p) {
  RawValue v;
  while (p < text.size() && IsSpace(text[p])) ++p;
  if (p >= text.size()) return v;
  v.found = true;
  if (text[p] != '"') {
    size_t end = p;
    while (end < text.size() && text[end] != ',' && text[end] != '}' && text[end] != ']') ++end;
    v.raw = text.substr(p, end - p);
    return v;
  }
  v.quoted = true;
  const size_t close = detail::StringEnd(text, p);
  const size_t stop = close == npos ? text.size() : close;
  v.raw = text.substr(p + 1, stop - p - 1);
  v.escaped = v.raw.find('\\') != npos;
  return v;
}

// Walks the strings of `text` in order and calls onKey(content, afterColon)
// for every string that stands as a key; stops when onKey returns true.
template <typename OnKey>
void WalkKeys(std::string_view text, bool allowSpace, OnKey&& onKey) {
  size_t p = 0;
  const size_t n = text.size();
  while (p < n) {
    const void* hit = std::memchr(text.data() + p, '"', n - p);
    if (!hit) return;
    const size_t open = static_cast<const char*>(hit) - text.data();
    const size_t close = detail::StringEnd(text, open);
    if (close == npos) return;
    const size_t after = ColonAfter(text, close, allowSpace);
    if (after != npos && onKey(text.substr(open + 1, close - open - 1), after)) return;
    p = close + 1;
  }
}

// Finds the end of the bracketed run that opens at text[open] with `opener`.
size_t MatchingClose(std::string_view text, size_t open, char opener, char closer) {
  long depth = 0;
  for (size_t i = open; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      const size_t end = detail::StringEnd(text, i);
      if (end == npos) return npos;
      i = end;
    } else if (c == opener) {
      ++depth;
    } else if (c == closer && --depth == 0) {
      return i;
    }
  }
  return npos;
}

}  // namespace

namespace {

// detail::StringEnd's body, inline where the list reader meets a string
// (several times per member).
inline size_t ClosingQuote(std::string_view text, size_t open, bool* escaped) {
  const char* data = text.data();
  const size_t n = text.size();
  size_t i = open + 1;
  for (;;) {
    // Most of a large answer is string content: skip sixteen bytes at a time
    // (eight without SSE2) while none of them is a quote or a backslash; the
    // last few bytes of the text go one by one.
#if defined(__SSE2__)
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i backslash = _mm_set1_epi8('\\');
    while (i + 16 <= n) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
      const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, quote), _mm_cmpeq_epi8(chunk, backslash)));
      if (hits != 0) {
        i += size_t(std::countr_zero(unsigned(hits)));
        break;
      }
      i += 16;
    }
#else
    if constexpr (std::endian::native == std::endian::little) {
      constexpr uint64_t kOnes = 0x0101010101010101ull;
      constexpr uint64_t kHighs = 0x8080808080808080ull;
      while (i + 8 <= n) {
        uint64_t word;
        std::memcpy(&word, data + i, 8);
        const uint64_t quotes = word ^ (kOnes * '"');
        const uint64_t slashes = word ^ (kOnes * '\\');
        // The lowest flagged byte is always a real match.
        const uint64_t hits = (((quotes - kOnes) & ~quotes) | ((slashes - kOnes) & ~slashes)) & kHighs;
        if (hits != 0) {
          i += size_t(std::countr_zero(hits)) / 8;
          break;
        }
        i += 8;
      }
    }
#endif
    if (i >= n) return npos;
    const char c = data[i];
    if (c == '"') return i;
    if (c == '\\' && escaped) *escaped = true;
    i += (c == '\\') ? 2 : 1;
  }
}

}  // namespace

namespace detail {
size_t StringEnd(std::string_view text, size_t open, bool* escaped) { return ClosingQuote(text, open, escaped); }
}  // namespace detail

void FindValues(std::string_view text, std::span<const std::string_view> keys, std::span<RawValue> out) {
  size_t missing = keys.size();
  for (auto& v : out) v = RawValue{};
  std::array<bool, 32> seenSmall{};
  std::vector<bool> seenLarge;
  if (keys.size() > seenSmall.size()) seenLarge.assign(keys.size(), false);
  auto seen = [&](size_t k) -> bool { return keys.size() > seenSmall.size() ? seenLarge[k] : seenSmall[k]; };
  auto mark = [&](size_t k) {
    if (keys.size() > seenSmall.size()) seenLarge[k] = true; else seenSmall[k] = true;
  };
  if (missing == 0) return;
  WalkKeys(text, true, [&](std::string_view name, size_t after) {
    for (size_t k = 0; k < keys.size(); ++k) {
      if (seen(k) || keys[k] != name) continue;
      mark(k);
      out[k] = ValueAt(text, after);
      if (!out[k].found) out[k] = RawValue{};
      --missing;
    }
    return missing == 0;
  });
}

void AppendDecoded(const RawValue& value, std::string& out) {
  if (!value.found) return;
  if (value.quoted && value.escaped) {
    Unescape(value.raw, out);
  } else {
    out.append(value.raw);
  }
}

void AppendDecodedW(const RawValue& value, std::u16string& out) {
  if (!value.found) return;
  if (value.quoted && value.escaped) {
    std::string bytes;
    Unescape(value.raw, bytes);
    AppendUtf8AsWide(bytes, out);
  } else {
    AppendUtf8AsWide(value.raw, out);
  }
}

std::string Decoded(const RawValue& value) {
  std::string out;
  AppendDecoded(value, out);
  return out;
}

std::u16string DecodedW(const RawValue& value) {
  std::u16string out;
  AppendDecodedW(value, out);
  return out;
}

std::string Value(std::string_view text, std::string_view key) {
  RawValue v;
  FindValues(text, std::span<const std::string_view>(&key, 1), std::span<RawValue>(&v, 1));
  return Decoded(v);
}

std::string Quoted(std::string_view utf8) {
  std::string out = "\"";
  for (const char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      constexpr char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[(c >> 4) & 0xF];
      out += kHex[c & 0xF];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string TextValue(std::string_view text, std::string_view key) {
  RawValue value;
  FindValues(text, std::span<const std::string_view>(&key, 1), std::span<RawValue>(&value, 1));
  if (!value.found) return {};
  if (value.quoted) return Decoded(value);
  std::string_view token = value.raw;
  while (!token.empty() && IsSpace(token.back())) token.remove_suffix(1);
  if (token.empty() || token == "null" || token.front() == '{' || token.front() == '[') return {};
  return std::string(token);
}

std::u16string ValueW(std::string_view text, std::string_view key) {
  return Utf8ToWide(Value(text, key));
}

std::string Array(std::string_view text, std::string_view key) {
  std::string result;
  WalkKeys(text, false, [&](std::string_view name, size_t after) {
    if (name != key) return false;
    size_t p = after;
    while (p < text.size() && IsSpace(text[p])) ++p;
    if (p >= text.size() || text[p] != '[') return true;
    const size_t close = MatchingClose(text, p, '[', ']');
    if (close != npos) result.assign(text.substr(p, close - p + 1));
    return true;
  });
  return result;
}

std::vector<std::string_view> Objects(std::string_view text) {
  std::vector<std::string_view> objects;
  ForEachObject(text, [&](std::string_view object) { objects.push_back(object); });
  return objects;
}

namespace {

size_t SkipSpace(std::string_view text, size_t i) {
  while (i < text.size() && IsSpace(text[i])) ++i;
  return i;
}

// Whether the object opening at text[open] starts with a key of decimal
// digits; text[first] is that key's opening quote.
bool IsIndexKeyed(std::string_view text, size_t first) {
  size_t i = first + 1;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  return i > first + 1 && i < text.size() && text[i] == '"' && ColonAfter(text, i, true) != npos;
}

// The position of the list's opening bracket or brace, or npos.
size_t ListOpen(std::string_view text) {
  for (size_t at = text.find_first_of("[{"); at != npos; at = text.find_first_of("[{", at + 1)) {
    const size_t next = SkipSpace(text, at + 1);
    if (next >= text.size()) return at;  // an opening with nothing after it: cut
    if (text[at] == '[' && (text[next] == '{' || text[next] == ']')) return at;
    if (text[at] == '{' && text[next] == '"') return IsIndexKeyed(text, next) ? at : npos;
    if (text[at] == '{' && text[next] == '}') return npos;
  }
  return npos;
}

}  // namespace

ObjectList FindObjectList(std::string_view text) {
  const size_t open = ListOpen(text);
  if (open == npos) return {};
  // Depth counts both kinds of bracket alike: a cut answer leaves some open,
  // and telling a mismatched pair apart is not needed for that.
  const char closer = text[open] == '[' ? ']' : '}';
  size_t depth = 0;
  for (size_t i = open; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      i = detail::StringEnd(text, i);
      if (i == npos) break;
    } else if (c == '[' || c == '{') {
      ++depth;
    } else if ((c == ']' || c == '}') && --depth == 0) {
      if (c != closer) break;
      return {ObjectList::State::Whole, text.substr(open + 1, i - open - 1)};
    }
  }
  return {ObjectList::State::Cut, {}};
}

std::string Escape(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + 8);
  for (const char c : bytes) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out.push_back(c); break;
    }
  }
  return out;
}

std::string QuoteW(std::u16string_view text) {
  const std::string utf8 = WideToUtf8(text);
  std::string out;
  out.reserve(utf8.size() + 2);
  out.push_back('"');
  for (const char c : utf8) {
    if (c == '"' || c == '\\') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

}  // namespace JsonScan

namespace JsonScan {
namespace {

// Whether a \u escape's code is half of a surrogate pair, or an escaped byte
// is not ASCII: such values take the general path, which joins pairs and
// re-reads the bytes as one UTF-8 text.
bool NeedsGeneralPath(std::string_view s, size_t backslash) {
  if (backslash + 1 >= s.size()) return false;
  const unsigned char e = static_cast<unsigned char>(s[backslash + 1]);
  if (e >= 0x80) return true;
  if (e != 'u') return false;
  const int code = Hex4(s, backslash + 2);
  return code >= 0xD800 && code <= 0xDFFF;
}

}  // namespace

void AppendDecodedWide(const RawValue& value, std::u16string& out) {
  if (!value.found) return;
  // Without escapes the value is plain UTF-8: the converter widens its ASCII
  // a vector at a time.
  if (!value.quoted || !value.escaped) {
    AppendUtf8AsWide(value.raw, out);
    return;
  }
  const std::string_view s = value.raw;
  const size_t n = s.size();
  const size_t start = out.size();
  out.resize(start + n);  // never more characters than bytes
  char16_t* w = out.data() + start;
  for (size_t i = 0; i < n;) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x80) {
      // A run of non-ASCII bytes goes to the one UTF-8 decoder.
      size_t end = i;
      while (end < n && static_cast<unsigned char>(s[end]) >= 0x80) ++end;
      const size_t at = size_t(w - out.data());
      out.resize(at);
      AppendUtf8AsWide(s.substr(i, end - i), out);
      const size_t grown = out.size();
      out.resize(grown + (n - end));
      w = out.data() + grown;
      i = end;
      continue;
    }
    if (c != '\\' || i + 1 >= n) {
      *w++ = char16_t(c);
      ++i;
      continue;
    }
    if (NeedsGeneralPath(s, i)) {
      out.resize(start);
      AppendDecodedW(value, out);
      return;
    }
    const char e = s[i + 1];
    i += 2;
    switch (e) {
      case 'n': *w++ = u'\n'; break;
      case 'r': *w++ = u'\r'; break;
      case 't': *w++ = u'\t'; break;
      case 'u': {
        const int code = Hex4(s, i);
        if (code < 0) {
          *w++ = u'u';
          break;
        }
        *w++ = char16_t(code);
        i += 4;
        break;
      }
      default: *w++ = char16_t(e); break;
    }
  }
  out.resize(size_t(w - out.data()));
}

namespace {

// The bytes the list reader stops at; everything else is skipped in a
// tight loop.
constexpr std::array<bool, 256> kStructural = [] {
  std::array<bool, 256> table{};
  for (const unsigned char c : std::string_view("\"{}[]")) table[c] = true;
  return table;
}();

}  // namespace

ListReader::ListReader(Start start, std::span<const std::string_view> keys, OnObject onObject, void* context)
    : keys_(keys),
      onObject_(onObject),
      context_(context),
      phase_(start == Start::List ? Phase::SeekList : Phase::InList),
      list_(start == Start::List),
      located_(keys.size()),
      values_(keys.size()) {
  for (size_t k = 0; k < keys.size() && k < kMaxKeys; ++k) {
    const size_t length = keys[k].size();
    keysOfLength_[length < kLengthSlots ? length : kLengthSlots - 1] |= uint64_t{1} << k;
    allKeys_ |= uint64_t{1} << k;
  }
}

void ListReader::Feed(std::string_view bytes) {
  if (phase_ == Phase::Done || bytes.empty()) return;
  size_t keep = 0;
  if (carry_.empty()) {
    keep = Scan(bytes, false);
    carry_.assign(bytes.substr(keep));
  } else {
    carry_.append(bytes);
    keep = Scan(carry_, false);
    carry_.erase(0, keep);
  }
  pos_ -= keep;
  if (objectStart_ != npos) objectStart_ -= keep;
  // An opening followed so far only by white space: the spaces change
  // nothing, so they are dropped rather than scanned again with each piece.
  if (phase_ == Phase::SeekList && pos_ == 0 && carry_.size() > 1 && SkipSpace(carry_, 1) >= carry_.size())
    carry_.resize(1);
}

ObjectList::State ListReader::Finish() {
  if (phase_ != Phase::Done) {
    Scan(carry_, true);
    carry_.clear();
    if (phase_ != Phase::Done) state_ = list_ ? (phase_ == Phase::InList ? ObjectList::State::Cut : state_)
                                             : ObjectList::State::Whole;
    phase_ = Phase::Done;
  }
  return state_;
}

size_t ListReader::SeekList(std::string_view text, bool last) {
  const size_t n = text.size();
  const auto wait = [&](size_t at) {
    pos_ = at;
    return at;
  };
  const auto open = [&](size_t at, char closer) {
    closer_ = closer;
    depth_ = 1;
    phase_ = Phase::InList;
    state_ = ObjectList::State::Cut;  // until its close arrives
    pos_ = at + 1;
    return pos_;
  };
  const auto notList = [&] {
    phase_ = Phase::Done;
    return n;
  };
  for (size_t at = text.find_first_of("[{", pos_); at != npos; at = text.find_first_of("[{", at + 1)) {
    const size_t next = SkipSpace(text, at + 1);
    if (next >= n) {
      if (!last) return wait(at);
      state_ = ObjectList::State::Cut;  // an opening with nothing after it
      return notList();
    }
    if (text[at] == '[' && (text[next] == '{' || text[next] == ']')) return open(at, ']');
    if (text[at] == '{' && text[next] == '}') return notList();
    if (text[at] == '{' && text[next] == '"') {
      size_t i = next + 1;
      while (i < n && text[i] >= '0' && text[i] <= '9') ++i;
      size_t colon = i + 1;
      if (i < n && i > next + 1 && text[i] == '"') colon = SkipSpace(text, i + 1);
      if ((i >= n || colon >= n) && !last) return wait(at);
      return IsIndexKeyed(text, next) ? open(at, '}') : notList();
    }
  }
  pos_ = n;
  return n;
}

size_t ListReader::Scan(std::string_view text, bool last) {
  if (phase_ == Phase::SeekList) {
    const size_t keep = SeekList(text, last);
    if (phase_ != Phase::InList) return keep;
  }
  if (phase_ == Phase::Done) return text.size();
  const char* d = text.data();
  const size_t n = text.size();
  // Bytes still needed begin at the open object, else at `i`.
  const auto wait = [&](size_t i) {
    pos_ = last ? n : i;
    return objectStart_ != npos ? objectStart_ : pos_;
  };
  const auto endList = [&](char c) {
    state_ = c == closer_ ? ObjectList::State::Whole : ObjectList::State::Cut;
    phase_ = Phase::Done;
    objectStart_ = npos;
    return n;
  };
  size_t i = pos_;
  while (i < n) {
    while (i < n && !kStructural[static_cast<unsigned char>(d[i])]) ++i;
    if (i >= n) break;
    const char c = d[i];
    if (c == '"') {
      const size_t close = ClosingQuote(text, i, nullptr);
      if (close == npos) return wait(i);
      size_t next = close + 1;
      const std::string_view name(d + i + 1, close - i - 1);
      for (uint64_t candidates = braces_ > 0 ? Candidates(name) : 0; candidates != 0;
           candidates &= candidates - 1) {
        const size_t k = size_t(std::countr_zero(candidates));
        if (keys_[k] != name) continue;
        const size_t colon = SkipSpace(text, close + 1);
        if (colon >= n) return wait(i);
        if (d[colon] != ':') break;
        const size_t p = SkipSpace(text, colon + 1);
        if (p >= n) return wait(i);
        Located& v = located_[k];
        size_t begin = p, end = p;
        if (d[p] == '"') {
          bool escaped = false;
          end = ClosingQuote(text, p, &escaped);
          if (end == npos) return wait(i);
          begin = p + 1;
          v.quoted = true;
          v.escaped = escaped;
          // The value need not be scanned again, unless a colon makes it
          // stand as a key (or what follows has not arrived yet).
          const size_t after = SkipSpace(text, end + 1);
          if (after < n && d[after] != ':') next = end + 1;
        } else {
          while (end < n && d[end] != ',' && d[end] != '}' && d[end] != ']') ++end;
          if (end >= n) return wait(i);
        }
        v.found = true;
        v.at = uint32_t(begin - objectStart_);
        v.size = uint32_t(end - begin);
        unfound_ &= ~(uint64_t{1} << k);
      }
      i = next;
      continue;
    }
    if (c == '{') {
      if (list_) ++depth_;
      if (braces_++ == 0) {
        objectStart_ = i;
        unfound_ = allKeys_;
        for (Located& v : located_) v = Located{};
      }
    } else if (c == '[') {
      if (list_) ++depth_;
    } else if (list_ && --depth_ == 0) {
      return endList(c);
    } else if (c == '}') {
      if (braces_ == 0) {
        skipNext_ = true;
      } else if (--braces_ == 0) {
        if (!skipNext_) Emit(text);
        skipNext_ = false;
        objectStart_ = npos;
      }
    }
    ++i;
  }
  return wait(n);
}

void ListReader::Emit(std::string_view text) {
  for (size_t k = 0; k < keys_.size(); ++k) {
    const Located& v = located_[k];
    RawValue& out = values_[k];
    out = RawValue{};
    if (!v.found) continue;
    out.raw = text.substr(objectStart_ + v.at, v.size);
    out.found = true;
    out.quoted = v.quoted;
    out.escaped = v.escaped;
  }
  onObject_(context_, values_);
}

}  // namespace JsonScan
