#include "catalog/guide.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <map>

#include "catalog/guide_requests.h"
#include "catalog/guide_store.h"
#include "net/base64.h"
#include "net/text.h"
#include "tests/catalog/test_items.h"
#include "tests/scoped_env.h"

namespace {

// Local time matters for most of the guide: each test runs in Bucharest.
class GuideTest : public ::testing::Test {
 protected:
  static void UseZone(const char* zone) { TimeZoneGuard::Use(zone); }
  const TimeZoneGuard zone_{"Europe/Bucharest"};
};

std::vector<EpgEntry> Parse(std::string_view answer) {
  std::vector<EpgEntry> rows;
  ParseGuide(rows, answer);
  return rows;
}

using Texts = std::vector<std::u16string>;

Texts Titles(const std::vector<EpgEntry>& rows) {
  Texts titles;
  for (const EpgEntry& row : rows) titles.push_back(row.title);
  return titles;
}

EpgEntry Row(int64_t start, int32_t minutes, std::u16string title = u"P") {
  EpgEntry e;
  e.time = u"--:--";
  e.title = std::move(title);
  e.start = start;
  e.durationMin = minutes;
  return e;
}

// 2024-05-01 20:30:00 in Bucharest (summer time, UTC+3).
constexpr int64_t kMay1At2030 = 1714584600;

}  // namespace

// ------------------------------------------------------------------ titles

TEST_F(GuideTest, Base64TitlesDecodeAsUtf8OrLatin1AndPlainTitlesStay) {
  const std::string encoded = Base64Encode("Știrile serii");
  const auto rows = Parse(R"({"epg_listings":[
    {"title":")" + encoded + R"(","start":"2024-05-01 20:30:00","description":"RXZlbmluZyBOZXdz"},
    {"title":"News","start":"2024-05-01 21:30:00","description":"Plain words, kept."},
    {"title":"Kids","start":"2024-05-01 22:30:00"},
    {"title":"Cinema","start":"2024-05-01 23:30:00"},
    {"title":"Evening News","start":"2024-05-01 23:45:00"},
    {"title":"RXZlbmluZyBOZXdz","start":"2024-05-02 00:00:00"}]})");
  // "News" decodes to invalid UTF-8, "Kids" to "*'l", "Cinema" to a line
  // break and punctuation: all three are words, not Base64. The last title
  // is unpadded Base64, which still decodes.
  EXPECT_EQ(Titles(rows), (Texts{u"Știrile serii", u"News", u"Kids", u"Cinema", u"Evening News", u"Evening News"}));
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[0].description, u"Evening News");
  EXPECT_EQ(rows[1].description, u"Plain words, kept.");
  {
    // Older panels store titles in Latin-1 and send those bytes in Base64.
    const auto latin1 = Parse(R"({"epg_listings":[
      {"title":"Q2Fm6SBhdSBsYWl0","start":"2024-05-01 20:30:00","description":"TGVzIE1pc+lyYWJsZXMgLSDpcGlzb2RlIDI="},
      {"title":"x2EgdmE=","start":"2024-05-01 21:30:00"},
      {"title":"RnXfYmFsbCBoZXV0ZQ==","start":"2024-05-01 22:30:00"},
      {"title":"Wetter","start":"2024-05-01 23:30:00"},
      {"title":"Replay","start":"2024-05-01 23:40:00"},
      {"title":"gJCg","start":"2024-05-01 23:50:00"}]})");
    // Plain words whose decoding would pass for Latin-1 ("Yëmz"), and bytes
    // that are C1 controls in Latin-1 (the last three), stay as sent.
    EXPECT_EQ(Titles(latin1), (Texts{u"Café au lait", u"Ça va", u"Fußball heute", u"Wetter", u"Replay", u"gJCg"}));
    ASSERT_FALSE(latin1.empty());
    EXPECT_EQ(latin1[0].description, u"Les Misérables - épisode 2");
  }
}

TEST_F(GuideTest, EmptyOrNullTitleFallsBackToNameAndOtherwiseMakesNoRow) {
  const auto rows = Parse(R"([
    {"title":"","name":"From name","start":"1714584600"},
    {"title":null,"name":"Null title","start":"1714584600"},
    {"title":"","start":"1714584600"},
    {"title":"No time here"}])");
  EXPECT_EQ(Titles(rows), (Texts{u"From name", u"Null title"}));
}

