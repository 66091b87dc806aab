// The guide against the stand-in provider through the real HTTP client.
#include "catalog/guide.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <future>
#include <sstream>
#include <thread>

#include "net/text.h"
#include "platform/clock.h"
#include "tests/fixtures/guide_fixture.h"
#include "tests/fixtures/stand_in_server.h"
#include "tests/fixtures/temp_data_home.h"

namespace {

GuideProgramme Programme(std::string title, int64_t start, int minutes) {
  GuideProgramme p;
  p.title = std::move(title);
  p.description = "About " + p.title;
  p.start = start;
  p.stop = start + int64_t{minutes} * 60;
  return p;
}

GuideScript Script(std::vector<GuideProgramme> programmes) {
  GuideScript script;
  script.programmes = std::move(programmes);
  return script;
}

CatalogItem Live(std::u16string_view id, std::u16string_view epg) {
  CatalogItem::Fields f{};
  f.id = id;
  f.name = u"Channel";
  f.epgChannelId = epg;
  return CatalogItem(ItemKind::Live, f, 1);
}

std::vector<std::u16string> Titles(const std::vector<EpgEntry>& rows) {
  std::vector<std::u16string> titles;
  for (const auto& row : rows) titles.push_back(row.title);
  return titles;
}

class GuideServer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* tz = std::getenv("TZ")) savedTz_ = tz;
    setenv("TZ", "Europe/Bucharest", 1);
    tzset();
    AddGuideRoutes(server_, fixture_);
    ASSERT_TRUE(server_.Start());
    source_.account.Server = AsciiToWide(server_.BaseUrl());
    source_.account.User = u"user";
    source_.account.Password = u"pass";
    source_.account.IsXtream = true;
    source_.streamId = u"10";
  }
  void TearDown() override {
    server_.Stop();
    if (savedTz_)
      setenv("TZ", savedTz_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

  // The server records a request only after its answer has gone out, so
  // the last one may still be on its way when the client has returned: wait
  // (bounded) until `count` are recorded.
  std::vector<RecordedRequest> Requests(size_t count) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    auto requests = server_.RequestsTo("/player_api.php");
    while (requests.size() < count && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      requests = server_.RequestsTo("/player_api.php");
    }
    return requests;
  }

  // The actions and stream ids asked for, in the order they arrived.
  std::vector<std::string> Asked() const { return fixture_->Asked(); }

  // The target the server recorded for `action` of `streamId`.
  std::string TargetOf(const std::string& action, const std::string& streamId, size_t expected) const {
    for (const auto& r : Requests(expected))
      if (r.Param("action") == action && r.Param("stream_id") == streamId) return r.target;
    return {};
  }

  StandInServer server_;
  std::shared_ptr<GuideFixture> fixture_ = std::make_shared<GuideFixture>();
  GuideSource source_;
  const int64_t now_ = NowUnix();

 private:
  std::optional<std::string> savedTz_;
};

}  // namespace

TEST_F(GuideServer, ShortGuideOfThreeRowsIsToppedUpFromTheTableInOrder) {
  const auto a = Programme("A", now_ - 600, 30), b = Programme("B", now_ + 1200, 30),
             c = Programme("C", now_ + 3000, 60);
  fixture_->SetShortGuide("10", Script({a, b, c}));
  // The table repeats A (as servers do) and adds earlier programmes.
  fixture_->SetDataTable("10", Script({Programme("Y", now_ - 7200, 60), Programme("Z", now_ - 3600, 50), a}));

  std::vector<EpgEntry> rows;
  ASSERT_TRUE(GetGuide(source_, rows));
  EXPECT_EQ(Titles(rows), (std::vector<std::u16string>{u"A", u"B", u"C", u"Y", u"Z"}));
  EXPECT_EQ(rows[0].start, a.start);
  EXPECT_EQ(rows[0].durationMin, 30);
  EXPECT_EQ(rows[0].description, u"About A");

  EXPECT_EQ(Asked(), (std::vector<std::string>{"get_short_epg 10", "get_simple_data_table 10"}));
  EXPECT_EQ(TargetOf("get_short_epg", "10", 2),
            "/player_api.php?username=user&password=pass&action=get_short_epg&stream_id=10&limit=80");
  EXPECT_EQ(TargetOf("get_simple_data_table", "10", 2),
            "/player_api.php?username=user&password=pass&action=get_simple_data_table&stream_id=10");
}

