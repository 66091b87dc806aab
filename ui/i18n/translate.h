#pragma once
// Interface texts in 33 languages. Every painter and every status or notice
// names its texts by key; Translate looks the key up in the current
// language, falls back to English, and finally shows the key itself.
#include <string_view>

constexpr int kLanguageCount = 33;

// Index 0-32 of a language code ("ro", "RO_ro", "romanian", "rum" → Romanian);
// anything unknown or empty → 0 (English).
int LanguageIndex(std::u16string_view code);

// The current language follows the Lang setting. The main thread sets it
// whenever Lang is loaded or changed; any thread may read it (jobs write
// translated status texts too).
void SetCurrentLanguageCode(std::u16string_view code);
int CurrentLanguage();

// The text of `key` in the current language, else English, else the key
// itself (widened). Views stay valid for the program's lifetime.
std::u16string_view Translate(std::string_view key);
std::u16string_view TranslateIn(int language, std::string_view key);
