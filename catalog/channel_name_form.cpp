#include "catalog/channel_name_form.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "net/text.h"

// Sections: decoding; one code point folded; the leading country code; the
// words; the forms.

namespace {

// ----------------------------------------------------------------- decoding

void DecodeUtf8(std::string_view s, std::u32string& out) {
  out.clear();
  for (size_t i = 0; i < s.size();) {
    const auto b = uint8_t(s[i]);
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    const size_t extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    if (extra == 0 || i + extra >= s.size()) {
      ++i;  // a stray continuation byte or a sequence cut at the end
      continue;
    }
    char32_t cp = b & (0x3F >> extra);
    size_t k = 1;
    for (; k <= extra && (uint8_t(s[i + k]) & 0xC0) == 0x80; ++k) cp = (cp << 6) | (uint8_t(s[i + k]) & 0x3F);
    if (k <= extra) {
      i += k;
      continue;
    }
    static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    const bool scalar = cp >= kLeast[extra] && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
    if (scalar) out.push_back(cp);
    i += extra + 1;
  }
}

void DecodeUtf16(std::u16string_view s, std::u32string& out) {
  out.clear();
  for (size_t i = 0; i < s.size(); ++i) {
    const char16_t u = s[i];
    if (u >= 0xD800 && u < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
      out.push_back(0x10000 + ((char32_t(u) - 0xD800) << 10) + (s[i + 1] - 0xDC00));
      ++i;
    } else if (u < 0xD800 || u >= 0xE000) {
      out.push_back(u);
    }
  }
}

// ------------------------------------------------- one code point folded

enum class Kind : uint8_t {
  Letter,      // `text` joins the current word
  Styled,      // a superscript or enclosed letter: a word of its own
  Drop,        // nothing (combining accents, zero-width characters)
  Apostrophe,  // nothing, and no word break ("That's" -> "thats")
  Space,       // a word break
  Open,        // ( [ {
  Close,       // ) ] }
  Plus,
  Amp,
};

struct Folded {
  Kind kind = Kind::Space;
  char ascii[3] = {};  // up to two ASCII letters ("ss", "ae"), NUL-ended
  char32_t cp = 0;     // a letter of another script, kept as it is
  bool smallCapital = false;
};

Folded Ascii(Kind kind, char a, char b = 0) {
  Folded f;
  f.kind = kind;
  f.ascii[0] = a;
  f.ascii[1] = b;
  return f;
}
Folded Of(Kind kind) { return Ascii(kind, 0); }

// U+00C0..U+00FF; '_' is a word break (× and ÷).
constexpr std::string_view kLatin1 = "aaaaaaaceeeeiiiidnooooo_ouuuuyts" "aaaaaaaceeeeiiiidnooooo_ouuuuyty";
// U+0100..U+017F.
constexpr std::string_view kLatinExtA =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiiiijjkkkllllllllllnnnnnnnnnoooooooorrrrrrssssssss"
    "ttttttuuuuuuuuuuuuwwyyyzzzzzzs";
static_assert(kLatin1.size() == 64 && kLatinExtA.size() == 128);
// Superscript capitals U+1D2C..U+1D42 and small letters U+1D43..U+1D5B.
constexpr std::string_view kModifierCapitals = "aabbdeeghijklmnnooprtuw";
constexpr std::string_view kModifierSmall = "aaaabdeeeegikmnooooptuumv";
static_assert(kModifierCapitals.size() == 23 && kModifierSmall.size() == 25);

bool InRange(char32_t c, char32_t lo, char32_t hi) { return c >= lo && c <= hi; }

Folded FoldAscii(char32_t c) {
  if (c >= 'A' && c <= 'Z') return Ascii(Kind::Letter, char(c - 'A' + 'a'));
  if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return Ascii(Kind::Letter, char(c));
  switch (c) {
    case '\'': case '`': return Of(Kind::Apostrophe);
    case '(': case '[': case '{': return Of(Kind::Open);
    case ')': case ']': case '}': return Of(Kind::Close);
    case '+': return Of(Kind::Plus);
    case '&': return Of(Kind::Amp);
    default: return Of(Kind::Space);
  }
}

// Small capitals and other letters that stand for a plain one.
char PlainLetterOf(char32_t c) {
  static constexpr std::array<std::pair<char32_t, char>, 36> kTable = {{
      {0x0180, 'b'}, {0x018F, 'e'}, {0x0218, 's'}, {0x0219, 's'}, {0x021A, 't'}, {0x021B, 't'}, {0x0259, 'e'},
      {0x0262, 'g'}, {0x026A, 'i'}, {0x0274, 'n'}, {0x0280, 'r'}, {0x028F, 'y'}, {0x0299, 'b'}, {0x029C, 'h'},
      {0x029F, 'l'}, {0x1D00, 'a'}, {0x1D03, 'b'}, {0x1D04, 'c'}, {0x1D05, 'd'}, {0x1D07, 'e'}, {0x1D0A, 'j'},
      {0x1D0B, 'k'}, {0x1D0C, 'l'}, {0x1D0D, 'm'}, {0x1D0E, 'n'}, {0x1D0F, 'o'}, {0x1D18, 'p'}, {0x1D19, 'r'},
      {0x1D1B, 't'}, {0x1D1C, 'u'}, {0x1D20, 'v'}, {0x1D21, 'w'}, {0x1D22, 'z'}, {0xA730, 'f'}, {0xA731, 's'},
      {0x1E9E, 's'},
  }};
  const auto* it = std::lower_bound(kTable.begin(), kTable.end(), c, [](const auto& e, char32_t v) { return e.first < v; });
  return it != kTable.end() && it->first == c ? it->second : 0;
}

// Superscript letters and digits outside the U+1D2C block.
char SuperscriptOf(char32_t c) {
  static constexpr std::array<std::pair<char32_t, char>, 21> kTable = {{
      {0x00B2, '2'}, {0x00B3, '3'}, {0x00B9, '1'}, {0x02B0, 'h'}, {0x02B2, 'j'}, {0x02B3, 'r'}, {0x02B7, 'w'},
      {0x02B8, 'y'}, {0x02E1, 'l'}, {0x02E2, 's'}, {0x02E3, 'x'}, {0x1D9C, 'c'}, {0x1DA0, 'f'}, {0x1DBB, 'z'},
      {0x2070, '0'}, {0x2071, 'i'}, {0x207F, 'n'}, {0x1D5D, 'b'}, {0x1D9B, 'a'}, {0x1DA4, 'i'}, {0x1DB0, 'n'},
  }};
  for (const auto& [code, letter] : kTable) {
    if (code == c) return letter;
  }
  if (InRange(c, 0x2074, 0x2079)) return char('4' + (c - 0x2074));
  if (InRange(c, 0x2080, 0x2089)) return char('0' + (c - 0x2080));
  if (InRange(c, 0x1D2C, 0x1D42)) return kModifierCapitals[c - 0x1D2C];
  if (InRange(c, 0x1D43, 0x1D5B)) return kModifierSmall[c - 0x1D43];
  return 0;
}

// Symbols, arrows, box drawing, dingbats, emoji and the like: word breaks,
// and decoration before a country code.
bool IsSymbol(char32_t c) {
  return InRange(c, 0x2010, 0x2031) || InRange(c, 0x2033, 0x205F) || InRange(c, 0x2190, 0x2BFF) ||
         InRange(c, 0x3000, 0x303F) || InRange(c, 0x1F000, 0x1F12F) || InRange(c, 0x1F18A, 0x1FAFF) ||
         InRange(c, 0xE000, 0xF8FF) || InRange(c, 0xFE30, 0xFE6F) || c == 0x00B7 || c == 0x00BB || c == 0x00AB;
}

bool IsDropped(char32_t c) {
  return InRange(c, 0x0300, 0x036F) || InRange(c, 0x1AB0, 0x1AFF) || InRange(c, 0x1DC0, 0x1DFF) ||
         InRange(c, 0x20D0, 0x20FF) || InRange(c, 0xFE20, 0xFE2F) || InRange(c, 0x200B, 0x200F) ||
         InRange(c, 0x2060, 0x2064) || InRange(c, 0xFE00, 0xFE0F) || c == 0xFEFF || c >= 0xE0000;
}

Folded Fold(char32_t c) {
  if (c < 0x80) return FoldAscii(c);
  if (InRange(c, 0xFF01, 0xFF5E)) return FoldAscii(c - 0xFEE0);  // fullwidth forms
  if (InRange(c, 0xC0, 0xFF)) {
    const char a = kLatin1[c - 0xC0];
    if (a == '_') return Of(Kind::Space);
    if (c == 0xC6 || c == 0xE6) return Ascii(Kind::Letter, 'a', 'e');
    if (c == 0xDE || c == 0xFE) return Ascii(Kind::Letter, 't', 'h');
    if (c == 0xDF) return Ascii(Kind::Letter, 's', 's');
    return Ascii(Kind::Letter, a);
  }
  if (InRange(c, 0x100, 0x17F)) {
    if (c == 0x132 || c == 0x133) return Ascii(Kind::Letter, 'i', 'j');
    if (c == 0x152 || c == 0x153) return Ascii(Kind::Letter, 'o', 'e');
    return Ascii(Kind::Letter, kLatinExtA[c - 0x100]);
  }
  if (c == 0x00B4 || c == 0x2018 || c == 0x2019 || c == 0x02BC || c == 0x2032) return Of(Kind::Apostrophe);
  if (c == 0x207A) return Of(Kind::Plus);
  if (const char s = SuperscriptOf(c)) return Ascii(Kind::Styled, s);
  if (const char p = PlainLetterOf(c)) {
    Folded f = Ascii(Kind::Letter, p);
    f.smallCapital = InRange(c, 0x0262, 0x029F) || InRange(c, 0x1D00, 0x1D22) || InRange(c, 0xA730, 0xA731);
    return f;
  }
  if (c < 0x100) return Of(Kind::Space);  // NBSP and the Latin-1 signs
  if (IsDropped(c)) return Of(Kind::Drop);
  if (IsSymbol(c) || InRange(c, 0x1F1E6, 0x1F1FF)) return Of(Kind::Space);  // flags too
  if (InRange(c, 0x1D400, 0x1D6A3)) {  // mathematical bold, italic, script ... letters
    const auto i = char((c - 0x1D400) % 52);
    return Ascii(Kind::Letter, char('a' + (i < 26 ? i : i - 26)));
  }
  if (InRange(c, 0x1D7CE, 0x1D7FF)) return Ascii(Kind::Letter, char('0' + (c - 0x1D7CE) % 10));
  if (InRange(c, 0x24B6, 0x24E9)) return Ascii(Kind::Styled, char('a' + (c - 0x24B6) % 26));  // Ⓐ ⓐ
  if (InRange(c, 0x1F130, 0x1F189)) return Ascii(Kind::Styled, char('a' + (c - 0x1F130) % 26));  // 🄰 🅐 🅰
  Folded f;
  f.kind = Kind::Letter;
  f.cp = c;
  if (InRange(c, 0x0410, 0x042F) || (InRange(c, 0x0391, 0x03A9) && c != 0x03A2)) f.cp = c + 0x20;
  else if (InRange(c, 0x0400, 0x040F)) f.cp = c + 0x50;
  return f;
}

// ------------------------------------------------- the leading country code

bool IsAsciiUpper(char32_t c) { return c >= 'A' && c <= 'Z'; }
bool IsAsciiAlnum(char32_t c) { return IsAsciiUpper(c) || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

bool IsPrefixSeparator(char32_t c) {
  return c == ':' || c == '|' || c == '-' || c == '/' || c == '>' || c == '~' || IsSymbol(c);
}

// Country, language and region codes that providers put before names.
bool IsKnownCode(std::string_view code) {
  static constexpr std::string_view kCodes =
      " ae af al am ar arb at au az ba bd be bg br by ca ch cn cz de dk ee eg en es eu ex fi fr gb ge gr hk hr"
      " hu id ie il in iq ir is it jo jp ke kr kw lat lb lt lu lv ma mk mt mx my ng nl no nz ph pk pl pt qa ro"
      " rs ru sa se sg si sk sy th tn tr tw ua uk us usa uy ve vn xx yu za ";
  char buffer[6] = {' ', 0, 0, 0, ' ', 0};
  for (size_t i = 0; i < code.size(); ++i) buffer[1 + i] = char(code[i] - 'A' + 'a');
  buffer[1 + code.size()] = ' ';
  return kCodes.find(std::string_view(buffer, code.size() + 2)) != std::string_view::npos;
}

// Where the name starts once up to two leading codes are skipped: a code is
// two or three capitals followed by a separator ("UK:", "US |", "AR-",
// "|UK|"), or by a space when decoration stands before it ("★ DE Sky").
size_t SkipCountryPrefixes(const std::u32string& cps) {
  size_t start = 0;
  for (int round = 0; round < 2; ++round) {
    size_t j = start;
    bool decorated = false;
    while (j < cps.size() && (cps[j] == ' ' || cps[j] == '|' || IsSymbol(cps[j]) || InRange(cps[j], 0x1F1E6, 0x1F1FF))) {
      decorated = decorated || cps[j] != ' ';
      ++j;
    }
    size_t k = j;
    while (k < cps.size() && k - j < 4 && IsAsciiUpper(cps[k])) ++k;
    if (k - j < 2 || k - j > 3 || (k < cps.size() && IsAsciiAlnum(cps[k]))) break;
    char code[3];
    for (size_t i = j; i < k; ++i) code[i - j] = char(cps[i]);
    if (!IsKnownCode(std::string_view(code, k - j))) break;
    size_t s = k;
    while (s < cps.size() && cps[s] == ' ') ++s;
    if (s < cps.size() && IsPrefixSeparator(cps[s])) {
      start = s + 1;
    } else if (decorated && s > k && s < cps.size()) {
      start = s;
    } else {
      break;
    }
  }
  return start;
}

// ---------------------------------------------------------------- the words

struct Word {
  uint32_t begin = 0;
  uint32_t size = 0;
  bool bracketed = false;
  bool shift = false;  // a time shift: the text holds its hours
  uint8_t tag = 0;     // a quality word: kTag, or kHdTag for an HD-like one
};
constexpr uint8_t kTag = 1;
constexpr uint8_t kHdTag = 2;

// The value of at most four digits.
int SmallNumber(std::string_view digits) {
  int value = 0;
  for (const char c : digits.substr(0, 4)) value = value * 10 + (c - '0');
  return value;
}

bool IsDigits(std::string_view t) {
  return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A quality word; `hd` tells whether it marks high definition.
bool IsQualityTag(std::string_view t, bool& hd) {
  static constexpr std::string_view kHd[] = {"hd", "fhd", "uhd", "fullhd", "4k", "8k", "hdr", "uhdtv", "hdtv"};
  static constexpr std::string_view kOther[] = {"sd",   "hq",   "lq",   "hevc", "h264",   "h265",
                                                "x264", "x265", "avc",  "raw",  "backup", "fps"};
  hd = std::find(std::begin(kHd), std::end(kHd), t) != std::end(kHd);
  if (hd || std::find(std::begin(kOther), std::end(kOther), t) != std::end(kOther)) return true;
  const size_t digits = size_t(std::find_if(t.begin(), t.end(), [](char c) { return c < '0' || c > '9'; }) - t.begin());
  if (digits == 0 || digits > 4) return false;
  const std::string_view rest = t.substr(digits);
  if (rest == "fps") return true;
  if (rest != "p" && rest != "i") return false;
  const int lines = SmallNumber(t.substr(0, digits));
  hd = lines >= 720;
  return lines >= 240;
}

// A time shift of hours worth keeping apart: +1 ... +12, +24.
bool IsShiftHours(std::string_view digits) {
  if (!IsDigits(digits) || digits.size() > 2) return false;
  const int hours = SmallNumber(digits);
  return (hours >= 1 && hours <= 12) || hours == 24;
}

std::string_view NumberWordDigits(std::string_view word) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 10> kNumbers = {{
      {"one", "1"}, {"two", "2"}, {"three", "3"}, {"four", "4"}, {"five", "5"},
      {"six", "6"}, {"seven", "7"}, {"eight", "8"}, {"nine", "9"}, {"ten", "10"},
  }};
  for (const auto& [name, digits] : kNumbers) {
    if (name == word) return digits;
  }
  return word;
}

bool IsWeakWord(std::string_view word) {
  static constexpr std::string_view kWeak[] = {"the", "and", "tv", "television", "channel", "uk"};
  return std::find(std::begin(kWeak), std::end(kWeak), word) != std::end(kWeak);
}

// Collects the words of one name: letters gather into a raw word, which at
// a break is kept marked when it is a quality word (BuildForms decides
// whether it goes), or else split where letters and digits meet.
class WordCollector {
 public:
  WordCollector(std::string& pool, std::vector<Word>& words) : pool_(pool), words_(words) {
    pool_.clear();
    words_.clear();
  }

  void Add(const Folded& f) {
    if (f.kind == Kind::Styled) {
      if (!raw_.empty() && !rawStyled_) Break();
      rawStyled_ = true;
    } else if (rawStyled_) {
      Break();
    }
    if (!f.smallCapital) {
      smallFrom_ = std::string::npos;
    } else if (smallFrom_ == std::string::npos) {
      smallFrom_ = raw_.size();
    }
    if (f.cp != 0) {
      AppendCodePointAsUtf8(f.cp, raw_);
    } else {
      raw_ += f.ascii;
    }
  }

  void Break() {
    if (!raw_.empty()) Flush();
    raw_.clear();
    rawStyled_ = false;
    smallFrom_ = std::string::npos;
  }
  void Open() {
    Break();
    ++depth_;
  }
  void Close() {
    Break();
    if (depth_ > 0) --depth_;
  }
  void PushWord(std::string_view text, bool shift) {
    Break();
    Push(text, shift);
  }

 private:
  void Flush() {
    bool hd = false;
    std::string_view raw = raw_;
    // A mark in small capitals glued to a word: "ONEʜᴅ".
    std::string_view glued;
    if (smallFrom_ != std::string::npos && smallFrom_ > 0 && IsQualityTag(raw.substr(smallFrom_), hd)) {
      glued = raw.substr(smallFrom_);
      raw = raw.substr(0, smallFrom_);
    }
    if (IsQualityTag(raw, hd)) {
      Push(raw, false, hd ? kHdTag : kTag);
    } else {
      size_t from = 0;
      for (size_t i = 1; i <= raw.size(); ++i) {
        const bool split = i == raw.size() || IsDigit(raw[i]) != IsDigit(raw[i - 1]);
        if (!split) continue;
        Push(raw.substr(from, i - from), false);
        from = i;
      }
    }
    if (!glued.empty() && IsQualityTag(glued, hd)) Push(glued, false, hd ? kHdTag : kTag);
  }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  void Push(std::string_view text, bool shift, uint8_t tag = 0) {
    words_.push_back(Word{uint32_t(pool_.size()), uint32_t(text.size()), depth_ > 0, shift, tag});
    pool_ += text;
  }

  std::string& pool_;
  std::vector<Word>& words_;
  std::string raw_;
  bool rawStyled_ = false;
  size_t smallFrom_ = std::string::npos;  // where a trailing run of small capitals starts in raw_
  int depth_ = 0;
};

// '+' then one or two digits not followed by another letter or digit, from
// cps[i] (the '+'); returns the digits' end, or i when it is no shift.
size_t ShiftEnd(const std::u32string& cps, size_t i, std::string& hours) {
  hours.clear();
  size_t k = i + 1;
  while (k < cps.size() && cps[k] >= '0' && cps[k] <= '9' && hours.size() < 3) hours += char(cps[k++]);
  if (hours.empty() || !IsShiftHours(hours)) return i;
  if (k < cps.size() && Fold(cps[k]).kind == Kind::Letter && cps[k] != 'h' && cps[k] != 'H') return i;
  if (k < cps.size() && (cps[k] == 'h' || cps[k] == 'H')) ++k;  // "+1h"
  return k;
}

void CollectWords(const std::u32string& cps, std::string& pool, std::vector<Word>& words) {
  WordCollector collector(pool, words);
  std::string hours;
  for (size_t i = SkipCountryPrefixes(cps); i < cps.size(); ++i) {
    const Folded f = Fold(cps[i]);
    switch (f.kind) {
      case Kind::Letter:
      case Kind::Styled: collector.Add(f); break;
      case Kind::Drop:
      case Kind::Apostrophe: break;
      case Kind::Space: collector.Break(); break;
      case Kind::Open: collector.Open(); break;
      case Kind::Close: collector.Close(); break;
      case Kind::Amp: collector.PushWord("and", false); break;
      case Kind::Plus: {
        const size_t end = ShiftEnd(cps, i, hours);
        if (end == i) {
          collector.PushWord("plus", false);
        } else {
          collector.PushWord(hours, true);
          i = end - 1;
        }
        break;
      }
    }
  }
  collector.Break();
}

// ---------------------------------------------------------------- the forms

void AppendWord(std::string& out, std::string_view word) {
  if (!out.empty()) out += ' ';
  out += word;
}

bool HasLetter(std::string_view form) {
  return std::any_of(form.begin(), form.end(), [](char c) { return c != ' ' && (c < '0' || c > '9'); });
}

void BuildForms(std::string_view pool, std::vector<Word>& words, ChannelNameForm& out) {
  auto text = [&](const Word& w) { return pool.substr(w.begin, w.size); };
  // Quality words go, except an ultra-HD one that names a channel with its
  // number: "BBC UHD 1" is not "BBC 1".
  out.qualityMarked = false;
  for (size_t i = 0; i < words.size(); ++i) {
    Word& w = words[i];
    if (w.tag == 0) continue;
    const std::string_view word = text(w);
    const bool numbered = (word == "uhd" || word == "4k" || word == "8k") && i + 1 < words.size() &&
                          words[i + 1].tag == 0 && IsDigits(text(words[i + 1]));
    if (numbered) {
      w.tag = 0;
      continue;
    }
    out.qualityMarked = out.qualityMarked || w.tag == kHdTag;
    w.size = 0;
  }
  // "plus 1" is a time shift written out.
  for (size_t i = 0; i + 1 < words.size(); ++i) {
    if (!words[i].shift && text(words[i]) == "plus" && IsShiftHours(text(words[i + 1]))) {
      words[i].size = 0;
      words[i + 1].shift = true;
    }
  }
  const bool anyPlain =
      std::any_of(words.begin(), words.end(), [](const Word& w) { return !w.bracketed && !w.shift && w.size > 0; });
  bool anyBracketed = false;
  for (const Word& w : words) {
    if (w.shift || w.size == 0) continue;
    const std::string_view word = text(w);
    const std::string_view canonical = NumberWordDigits(word);
    anyBracketed = anyBracketed || w.bracketed;
    AppendWord(out.detailedKey, canonical);
    if (w.bracketed && anyPlain) continue;
    AppendWord(out.text, word);
    AppendWord(out.key, canonical);
    if (!IsWeakWord(canonical)) AppendWord(out.coreKey, canonical);
  }
  if (!anyBracketed || !anyPlain) out.detailedKey.clear();
  if (!HasLetter(out.coreKey)) out.coreKey = out.key;
  std::string marker;
  for (const Word& w : words) {
    if (!w.shift) continue;
    marker.assign(1, '+');
    marker += text(w);
    for (std::string* form : {&out.text, &out.key, &out.coreKey}) AppendWord(*form, marker);
    if (!out.detailedKey.empty()) AppendWord(out.detailedKey, marker);
  }
}

struct Scratch {
  std::u32string cps;
  std::string pool;
  std::vector<Word> words;
};

void FormFromCodePoints(Scratch& scratch, ChannelNameForm& out) {
  out.text.clear();
  out.key.clear();
  out.detailedKey.clear();
  out.coreKey.clear();
  CollectWords(scratch.cps, scratch.pool, scratch.words);
  BuildForms(scratch.pool, scratch.words, out);
}

Scratch& ThreadScratch() {
  thread_local Scratch scratch;
  return scratch;
}

}  // namespace

void FormOfChannelName(std::string_view utf8, ChannelNameForm& out) {
  Scratch& scratch = ThreadScratch();
  DecodeUtf8(utf8, scratch.cps);
  FormFromCodePoints(scratch, out);
}

void FormOfChannelName(std::u16string_view text, ChannelNameForm& out) {
  Scratch& scratch = ThreadScratch();
  DecodeUtf16(text, scratch.cps);
  FormFromCodePoints(scratch, out);
}

ChannelNameForm FormOfChannelName(std::string_view utf8) {
  ChannelNameForm form;
  FormOfChannelName(utf8, form);
  return form;
}

std::string NormaliseChannelName(std::string_view utf8) { return FormOfChannelName(utf8).text; }

void AppendFoldedForSearch(std::u16string_view text, std::string& out) {
  std::u32string& cps = ThreadScratch().cps;
  DecodeUtf16(text, cps);
  const size_t start = out.size();
  const auto blank = [&] {
    if (out.size() > start && out.back() != ' ') out.push_back(' ');
  };
  for (const char32_t c : cps) {
    const Folded f = Fold(c);
    switch (f.kind) {
      case Kind::Letter:
      case Kind::Styled:
        if (f.cp != 0) AppendCodePointAsUtf8(f.cp, out);
        else out += f.ascii;
        break;
      case Kind::Drop:
      case Kind::Apostrophe: break;
      default:
        if (c > ' ' && c < 0x7F) out.push_back(char(c));
        else blank();
        break;
    }
  }
}