TEST_F(GuideServer, Latin1TitlesInBase64ShowDecoded) {
  auto script = Script({Programme("Café au lait", now_ - 600, 30), Programme("Les Misérables", now_ + 1200, 30),
                        Programme("Fußball heute", now_ + 3000, 60), Programme("Ça va bien", now_ + 6600, 60)});
  script.latin1 = true;
  fixture_->SetShortGuide("10", script);
  std::vector<EpgEntry> rows;
  ASSERT_TRUE(GetGuide(source_, rows));
  EXPECT_EQ(Titles(rows),
            (std::vector<std::u16string>{u"Café au lait", u"Les Misérables", u"Fußball heute", u"Ça va bien"}));
  EXPECT_EQ(rows[1].description, u"About Les Misérables");
}

TEST_F(GuideServer, FourRowsNeedNoSecondRequest) {
  const auto day = MakeGuideDay(now_, 0, 12, 7);
  fixture_->SetChannel("10", day);
  std::vector<EpgEntry> rows;
  ASSERT_TRUE(GetGuide(source_, rows));
  EXPECT_GE(rows.size(), 4u);
  EXPECT_EQ(Asked(), (std::vector<std::string>{"get_short_epg 10"}));
  // The short guide starts with the programme on now.
  EXPECT_EQ(CurrentGuideRow(rows, now_), 0);
}

TEST_F(GuideServer, TheCatchupFetchReadsThePastFromTheTable) {
  fixture_->SetDemoChannels({"10"}, now_);
  GuideState state;
  const auto ticket = BeginGuideRequest(state, u"10", now_, true);
  ASSERT_TRUE(ticket);
  ASSERT_TRUE(GuideJob(state, source_, *ticket));
  EXPECT_EQ(Asked(), (std::vector<std::string>{"get_short_epg 10", "get_simple_data_table 10"}));

  // Every day of the week back has programmes, each day in time order and
  // no programme twice.
  const int64_t now = now_;
  const GuideView view = CopyGuide(state);
  size_t listed = 0;
  for (int32_t day = 0; day <= 6; ++day) {
    const auto indices = GuideRowsForDay(state, day, now);
    EXPECT_FALSE(indices.empty()) << day;
    for (size_t i = 1; i < indices.size(); ++i)
      EXPECT_LT(view.rows[size_t(indices[i - 1])].start, view.rows[size_t(indices[i])].start);
    listed += indices.size();
  }
  EXPECT_LE(listed, view.rows.size());
}

TEST_F(GuideServer, SiblingChannelsAreTriedWhenBothAnswersAreEmpty) {
  fixture_->SetShortGuide("10", GuideScript{.programmes = {}, .body = std::string()});  // an empty body
  fixture_->SetShortGuide("12", Script({Programme("Shared", now_ - 60, 60)}));
  fixture_->SetShortGuide("13", Script({Programme("Never asked", now_, 60)}));
  source_.liveChannels = std::make_shared<const ItemList>(ItemList{
      Live(u"7", u"null"), Live(u"10", u"one.ro"), Live(u"11", u"one.ro"), Live(u"8", u"two.ro"),
      Live(u"12", u"one.ro"), Live(u"13", u"one.ro")});

  std::vector<EpgEntry> rows;
  ASSERT_TRUE(GetGuide(source_, rows));
  EXPECT_EQ(Titles(rows), (std::vector<std::u16string>{u"Shared"}));
  EXPECT_EQ(Asked(), (std::vector<std::string>{"get_short_epg 10", "get_simple_data_table 10", "get_short_epg 11",
                                                "get_short_epg 12"}));
  EXPECT_EQ(TargetOf("get_short_epg", "12", 4),
            "/player_api.php?username=user&password=pass&action=get_short_epg&stream_id=12&limit=80");
}

TEST_F(GuideServer, SiblingTriesStopAfterThree) {
  source_.liveChannels = std::make_shared<const ItemList>(
      ItemList{Live(u"10", u"one.ro"), Live(u"11", u"one.ro"), Live(u"12", u"one.ro"), Live(u"13", u"one.ro"),
               Live(u"14", u"one.ro")});
  fixture_->SetShortGuide("14", Script({Programme("Too far", now_, 60)}));
  std::vector<EpgEntry> rows;
  EXPECT_FALSE(GetGuide(source_, rows));
  EXPECT_EQ(Asked().size(), 5u);  // short and table of 10, then 11, 12 and 13
}

