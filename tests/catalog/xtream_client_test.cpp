#include "catalog/xtream_client.h"

#include <gtest/gtest.h>

#include <string>

namespace {

XtreamAccount Account() { return {u"http://tv.example:8080", u"u", u"p", true}; }

TEST(XtreamParse, CategoriesKeepServerOrderAndSkipThoseWithoutId) {
  const auto categories = ParseServerCategories(R"([
    {"category_id":"7","category_name":"Kids {HD","parent_id":0},
    {"category_id":3,"category_name":null},
    {"category_id":"","category_name":"No id"},
    {"category_name":"Missing id"},
    {"category_id" : "xxx9", "category_name" : "Caf\u00e9 \"Night\""}])");
  ASSERT_EQ(categories.size(), 3u);
  EXPECT_EQ(categories[0], (Category{u"Kids {HD", u"7"}));
  EXPECT_EQ(categories[1], (Category{u"null", u"3"}));
  EXPECT_EQ(categories[2], (Category{u"Caf\u00e9 \"Night\"", u"xxx9"}));
}

TEST(XtreamParse, LiveStreamFieldsIdsAsTextServerOrderAndUrlsInTheLiveFormat) {
  const auto items = *ParseLiveStreams(R"([
    {"num":2,"name":"BBC \ud83d\udcfa One","stream_type":"live","stream_id":"007",
     "stream_icon":"http:\/\/logo.example\/a.png","epg_channel_id":null,"added":"1700000000",
     "category_id":"12","category_ids":[12],"tv_archive":"1","tv_archive_duration":3},
    {"num":"1","name":"stream_id","stream_id":42,"category_id":5,"tv_archive":1,"container_extension":"m3u8"},
    {"name":"dropped: no id","stream_id":""},
    {"name":"dropped: missing id"}
  ])", Account(), u"m3u8");
  ASSERT_EQ(items.size(), 2u);
  const CatalogItem& a = items[0];
  EXPECT_EQ(a.id(), u"007");
  EXPECT_EQ(a.name(), u"BBC \U0001F4FA One");
  EXPECT_EQ(a.kind(), u"live");
  EXPECT_EQ(a.categoryId(), u"12");
  EXPECT_EQ(a.epgChannelId(), u"null");  // a JSON null is kept as its text
  EXPECT_EQ(a.containerExt(), u"m3u8");   // no container: the LiveFormat setting
  EXPECT_EQ(a.icon(), u"http://logo.example/a.png");
  EXPECT_EQ(a.num(), u"2");
  EXPECT_EQ(a.url(), u"http://tv.example:8080/live/u/p/007.m3u8");
  EXPECT_EQ(a.tvArchive(), 1);
  EXPECT_EQ(a.added(), u"1700000000");
  EXPECT_TRUE(a.rating().empty());
  // A value that reads like a key is still a value.
  EXPECT_EQ(items[1].name(), u"stream_id");
  EXPECT_EQ(items[1].id(), u"42");
  EXPECT_EQ(items[1].categoryId(), u"5");
  EXPECT_EQ(items[1].num(), u"1");

  // The URL always ends in the LiveFormat, whatever the container.
  const std::string json = R"([{"stream_id":"1","container_extension":"m3u8"},{"stream_id":"2"}])";
  const auto ts = *ParseLiveStreams(json, Account(), u"ts");
  ASSERT_EQ(ts.size(), 2u);
  EXPECT_EQ(ts[0].containerExt(), u"m3u8");
  EXPECT_EQ(ts[0].url(), u"http://tv.example:8080/live/u/p/1.ts");
  EXPECT_EQ(ts[1].containerExt(), u"ts");
  // An empty LiveFormat leaves the container empty but the URL still ends in .ts.
  const auto none = *ParseLiveStreams(json, Account(), u"");
  EXPECT_TRUE(none[1].containerExt().empty());
  EXPECT_EQ(none[1].url(), u"http://tv.example:8080/live/u/p/2.ts");
}

TEST(XtreamParse, TvArchiveReadsLikeAtoi) {
  const auto items = *ParseLiveStreams(R"([
    {"stream_id":"1","tv_archive":1},{"stream_id":"2","tv_archive":"1"},{"stream_id":"3","tv_archive":null},
    {"stream_id":"4","tv_archive":"yes"},{"stream_id":"5","tv_archive":" 2x"},{"stream_id":"6"},
    {"stream_id":"7","tv_archive":"-3"},{"stream_id":"8","tv_archive":99999999999}])", Account(), u"ts");
  ASSERT_EQ(items.size(), 8u);
  const int32_t expected[] = {1, 1, 0, 0, 2, 0, -3, INT32_MAX};
  for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i].tvArchive(), expected[i]) << "item " << i;
}

