#include "catalog/xtream_client.h"

#include <gtest/gtest.h>

#include <memory>

#include "net/text.h"
#include "tests/catalog/test_items.h"
#include "tests/fixtures/stand_in_server.h"
#include "tests/fixtures/under_wine.h"
#include "tests/fixtures/xtream_fixture.h"

namespace {

constexpr size_t kMiB = 1024 * 1024;

std::string Describe(const CatalogItem& item) {
  const CatalogItem::Fields f = item.fields();
  const std::u16string url = item.url();
  std::u16string text = u"[";
  for (std::u16string_view part : {f.id, f.name, item.kind(), f.categoryId, f.epgChannelId, f.containerExt, f.icon,
                                   f.num, std::u16string_view(url), f.added, f.rating}) {
    text.append(part).append(u"|");
  }
  return WideToUtf8(text) + std::to_string(item.tvArchive()) + "]";
}

void ExpectSameItems(const ItemList& actual, const ItemList& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  int reported = 0;
  for (size_t i = 0; i < actual.size() && reported < 5; ++i) {
    if (actual[i] == expected[i]) continue;
    ADD_FAILURE() << "item " << i << "\n  got      " << Describe(actual[i]) << "\n  expected " << Describe(expected[i]);
    ++reported;
  }
}

std::vector<Category> WithVodSpecials(const std::vector<Category>& server) {
  std::vector<Category> list = {{u"ALL", u""}, {u"FAVORITES", u"fav"}};
  list.insert(list.end(), server.begin(), server.end());
  return list;
}

class XtreamClientTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    provider_ = std::make_shared<XtreamFixture>(MakeCatalog(20240611, 10000, 3000, 1000), "alice", "s3cret");
  }
  static void TearDownTestSuite() { provider_.reset(); }

  void SetUp() override {
    provider_->ClearFaults();
    AddXtreamRoutes(server_, provider_);
    ASSERT_TRUE(server_.Start());
    account_ = provider_->Account(server_);
    ASSERT_TRUE(account_.IsXtream);
  }

  std::vector<std::string> ActionsRequested() const {
    std::vector<std::string> actions;
    for (const auto& r : server_.RequestsTo("/player_api.php")) actions.push_back(r.Param("action"));
    return actions;
  }

  const GeneratedCatalog& generated() const { return provider_->catalog(); }

  static std::shared_ptr<XtreamFixture> provider_;
  StandInServer server_;
  XtreamAccount account_;
};

std::shared_ptr<XtreamFixture> XtreamClientTest::provider_;

TEST_F(XtreamClientTest, LoadsEveryRecordFieldByField) {
  Catalog catalog;
  ASSERT_TRUE(LoadLive(account_, u"m3u8", catalog));
  ExpectSameItems(*catalog.LiveChannels, ExpectedItems(generated().live, ItemKind::Live, account_, u"m3u8"));
  EXPECT_EQ(catalog.LiveCategories, TestLiveCategories(generated().liveCategoryList));

  ASSERT_TRUE(LoadVodOrSeries(account_, VodKind::Movies, catalog));
  ExpectSameItems(*catalog.Movies, ExpectedItems(generated().movies, ItemKind::Vod, account_));
  EXPECT_EQ(catalog.MovieCategories, WithVodSpecials(generated().vodCategoryList));

  ASSERT_TRUE(LoadVodOrSeries(account_, VodKind::Series, catalog));
  ExpectSameItems(*catalog.Series, ExpectedItems(generated().series, ItemKind::Series, account_));
  EXPECT_EQ(catalog.SeriesCategories, WithVodSpecials(generated().seriesCategoryList));

  EXPECT_EQ(ActionsRequested(), (std::vector<std::string>{"get_live_categories", "get_live_streams",
                                                          "get_vod_categories", "get_vod_streams",
                                                          "get_series_categories", "get_series"}));
  for (const auto& request : server_.RequestsTo("/player_api.php")) {
    EXPECT_EQ(request.Param("username"), "alice");
    EXPECT_EQ(request.Param("password"), "s3cret");
    EXPECT_EQ(request.Header("User-Agent"), "Vistra43/4.3");
  }
}

TEST_F(XtreamClientTest, SeriesInfoOfEverySeries) {
  ASSERT_FALSE(generated().seriesDetails.empty());
  size_t withEpisodes = 0;
  for (const auto& [id, expected] : generated().seriesDetails) {
    SeriesInfo info;
    const bool found = GetSeriesInfo(account_, id, info);
    EXPECT_EQ(found, !expected.Episodes.empty()) << "series " << WideToUtf8(id);
    EXPECT_EQ(info, expected) << "series " << WideToUtf8(id);
    withEpisodes += found;
  }
  EXPECT_GT(withEpisodes, generated().seriesDetails.size() / 2);
  EXPECT_EQ(server_.RequestsTo("/player_api.php").back().Param("series_id"),
            WideToUtf8(generated().seriesDetails.rbegin()->first));

  SeriesInfo unknown{{{u"1", u"", u"mp4", u"1"}}, u"old plot"};
  EXPECT_FALSE(GetSeriesInfo(account_, u"no-such-series", unknown));
  EXPECT_EQ(unknown, SeriesInfo{});
}

