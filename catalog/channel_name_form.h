#pragma once
// A channel's name reduced to the words that tell channels apart, so that a
// provider's "UK: BBC ONE FHD ᴴᴰ" and a guide's "BBC One HD" read alike.
//
// What goes: case and accents (a small table: Latin-1, Latin Extended-A and
// a few more; Greek and Cyrillic are lower-cased; other scripts stay as
// they are), styled letters become plain ones (superscript and small-capital
// marks such as ᴴᴰ ᶠᴴᴰ ᵁᴴᴰ ᴿᴬᵂ ⁴ᴷ ʜᴅ, fullwidth, mathematical and
// enclosed letters), quality words (HD, FHD, UHD, SD, 4K, 8K, HEVC, H265,
// 1080p, 720p, 50fps, RAW, backup ...), a leading country or provider code
// ("UK:", "UK |", "|UK|", "[DE]", "DE -", "AR-", "★ DE "), bracketed parts
// (resolutions, "(backup)", call signs such as "(WABC)"), apostrophes, and
// punctuation (to spaces). "&" becomes "and". Letters and digits glued
// together are split ("BBC1" -> "bbc 1", "5STAR" -> "5 star", "More4" ->
// "more 4"), so "BBC1", "BBC 1" and "BBC-1" read alike.
//
// What stays, as a word of its own and always last: a time-shift marker,
// "+1" ... "+12" and "+24" (also written "plus 1" or "(+1)"), so "5STAR+1"
// never reads as "5STAR". A '+' that is no time shift is the word "plus"
// ("Movies24+" -> "movies 24 plus").
//
// Pure and thread-safe; no I/O.
#include <string>
#include <string_view>

// The forms of one name that matching compares. All are UTF-8, words
// separated by single spaces, time-shift markers last.
struct ChannelNameForm {
  // The words as written: "UK: BBC ONE FHD ᴴᴰ" -> "bbc one".
  std::string text;
  // The same with the number words one to ten as digits ("bbc 1"): "BBC1",
  // "BBC 1" and "BBC One" share a key. Empty when nothing is left of the
  // name (it was only tags or punctuation).
  std::string key;
  // The key with the words of bracketed parts kept where they stood
  // ("ITV1 Central (East) HD" -> "itv 1 central east"), or empty when the
  // name had no words in brackets: a guide may tell regions apart only
  // there.
  std::string detailedKey;
  // The key without the words that rarely tell channels apart (the, and,
  // tv, television, channel, uk): "The Box UK" -> "box". The key itself
  // when that would leave no word with a letter ("Channel 5" stays).
  std::string coreKey;
  // An HD-like quality mark was dropped (HD, FHD, UHD, 4K, 8K, 720p ...):
  // tells a guide's "Film4" from its "Film4 HD".
  bool qualityMarked = false;
};

// The forms of a UTF-8 (invalid sequences are skipped) or UTF-16 name.
// The second form of each reuses `out`'s buffers: a batch of a million names
// allocates little.
ChannelNameForm FormOfChannelName(std::string_view utf8);
void FormOfChannelName(std::string_view utf8, ChannelNameForm& out);
void FormOfChannelName(std::u16string_view text, ChannelNameForm& out);

// FormOfChannelName(utf8).text: "BBC One HD" and "UK: BBC ONE FHD ᴴᴰ" both
// give "bbc one".
std::string NormaliseChannelName(std::string_view utf8);

// Appends `text` to `out` as a search box compares it, UTF-8: case and
// accents folded and styled letters made plain as above, apostrophes and
// combining marks dropped, every other ASCII character kept as it is ("UK:",
// "HD", "+1" stay findable), any other symbol or blank a single blank, and
// no blank at the start. A folded query found inside a folded name is a
// match that ignores case and accents. Never writes a character below 32.
void AppendFoldedForSearch(std::u16string_view text, std::string& out);