TEST(Base64, DecodesLenientlyAndTellsItsShape) {
  EXPECT_EQ(Base64Decode("SGVsbG8="), "Hello");
  EXPECT_EQ(Base64Decode("SGVsbG8"), "Hello");           // padding optional
  EXPECT_EQ(Base64Decode("SGVs\r\nbG8="), "Hello");      // line breaks skipped
  EXPECT_EQ(Base64Decode("SGVsbG8=IGlnbm9yZWQ="), "Hello");  // stops at the first '='
  EXPECT_EQ(Base64Decode("S"), "");                       // a lone sextet is no byte
  EXPECT_EQ(Base64Decode("!!"), "");
  EXPECT_EQ(Base64Encode("Hello"), "SGVsbG8=");
  EXPECT_EQ(Base64Encode(""), "");
  EXPECT_EQ(Base64Decode(Base64Encode(std::string("\x00\xff\x10", 3))), std::string("\x00\xff\x10", 3));

  EXPECT_TRUE(LooksLikeBase64("SGVsbG8="));
  EXPECT_TRUE(LooksLikeBase64("SGVsbG8"));
  EXPECT_FALSE(LooksLikeBase64("Evening News"));  // a space
  EXPECT_FALSE(LooksLikeBase64("SGVsbG8=x"));     // text after padding
  EXPECT_FALSE(LooksLikeBase64("SGVsb"));         // 5 characters cannot be an encoding
  EXPECT_FALSE(LooksLikeBase64("SGVsbG8=="));     // padding that does not fit
  EXPECT_FALSE(LooksLikeBase64(""));
}

// -------------------------------------------------------------------- times

TEST_F(GuideTest, DateTextTimesConvertThroughLocalTime) {
  const auto rows = Parse(R"({"epg_listings":[
    {"title":"Summer","start":"2024-05-01 20:30:00","end":"2024-05-01 21:15:00"},
    {"title":"Winter","start":"2024-01-15 20:00:00"}]})");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].time, u"20:30");
  EXPECT_EQ(rows[0].start, kMay1At2030);
  EXPECT_EQ(rows[0].durationMin, 45);  // a date-text end is read too
  EXPECT_EQ(rows[1].start, 1705341600);  // 18:00 UTC: winter time is UTC+2
  EXPECT_EQ(rows[1].durationMin, 60);

  UseZone("UTC");
  EXPECT_EQ(GuideTimeSeconds("2024-05-01 20:30:00"), kMay1At2030 + 3 * 3600);
}

TEST_F(GuideTest, EpochTimesShowInLocalTimeAndGiveDurations) {
  const auto rows = Parse(R"({"epg_listings":[
    {"title":"A","start":"2024-05-01 20:30:00","start_timestamp":"1714584600","stop_timestamp":"1714590000"},
    {"title":"B","start_timestamp":1714584600 ,"stop_timestamp":"1714584600","duration":"1800"}]})");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].time, u"20:30");
  EXPECT_EQ(rows[0].start, kMay1At2030);
  EXPECT_EQ(rows[0].durationMin, 90);
  EXPECT_EQ(rows[1].start, kMay1At2030);    // a bare number with white space after it
  EXPECT_EQ(rows[1].durationMin, 30);       // stop not after start: the duration counts

  UseZone("UTC");
  EXPECT_EQ(GuideDisplayTime("1714584600"), u"17:30");
}

TEST_F(GuideTest, OtherTimeFormsAndUnreadableTimes) {
  // Compact date text: shown as HH:MM, no start (it is not an epoch number).
  EXPECT_EQ(GuideDisplayTime("20240501203000 +0300"), u"20:30");
  EXPECT_EQ(GuideTimeSeconds("20240501203000 +0300"), 0);
  // Milliseconds are no epoch seconds: shown raw, no start.
  EXPECT_EQ(GuideTimeSeconds("1714584600000"), 0);
  EXPECT_EQ(GuideDisplayTime("1714584600000"), u"1714584600000");
  EXPECT_EQ(GuideTimeSeconds("1714584600.25"), kMay1At2030);
  // Short or broken values: start 0, shown unchanged.
  EXPECT_EQ(GuideTimeSeconds("20:30"), 0);
  EXPECT_EQ(GuideDisplayTime("20:30"), u"20:30");
  EXPECT_EQ(GuideTimeSeconds("2024-13-01 20:30:00"), 0);
  EXPECT_EQ(GuideTimeSeconds("2024-05-xx 20:30:00"), 0);
  EXPECT_EQ(GuideTimeSeconds("null"), 0);
  EXPECT_EQ(GuideTimeSeconds(""), 0);
  // Minutes without seconds are a readable date text.
  EXPECT_EQ(GuideTimeSeconds("2024-05-01 20:30"), kMay1At2030);
}

