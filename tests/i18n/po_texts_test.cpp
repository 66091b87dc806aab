// The interface texts' PO files as translators leave them (read from the
// source tree, not from the build): each parses, holds exactly the English
// keys, and each translation is a text the painters can draw in place of the
// English one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "net/text.h"
#include "i18n/languages.h"
#include "i18n/tools/po_file.h"
#include "i18n/translate.h"

namespace {

struct Catalogs {
  TextCatalog english;
  std::map<std::string, TextCatalog> byCode;  // every file, English included
  std::map<std::string, std::string> paths;
  std::vector<std::string> faults;
};

// Reads every PO file once for all the tests below.
const Catalogs& Read() {
  static const Catalogs catalogs = [] {
    Catalogs c;
    const std::filesystem::path folder = VISTRA_PO_DIR;
    std::vector<std::filesystem::path> files;
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
      if (item.path().extension() == ".po") files.push_back(item.path());
    }
    std::sort(files.begin(), files.end());
    auto load = [&](const std::filesystem::path& path, PoFile& file) {
      std::string error;
      if (!LoadPoFile(path.string(), file, error)) c.faults.push_back(error);
      return error.empty();
    };
    PoFile englishFile;
    std::vector<PoError> errors;
    if (load(folder / "en.po", englishFile)) ReadEnglish(englishFile, c.english, errors);
    for (const PoError& e : errors) c.faults.push_back(FormatPoError("en.po", e));
    for (const auto& path : files) {
      PoFile file;
      std::vector<PoError> fileErrors;
      const std::string code = path.stem().string();
      c.paths[code] = path.string();
      if (!load(path, file)) continue;
      if (code == "en") {
        c.byCode[code] = c.english;
        for (const PoEntry& entry : file.entries) {
          if (entry.fuzzy || entry.text != entry.id) {
            c.faults.push_back(FormatPoError(path.string(), {entry.line, "the English msgstr must equal its msgid"}));
          }
        }
        continue;
      }
      ReadTranslation(file, c.english, c.byCode[code], fileErrors);
      for (const PoError& e : fileErrors) c.faults.push_back(FormatPoError(path.string(), e));
    }
    return c;
  }();
  return catalogs;
}

std::string Where(const std::string& code, const TextCatalog& texts, size_t i) {
  return Read().paths.at(code) + ":" + std::to_string(texts.lines[i]) + " " + texts.keys[i];
}

// The printf conversions of a text in order ("%d", "%02d", "%s"...); "%%"
// is a percent sign, and a "%" that starts no conversion is just text.
std::vector<std::string> Placeholders(std::string_view text) {
  std::vector<std::string> found;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    size_t j = i + 1;
    while (j < text.size() && std::string_view("-+ #0").find(text[j]) != std::string_view::npos) ++j;
    while (j < text.size() && (std::isdigit(static_cast<unsigned char>(text[j])) || text[j] == '*' || text[j] == '.')) ++j;
    while (j < text.size() && std::string_view("hlLzjt").find(text[j]) != std::string_view::npos) ++j;
    if (j < text.size() && text[j] == '%' && j == i + 1) {
      i = j;
      continue;
    }
    if (j < text.size() && std::string_view("diouxXeEfFgGaAcsp").find(text[j]) != std::string_view::npos) {
      found.emplace_back(text.substr(i, j - i + 1));
      i = j;
    }
  }
  return found;
}

// Key hints ("Enter = open") name keys by what is printed on them: the
// English name, or the label keyboards of the language print ("Entf" on a
// German Del key, "Échap" on a French Esc). Any other word would send the
// user looking for a key that is not there.
struct KeyNames {
  std::string_view english;
  std::vector<std::string_view> printed;
};
const KeyNames kKeyNames[] = {
    {"Enter", {"Enter", "Entrée", "Intro", "Invio", "Eingabe", "Retur", "Return"}},
    {"Esc", {"Esc", "Échap"}},
    {"Del", {"Del", "Entf", "Suppr", "Supr", "Canc", "Delete"}},
    {"+", {"+"}},
};

bool NamesKey(std::string_view text, const KeyNames& key) {
  return std::any_of(key.printed.begin(), key.printed.end(),
                     [&](std::string_view name) { return text.find(std::string(name) + " = ") != std::string::npos; });
}

bool IsBlank(std::string_view text) { return text.find_first_not_of(" \t\u00A0") == std::string_view::npos; }

}  // namespace

