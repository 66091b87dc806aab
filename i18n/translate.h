#pragma once
// Interface texts in 33 languages. Every painter and every status or notice
// names its texts by key; Translate looks the key up in the current
// language, falls back to English, and finally shows the key itself.
// Every function here may be called from any thread.
#include <string>
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

// The text of `key` with its first "%s" replaced by `value`: a name or a
// number inside a sentence, at the place each language puts it. A text
// without "%s" is returned as it is.
std::u16string TranslateWith(std::string_view key, std::u16string_view value);

// The settings screen's 20 row labels (rows 0-19): English and Romanian have
// labels of their own, every other language shows the translation of the
// row's key. Any other row gives an empty text.
constexpr int kSettingsRowCount = 20;
std::u16string_view SettingsRowLabel(int row);
std::u16string_view SettingsRowLabelIn(int language, int row);

// The language list, by index 0-32; an index out of range gives an empty
// text. The code is what the language picker stores in Lang.
std::u16string_view LanguageCode(int index);
std::u16string_view LanguageName(int index);
// The locale name for date formatting ("ro-RO", "sr-Latn-RS"), ASCII.
std::string_view DateLocale(int index);

// The words of the home tiles, the browsing screens' header tabs and the
// player's control strip. A word out of range gives an empty text.
enum MenuWordId : int {
  kMenuHome,
  kMenuLive,
  kMenuMovies,
  kMenuSeries,
  kMenuSearch,
  kMenuSettings,
  kMenuReload,
  kMenuExit,
  kMenuPlaylist,
  kMenuSports,
};
constexpr int kMenuWordCount = 10;
std::u16string_view MenuWord(int index, int word);
