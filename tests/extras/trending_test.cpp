#include "extras/trending.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

constexpr std::u16string_view kImages = u"https://img.test";

TEST(ParseTrending, ReadsEveryResultWithItsOwnFieldsNeverTheNextOnes) {
  const auto movies = ParseTrending(R"({"page":1,"results":[
    {"backdrop_path":"/b1.jpg","id":912649,"title":"Harbour Lights","overview":"Keeper.",
     "poster_path":"/p1.jpg","release_date":"2025-11-07","vote_average":7.412},
    {"backdrop_path":null,"id":558449,"title":"Paper Orbit","poster_path":"/p2.jpg","release_date":"2025-10-24",
     "vote_average":6.9}],"total_pages":500})",
                                    kImages);
  ASSERT_EQ(movies.size(), 2u);
  EXPECT_EQ(movies[0].id, 912649);
  EXPECT_EQ(movies[0].title, u"Harbour Lights");
  EXPECT_EQ(movies[0].year, u"2025");
  EXPECT_EQ(movies[0].overview, u"Keeper.");
  EXPECT_EQ(movies[0].rating, u"7.412");
  EXPECT_EQ(movies[0].genreLine, u"ACTION | DRAMA");
  EXPECT_EQ(movies[0].imageUrl, u"https://img.test/t/p/w1280/b1.jpg");
  EXPECT_TRUE(movies[0].trailerUrl.empty());
  // A null backdrop is no backdrop: the poster's 780 picture is used.
  EXPECT_EQ(movies[1].imageUrl, u"https://img.test/t/p/w780/p2.jpg");

  // Scanning the whole page would give the first movie the second one's picture.
  const auto pair = ParseTrending(
      R"({"results":[{"id":1,"title":"First"},{"id":2,"title":"Second","backdrop_path":"/second.jpg"}]})", kImages);
  ASSERT_EQ(pair.size(), 2u);
  EXPECT_EQ(pair[0].imageUrl, u"");
  EXPECT_EQ(pair[1].imageUrl, u"https://img.test/t/p/w1280/second.jpg");
}

TEST(ParseTrending, TitleYearPictureAndIdRules) {
  const auto movies = ParseTrending(R"({"results":[
    {"id":1,"title":"","name":"Foo","release_date":"202","backdrop_path":"b.jpg","poster_path":"/p.jpg"},
    {"id":2,"title":"Bare","release_date":null},
    {"id":3,"title":"Unicode \u00e9t\u00e9","release_date":"2024-01-01","backdrop_path":"/x.jpg"}]})",
                                    kImages);
  ASSERT_EQ(movies.size(), 3u);
  EXPECT_EQ(movies[0].title, u"Foo");
  EXPECT_EQ(movies[0].year, u"");  // fewer than four characters
  EXPECT_EQ(movies[0].imageUrl, u"https://img.test/t/p/w780/p.jpg");  // backdrop without leading "/"
  EXPECT_EQ(movies[1].year, u"");    // a null date is no date, not "null"
  EXPECT_EQ(movies[1].imageUrl, u"");
  EXPECT_EQ(movies[2].title, u"Unicode été");

  const auto odd = ParseTrending(R"({"results":[
    {"title":"No id"},{"id":7},{"id":"  -12x","title":"Odd id"},{"id":"abc","title":"Not a number"}]})",
                                 kImages);
  ASSERT_EQ(odd.size(), 2u) << "entries without id or title are skipped";
  EXPECT_EQ(odd[0].id, -12);
  EXPECT_EQ(odd[1].id, 0);  // an id text without digits reads 0 but is present
}

TEST(ParseTrending, AnswerWithoutResultsArrayIsReadAsObjects) {
  EXPECT_EQ(ParseTrending(R"({"id":5,"title":"Lone"})", kImages).size(), 1u);
  EXPECT_TRUE(ParseTrending(R"({"page":1,"results":[]})", kImages).empty());
  EXPECT_TRUE(ParseTrending("", kImages).empty());
  EXPECT_TRUE(ParseTrending("<html>502 Bad Gateway</html>", kImages).empty());
}

TEST(TrailerKey, OnlyTheFirstVideoDecides) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {R"({"id":1,"results":[{"site":"YouTube","type":"Trailer","key":"abc123"}]})", "abc123"},
      {R"({"results":[{"site":"YouTube","type":"Teaser","key":"t1"}]})", "t1"},
      // A featurette first: the later teaser is not looked for.
      {R"({"results":[{"site":"YouTube","type":"Featurette","key":"f1"},{"site":"YouTube","type":"Teaser","key":"t2"}]})", ""},
      // A first video without a key gives nothing rather than the next key.
      {R"({"results":[{"site":"YouTube","type":"Trailer"},{"site":"YouTube","type":"Trailer","key":"second"}]})", ""},
      {R"({"results":[{"site":"youtube","type":"Trailer","key":"k"}]})", ""},
      {R"({"results":[{"site":"Vimeo","type":"Trailer","key":"k"}]})", ""},
      {R"({"results":[]})", ""},
      {"", ""}};
  for (const auto& [answer, key] : cases) EXPECT_EQ(TrailerKey(answer), key) << answer;
}

}  // namespace