TEST(PoFiles, ParseWithExactlyTheEnglishKeys) {
  const Catalogs& c = Read();
  for (const std::string& fault : c.faults) ADD_FAILURE() << fault;
  ASSERT_EQ(c.english.keys.size(), kTextCount);
  // One file per language of the list, no file for a language it lacks.
  std::set<std::string> codes, files;
  for (int i = 0; i < kLanguageCount; ++i) codes.insert(WideToUtf8(LanguageCode(i)));
  for (const auto& [code, path] : c.paths) files.insert(code);
  EXPECT_EQ(files, codes);
}

// The generator's tables are what the files say (escapes and all), and the
// lookup shows English exactly where a text is untranslated.
TEST(PoFiles, TheProgramShowsWhatTheFilesSay) {
  const Catalogs& c = Read();
  for (int language = 0; language < kLanguageCount; ++language) {
    const std::string code = WideToUtf8(LanguageCode(language));
    auto it = c.byCode.find(code);
    if (it == c.byCode.end()) continue;  // reported above
    for (size_t i = 0; i < kTextCount; ++i) {
      const std::string& text = it->second.texts[i];
      const std::u16string expected = Utf8ToWide(text.empty() ? c.english.texts[i] : text);
      EXPECT_EQ(TranslateIn(language, kTextKeys[i]), expected) << Where(code, it->second, i);
    }
  }
}

// Every language translates every text: an empty or fuzzy msgstr would
// show English in the middle of another language (a key missing from a file
// fails the parse above). A translation stands in for the English text
// wherever it is drawn: one line with no stray blanks or control
// characters, the same printf conversions in the same order, and the names
// of real keys in key hints. The texts written the same as in English are
// only counted, for whoever reviews the translations: "EPG" or "Audio" are
// the words of many languages.
TEST(PoFiles, EveryTextIsTranslatedAndCanReplaceTheEnglishText) {
  const Catalogs& c = Read();
  for (const auto& [code, texts] : c.byCode) {
    int asEnglish = 0;
    for (size_t i = 0; i < texts.keys.size(); ++i) {
      const std::string& text = texts.texts[i];
      const std::string& english = c.english.texts[i];
      const std::string where = Where(code, texts, i);
      if (text.empty()) {
        if (code != "en") ADD_FAILURE() << where << ": not translated (empty or fuzzy msgstr)";
        continue;
      }
      asEnglish += text == english;
      EXPECT_FALSE(IsBlank(text)) << where << ": a blank text; leave msgstr \"\" to show English";
      EXPECT_EQ(text.find_first_of("\n\t\r\a\b\f\v"), std::string::npos) << where << ": control character";
      EXPECT_EQ(text.front() == ' ', english.front() == ' ') << where << ": blank at the start";
      EXPECT_EQ(text.back() == ' ', english.back() == ' ') << where << ": blank at the end";
      EXPECT_EQ(Placeholders(text), Placeholders(english)) << where;
      for (const KeyNames& key : kKeyNames) {
        if (english.find(std::string(key.english) + " = ") == std::string::npos) continue;
        EXPECT_TRUE(NamesKey(text, key)) << where << ": the hint must name the key " << key.english;
      }
    }
    if (code != "en") std::printf("%s.po: %d the same as English\n", code.c_str(), asEnglish);
  }
  EXPECT_EQ(Placeholders("%d of %s, %02d:%02d 100% %% %-5.1f %zu"),
            (std::vector<std::string>{"%d", "%s", "%02d", "%02d", "%-5.1f", "%zu"}));
}

// Words every language has its own word for are never left in English (the
// count above lets "EPG" or "Audio" pass, so these are named).
TEST(PoFiles, CommonWordsAreNeverLeftInEnglish) {
  const Catalogs& c = Read();
  for (const std::string key : {"tv_guide", "settings", "search", "cancel"}) {
    const auto english = std::find(c.english.keys.begin(), c.english.keys.end(), key);
    ASSERT_TRUE(english != c.english.keys.end()) << key;
    const std::string& word = c.english.texts[size_t(english - c.english.keys.begin())];
    for (const auto& [code, texts] : c.byCode) {
      if (code == "en") continue;
      const size_t i = size_t(std::find(texts.keys.begin(), texts.keys.end(), key) - texts.keys.begin());
      ASSERT_LT(i, texts.keys.size()) << code << " " << key;
      EXPECT_NE(texts.texts[i], word) << Where(code, texts, i) << ": left in English";
    }
  }
}
