// The guide against the stand-in provider through the real HTTP client.
#include "catalog/guide.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <memory>
#include <thread>

#include "app/guide_jobs.h"
#include "net/text.h"
#include "platform/clock.h"
#include "tests/catalog/test_items.h"
#include "tests/fixtures/guide_fixture.h"
#include "tests/fixtures/message_recorder.h"
#include "tests/fixtures/stand_in_server.h"
#include "tests/fixtures/temp_data_home.h"
#include "tests/scoped_env.h"

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
  return TestItem(ItemKind::Live, {.id = id, .name = u"Channel", .epgChannelId = epg}, 1);
}

std::vector<std::u16string> Titles(const std::vector<EpgEntry>& rows) {
  std::vector<std::u16string> titles;
  for (const auto& row : rows) titles.push_back(row.title);
  return titles;
}

class GuideServer : public ::testing::Test {
 protected:
  const TimeZoneGuard zone_{"Europe/Bucharest"};  // stays until the server has stopped
  void SetUp() override {
    AddGuideRoutes(server_, fixture_);
    ASSERT_TRUE(server_.Start());
    source_.account.Server = AsciiToWide(server_.BaseUrl());
    source_.account.User = u"user";
    source_.account.Password = u"pass";
    source_.account.IsXtream = true;
    source_.streamId = u"10";
  }
  void TearDown() override { server_.Stop(); }

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

  // The application's side of the guide: its state, mailbox and merges,
  // run as the main loop runs them.
  struct App {
    MessageRecorder recorder;
    JobMailbox mailbox{recorder};
    ResultPump pump{recorder, mailbox};
    AppState state;
  };
  // Kept to the end of the process, as the program keeps its application:
  // a wake-up job of the guide queue may still hold the mailbox.
  App& NewApp() const {
    static std::deque<std::unique_ptr<App>> kept;
    kept.push_back(std::make_unique<App>());
    kept.back()->state.account = source_.account;
    return *kept.back();
  }
  // Merges results until an answer for `streamId` was merged.
  static bool UntilAnswered(App& app, std::u16string_view streamId,
                            std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    return app.pump.Until(
        app.state,
        [&](const JobResult& r) {
          const auto* answer = std::get_if<GuideLoaded>(&r);
          return answer && answer->streamId == streamId;
        },
        limit);
  }

  StandInServer server_;
  std::shared_ptr<GuideFixture> fixture_ = std::make_shared<GuideFixture>();
  GuideSource source_;
  const int64_t now_ = NowUnix();
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
  source_.withArchive = true;
  const GuideFetch fetch = FetchGuide(source_);
  ASSERT_TRUE(fetch.answered);
  EXPECT_EQ(Asked(), (std::vector<std::string>{"get_short_epg 10", "get_simple_data_table 10"}));

  // Every day of the week back has programmes, each day in time order and
  // no programme twice.
  size_t listed = 0;
  for (int32_t day = 0; day <= 6; ++day) {
    const auto indices = RowsForDay(fetch.rows, day, now_);
    EXPECT_FALSE(indices.empty()) << day;
    for (size_t i = 1; i < indices.size(); ++i)
      EXPECT_LT(fetch.rows[size_t(indices[i - 1])].start, fetch.rows[size_t(indices[i])].start);
    listed += indices.size();
  }
  EXPECT_LE(listed, fetch.rows.size());
}

TEST_F(GuideServer, SiblingChannelsAreTriedWhenBothAnswersAreEmpty) {
  fixture_->SetShortGuide("10", GuideScript{.programmes = {}, .body = std::string()});  // an empty body
  fixture_->SetShortGuide("12", Script({Programme("Shared", now_ - 60, 60)}));
  fixture_->SetShortGuide("13", Script({Programme("Never asked", now_, 60)}));
  // Which channels are siblings, and at most three of them, is GuideSiblingIds'.
  source_.liveChannels = std::make_shared<const ItemList>(
      ItemList{Live(u"10", u"one.ro"), Live(u"11", u"one.ro"), Live(u"12", u"one.ro"), Live(u"13", u"one.ro")});

  std::vector<EpgEntry> rows;
  ASSERT_TRUE(GetGuide(source_, rows));
  EXPECT_EQ(Titles(rows), (std::vector<std::u16string>{u"Shared"}));
  EXPECT_EQ(Asked(), (std::vector<std::string>{"get_short_epg 10", "get_simple_data_table 10", "get_short_epg 11",
                                                "get_short_epg 12"}));
  EXPECT_EQ(TargetOf("get_short_epg", "12", 4),
            "/player_api.php?username=user&password=pass&action=get_short_epg&stream_id=12&limit=80");
}