// However a load fails (an empty answer, an error page, a dropped connection
// however the answer was framed, a categories list cut short or over its
// cap), the lists already shown stay: the very same lists.
TEST_F(XtreamClientTest, AFailedLoadKeepsThePreviousLists) {
  Catalog catalog;
  ASSERT_TRUE(LoadLive(account_, u"ts", catalog));
  ASSERT_TRUE(LoadVodOrSeries(account_, VodKind::Movies, catalog));
  ASSERT_TRUE(LoadVodOrSeries(account_, VodKind::Series, catalog));
  const Catalog before = catalog;

  provider_->SetEmptyAnswer("get_live_streams");
  provider_->SetErrorPage("get_vod_streams", 500);
  EXPECT_FALSE(LoadLive(account_, u"ts", catalog));
  EXPECT_FALSE(LoadVodOrSeries(account_, VodKind::Movies, catalog));
  provider_->SetErrorPage("get_live_streams", 404);
  EXPECT_FALSE(LoadLive(account_, u"ts", catalog));
  provider_->ClearFaults();

  using Cut = XtreamFixture::CutStyle;
  const size_t half = generated().liveStreams.size() / 2;
  // For the unsized answer the missing closing bracket is the only sign.
  for (const Cut style : {Cut::Unsized, Cut::Announced, Cut::Chunked}) {
    provider_->SetCut("get_live_streams", half, style);
    EXPECT_FALSE(LoadLive(account_, u"ts", catalog)) << int(style);
  }
  // Cut just before the closing bracket: every record is there, still not whole.
  provider_->SetCut("get_live_streams", generated().liveStreams.rfind(']'), Cut::Unsized);
  EXPECT_FALSE(LoadLive(account_, u"ts", catalog));
  provider_->ClearFaults();
  // A categories list cut short fails the load too (one missing altogether
  // does not: FailedCategoriesStillLoadTheItems).
  provider_->SetCut("get_series_categories", generated().seriesCategories.size() / 2, Cut::Unsized);
  EXPECT_FALSE(LoadVodOrSeries(account_, VodKind::Series, catalog));
  provider_->SetPadding("get_live_categories", 5 * kMiB, XtreamFixture::PadAt::AfterOpen);  // over its 4 MiB cap
  EXPECT_FALSE(LoadLive(account_, u"ts", catalog));

  EXPECT_EQ(catalog.LiveChannels, before.LiveChannels);
  EXPECT_EQ(catalog.Movies, before.Movies);
  EXPECT_EQ(catalog.Series, before.Series);
  EXPECT_EQ(catalog.LiveCategories, before.LiveCategories);
  EXPECT_EQ(catalog.MovieCategories, before.MovieCategories);
  EXPECT_EQ(catalog.SeriesCategories, before.SeriesCategories);

  // An error page on a fresh catalog gives no items and no categories.
  provider_->SetErrorPage("get_live_streams", 404);
  Catalog fresh;
  EXPECT_FALSE(LoadLive(account_, u"ts", fresh));
  EXPECT_TRUE(fresh.LiveChannels->empty());
  EXPECT_TRUE(fresh.LiveCategories.empty());
}

TEST_F(XtreamClientTest, NoXtreamAccountMakesNoRequestAndWrongCredentialsGiveNothing) {
  XtreamAccount notXtream = account_;
  notXtream.IsXtream = false;
  Catalog catalog;
  EXPECT_FALSE(LoadLive(notXtream, u"ts", catalog));
  EXPECT_FALSE(LoadVodOrSeries(notXtream, VodKind::Movies, catalog));
  EXPECT_FALSE(LoadVodOrSeries(notXtream, VodKind::Series, catalog));
  SeriesInfo info{{{u"1", u"t", u"mp4", u"1"}}, u"plot"};
  EXPECT_FALSE(GetSeriesInfo(notXtream, u"9000", info));
  EXPECT_EQ(info, SeriesInfo{});
  EXPECT_TRUE(catalog.LiveCategories.empty());
  EXPECT_TRUE(server_.Requests().empty());

  XtreamAccount wrong = account_;
  wrong.Password = u"guess";
  catalog = Catalog{};
  EXPECT_FALSE(LoadLive(wrong, u"ts", catalog));
  EXPECT_FALSE(LoadVodOrSeries(wrong, VodKind::Series, catalog));
  EXPECT_TRUE(catalog.LiveChannels->empty());
  EXPECT_TRUE(catalog.Series->empty());
  info = SeriesInfo{};
  EXPECT_FALSE(GetSeriesInfo(wrong, generated().seriesDetails.begin()->first, info));
}