TEST_F(GuideServer, EveryAnswerFormReadsTheSame) {
  // A summer day far from any clock change, so every date text is unambiguous.
  const auto day = MakeGuideDay(1714584600, 1, 12, 3);
  for (const GuideTimes times : {GuideTimes::Unix, GuideTimes::DateText, GuideTimes::Both}) {
    for (const bool base64 : {true, false}) {
      GuideScript script = Script(day);
      script.times = times;
      script.base64 = base64;
      fixture_->SetShortGuide("10", script);
      std::vector<EpgEntry> rows;
      ASSERT_TRUE(GetGuide(source_, rows));
      ASSERT_EQ(rows.size(), day.size());
      for (size_t i = 0; i < day.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "form " << int(times) << " base64 " << base64 << " row " << i);
        EXPECT_EQ(rows[i].title, Utf8ToWide(day[i].title));
        EXPECT_EQ(rows[i].description, Utf8ToWide(day[i].description));
        EXPECT_EQ(rows[i].start, day[i].start);
        EXPECT_EQ(rows[i].durationMin, (day[i].stop - day[i].start) / 60);
        const LocalTime local = ToLocalTime(day[i].start);
        char hhmm[8];
        std::snprintf(hhmm, sizeof hhmm, "%02d:%02d", local.hour, local.minute);
        EXPECT_EQ(rows[i].time, AsciiToWide(hhmm));
      }
    }
  }
}

TEST_F(GuideServer, JobPublishesLogsAndIsNotRepeatedForTheSameChannel) {
  TempDataHome home;
  const auto folder = home.CreateFolder();
  // A long programme around now keeps the current row certain however
  // slowly the test runs.
  const int64_t onNow = now_ - 3 * 3600;
  const std::vector<GuideProgramme> day{Programme("Past", onNow - 3600, 60), Programme("On now", onNow, 360),
                                        Programme("Next", onNow + 6 * 3600, 30),
                                        Programme("After", onNow + 6 * 3600 + 1800, 30)};
  fixture_->SetChannel("10", day);

  GuideState state;
  const auto request = BeginGuideRequest(state, u"10", now_);
  ASSERT_TRUE(request);
  ASSERT_TRUE(GuideJob(state, source_, *request));

  // Three upcoming rows are too few: the table is appended without repeats.
  const GuideView view = CopyGuide(state);
  EXPECT_EQ(Titles(view.rows), (std::vector<std::u16string>{u"On now", u"Next", u"After", u"Past"}));
  EXPECT_EQ(view.now, GuideLine(view.rows[0]));
  EXPECT_EQ(view.next, GuideLine(view.rows[1]));
  EXPECT_EQ(view.firstRow, 0);
  EXPECT_TRUE(view.status.empty());

  std::ifstream log(folder / "runtime.log");
  std::stringstream text;
  text << log.rdbuf();
  EXPECT_EQ(text.str(), "epg rows=4 cur=0\n");
  EXPECT_EQ(Asked().size(), 2u);

  // The guide holds this channel's programmes: no second job, no request.
  EXPECT_FALSE(BeginGuideRequest(state, u"10", NowUnix()));
  EXPECT_EQ(Asked().size(), 2u);
}

TEST_F(GuideServer, AnAnswerForAChannelLeftBehindNeverReplacesTheNewOne) {
  fixture_->SetShortGuide("10", Script({Programme("Old channel", now_ - 60, 60)}));
  fixture_->SetShortGuide("20", Script({Programme("New channel", now_ - 60, 60)}));
  fixture_->Hold("10");

  GuideState state;
  const auto first = BeginGuideRequest(state, u"10", now_);
  ASSERT_TRUE(first);
  auto slow = std::async(std::launch::async, [&] { return GuideJob(state, source_, *first); });
  ASSERT_TRUE(fixture_->WaitHeld("10", std::chrono::seconds(10)));

  // The user moves on while the first answer is still on its way.
  const auto second = BeginGuideRequest(state, u"20", now_);
  ASSERT_TRUE(second);
  GuideSource newer = source_;
  newer.streamId = u"20";
  EXPECT_TRUE(GuideJob(state, newer, *second));

  fixture_->Release("10");
  EXPECT_FALSE(slow.get());  // dropped: it posts nothing
  const GuideView view = CopyGuide(state);
  ASSERT_EQ(view.rows.size(), 1u);
  EXPECT_EQ(view.rows[0].title, u"New channel");
  EXPECT_EQ(view.channelId, u"20");
}

TEST_F(GuideServer, NoAnswerPublishesAnEmptyGuideForTheCurrentRequest) {
  fixture_->SetShortGuide("10", GuideScript{.programmes = {}, .body = std::string("<html>Bad gateway</html>")});
  fixture_->SetDataTable("10", GuideScript{.programmes = {}, .body = std::string("{\"epg_listings\":false}")});
  GuideState state;
  const auto request = BeginGuideRequest(state, u"10", now_);
  ASSERT_TRUE(request);
  EXPECT_TRUE(GuideJob(state, source_, *request));
  const GuideView view = CopyGuide(state);
  EXPECT_TRUE(view.rows.empty());
  EXPECT_TRUE(view.now.empty());
  EXPECT_TRUE(view.next.empty());
  EXPECT_TRUE(view.status.empty());  // the screens leave their loading text
}