TEST_F(GuideServer, AnAnswerIsStoredLoggedAndNotAskedForAgain) {
  TempDataHome home;
  home.CreateFolder();
  // A long programme around now keeps the current row certain however
  // slowly the test runs.
  const int64_t onNow = now_ - 3 * 3600;
  const std::vector<GuideProgramme> day{Programme("Past", onNow - 3600, 60), Programme("On now", onNow, 360),
                                        Programme("Next", onNow + 6 * 3600, 30),
                                        Programme("After", onNow + 6 * 3600 + 1800, 30)};
  fixture_->SetChannel("10", day);

  App& app = NewApp();
  StartGuideJob(app.state, app.mailbox, u"10");
  EXPECT_TRUE(app.state.guideRequests.Pending(u"10"));
  ASSERT_TRUE(UntilAnswered(app, u"10"));

  // Three upcoming rows are too few: the table is appended without repeats.
  const auto& rows = app.state.guide.RowsOf(u"10");
  EXPECT_EQ(Titles(rows), (std::vector<std::u16string>{u"On now", u"Next", u"After", u"Past"}));
  EXPECT_EQ(GuideLinesAt(rows, NowUnix()).now, GuideLine(rows[0]));
  EXPECT_FALSE(app.state.guideRequests.Pending(u"10"));
  EXPECT_EQ(home.LogText(), "guide request id=10 inflight=1\nepg rows=4 cur=0\n");
  EXPECT_EQ(Asked().size(), 2u);

  // The store holds this channel's programmes: no second job, no request.
  StartGuideJob(app.state, app.mailbox, u"10");
  EXPECT_FALSE(app.state.guideRequests.Pending(u"10"));
  EXPECT_EQ(Asked().size(), 2u);
  EXPECT_EQ(home.LogText(), "guide request id=10 inflight=1\nepg rows=4 cur=0\n");
}

TEST_F(GuideServer, AnAnswerForAChannelLeftBehindIsKeptUnderItsOwnId) {
  fixture_->SetShortGuide("10", Script({Programme("Old channel", now_ - 60, 60)}));
  fixture_->SetShortGuide("20", Script({Programme("New channel", now_ - 60, 60)}));
  fixture_->Hold("10");

  App& app = NewApp();
  StartGuideJob(app.state, app.mailbox, u"10");
  ASSERT_TRUE(fixture_->WaitHeld("10", std::chrono::seconds(10)));
  // The user moves on while the first answer is still on its way.
  StartGuideJob(app.state, app.mailbox, u"20");
  ASSERT_TRUE(UntilAnswered(app, u"20"));
  EXPECT_EQ(fixture_->MaxInFlight(), 2);
  fixture_->Release("10");
  ASSERT_TRUE(UntilAnswered(app, u"10"));
  EXPECT_EQ(Titles(app.state.guide.RowsOf(u"20")), std::vector<std::u16string>{u"New channel"});
  EXPECT_EQ(Titles(app.state.guide.RowsOf(u"10")), std::vector<std::u16string>{u"Old channel"});
}

TEST_F(GuideServer, OnlyAGuideListingCountsAsAnAnswer) {
  fixture_->SetShortGuide("10", GuideScript{.programmes = {}, .body = std::string("<html>Bad gateway</html>")});
  fixture_->SetDataTable("10", GuideScript{.programmes = {}, .body = std::string("{\"epg_listings\":false}")});
  GuideFetch fetch = FetchGuide(source_);
  EXPECT_TRUE(fetch.answered);  // the table said: nothing
  EXPECT_TRUE(fetch.rows.empty());
  // A notice alone is no answer (AnHtmlPageOrAPhpNotice... below); a notice
  // before the listing is still read.
  fixture_->SetShortGuide("10", GuideScript{.programmes = {}, .body = "<b>Notice</b>: x " + GuideListingsJson(Script(
      {Programme("A", now_, 30), Programme("B", now_ + 1800, 30), Programme("C", now_ + 3600, 30),
       Programme("D", now_ + 5400, 30)}), "10", false, now_)});
  fetch = FetchGuide(source_);
  EXPECT_TRUE(fetch.answered);
  EXPECT_EQ(fetch.rows.size(), 4u);
}

