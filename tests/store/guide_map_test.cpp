// guide_map.json and the guide sources in preferences.json: what is saved
// reads back, ugly values included, and a hand-edited file costs only the
// entries it broke.
#include "store/guide_map.h"

#include <gtest/gtest.h>

#include "store/preferences.h"
#include "tests/fixtures/temp_data_home.h"

TEST(GuideMapFile, ChoicesReadBackAndALaterOneForTheSameChannelWins) {
  TempDataHome home;
  EXPECT_EQ(LoadGuideMap(), GuideMapFile{});
  GuideMapFile map;
  map.Set({"user#1@http://h:8080", u"101", "", "bbc1.uk"});
  map.Set({"user#1@http://h:8080", u"102", "http://x/guide.xml.gz?a=1&b=\"2\"", "Ch \\ 2"});
  map.Set({"other@http://h", u"101", "", ""});
  map.Set({"user#1@http://h:8080", u"101", "http://x/e.xml", "bbc1"});  // replaces the first
  ASSERT_EQ(map.assignments.size(), 3u);
  ASSERT_TRUE(SaveGuideMap(map));
  const GuideMapFile read = LoadGuideMap();
  EXPECT_EQ(read, map);
  EXPECT_EQ(read.Find("user#1@http://h:8080", u"101")->guideId, "bbc1");
  EXPECT_TRUE(read.Find("other@http://h", u"101")->NoGuide());
  EXPECT_EQ(read.Find("other@http://h", u"102"), nullptr);

  const std::string edited = R"(<b>Notice</b>{"assignments": [
    {"account": "a", "streamId": "1", "guideId": "x"},
    {"account": "", "streamId": "2", "guideId": "y"},
    {"account": "a", "streamId": null},
    {"account": "a", "streamId": 1, "source": null, "guideId": "z"}]})";
  const GuideMapFile parsed = ParseGuideMap(edited);
  ASSERT_EQ(parsed.assignments.size(), 1u) << "no account or no stream: skipped; a repeated channel kept once";
  EXPECT_EQ(parsed.assignments[0], (GuideAssignment{"a", u"1", "", "z"}));
  EXPECT_TRUE(map.Forget("other@http://h", u"101"));
  EXPECT_FALSE(map.Forget("other@http://h", u"101"));
}

TEST(Preferences, GuideSourcesKeepTheirOrderAndOffsetsAreClamped) {
  TempDataHome home;
  Preferences p;
  p.guideSources = {{"http://epg.example/uk.xml.gz", -1}, {"https://x/g.xml?u=a&p=%23#", 12}};
  p.providerGuideOffsetHours = 1;
  ASSERT_TRUE(SavePreferences(p));
  EXPECT_EQ(LoadPreferences(), p);
  const Preferences edited = ParsePreferences(R"({"guideSources": [{"url": "a", "offsetHours": "+2"},
      {"url": "", "offsetHours": 1}, {"url": "b", "offsetHours": 99}, {"url": "c", "offsetHours": "x"}],
      "providerGuideOffsetHours": -30, "paddingAfterMinutes": 10})");
  EXPECT_EQ(edited.guideSources,
            (std::vector<GuideSourcePreference>{{"a", 2}, {"b", kGuideOffsetLimitHours}, {"c", 0}}));
  EXPECT_EQ(edited.providerGuideOffsetHours, -kGuideOffsetLimitHours);
  EXPECT_EQ(edited.paddingAfterMinutes, 10) << "the list does not hide the keys after it";
}
