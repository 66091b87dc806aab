#pragma once
// The language list and the text tables behind i18n/translate.h.
// Everything here is static, read-only data built at compile time, so any
// thread may read it at any moment (including during static initialisation).
//
// Each language's texts are generated at build time from its gettext file
// i18n/po/<code>.po (i18n/tools/po_compile_main.cpp): one text per key
// of kTextKeys, in that order. An empty text is one the language has not
// translated; it shows in English.
#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "i18n/translate.h"

// The keys of the English file, sorted in byte order (the lookup's order):
// lower-case ASCII words joined by "_".
constexpr size_t kTextCount = 390;
extern const std::string_view kTextKeys[kTextCount];

using TextTable = std::span<const std::u16string_view, kTextCount>;

struct LanguageEntry {
  std::u16string_view code;         // two letters, lower case; stored in Lang
  std::u16string_view native_name;  // shown by the language picker
  std::string_view date_locale;     // locale name for date formatting
  std::array<std::u16string_view, kMenuWordCount> menu_words;
  TextTable texts;
};

extern const LanguageEntry kLanguages[kLanguageCount];

// One table per PO file, named after its code (de.po -> kTextsDe).
extern const std::u16string_view kTextsEn[kTextCount];
extern const std::u16string_view kTextsRo[kTextCount];
extern const std::u16string_view kTextsDe[kTextCount];
extern const std::u16string_view kTextsFr[kTextCount];
extern const std::u16string_view kTextsEs[kTextCount];
extern const std::u16string_view kTextsIt[kTextCount];
extern const std::u16string_view kTextsPt[kTextCount];
extern const std::u16string_view kTextsNl[kTextCount];
extern const std::u16string_view kTextsPl[kTextCount];
extern const std::u16string_view kTextsCs[kTextCount];
extern const std::u16string_view kTextsSk[kTextCount];
extern const std::u16string_view kTextsHu[kTextCount];
extern const std::u16string_view kTextsEl[kTextCount];
extern const std::u16string_view kTextsBg[kTextCount];
extern const std::u16string_view kTextsHr[kTextCount];
extern const std::u16string_view kTextsSr[kTextCount];
extern const std::u16string_view kTextsSl[kTextCount];
extern const std::u16string_view kTextsSv[kTextCount];
extern const std::u16string_view kTextsDa[kTextCount];
extern const std::u16string_view kTextsNo[kTextCount];
extern const std::u16string_view kTextsFi[kTextCount];
extern const std::u16string_view kTextsEt[kTextCount];
extern const std::u16string_view kTextsLv[kTextCount];
extern const std::u16string_view kTextsLt[kTextCount];
extern const std::u16string_view kTextsGa[kTextCount];
extern const std::u16string_view kTextsMt[kTextCount];
extern const std::u16string_view kTextsUk[kTextCount];
extern const std::u16string_view kTextsSq[kTextCount];
extern const std::u16string_view kTextsBs[kTextCount];
extern const std::u16string_view kTextsMk[kTextCount];
extern const std::u16string_view kTextsIs[kTextCount];
extern const std::u16string_view kTextsCa[kTextCount];
extern const std::u16string_view kTextsTr[kTextCount];