TEST(GuideDuration, SecondsMinutesAndFallbacks) {
  EXPECT_EQ(GuideDurationMinutes(0, "", "3600"), 60);
  EXPECT_EQ(GuideDurationMinutes(0, "", "3"), 60);    // below 5 minutes
  EXPECT_EQ(GuideDurationMinutes(0, "", "30"), 60);   // 30 s is 0 min, then 60
  EXPECT_EQ(GuideDurationMinutes(0, "", "10"), 10);
  EXPECT_EQ(GuideDurationMinutes(0, "", "5400"), 90);
  EXPECT_EQ(GuideDurationMinutes(0, "", ""), 60);
  EXPECT_EQ(GuideDurationMinutes(0, "", "-20"), 60);
  EXPECT_EQ(GuideDurationMinutes(0, "", "01:30:00"), 60);
  EXPECT_EQ(GuideDurationMinutes(kMay1At2030, "1714584659", "10"), 0);  // under a minute, truncated
  // A stop without a known start gives no length of its own.
  EXPECT_EQ(GuideDurationMinutes(0, "1714584600", "10"), 10);
}

// ---------------------------------------------------------------- structure

TEST_F(GuideTest, ObjectsAreFoundByTheirTitleKeyOnly) {
  const auto rows = Parse(R"({"epg_listings":[
    {"id":"1","epg_id":"{odd","title":"First","start":"1714584600","extra":{"title":"inner","start":"x"}},
    {"note":"the word \"title\": inside a value","kind":"title","start":"1714588200"},
    {"title":"Second","start":"1714588200","description":"Has } and { inside"},
    {"title":"Cut off","start":"17145918)");
  EXPECT_EQ(Titles(rows), (Texts{u"First", u"Second"}));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].description, u"Has } and { inside");
}

TEST_F(GuideTest, AppendsToRowsAlreadyThereAndSurvivesJunk) {
  std::vector<EpgEntry> rows{Row(1, 60, u"Held")};
  ParseGuide(rows, R"({"epg_listings":[{"title":"New","start":"1714584600"}]})");
  EXPECT_EQ(Titles(rows), (Texts{u"Held", u"New"}));
  for (std::string_view junk : {"", "{", "}", "\"title\"", "{\"title\":", "[{]}", "<html>502</html>",
                                "{\"epg_listings\":[]}", "{\"title\":\"x\"}"}) {
    std::vector<EpgEntry> none;
    ParseGuide(none, junk);
    EXPECT_TRUE(none.empty()) << junk;
  }
}

// ------------------------------------------------------------- current row

TEST_F(GuideTest, ProgrammesNestedInProgrammesAreRowsOfTheirOwn) {
  // Each level is a programme whose title follows the one nested in it: the
  // innermost is read first, then each enclosing one with its own title
  // (not the first title found inside it), in one pass over the text.
  constexpr int kLevels = 50000;
  std::string text = "[";
  for (int i = 0; i < kLevels; ++i) text += R"({"start":"1714584600","x":)";
  text += "0";
  for (int i = kLevels - 1; i >= 0; --i) text += R"(,"title":"L)" + std::to_string(i) + "\"}";
  text += R"(,{"title":"Next","start":"1714588200"}])";
  const auto rows = Parse(text);
  ASSERT_EQ(rows.size(), size_t(kLevels) + 1);
  EXPECT_EQ(rows[0].title, u"L49999");
  EXPECT_EQ(rows[kLevels - 1].title, u"L0");
  EXPECT_EQ(rows.back().title, u"Next");
}

