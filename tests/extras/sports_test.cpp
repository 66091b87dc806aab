#include "extras/sports.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

using Lines = std::vector<std::u16string>;

TEST(AddEventLine, KeepsEightTo220BytesAfterCleaningOnceEachUpToTheLimit) {
  Lines lines;
  AddEventLine(lines, "  A vs B ");              // 6 bytes after trimming
  AddEventLine(lines, "\tAB vs C\r\n");          // 7 bytes
  AddEventLine(lines, " \tABC vs D\r");          // 8 bytes
  AddEventLine(lines, std::string(220, 'x'));
  AddEventLine(lines, std::string(221, 'y'));
  AddEventLine(lines, "Home\tvs\nAway");         // tabs and line feeds become blanks
  AddEventLine(lines, "Ți vs Șă");               // 8 characters, 12 bytes
  AddEventLine(lines, "Ți vs Șă");
  AddEventLine(lines, "  Ți vs Șă  ");
  EXPECT_EQ(lines, (Lines{u"ABC vs D", std::u16string(220, u'x'), u"Home vs Away", u"Ți vs Șă"}));

  for (int i = 0; i < 250; ++i) AddEventLine(lines, "Event number " + std::to_string(i));
  ASSERT_EQ(lines.size(), kMaxEventLines);
  EXPECT_EQ(lines.back(), u"Event number 195");
}

TEST(IframeSource, FindsTheFirstIframesSourceAndAUsableOneHasAWebScheme) {
  EXPECT_EQ(IframeSource(R"(<div><iframe width="600" src="https://w.test/a?b=1" frameborder=0></iframe>)"),
            "https://w.test/a?b=1");
  EXPECT_EQ(IframeSource("<iframe src='http://w.test/x'>"), "http://w.test/x");
  EXPECT_EQ(IframeSource("<iframe src=  http://w.test/y>"), "http://w.test/y");
  EXPECT_EQ(IframeSource("<iframe src=http://w.test/end"), "http://w.test/end");
  EXPECT_EQ(IframeSource("<p>no frames here</p>"), "");
  // src= further than 200 characters from "iframe" belongs to something else.
  EXPECT_EQ(IframeSource("<iframe " + std::string(201, ' ') + "src=\"http://far.test\">"), "");
  EXPECT_EQ(IframeSource("<iframe " + std::string(199, ' ') + "src=\"http://near.test\">"), "http://near.test");

  // A usable source needs a web scheme and more than eight characters.
  EXPECT_TRUE(IsUsableSourceUrl("http://ab"));
  EXPECT_TRUE(IsUsableSourceUrl("https://feed.test/rss"));
  EXPECT_FALSE(IsUsableSourceUrl("http://a"));
  EXPECT_FALSE(IsUsableSourceUrl("ftp://feed.test/rss"));
  EXPECT_FALSE(IsUsableSourceUrl(""));
  EXPECT_FALSE(IsUsableSourceUrl("12345"));
}

TEST(EventLineFromJson, BuildsTextDateTimeAndLeague) {
  EXPECT_EQ(EventLineFromJson(
                R"({"strEvent":"Arsenal vs Chelsea","dateEvent":"2026-03-14","strTime":"19:45:00","strLeague":"EPL"})"),
            "2026-03-14 19:45:00  Arsenal vs Chelsea  (EPL)");
  EXPECT_EQ(EventLineFromJson(R"({"home":"Lakers","away":"Celtics","time":"02:00"})"), "02:00  Lakers vs Celtics");
  EXPECT_EQ(EventLineFromJson(R"({"title":"Grand Prix","date":"2026-03-15"})"), "2026-03-15  Grand Prix");
  // Only a home team: the title (or the name) is the text.
  EXPECT_EQ(EventLineFromJson(R"({"strHomeTeam":"Rapid","title":"","name":"Cup final"})"), "Cup final");
  EXPECT_EQ(EventLineFromJson(R"({"strHomeTeam":"Rapid","dateEvent":"2026-01-01"})"), "");
  // Nulls are not values: no "null" on screen.
  EXPECT_EQ(EventLineFromJson(R"({"strEvent":"A vs B","dateEvent":"2026-01-01","strTime":null,"strLeague":null})"),
            "2026-01-01  A vs B");
}

TEST(AddJsonEvents, TakesTheFirstKeyWithUsableEventsOrABareArray) {
  const std::pair<std::string_view, Lines> cases[] = {
      {R"({"events":null,"data":[{"strEvent":"Dinamo vs Steaua"},{"strEvent":"Farul vs Petrolul"}]})",
       {u"Dinamo vs Steaua", u"Farul vs Petrolul"}},
      {R"({"events":[{"id":1}],"matches":[{"home":"Porto","away":"Braga"}]})", {u"Porto vs Braga"}},
      {R"([{"title":"Race one today"},{"name":"Race two today"}])", {u"Race one today", u"Race two today"}}};
  for (const auto& [answer, expected] : cases) {
    Lines lines;
    AddJsonEvents(lines, std::string(answer));
    EXPECT_EQ(lines, expected) << answer;
  }
}

TEST(AddRssTitles, TakesEachItemsTitle) {
  Lines lines;
  AddRssTitles(lines, R"(<?xml version="1.0"?><rss><channel><title>Feed title is not an item</title>
    <item><title>Rapid vs Dinamo</title><link>x</link></item>
    <item><title type="text">  AB vs C </title></item>
    <item><title>ABC vs D</title></item>
    <item><description>no title</description></item>
    <item><title>)" + std::string(221, 'z') +
                          R"(</title></item></channel></rss>)");
  EXPECT_EQ(lines, (Lines{u"Rapid vs Dinamo", u"ABC vs D"}));
}

TEST(AddHtmlEventLines, KeepsMatchLinesOutsideScriptsAndStyles) {
  Lines lines;
  AddHtmlEventLines(lines, R"(<html><head><style>.vs { color: red } a - b</style>
    <SCRIPT>var x = a<b; document.write("Team A vs Team B");</script></head>
    <body><h1>Fixtures today</h1><ul><li>Rapid vs Dinamo</li><li>CFR Cluj - Universitatea</li>
    <li>Porto v Braga 20:00</li><li>Weather is fine</li><li>a vs b</li></ul></body></html>)");
  EXPECT_EQ(lines, (Lines{u"Rapid vs Dinamo", u"CFR Cluj - Universitatea", u"Porto v Braga 20:00"}));
}

}  // namespace
