#pragma once
// The language list and the text tables behind ui/i18n/translate.h.
// Everything here is static, read-only data built at compile time, so any
// thread may read it at any moment (including during static initialisation).
//
// Each language's texts are key/text pairs in the order of the English
// table, which is sorted by key (plain byte order); a language may leave
// keys out, and a key it leaves out shows in English.
#include <array>
#include <span>
#include <string_view>

#include "ui/i18n/translate.h"

struct TextPair {
  std::string_view key;   // lower-case ASCII words joined by "_"
  std::u16string_view text;
};

struct LanguageEntry {
  std::u16string_view code;         // two letters, lower case; stored in Lang
  std::u16string_view native_name;  // shown by the language picker
  std::string_view date_locale;     // locale name for date formatting
  std::array<std::u16string_view, kMenuWordCount> menu_words;
  std::span<const TextPair> texts;
};

extern const LanguageEntry kLanguages[kLanguageCount];

// True when every pair has a key and a text and the keys rise strictly:
// the lookup relies on this order, and a table declared longer than its
// initialiser list leaves empty pairs at its end, which fail here.
constexpr bool IsOrderedTable(std::span<const TextPair> texts) {
  for (size_t i = 0; i < texts.size(); ++i) {
    if (texts[i].key.empty() || texts[i].text.empty()) return false;
    if (i > 0 && !(texts[i - 1].key < texts[i].key)) return false;
  }
  return true;
}

// Full tables hold every key; the short ones lack the two catch-up guide
// texts ("catchup_empty", "catchup_loading").
constexpr size_t kFullTextCount = 165;
constexpr size_t kShortTextCount = 163;

extern const TextPair kTextsEn[kFullTextCount];
extern const TextPair kTextsRo[kFullTextCount];
extern const TextPair kTextsDe[kShortTextCount];
extern const TextPair kTextsFr[kShortTextCount];
extern const TextPair kTextsEs[kShortTextCount];
extern const TextPair kTextsIt[kShortTextCount];
extern const TextPair kTextsPt[kShortTextCount];
extern const TextPair kTextsNl[kShortTextCount];
extern const TextPair kTextsPl[kShortTextCount];
extern const TextPair kTextsCs[kShortTextCount];
extern const TextPair kTextsSk[kShortTextCount];
extern const TextPair kTextsHu[kShortTextCount];
extern const TextPair kTextsEl[kFullTextCount];
extern const TextPair kTextsBg[kShortTextCount];
extern const TextPair kTextsHr[kShortTextCount];
extern const TextPair kTextsSr[kShortTextCount];
extern const TextPair kTextsSl[kShortTextCount];
extern const TextPair kTextsSv[kShortTextCount];
extern const TextPair kTextsDa[kShortTextCount];
extern const TextPair kTextsNo[kShortTextCount];
extern const TextPair kTextsFi[kShortTextCount];
extern const TextPair kTextsEt[kShortTextCount];
extern const TextPair kTextsLv[kShortTextCount];
extern const TextPair kTextsLt[kShortTextCount];
extern const TextPair kTextsGa[kFullTextCount];
extern const TextPair kTextsMt[kFullTextCount];
extern const TextPair kTextsUk[kShortTextCount];
extern const TextPair kTextsSq[kFullTextCount];
extern const TextPair kTextsBs[kShortTextCount];
extern const TextPair kTextsMk[kShortTextCount];
extern const TextPair kTextsIs[kShortTextCount];
extern const TextPair kTextsCa[kShortTextCount];
extern const TextPair kTextsTr[kShortTextCount];