TEST(XtreamParse, BracesAndQuotesInsideNamesDoNotSplitObjectsAndEmptyListsGiveNone) {
  const auto items = *ParseLiveStreams(R"([{"stream_id":"1","name":"} Late {"},
    {"stream_id":"2","name":"Say \"Hi\" \\o\/ {"},{"stream_id":"3","name":"\u0041\n"}])", Account(), u"ts");
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].name(), u"} Late {");
  EXPECT_EQ(items[1].name(), u"Say \"Hi\" \\o/ {");
  EXPECT_EQ(items[2].name(), u"A\n");

  EXPECT_TRUE(ParseLiveStreams("[]", Account(), u"ts")->empty());
  EXPECT_TRUE(ParseVodOrSeries("[]", Account(), VodKind::Movies)->empty());
  EXPECT_TRUE(ParseServerCategories("").empty());
}

TEST(XtreamParse, MovieContainerFallsBackToMp4NullStaysNullAndSeriesHaveNoUrl) {
  const auto movies = *ParseVodOrSeries(R"([
    {"num":1,"name":"A","stream_id":10,"stream_icon":"i","rating":7.5,"added":"5","category_id":"3"},
    {"name":"B","stream_id":"11","container_extension":null,"rating":""},
    {"name":"C","stream_id":"12","container_extension":"mkv"}])", Account(), VodKind::Movies);
  ASSERT_EQ(movies.size(), 3u);
  EXPECT_EQ(movies[0].kind(), u"vod");
  EXPECT_EQ(movies[0].containerExt(), u"mp4");
  EXPECT_EQ(movies[0].url(), u"http://tv.example:8080/movie/u/p/10.mp4");
  EXPECT_EQ(movies[0].rating(), u"7.5");
  EXPECT_EQ(movies[0].icon(), u"i");
  EXPECT_TRUE(movies[0].epgChannelId().empty());
  EXPECT_EQ(movies[0].tvArchive(), 0);
  EXPECT_EQ(movies[1].containerExt(), u"null");
  EXPECT_EQ(movies[1].url(), u"http://tv.example:8080/movie/u/p/11.null");
  EXPECT_EQ(movies[2].url(), u"http://tv.example:8080/movie/u/p/12.mkv");

  // Series use series_id and cover, and have no URL.
  const auto series = *ParseVodOrSeries(R"([
    {"num":1,"name":"S","series_id":77,"stream_id":"wrong","cover":"c.jpg","stream_icon":"wrong",
     "rating":"8","category_id":"4","tv_archive":1},
    {"name":"no series_id","stream_id":"5"}])", Account(), VodKind::Series);
  ASSERT_EQ(series.size(), 1u);
  EXPECT_EQ(series[0].kind(), u"series");
  EXPECT_EQ(series[0].id(), u"77");
  EXPECT_EQ(series[0].icon(), u"c.jpg");
  EXPECT_EQ(series[0].containerExt(), u"mp4");
  EXPECT_TRUE(series[0].url().empty());
  EXPECT_EQ(series[0].tvArchive(), 0);
}

std::string EpisodeJson(std::string_view id, std::string_view members) {
  return "{\"id\":\"" + std::string(id) + "\"," + std::string(members) + R"(,"info":{"plot":"p {x}"}})";
}

