#include <gtest/gtest.h>

#include <regex>

#include "extras/sports.h"
#include "net/text.h"
#include "platform/clock.h"
#include "tests/extras/public_services_test.h"
#include "i18n/translate.h"

namespace {

constexpr char kSchedulePath[] = "/api/v1/json/3/eventsday.php";

class SportsOverHttp : public PublicServicesTest {
 protected:

  std::string Url(const std::string& path) const { return server_.BaseUrl() + path; }

  void SetSource(const std::string& sportApi, const std::string& widget = "") {
    services_->SetPanelInfo(R"({"sportApi":")" + sportApi + R"(","leagueWidgetId":")" + widget +
                            R"(","sportHeader":"Fotbal azi"})");
  }

  std::vector<std::string> ScheduleSports() const {
    std::vector<std::string> sports;
    for (const auto& request : server_.RequestsTo(kSchedulePath)) sports.push_back(request.Param("s"));
    return sports;
  }
};

TEST_F(SportsOverHttp, ThreeFootballLinesBringInBasketball) {
  const SportsEvents events = FetchSports();
  EXPECT_EQ(events.header, u"Sport Live");
  ASSERT_EQ(events.lines.size(), 5u);
  EXPECT_EQ(events.lines[0], u"2026-03-14 19:45:00  Soccer Home 1 vs Soccer Away 1  (Soccer League)");
  EXPECT_EQ(events.lines[3], u"2026-03-14 19:45:00  Basketball Home 1 vs Basketball Away 1  (Basketball League)");

  EXPECT_EQ(server_.RequestsTo("/api/info").size(), 1u);
  EXPECT_EQ(server_.RequestsTo("/vs4.3/api/sport.php").size(), 1u);  // no source named by the panel
  EXPECT_EQ(ScheduleSports(), (std::vector<std::string>{"Soccer", "Basketball"}));
  const LocalTime today = ToLocalTime(NowUnix());
  char date[16];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", today.year, today.month, today.day);
  EXPECT_EQ(server_.RequestsTo(kSchedulePath)[0].Param("d"), date);
}

TEST_F(SportsOverHttp, FourFootballLinesAreEnough) {
  services_->SetSchedule("Soccer", PublicServicesFixture::SampleSchedule(4, "Soccer"));
  const SportsEvents events = FetchSports();
  EXPECT_EQ(events.lines.size(), 4u);
  EXPECT_EQ(ScheduleSports(), (std::vector<std::string>{"Soccer"}));
}

TEST_F(SportsOverHttp, OtherSchemeAndNoWidgetFollowTheSportPagesIframeToAFeed) {
  SetSource("ftp://feeds.example/sport.rss");
  services_->SetSportPage(R"(<html><body><iframe src=")" + Url("/pages/feed.rss") + R"(" width="100%"></iframe>)");
  std::string rss = "<rss><channel>";
  for (const char* title : {"Rapid vs Dinamo", "CFR vs FCSB", "Farul vs Petrolul", "Sepsi vs Hermannstadt", "Short"})
    rss += std::string("<item><title>") + title + "</title></item>";
  services_->SetPage("feed.rss", "application/rss+xml", rss + "</channel></rss>");

  const SportsEvents events = FetchSports();
  EXPECT_EQ(events.header, u"Fotbal azi");
  EXPECT_EQ(events.lines, (std::vector<std::u16string>{u"Rapid vs Dinamo", u"CFR vs FCSB", u"Farul vs Petrolul",
                                                        u"Sepsi vs Hermannstadt"}));
  EXPECT_EQ(server_.RequestsTo("/vs4.3/api/sport.php").size(), 1u);
  EXPECT_TRUE(ScheduleSports().empty());
}

// The widget's iframe is followed to its JSON (which forms of it are read is
// AddJsonEvents').
TEST_F(SportsOverHttp, AWidgetPagesIframeIsFollowedToItsJson) {
  SetSource("", Url("/pages/widget.html"));
  services_->SetPage("widget.html", "text/html",
                     "<html><p>Loading…</p><iframe src='" + Url("/pages/inner.json") + "'></iframe></html>");
  services_->SetPage("inner.json", "application/json", R"({"data":[{"home":"Lakers","away":"Celtics","time":"02:00"}]})");
  const SportsEvents events = FetchSports();
  ASSERT_FALSE(events.lines.empty());
  EXPECT_EQ(events.lines[0], u"02:00  Lakers vs Celtics");
  EXPECT_EQ(server_.RequestsTo("/pages/inner.json").size(), 1u);
  EXPECT_TRUE(server_.RequestsTo("/vs4.3/api/sport.php").empty());
}

TEST_F(SportsOverHttp, HtmlPageLinesWhenThereIsNoIframe) {
  SetSource(Url("/pages/fixtures.html"));
  services_->SetPage("fixtures.html", "text/html",
                     "<ul><li>Juventus vs Inter</li><li>Milan - Napoli</li><li>Roma v Lazio tonight</li>"
                     "<li>Atalanta VS Torino</li><li>Contact us</li></ul>");
  const SportsEvents events = FetchSports();
  EXPECT_EQ(events.lines.size(), 4u);
}

TEST_F(SportsOverHttp, TheEventHeaderMeansTheDefaultAndNothingAnywhereOneExplanation) {
  services_->SetPanelInfo(R"({"sportApi":"","leagueWidgetId":"","sportHeader":"Event"})");
  EXPECT_TRUE(FetchSports().header.empty());
  services_->SetEmptyAnswers(true);
  const SportsEvents events = FetchSports();
  EXPECT_TRUE(events.header.empty());
  EXPECT_EQ(events.lines, (std::vector<std::u16string>{std::u16string(Translate(kNoEventsKey))}));
}

}  // namespace