TEST(GuideCurrentRow, FollowsTheChoiceOrder) {
  const int64_t now = 1'000'000;
  // The row covering now wins over later-listed rows that also started.
  EXPECT_EQ(CurrentGuideRow({Row(now - 3600, 30), Row(now - 600, 30), Row(now - 60, 120)}, now), 1);
  // None covers now: the last row that has started.
  EXPECT_EQ(CurrentGuideRow({Row(now - 7200, 30), Row(now - 5400, 30), Row(now + 600, 30)}, now), 1);
  // All in the future: the first row.
  EXPECT_EQ(CurrentGuideRow({Row(now + 600, 30), Row(now + 2400, 30)}, now), 0);
  // Without times: row 0; an empty guide also gives 0.
  EXPECT_EQ(CurrentGuideRow({Row(0, 30), Row(0, 30)}, now), 0);
  EXPECT_EQ(CurrentGuideRow({}, now), 0);
  // A length of 0 counts as one minute.
  EXPECT_EQ(CurrentGuideRow({Row(now - 3600, 60), Row(now - 30, 0), Row(now + 30, 30)}, now), 1);
  EXPECT_EQ(CurrentGuideRow({Row(now - 3600, 60), Row(now - 60, 0), Row(now + 30, 30)}, now), 1);  // last started
  EXPECT_EQ(CurrentGuideRow({Row(now - 60, 0), Row(now - 3600, 120)}, now), 1);
}

// ---------------------------------------------------------------- day lists

TEST_F(GuideTest, RowsForDayPicksLocalCalendarDays) {
  // 2024-05-01 20:30 local; rows the day before, that day and the next.
  const int64_t now = kMay1At2030;
  const std::vector<EpgEntry> rows{Row(now - 86400, 60), Row(0, 60), Row(now - 20 * 3600, 60),
                                   Row(now - 20 * 3600 - 1860, 60), Row(now + 4 * 3600, 60)};
  // now - 20 h is 00:30 today; 31 minutes earlier is 23:59 yesterday.
  EXPECT_EQ(RowsForDay(rows, 0, now), (std::vector<int32_t>{2, 1}));  // untimed last
  EXPECT_EQ(RowsForDay(rows, 1, now), (std::vector<int32_t>{0, 3}));
  EXPECT_TRUE(RowsForDay(rows, 2, now).empty());

  // A guide topped up from the table lists today's earlier programmes
  // after the upcoming ones; the day's list is in time order all the same.
  const std::vector<EpgEntry> topped{Row(now, 60), Row(0, 60), Row(now + 3600, 60), Row(now - 3600, 60),
                                     Row(now - 7200, 60)};
  EXPECT_EQ(RowsForDay(topped, 0, now), (std::vector<int32_t>{4, 3, 0, 2, 1}));
}

TEST_F(GuideTest, DayListCountsCalendarDaysAcrossDaylightSavingChanges) {
  // 2024-03-31 was 23 hours long in Bucharest. At 00:30 on April 1st,
  // 24 hours earlier is already March 30th; yesterday is still March 31st.
  const int64_t aprilFirst0030 = GuideTimeSeconds("2024-04-01 00:30:00");
  const int64_t march31Noon = GuideTimeSeconds("2024-03-31 12:00:00");
  EXPECT_EQ(LocalDateDaysBack(aprilFirst0030, 1), (LocalDate{2024, 3, 31}));
  EXPECT_EQ(LocalDateDaysBack(aprilFirst0030, 6), (LocalDate{2024, 3, 26}));
  EXPECT_EQ(RowsForDay({Row(march31Noon, 60)}, 1, aprilFirst0030), (std::vector<int32_t>{0}));
}

// ----------------------------------------------------------------- siblings

TEST(GuideSiblings, SameGuideIdOtherChannelsAtMostThree) {
  const auto live = [](std::u16string_view id, std::u16string_view epg) {
    return TestItem(ItemKind::Live, {.id = id, .name = u"Channel", .epgChannelId = epg});
  };
  const ItemList channels{live(u"1", u"one.ro"), live(u"2", u"two.ro"), live(u"3", u"one.ro"),
                          live(u"", u"one.ro"),  live(u"3", u"one.ro"), live(u"1", u"one.ro"),
                          live(u"4", u"one.ro"), live(u"5", u"one.ro"), live(u"6", u"one.ro"),
                          live(u"7", u"null"),   live(u"8", u"null"),   live(u"9", u"")};
  EXPECT_EQ(GuideSiblingIds(channels, u"1"), (std::vector<std::u16string>{u"3", u"4", u"5"}));
  EXPECT_TRUE(GuideSiblingIds(channels, u"2").empty());
  EXPECT_TRUE(GuideSiblingIds(channels, u"7").empty());  // a JSON null is no guide id
  EXPECT_TRUE(GuideSiblingIds(channels, u"9").empty());
  EXPECT_TRUE(GuideSiblingIds(channels, u"42").empty());
  EXPECT_TRUE(GuideSiblingIds(channels, u"").empty());
}

