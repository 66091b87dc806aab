#include "i18n/translate.h"

#include <algorithm>
#include <atomic>
#include <iterator>
#include <mutex>
#include <set>
#include <string>

#include "net/text.h"
#include "i18n/languages.h"

namespace {

std::atomic<int> g_current_language{0};

// The settings rows' labels: English and Romanian are written for the
// settings screen; the other languages use the text of the row's key.
struct SettingsRow {
  std::string_view key;
  std::u16string_view english;
  std::u16string_view romanian;
};

constexpr SettingsRow kSettingsRows[kSettingsRowCount] = {
    {"add_playlist", u"Add Playlist", u"Adaugă playlist"},
    {"parental", u"Parental Control", u"Control parental"},
    {"change_playlist", u"Change Playlist", u"Schimbă lista"},
    {"language", u"Change Language", u"Schimbă limba"},
    {"change_layout", u"Change Layout", u"Schimbă aspectul"},
    {"hide_live", u"Hide Live Categories", u"Ascunde categorii Live"},
    {"hide_vod", u"Hide Vod Categories", u"Ascunde categorii Vod"},
    {"hide_series", u"Hide Series Categories", u"Ascunde categorii Seriale"},
    {"clear_live", u"Clear History Channels", u"Șterge istoricul canalelor"},
    {"clear_vod", u"Clear History Movies", u"Șterge istoricul filmelor"},
    {"clear_series", u"Clear History Series", u"Șterge istoricul serialelor"},
    {"live_sort", u"Live Channel Sort", u"Sortare canale Live"},
    {"live_fmt", u"Live Stream Format", u"Format stream Live"},
    {"change_player", u"Change Player", u"Schimbă playerul"},
    {"ext_player", u"External players", u"Playere externe"},
    {"automatic", u"Automatic", u"Reîncărcare automată"},
    {"time_fmt", u"Time Format", u"Format oră"},
    {"subtitle", u"Subtitle Settings", u"Setări subtitrare"},
    {"device_type", u"Select Device Type", u"Selectează tipul dispozitivului"},
    {"update_now", u"Update Now", u"Actualizează acum"},
};

constexpr int kEnglish = 0;
constexpr int kRomanian = 1;

// The position of `key` among the sorted keys, or -1.
int KeyIndex(std::string_view key) {
  const auto* it = std::lower_bound(std::begin(kTextKeys), std::end(kTextKeys), key);
  if (it == std::end(kTextKeys) || *it != key) return -1;
  return static_cast<int>(it - std::begin(kTextKeys));
}

// A key no table holds is shown as itself. The widened copy must outlive
// every caller's view, so it is kept for the rest of the program; only keys
// that appear in the code can land here, so the set stays small.
std::u16string_view KeepUnknownKey(std::string_view key) {
  static std::mutex mutex;
  static auto* kept = new std::set<std::u16string, std::less<>>();
  std::u16string wide = Utf8ToWide(key);
  std::lock_guard lock(mutex);
  return *kept->insert(std::move(wide)).first;
}

std::u16string AsciiLower(std::u16string_view text) {
  std::u16string lower(text);
  for (char16_t& c : lower) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return lower;
}

}  // namespace

int LanguageIndex(std::u16string_view code) {
  std::u16string base = AsciiLower(code);
  base = base.substr(0, base.find_first_of(u"-_"));
  if (base == u"romanian" || base == u"rum" || base == u"ron") base = u"ro";
  for (int i = 0; i < kLanguageCount; ++i) {
    if (kLanguages[i].code == base) return i;
  }
  return kEnglish;
}

void SetCurrentLanguageCode(std::u16string_view code) {
  g_current_language.store(LanguageIndex(code), std::memory_order_relaxed);
}

int CurrentLanguage() { return g_current_language.load(std::memory_order_relaxed); }

std::u16string_view Translate(std::string_view key) { return TranslateIn(CurrentLanguage(), key); }

std::u16string_view TranslateIn(int language, std::string_view key) {
  const int index = KeyIndex(key);
  if (index < 0) return KeepUnknownKey(key);
  if (language > kEnglish && language < kLanguageCount && !kLanguages[language].texts[index].empty()) {
    return kLanguages[language].texts[index];
  }
  return kLanguages[kEnglish].texts[index];
}

std::u16string TranslateWith(std::string_view key, std::u16string_view value) {
  std::u16string text(Translate(key));
  const size_t at = text.find(u"%s");
  if (at != std::u16string::npos) text.replace(at, 2, value);
  return text;
}

std::u16string_view SettingsRowLabel(int row) { return SettingsRowLabelIn(CurrentLanguage(), row); }

std::u16string_view SettingsRowLabelIn(int language, int row) {
  if (row < 0 || row >= kSettingsRowCount) return {};
  const SettingsRow& labels = kSettingsRows[row];
  if (language == kRomanian) return labels.romanian;
  if (language <= kEnglish || language >= kLanguageCount) return labels.english;
  return TranslateIn(language, labels.key);
}