// Real providers answer an error page or a PHP notice now and then: the
// rows held stay as they were, still stale, and the channel is asked again
// after the pause.
TEST_F(GuideServer, AnHtmlPageOrAPhpNoticeLeavesTheStoredRowsAsTheyAre) {
  TempDataHome home;
  home.CreateFolder();
  App& app = NewApp();
  const std::vector<EpgEntry> held{EpgEntry{u"09:00", u"Held", now_ - 7200, 60, u""}};
  app.state.guide.Fill(u"10", held, GuideOrigin::ShortGuide, now_ - 7200);
  for (const std::string body : {"<html><body>502 Bad Gateway</body></html>",
                                 "<br />\n<b>Notice</b>: Undefined variable: epg in <b>/var/www/api.php</b>"}) {
    SCOPED_TRACE(body);
    fixture_->SetShortGuide("10", GuideScript{.programmes = {}, .body = body});
    fixture_->SetDataTable("10", GuideScript{.programmes = {}, .body = body});
    app.state.guideRequests.Reset();
    StartGuideJob(app.state, app.mailbox, u"10");
    ASSERT_TRUE(UntilAnswered(app, u"10"));
    EXPECT_EQ(app.state.guide.RowsOf(u"10"), held);
    EXPECT_FALSE(app.state.guide.IsFresh(u"10", false, NowUnix()));
    EXPECT_FALSE(app.state.guideRequests.Pending(u"10"));
  }
  EXPECT_EQ(home.LogText(), "guide request id=10 inflight=1\nepg rows=0 cur=0\n"
                         "guide request id=10 inflight=1\nepg rows=0 cur=0\n");
}

// The stand-in's rate limit: a 429 or 503 stops every guide request for the
// wait it asks (or the first step of the back-off), and the channel is
// fetched once it has passed.
TEST_F(GuideServer, AThrottledProviderIsLeftAloneForTheWaitItAsks) {
  TempDataHome home;
  home.CreateFolder();
  fixture_->SetDemoChannels({"10", "11"}, now_);
  App& app = NewApp();

  fixture_->SetThrottle(503);
  StartGuideJob(app.state, app.mailbox, u"11");
  ASSERT_TRUE(UntilAnswered(app, u"11"));
  EXPECT_NE(home.LogText().find("guide backoff status=503 wait=30s\n"), std::string::npos) << home.LogText();
  EXPECT_TRUE(app.state.guideRequests.Pending(u"11"));  // still wanted, after the wait
  EXPECT_EQ(fixture_->AskedFor("11"), 1);  // the table was not asked after the 503

  ForgetGuides(app.state);
  fixture_->SetThrottle(429, 1);
  const auto asked = std::chrono::steady_clock::now();
  StartGuideJob(app.state, app.mailbox, u"10");
  ASSERT_TRUE(UntilAnswered(app, u"10"));
  EXPECT_NE(home.LogText().find("guide backoff status=429 wait=1s\n"), std::string::npos) << home.LogText();
  fixture_->SetThrottle(0);
  StartGuideJob(app.state, app.mailbox, u"11");  // waits too
  EXPECT_EQ(fixture_->AskedFor("11"), 1);
  ASSERT_TRUE(UntilAnswered(app, u"11", std::chrono::seconds(10)));
  EXPECT_GE(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(900));
  ASSERT_TRUE(UntilAnswered(app, u"10", std::chrono::seconds(10)));
  EXPECT_EQ(fixture_->AskedFor("10"), 2);
  EXPECT_FALSE(app.state.guide.RowsOf(u"10").empty());
  EXPECT_FALSE(app.state.guide.RowsOf(u"11").empty());
  EXPECT_LE(fixture_->MaxInFlight(), kGuideMaxInFlight);
}

TEST_F(GuideServer, TheWholeGuideTakesAnOffsetAndAHookFromTheCopyAsFromTheProvider) {
  TempDataHome home;
  fixture_->SetChannel("10", {Programme("On now", now_ - 600, 60)});
  fixture_->SetXmltvChannel("10", "ten.tv");
  fixture_->SetXmltvAnswer(GuideFixture::XmltvAnswer::Gzip);
  // A channel without a guide id, found by the name the guide gives it.
  const auto live = std::make_shared<const ItemList>(ItemList{Live(u"10", u"")});
  XmltvOptions options;
  options.offsetSeconds = 3600;
  options.onChannels = [](const GuideChannelDirectory& directory, GuideChannelSet& channels) {
    for (const GuideChannelInfo& info : directory)
      if (info.displayNames == std::vector<std::string>{"10"}) channels.Add(std::string_view(info.id));
  };
  for (const bool fromCopy : {false, true}) {
    const WholeGuideLoad load = LoadWholeGuide(source_.account, live, now_, 5000, 16u << 20, options);
    ASSERT_EQ(load.status, XmltvStatus::Read) << load.detail;
    EXPECT_EQ(load.fromCopy, fromCopy);
    ASSERT_TRUE(load.channels);
    EXPECT_EQ(load.channels->size(), 1u);
    const auto slots = load.guide->ProgrammesOf(std::string_view("ten.tv"));
    ASSERT_EQ(slots.size(), 1u) << fromCopy;
    EXPECT_EQ(load.guide->StartOf(slots[0]), now_ - 600 + 3600) << fromCopy;
  }
}