TEST(GuideFetch, NothingIsAskedWithoutAnAccountOrAChannel) {
  GuideSource source;
  source.streamId = u"1";
  std::vector<EpgEntry> rows;
  EXPECT_FALSE(GetGuide(source, rows));  // IsXtream false: no request at all
  source.account.IsXtream = true;
  source.streamId.clear();
  EXPECT_FALSE(GetGuide(source, rows));
  EXPECT_TRUE(rows.empty());
}

// ------------------------------------------------------------------- lines

TEST_F(GuideTest, NowAndNextLinesFollowTheClock) {
  std::vector<EpgEntry> rows = Parse(R"({"epg_listings":[
    {"title":"Early","start_timestamp":"1714577400","stop_timestamp":"1714581000"},
    {"title":"Before","start_timestamp":"1714581000","stop_timestamp":"1714584600"},
    {"title":"Now On","start_timestamp":"1714584000","stop_timestamp":"1714590000"},
    {"title":"Later","start_timestamp":"1714590000","stop_timestamp":"1714593600"}]})");
  GuideLines lines = GuideLinesAt(rows, kMay1At2030 + 60);
  EXPECT_EQ(lines.current, 2);
  EXPECT_EQ(lines.now, u"20:20  Now On");
  EXPECT_EQ(lines.next, u"22:00  Later");
  // When a programme ends the lines move on, without another fetch.
  lines = GuideLinesAt(rows, 1714590000);
  EXPECT_EQ(lines.now, u"22:00  Later");
  EXPECT_TRUE(lines.next.empty());
  EXPECT_TRUE(GuideLinesAt({}, kMay1At2030).now.empty());
}

// ------------------------------------------------------------------- store

TEST(GuideStore, RowsStayValidUntilTheLastProgrammeEndsOrAnHourPasses) {
  const int64_t now = kMay1At2030;
  GuideStore store;
  store.Fill(u"short", {Row(now - 600, 30)}, GuideOrigin::ShortGuide, now);   // ends in 20 minutes
  store.Fill(u"long", {Row(now, 60), Row(now + 3600, 240)}, GuideOrigin::ShortGuide, now);
  store.Fill(u"ended", {Row(now - 7200, 60)}, GuideOrigin::ShortGuide, now);
  store.Fill(u"empty", {}, GuideOrigin::ShortGuide, now);
  store.Fill(u"untimed", {Row(0, 60)}, GuideOrigin::ShortGuide, now);
  EXPECT_EQ(store.Find(u"short")->validUntil, now + 1200);
  EXPECT_EQ(store.Find(u"long")->validUntil, now + kGuideValidSeconds);
  // An answer whose programmes all ended, or that held none, is not asked
  // again at once.
  EXPECT_EQ(store.Find(u"ended")->validUntil, now + kGuideRetrySeconds);
  EXPECT_EQ(store.Find(u"empty")->validUntil, now + kGuideRetrySeconds);
  EXPECT_EQ(store.Find(u"untimed")->validUntil, now + kGuideValidSeconds);

  EXPECT_TRUE(store.IsFresh(u"long", false, now + 3599));
  EXPECT_FALSE(store.IsFresh(u"long", false, now + 3600));
  // Stale rows are still read: the screens show them while a refresh runs.
  EXPECT_EQ(store.RowsOf(u"long").size(), 2u);
  EXPECT_EQ(store.RowAt(u"long", 1)->durationMin, 240);
  EXPECT_FALSE(store.RowAt(u"long", 2));
  EXPECT_FALSE(store.RowAt(u"long", -1));
  EXPECT_TRUE(store.RowsOf(u"unknown").empty());

  // A short guide is no answer for the past; the full table is.
  EXPECT_FALSE(store.IsFresh(u"long", true, now));
  store.Fill(u"long", {Row(now - 86400, 60), Row(now, 60)}, GuideOrigin::FullTable, now);
  EXPECT_TRUE(store.IsFresh(u"long", true, now));
  EXPECT_EQ(store.RowsOf(u"long").front().start, now - 86400);
}