TEST_F(XtreamClientTest, EmptyListClearsTheItemsAndReturnsFalse) {
  Catalog catalog;
  ASSERT_TRUE(LoadLive(account_, u"ts", catalog));
  ASSERT_TRUE(LoadVodOrSeries(account_, VodKind::Series, catalog));
  provider_->SetOverride("get_live_streams", " [ ] ");
  provider_->SetOverride("get_series", "[]");
  provider_->SetOverride("get_series_categories", "[]");
  EXPECT_FALSE(LoadLive(account_, u"ts", catalog));
  EXPECT_FALSE(LoadVodOrSeries(account_, VodKind::Series, catalog));
  EXPECT_TRUE(catalog.LiveChannels->empty());
  EXPECT_TRUE(catalog.Series->empty());
  EXPECT_EQ(catalog.LiveCategories, TestLiveCategories(generated().liveCategoryList));
  EXPECT_EQ(catalog.SeriesCategories, WithVodSpecials({}));
}

TEST_F(XtreamClientTest, FailedCategoriesStillLoadTheItems) {
  provider_->SetErrorPage("get_live_categories", 500);
  provider_->SetEmptyAnswer("get_vod_categories");
  Catalog catalog;
  ASSERT_TRUE(LoadLive(account_, u"ts", catalog));
  ASSERT_TRUE(LoadVodOrSeries(account_, VodKind::Movies, catalog));
  EXPECT_EQ(catalog.LiveChannels->size(), generated().live.size());
  EXPECT_EQ(catalog.LiveCategories, TestLiveCategories({}));
  EXPECT_EQ(catalog.MovieCategories, WithVodSpecials({}));
}

// A notice before the live list, a comment after its categories, movies and
// series as objects keyed by index, all arriving in pieces of 61 bytes that
// split records everywhere: the catalog loads as from a clean server. (How
// the reader takes any split of such a text is JsonScanListReader's.)
TEST_F(XtreamClientTest, ListsWithPhpTextAroundThemArrivingInSmallPiecesLoad) {
  provider_->SetPhpQuirks(true);
  for (const char* action : {"get_live_streams", "get_vod_streams", "get_series"}) provider_->SetPieces(action, 61);
  Catalog catalog;
  ASSERT_TRUE(LoadLive(account_, u"ts", catalog));
  ASSERT_TRUE(LoadVodOrSeries(account_, VodKind::Movies, catalog));
  ASSERT_TRUE(LoadVodOrSeries(account_, VodKind::Series, catalog));
  ExpectSameItems(*catalog.LiveChannels, ExpectedItems(generated().live, ItemKind::Live, account_));
  EXPECT_EQ(catalog.LiveCategories, TestLiveCategories(generated().liveCategoryList));
  ExpectSameItems(*catalog.Movies, ExpectedItems(generated().movies, ItemKind::Vod, account_));
  ExpectSameItems(*catalog.Series, ExpectedItems(generated().series, ItemKind::Series, account_));
  // A cut answer still fails, around the notice too.
  provider_->ClearFaults();
  provider_->SetCut("get_live_streams", generated().liveStreams.size() / 2, XtreamFixture::CutStyle::Unsized);
  Catalog cut;
  EXPECT_FALSE(LoadLive(account_, u"ts", cut));
  EXPECT_TRUE(cut.LiveChannels->empty());
  provider_->SetPhpQuirks(false);
  provider_->ClearFaults();

  // A transfer cut while arriving in pieces changes nothing. (Wine's
  // WinHTTP reads a chunked answer cut short as whole.)
  if (UnderWine()) return;
  const SharedItems before = catalog.LiveChannels;
  provider_->ClearFaults();
  provider_->SetPieces("get_live_streams", 61);
  provider_->SetCut("get_live_streams", generated().liveStreams.size() - 3, XtreamFixture::CutStyle::Chunked);
  ProviderAnswer answer;
  EXPECT_FALSE(LoadLive(account_, u"ts", catalog, &answer));
  EXPECT_FALSE(answer.catalog);
  EXPECT_EQ(ProblemOf(answer), ProviderProblem::NoAnswer);
  EXPECT_EQ(catalog.LiveChannels, before);
}

TEST_F(XtreamClientTest, AListOverTheOldCapLoadsWhole) {
  // 49 MiB of white space before the records: the old 48 MiB cap kept none
  // of them (and took the cut list for a complete one).
  provider_->SetPadding("get_live_streams", 49 * kMiB, XtreamFixture::PadAt::AfterOpen);
  Catalog catalog;
  ASSERT_TRUE(LoadLive(account_, u"ts", catalog));
  ExpectSameItems(*catalog.LiveChannels, ExpectedItems(generated().live, ItemKind::Live, account_));
  EXPECT_EQ(catalog.LiveCategories, TestLiveCategories(generated().liveCategoryList));
}

TEST_F(XtreamClientTest, SlowAnswersAreAwaited) {
  provider_->SetDelay("get_live_categories", std::chrono::milliseconds(400));
  provider_->SetDelay("get_live_streams", std::chrono::milliseconds(400));
  provider_->SetDelay("get_series_info", std::chrono::milliseconds(400));
  Catalog catalog;
  EXPECT_TRUE(LoadLive(account_, u"ts", catalog));
  EXPECT_EQ(catalog.LiveCategories.size(), 5 + generated().liveCategoryList.size());
  SeriesInfo info;
  const auto& [id, expected] = *generated().seriesDetails.begin();
  GetSeriesInfo(account_, id, info);
  EXPECT_EQ(info, expected);
}

}  // namespace
