#include "i18n/translate.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <string>

#include "i18n/languages.h"

namespace {

constexpr int kRomanian = 1;
constexpr int kGerman = 2;

// Well-formed UTF-16: every high surrogate followed by a low one, no lone
// low surrogates, no control characters.
bool IsCleanUtf16(std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c < 0x20) return false;
    if (c >= 0xDC00 && c <= 0xDFFF) return false;
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
      ++i;
    }
  }
  return true;
}

// Restores English after a test that changes the current language, so the
// other tests in this binary see the default.
class CurrentLanguageTest : public ::testing::Test {
 protected:
  void TearDown() override { SetCurrentLanguageCode(u"en"); }
};

}  // namespace

TEST(LanguageIndex, AcceptsRegionsAliasesAndAnyCaseElseEnglish) {
  const std::pair<std::u16string_view, int> cases[] = {
      {u"ro", kRomanian}, {u"RO_ro", kRomanian}, {u"ro-RO", kRomanian}, {u"Romanian", kRomanian},
      {u"rum", kRomanian}, {u"RON", kRomanian}, {u"pt_BR", 6}, {u"sr-Latn-RS", 15}, {u"tr", 32},
      // Unknown or empty is English; "-ro" has an empty part before the cut.
      {u"zz", 0}, {u"", 0}, {u"-ro", 0}, {u"rom", 0}, {u"romanian language", 0}};
  for (const auto& [code, index] : cases) EXPECT_EQ(LanguageIndex(code), index) << std::string(code.begin(), code.end());
  for (int i = 0; i < kLanguageCount; ++i) EXPECT_EQ(LanguageIndex(LanguageCode(i)), i) << i;
}

TEST_F(CurrentLanguageTest, FollowsTheLangCode) {
  SetCurrentLanguageCode(u"RO_ro");
  EXPECT_EQ(CurrentLanguage(), kRomanian);
  SetCurrentLanguageCode(u"zz");
  EXPECT_EQ(CurrentLanguage(), 0);
  SetCurrentLanguageCode(u"de");
  EXPECT_EQ(Translate("cancel"), TranslateIn(kGerman, "cancel"));
  EXPECT_EQ(SettingsRowLabel(15), TranslateIn(kGerman, "automatic"));
}

// The texts themselves are PoFiles' (every key in every language); here the
// lookup's edges.
TEST(Translate, FallsBackToEnglishThenToTheCaseSensitiveKey) {
  EXPECT_EQ(TranslateIn(kGerman, "no_such_key"), u"no_such_key");
  EXPECT_EQ(TranslateIn(0, ""), u"");
  EXPECT_EQ(TranslateIn(0, "CANCEL"), u"CANCEL");  // shown as the key, not found
  // An index outside the list reads English rather than memory after it.
  EXPECT_EQ(TranslateIn(kLanguageCount, "cancel"), u"Cancel");
  EXPECT_EQ(TranslateIn(-1, "cancel"), u"Cancel");
  // An unknown key's text outlives the caller's key.
  std::u16string_view first;
  {
    std::string key = "a_key_made_at_run_time";
    first = TranslateIn(0, key);
  }
  EXPECT_EQ(first, u"a_key_made_at_run_time");
  EXPECT_EQ(TranslateIn(0, "a_key_made_at_run_time").data(), first.data());
}

TEST(SettingsRowLabel, EnglishAndRomanianHaveTheirOwnLabelsAndOnlyTwentyRows) {
  EXPECT_EQ(SettingsRowLabelIn(0, 3), u"Change Language");
  EXPECT_EQ(TranslateIn(0, "language"), u"Language");
  EXPECT_EQ(SettingsRowLabelIn(kRomanian, 15), u"Reîncărcare automată");
  EXPECT_EQ(SettingsRowLabelIn(kRomanian, 18), u"Selectează tipul dispozitivului");
  EXPECT_EQ(SettingsRowLabelIn(0, 19), u"Update Now");
  EXPECT_EQ(SettingsRowLabelIn(kGerman, 15), TranslateIn(kGerman, "automatic"));
  EXPECT_EQ(SettingsRowLabelIn(kGerman, 3), TranslateIn(kGerman, "language"));
  for (int language : {0, kRomanian, kGerman}) {
    EXPECT_TRUE(SettingsRowLabelIn(language, 20).empty());
    EXPECT_TRUE(SettingsRowLabelIn(language, -1).empty());
    EXPECT_FALSE(SettingsRowLabelIn(language, 0).empty());
  }
}

// The lookup is a binary search: strictly rising keys also rule out
// duplicates. (The texts themselves are checked against the PO files.)
TEST(TextTables, KeysRise) {
  for (size_t i = 1; i < kTextCount; ++i) EXPECT_LT(kTextKeys[i - 1], kTextKeys[i]);
}

TEST(LanguageList, NamesWordsAndLocalesAreCompleteAndEmptyOutOfRange) {
  EXPECT_TRUE(LanguageName(kLanguageCount).empty());
  EXPECT_TRUE(LanguageName(-1).empty());
  EXPECT_TRUE(DateLocale(kLanguageCount).empty());
  EXPECT_TRUE(MenuWord(0, kMenuWordCount).empty());
  EXPECT_TRUE(MenuWord(-1, kMenuHome).empty());
  EXPECT_EQ(MenuWord(kRomanian, kMenuExit), u"Ieșire");
  EXPECT_EQ(MenuWord(0, kMenuSports), u"Sports");
  EXPECT_EQ(DateLocale(15), "sr-Latn-RS");
  EXPECT_EQ(DateLocale(19), "nb-NO");
  EXPECT_EQ(LanguageName(12), u"Ελληνικά");

  std::set<std::u16string_view> codes, names;
  for (int i = 0; i < kLanguageCount; ++i) {
    std::u16string_view code = LanguageCode(i);
    ASSERT_EQ(code.size(), 2u) << "#" << i;
    EXPECT_TRUE(code[0] >= u'a' && code[0] <= u'z' && code[1] >= u'a' && code[1] <= u'z') << "#" << i;
    EXPECT_TRUE(codes.insert(code).second) << "#" << i;
    EXPECT_FALSE(LanguageName(i).empty()) << "#" << i;
    EXPECT_TRUE(IsCleanUtf16(LanguageName(i))) << "#" << i;
    EXPECT_TRUE(names.insert(LanguageName(i)).second) << "#" << i;
    for (int word = 0; word < kMenuWordCount; ++word) {
      EXPECT_FALSE(MenuWord(i, word).empty()) << "#" << i << " word " << word;
      EXPECT_TRUE(IsCleanUtf16(MenuWord(i, word))) << "#" << i << " word " << word;
    }
    // The locale names the same language (Norwegian dates use Bokmål).
    std::string_view locale = DateLocale(i);
    std::u16string expected = code == u"no" ? u"nb-" : std::u16string(code) + u"-";
    ASSERT_GT(locale.size(), 3u) << "#" << i;
    EXPECT_EQ(std::u16string(locale.begin(), locale.begin() + 3), expected) << "#" << i;
  }
}