TEST(GuideStore, TheLeastRecentlyUsedChannelsGoWhenTheBudgetIsFull) {
  const int64_t now = kMay1At2030;
  const std::vector<EpgEntry> day(50, Row(now, 60, u"A title long enough to need the heap"));
  const size_t one = GuideRowBytes(std::vector<EpgEntry>(day.begin(), day.end()));
  GuideStore store(3 * one + one / 2);
  store.Fill(u"1", day, GuideOrigin::ShortGuide, now);
  store.Fill(u"2", day, GuideOrigin::ShortGuide, now);
  store.Fill(u"3", day, GuideOrigin::ShortGuide, now);
  EXPECT_EQ(store.Bytes(), 3 * one);
  store.Touch(u"1");  // the channel looked at again is kept
  store.Fill(u"4", day, GuideOrigin::ShortGuide, now);
  EXPECT_EQ(store.Channels(), 3u);
  EXPECT_FALSE(store.Find(u"2"));
  EXPECT_TRUE(store.Find(u"1") && store.Find(u"3") && store.Find(u"4"));
  // A refill replaces the channel's bytes, never adds to them.
  store.Fill(u"4", {Row(now, 60)}, GuideOrigin::ShortGuide, now);
  EXPECT_EQ(store.Bytes(), 2 * one + GuideRowBytes(store.RowsOf(u"4")));
  // One channel alone over the budget stays: it is the one looked at.
  GuideStore tiny(1);
  tiny.Fill(u"9", day, GuideOrigin::ShortGuide, now);
  EXPECT_EQ(tiny.Channels(), 1u);
  store.Clear();
  EXPECT_EQ(store.Channels(), 0u);
  EXPECT_EQ(store.Bytes(), 0u);
}

TEST(GuideStore, ABulkFillReplacesTheChannelsItListsAndKeepsTheLastWhenFull) {
  const int64_t now = kMay1At2030;
  const std::vector<EpgEntry> week{Row(now - 6 * 86400, 60), Row(now + 86400, 60)};
  GuideStore store;
  store.Fill(u"kept", {Row(now, 30)}, GuideOrigin::ShortGuide, now);
  store.Fill(u"2", {Row(now, 30, u"old")}, GuideOrigin::ShortGuide, now);
  store.FillMany({{u"1", week}, {u"2", week}, {u"3", week}}, GuideOrigin::WholeGuide, now, 12 * 3600);
  EXPECT_EQ(store.Channels(), 4u);
  EXPECT_EQ(store.RowsOf(u"2"), week);
  EXPECT_EQ(store.RowsOf(u"kept").size(), 1u);
  // A whole guide holds the past and lasts its own lifetime.
  EXPECT_TRUE(store.IsFresh(u"3", true, now + 11 * 3600));
  EXPECT_FALSE(store.IsFresh(u"3", true, now + 12 * 3600));

  GuideStore small(2 * GuideRowBytes(week));
  small.FillMany({{u"a", week}, {u"b", week}, {u"c", week}}, GuideOrigin::WholeGuide, now, 12 * 3600);
  EXPECT_FALSE(small.Find(u"a"));
  EXPECT_TRUE(small.Find(u"b") && small.Find(u"c"));
}

// ------------------------------------------------------------------- queue

namespace {

// Starts what the queue lets start at `nowMs`; returns the channels started.
std::vector<std::u16string> StartAll(GuideRequests& queue, int64_t nowMs, std::vector<uint64_t>* tickets = nullptr) {
  std::vector<std::u16string> started;
  while (auto ticket = queue.Next(nowMs)) {
    started.push_back(ticket->streamId);
    if (tickets) tickets->push_back(ticket->id);
  }
  return started;
}

using Ids = std::vector<std::u16string>;

}  // namespace