TEST(XtreamParse, SeriesInfoEpisodesInOrderWithFallbacks) {
  const std::string json = R"({"seasons":[{"id":1,"name":"Season 1","season_number":1}],
    "info":{"name":"Show","plot":"The plot \"quoted\""},
    "episodes":{"1":[)" + EpisodeJson("101", R"("episode_num":1,"title":"Pilot","container_extension":"mkv","season":1)") +
                           "," + EpisodeJson("102", R"("episode_num":"2","title":"No container","season_num":"1")") +
                           "," + EpisodeJson("103", R"("title":"Neither key","season":1)") + "," +
                           EpisodeJson("", R"("episode_num":4,"container_extension":"mp4")") + "],\"2\":[" +
                           EpisodeJson("201", R"("container_extension":"avi","title":"No season")") + "," +
                           EpisodeJson("202", R"("container_extension":"","episode_num":2,"season":2)") + "]}}";
  SeriesInfo info;
  info.Episodes.push_back({u"stale", u"", u"", u""});
  ASSERT_TRUE(ParseSeriesInfo(json, info));
  EXPECT_EQ(info.SeriesPlot, u"The plot \"quoted\"");
  const std::vector<Episode> expected = {{u"101", u"Pilot", u"mkv", u"1", u"1"},
                                         {u"102", u"No container", u"mp4", u"1", u"2"},
                                         {u"201", u"No season", u"avi", u"1", u""},
                                         {u"202", u"", u"mp4", u"2", u"2"}};
  EXPECT_EQ(info.Episodes, expected);
}

TEST(XtreamParse, SeriesInfoScanStartsAtTheEpisodesKeyAndMayFindNone) {
  SeriesInfo info;
  EXPECT_FALSE(ParseSeriesInfo(R"({"seasons":[],"info":{"plot":"x"},"episodes":[]})", info));
  EXPECT_EQ(info.SeriesPlot, u"x");
  EXPECT_FALSE(ParseSeriesInfo(R"({"episodes":{"1":[{"id":"1","title":"t","info":{}}]}})", info));
  EXPECT_TRUE(info.Episodes.empty());
  EXPECT_FALSE(ParseSeriesInfo("", info));

  // Objects before "episodes" are not episodes even when they look like one,
  // and the word "episodes" as a value does not move the start.
  const std::string json = R"({"info":{"name":"episodes","plot":"p"},"seasons":[{"id":"0","episode_num":0}],
    "episodes":[{"id":"5","episode_num":1}]})";
  ASSERT_TRUE(ParseSeriesInfo(json, info));
  ASSERT_EQ(info.Episodes.size(), 1u);
  EXPECT_EQ(info.Episodes[0].id, u"5");
  // Without an "episodes" key the whole answer is searched.
  ASSERT_TRUE(ParseSeriesInfo(R"([{"id":"1","container_extension":"mkv","season":3}])", info));
  EXPECT_EQ(info.Episodes[0].season, u"3");
}

// Whether an object is an episode or a container of episodes depends on its
// own members, not on its size: a short single-season answer must give all
// its episodes, and an episode with a long plot must not be lost.
TEST(XtreamParse, SeriesInfoEpisodeDetectionIgnoresObjectSizes) {
  const std::string small = R"({"episodes":{"1":[)" + EpisodeJson("1", R"("episode_num":1,"container_extension":"mp4")") +
                            "," + EpisodeJson("2", R"("episode_num":2,"container_extension":"mp4")") + "]}}";
  ASSERT_LT(small.size(), 6001u);
  SeriesInfo info;
  ASSERT_TRUE(ParseSeriesInfo(small, info));
  ASSERT_EQ(info.Episodes.size(), 2u);
  EXPECT_EQ(info.Episodes[1].id, u"2");

  const std::string longPlot(7000, 'x');
  const std::string big = R"({"episodes":[[{"id":"9","episode_num":1,"info":{"plot":")" + longPlot +
                          R"("}},{"id":"10","episode_num":2}]]})";
  ASSERT_TRUE(ParseSeriesInfo(big, info));
  ASSERT_EQ(info.Episodes.size(), 2u);
  EXPECT_EQ(info.Episodes[0].id, u"9");
  EXPECT_EQ(info.Episodes[1].id, u"10");
}

// The walk decides each object at its closing brace: an episode key after
// nested objects still makes an episode (its nested ones are part of it),
// episodes any depth down are found, and a cut answer gives none of the
// episodes inside the object it left open.
TEST(XtreamParse, SeriesInfoEpisodesAtAnyDepthInOnePass) {
  SeriesInfo info;
  ASSERT_TRUE(ParseSeriesInfo(R"({"episodes":{"1":[{"info":{"name":"x","episode_num":9},"id":"7","episode_num":1}]}})",
                              info));
  ASSERT_EQ(info.Episodes.size(), 1u);
  EXPECT_EQ(info.Episodes[0].id, u"7");

  constexpr int kDepth = 100000;
  std::string deep = R"({"episodes":)";
  for (int i = 0; i < kDepth; ++i) deep += R"({"s":[)";
  deep += R"({"id":"42","container_extension":"mkv"})";
  for (int i = 0; i < kDepth; ++i) deep += "]}";
  deep += "}";
  ASSERT_TRUE(ParseSeriesInfo(deep, info));
  ASSERT_EQ(info.Episodes.size(), 1u);
  EXPECT_EQ(info.Episodes[0].containerExt, u"mkv");

  const std::string whole = R"({"episodes":{"1":[{"id":"1","episode_num":1},{"id":"2","episode_num":2}]}})";
  EXPECT_FALSE(ParseSeriesInfo(whole.substr(0, whole.size() - 3), info)) << "the season list was cut";
  EXPECT_FALSE(ParseSeriesInfo(R"({"episodes":)" + std::string(1 << 20, '{'), info));
}

}  // namespace
