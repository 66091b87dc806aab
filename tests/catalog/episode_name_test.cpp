// How an episode is named on the Player, from what providers send.
#include <gtest/gtest.h>

#include "catalog/episode_name.h"
#include "net/text.h"

namespace {

std::string Heading(std::u16string title, std::u16string season, std::u16string number) {
  return WideToUtf8(EpisodeHeading(Episode{u"1", std::move(title), u"mp4", std::move(season), std::move(number)},
                                   u"The Lighthouse"));
}

}  // namespace

TEST(EpisodeHeading, SeasonNumberAndTheEpisodesOwnTitle) {
  // The demo provider's form: series name, marker, title.
  EXPECT_EQ(Heading(u"The Lighthouse S01E01 - Arrival", u"1", u"1"), "S01 E01 \u00b7 Arrival");
  // The numbers come from the marker when the episode has none, in any case.
  EXPECT_EQ(Heading(u"The Lighthouse s02e10: Storm", u"2", u""), "S02 E10 \u00b7 Storm");
  EXPECT_EQ(Heading(u"S3 E4 | Night Watch", u"3", u"null"), "S03 E04 \u00b7 Night Watch");
  // No marker: the series name is still left out of the title.
  EXPECT_EQ(Heading(u"The Lighthouse - Homecoming", u"1", u"3"), "S01 E03 \u00b7 Homecoming");
  EXPECT_EQ(Heading(u"Arrival", u"1", u"1"), "S01 E01 \u00b7 Arrival");
  // Missing parts are left out, never shown as blanks or "null".
  EXPECT_EQ(Heading(u"The Lighthouse S01E03", u"1", u"3"), "S01 E03");
  EXPECT_EQ(Heading(u"", u"1", u"12"), "S01 E12");
  EXPECT_EQ(Heading(u"Pilot", u"1", u"null"), "S01 \u00b7 Pilot");
  EXPECT_EQ(Heading(u"Pilot", u"Specials", u""), "Pilot");
  // A marker must stand as a word of the title.
  EXPECT_EQ(Heading(u"Class1E2 Notes", u"1", u"2"), "S01 E02 \u00b7 Class1E2 Notes");
}