TEST(GuideQueue, TwoAtOnceSpacedNewestFirstAndNeverTwiceForOneChannel) {
  GuideRequests queue;
  EXPECT_TRUE(queue.Want(u"a", false, 0));
  EXPECT_TRUE(queue.Want(u"b", false, 0));
  EXPECT_TRUE(queue.Want(u"a", false, 0));  // already queued: moves to the front, once
  EXPECT_EQ(queue.Queued(), 2u);
  std::vector<uint64_t> tickets;
  EXPECT_EQ(StartAll(queue, 0, &tickets), Ids{u"a"});
  EXPECT_EQ(queue.NextStartMs(0), kGuideRequestSpacingMs);
  EXPECT_TRUE(queue.Want(u"c", false, 100));
  EXPECT_TRUE(StartAll(queue, kGuideRequestSpacingMs - 1).empty());
  EXPECT_EQ(StartAll(queue, kGuideRequestSpacingMs, &tickets), Ids{u"c"});
  // Two under way: nothing starts however long it waits, until one ends.
  EXPECT_EQ(queue.InFlight(), 2);
  EXPECT_FALSE(queue.NextStartMs(5000));
  EXPECT_TRUE(StartAll(queue, 5000).empty());
  EXPECT_TRUE(queue.Want(u"a", false, 5000));  // under way: not queued again
  EXPECT_EQ(queue.Queued(), 1u);
  EXPECT_TRUE(queue.Pending(u"a") && queue.Pending(u"b"));
  EXPECT_EQ(queue.Finish(tickets[0], GuideOutcome::Answered, 0, 5000), 0);
  EXPECT_FALSE(queue.Pending(u"a"));
  EXPECT_EQ(StartAll(queue, 5000), Ids{u"b"});
  EXPECT_FALSE(queue.Want(u"", false, 5000));
  // Past the limit the oldest wish goes.
  for (const char16_t* id : {u"x", u"y", u"z"}) queue.Want(id, false, 6000);
  EXPECT_EQ(queue.Queued(), kGuideQueueLimit);
  EXPECT_FALSE(queue.Pending(u"x"));
}

TEST(GuideQueue, AChannelAnsweredAndValidSendsNothing) {
  const int64_t now = kMay1At2030;
  GuideStore store;
  GuideRequests queue;
  store.Fill(u"7", {Row(now, 120)}, GuideOrigin::ShortGuide, now);
  EXPECT_FALSE(AskForGuide(queue, store, u"7", false, 0, now + 600));
  EXPECT_EQ(queue.Queued(), 0u);
  // The past is not in a short guide: catch-up asks for it.
  EXPECT_TRUE(AskForGuide(queue, store, u"7", true, 0, now + 600));
  auto ticket = queue.Next(0);
  ASSERT_TRUE(ticket);
  EXPECT_TRUE(ticket->withPast);
  queue.Finish(ticket->id, GuideOutcome::Answered, 0, 0);
  store.Fill(u"7", {Row(now - 86400, 60), Row(now, 120)}, GuideOrigin::FullTable, now);
  EXPECT_FALSE(AskForGuide(queue, store, u"7", true, 1000, now + 600));
  // Stale after an hour: refreshed, and with the past it held.
  EXPECT_TRUE(AskForGuide(queue, store, u"7", false, 1000, now + kGuideValidSeconds));
  ticket = queue.Next(1000);
  ASSERT_TRUE(ticket);
  EXPECT_TRUE(ticket->withPast);
}

TEST(GuideQueue, AZapStormFetchesOnlyAFewOfTheNewestChannels) {
  GuideRequests queue;
  std::map<std::u16string, int> asked;
  std::vector<uint64_t> tickets;
  // Twenty channels, one every 100 ms; answers take 150 ms.
  std::vector<std::pair<int64_t, uint64_t>> ending;
  for (int64_t t = 0; t <= 2500; t += 50) {
    for (auto it = ending.begin(); it != ending.end();) {
      if (it->first > t) { ++it; continue; }
      queue.Finish(it->second, GuideOutcome::Answered, 0, t);
      it = ending.erase(it);
    }
    if (t % 100 == 0 && t < 2000) queue.Want(u"ch" + AsciiToWide(std::to_string(t / 100)), false, t);
    std::vector<uint64_t> now;
    for (const auto& id : StartAll(queue, t, &now)) ++asked[id];
    for (const uint64_t ticket : now) ending.emplace_back(t + 150, ticket);
    EXPECT_LE(queue.InFlight(), kGuideMaxInFlight);
  }
  // Starts every 400 ms while the storm lasts, then the newest two left.
  EXPECT_LE(asked.size(), 7u);
  for (const auto& [id, count] : asked) EXPECT_EQ(count, 1) << WideToUtf8(id);
  EXPECT_EQ(asked.count(u"ch19"), 1u) << "the channel the storm ended on is fetched";
  EXPECT_EQ(asked.count(u"ch1"), 0u) << "a channel left long ago is not";
  EXPECT_EQ(queue.Queued(), 0u);
}

