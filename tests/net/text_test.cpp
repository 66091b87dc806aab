#include "net/text.h"

#include <gtest/gtest.h>

TEST(Text, RoundTripsEveryPlaneAndInvalidSequencesBecomeReplacementCharacters) {
  const std::string utf8 = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // a é € 😀
  const std::u16string wide = Utf8ToWide(utf8);
  EXPECT_EQ(wide, (std::u16string{u'a', 0x00E9, 0x20AC, 0xD83D, 0xDE00}));
  EXPECT_EQ(WideToUtf8(wide), utf8);
  EXPECT_TRUE(Utf8ToWide("").empty());
  EXPECT_TRUE(WideToUtf8(u"").empty());

  EXPECT_EQ(Utf8ToWide("a\xFF" "b"), (std::u16string{u'a', 0xFFFD, u'b'}));
  EXPECT_EQ(Utf8ToWide("\xC3"), (std::u16string{0xFFFD}));                 // cut sequence
  EXPECT_EQ(Utf8ToWide("\xC0\xAF"), (std::u16string{0xFFFD, 0xFFFD}));     // overlong
  EXPECT_EQ(Utf8ToWide("\xED\xA0\xBD"), (std::u16string{0xFFFD, 0xFFFD, 0xFFFD}));  // encoded surrogate
  EXPECT_EQ(WideToUtf8(std::u16string{0xD83D}), "\xEF\xBF\xBD");          // lone surrogate
  // The validator agrees with the decoder, and a sent U+FFFD is valid text.
  for (const char* bad : {"a\xFF", "\xC3", "\xC0\xAF", "\xED\xA0\xBD", "\xF4\x90\x80\x80"}) EXPECT_FALSE(IsValidUtf8(bad)) << bad;
  for (const char* good : {"", "abc", "\xC3\xA9t\xC3\xA9", "\xEF\xBF\xBD", "\xF0\x9F\x98\x80"}) EXPECT_TRUE(IsValidUtf8(good)) << good;

  // ASCII is widened sixteen bytes at a time: a sequence on either side of
  // every place in and around such a block, and a bad byte there, still
  // convert one by one.
  const std::string ascii = "0123456789abcdefghijklmnopqrstuvwxyzABCDEF";
  for (size_t at = 0; at <= ascii.size(); ++at) {
    const std::string text = ascii.substr(0, at) + "\xE2\x82\xAC" + ascii.substr(at);
    const std::u16string converted = Utf8ToWide(text);
    ASSERT_EQ(converted.size(), ascii.size() + 1) << at;
    EXPECT_EQ(converted[at], 0x20AC) << at;
    EXPECT_EQ(WideToUtf8(converted), text) << at;
    EXPECT_EQ(Utf8ToWide(ascii.substr(0, at) + "\xFF" + ascii.substr(at))[at], 0xFFFD) << at;
  }
}

