#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "extras/trending.h"
#include "net/text.h"
#include "store/file_io.h"
#include "tests/extras/public_services_test.h"

namespace {

class TrendingOverHttp : public PublicServicesTest {
 protected:
  void SetUp() override {
    PublicServicesTest::SetUp();
    base_ = Utf8ToWide(server_.BaseUrl());
  }

  std::u16string base_;
};

TEST_F(TrendingOverHttp, FetchesTheListAndTheFirstMoviesTrailer) {
  const auto movies = FetchTrending();
  // Each result's fields are ParseTrending's; here the hosts they point at.
  ASSERT_EQ(movies.size(), 3u);
  EXPECT_EQ(movies[0].id, 912649);
  EXPECT_EQ(movies[0].imageUrl, base_ + u"/t/p/w1280/harbour-lights.jpg");
  EXPECT_EQ(movies[0].trailerUrl, base_ + u"/watch?v=hL7rAilEr01");
  EXPECT_EQ(movies[1].trailerUrl, u"");

  const auto lists = server_.RequestsTo("/3/trending/movie/week");
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(lists[0].Param("api_key"), std::string(kTmdbApiKey));
  const auto videos = server_.RequestsTo("/3/movie/912649/videos");
  ASSERT_EQ(videos.size(), 1u);
  EXPECT_EQ(videos[0].Param("api_key"), std::string(kTmdbApiKey));
  EXPECT_EQ(server_.Requests().size(), 2u);
}

// Which video is the trailer is TrailerKey's.
TEST_F(TrendingOverHttp, AFailedListGivesNothingAndAsksForNoVideos) {
  services_->SetEmptyAnswers(true);
  EXPECT_TRUE(FetchTrending().empty());
  EXPECT_TRUE(server_.RequestsTo("/3/movie/912649/videos").empty());
}

TEST_F(TrendingOverHttp, BackdropDownloadWritesThePicture) {
  const auto folder = std::filesystem::temp_directory_path() / ("vistra-backdrop-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const auto file = folder / "backdrop.jpg";

  const auto movies = FetchTrending();
  ASSERT_FALSE(movies.empty());
  ASSERT_TRUE(DownloadBackdrop(movies[0].imageUrl, file));
  const auto written = ReadWholeFile(file);
  ASSERT_TRUE(written);
  EXPECT_EQ(*written, PublicServicesFixture::Picture());
  EXPECT_EQ(written->substr(0, 2), "\xFF\xD8");  // a JPEG
  EXPECT_EQ(server_.RequestsTo("/t/p/w1280/harbour-lights.jpg").size(), 1u);

  // A failed download keeps the picture already on disk: an error page in
  // place of the picture, or nothing at all.
  services_->SetPictureMissing(true);
  EXPECT_FALSE(DownloadBackdrop(movies[0].imageUrl, file));
  EXPECT_EQ(ReadWholeFile(file), PublicServicesFixture::Picture());
  services_->SetEmptyAnswers(true);
  EXPECT_FALSE(DownloadBackdrop(movies[0].imageUrl, file));
  EXPECT_EQ(ReadWholeFile(file), PublicServicesFixture::Picture());
  EXPECT_FALSE(DownloadBackdrop(u"", file));
  std::filesystem::remove_all(folder);
}

}  // namespace