TEST(GuideQueue, ThrottledAnswersStopEveryStartAndGrowTheWait) {
  GuideRequests queue;
  queue.Want(u"a", false, 0);
  queue.Want(u"b", false, 0);
  std::vector<uint64_t> t;
  StartAll(queue, 0, &t);
  StartAll(queue, 400, &t);
  ASSERT_EQ(t.size(), 2u);
  // Both answers say 429: the wait begins once and both stay wanted.
  EXPECT_EQ(queue.Finish(t[0], GuideOutcome::Throttled, 0, 1000), kGuideBackoffFirstMs);
  EXPECT_EQ(queue.Finish(t[1], GuideOutcome::Throttled, 0, 1100), 0);
  EXPECT_TRUE(queue.Pending(u"a") && queue.Pending(u"b"));
  queue.Want(u"c", false, 2000);
  EXPECT_TRUE(StartAll(queue, 1000 + kGuideBackoffFirstMs - 1).empty());
  EXPECT_EQ(queue.NextStartMs(2000), 1000 + kGuideBackoffFirstMs);
  int64_t at = 1000 + kGuideBackoffFirstMs;
  EXPECT_EQ(StartAll(queue, at, &t), Ids{u"c"});
  // Again and again: doubling, up to the ceiling.
  int64_t expected = kGuideBackoffFirstMs;
  for (int round = 0; round < 5; ++round) {
    expected = std::min(expected * 2, kGuideBackoffMaxMs);
    EXPECT_EQ(queue.Finish(t.back(), GuideOutcome::Throttled, 0, at), expected) << round;
    at += expected;
    StartAll(queue, at, &t);
  }
  // Retry-After is what the provider asked, in seconds (bounded).
  EXPECT_EQ(queue.Finish(t.back(), GuideOutcome::Throttled, 7, at), 7000);
  at += 7000;
  StartAll(queue, at, &t);
  EXPECT_EQ(queue.Finish(t.back(), GuideOutcome::Throttled, 86400, at), kGuideRetryAfterMaxMs);
  at += kGuideRetryAfterMaxMs;
  StartAll(queue, at, &t);
  // An answer ends the series: the next 429 waits the first step again.
  queue.Finish(t.back(), GuideOutcome::Answered, 0, at);
  StartAll(queue, at + 400, &t);
  EXPECT_EQ(queue.Finish(t.back(), GuideOutcome::Throttled, 0, at + 500), kGuideBackoffFirstMs);
}

TEST(GuideQueue, AnUnreadableAnswerIsAskedAgainOnlyAfterAPause) {
  GuideRequests queue;
  queue.Want(u"a", false, 0);
  const auto ticket = queue.Next(0);
  ASSERT_TRUE(ticket);
  EXPECT_EQ(queue.Finish(ticket->id, GuideOutcome::Unreadable, 0, 100), 0);
  EXPECT_FALSE(queue.Want(u"a", false, 100 + kGuideFailurePauseMs - 1));
  EXPECT_TRUE(queue.Want(u"a", false, 100 + kGuideFailurePauseMs));
  // A reset forgets it all, and a late answer of before is not taken for a new one.
  const auto late = queue.Next(100 + kGuideFailurePauseMs);
  ASSERT_TRUE(late);
  queue.Reset();
  queue.Want(u"b", false, 0);
  const auto fresh = queue.Next(0);
  ASSERT_TRUE(fresh);
  EXPECT_NE(fresh->id, late->id);
  queue.Finish(late->id, GuideOutcome::Answered, 0, 0);
  EXPECT_EQ(queue.InFlight(), 1);
}

TEST(GuideQueue, OneWakeUpAtATime) {
  GuideRequests queue;
  EXPECT_TRUE(queue.ScheduleWake(400));
  EXPECT_FALSE(queue.ScheduleWake(500));  // the earlier one comes first
  EXPECT_TRUE(queue.ScheduleWake(300));
  queue.Woke(400);  // not the one set last: still waiting for 300
  EXPECT_FALSE(queue.ScheduleWake(350));
  queue.Woke(300);
  EXPECT_TRUE(queue.ScheduleWake(800));
}

TEST(GuideOffset, ARowMovesWithItsShownTimeAndOneWithoutAStartStays) {
  std::vector<EpgEntry> rows = {{u"20:00", u"News", 1'800'000'000, 30, u""}, {u"later", u"?", 0, 60, u""}};
  ShiftGuideRows(rows, 3600);
  EXPECT_EQ(rows[0].start, 1'800'003'600);
  EXPECT_EQ(rows[0].time, GuideClockText(1'800'003'600));
  EXPECT_NE(rows[0].time, GuideClockText(1'800'000'000));
  EXPECT_EQ(rows[1].time, u"later");
  EXPECT_EQ(rows[1].start, 0);
}
