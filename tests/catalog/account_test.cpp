#include "catalog/account.h"

#include <gtest/gtest.h>

#include <vector>

#include "net/text.h"

namespace {

TEST(Account, DerivesServerUserAndPasswordInAnyOrderUndecodedAndNeedsAUser) {
  const XtreamAccount expected{u"http://tv.example.com:8080", u"a", u"b", true};
  EXPECT_EQ(DeriveXtreamSource(u"http://tv.example.com:8080/get.php?username=a&password=b&type=m3u_plus&output=ts"),
            expected);
  EXPECT_EQ(DeriveXtreamSource(u"http://tv.example.com:8080/get.php?password=b&type=m3u_plus&username=a&output=ts"),
            expected);

  // An empty password is enough, an empty user is not.
  const XtreamAccount noPassword = DeriveXtreamSource(u"http://h.example/get.php?username=a&password=");
  EXPECT_TRUE(noPassword.IsXtream);
  EXPECT_EQ(noPassword.Password, u"");

  EXPECT_FALSE(DeriveXtreamSource(u"http://h.example/get.php?password=b").IsXtream);
  EXPECT_FALSE(DeriveXtreamSource(u"http://h.example/get.php?username=&password=b").IsXtream);
  EXPECT_FALSE(DeriveXtreamSource(u"/get.php?username=a&password=b").IsXtream);  // no server
  EXPECT_FALSE(DeriveXtreamSource(u"http://h.example/list.m3u?username=a&password=b").IsXtream);
  EXPECT_EQ(DeriveXtreamSource(u""), XtreamAccount{});

  // Nothing is decoded, so an ampersand cuts the name.
  const XtreamAccount a = DeriveXtreamSource(u"http://h.example/get.php?username=tom&jerry&password=p%26q");
  EXPECT_EQ(a.User, u"tom");
  EXPECT_EQ(a.Password, u"p%26q");
  EXPECT_TRUE(a.IsXtream);
}

// Every URL the account builds, in today's form: accounts whose credentials
// can stand in a URL as they are must keep sending the very same bytes.
std::vector<std::u16string> EveryUrl(const XtreamAccount& a) {
  return {PlayerApiUrl(a, u"get_live_streams"), AccountInfoUrl(a), LiveStreamUrl(a, u"7", u""),
          LiveStreamUrl(a, u"7", u"m3u8"), MovieStreamUrl(a, u"201", u"mkv"), EpisodeStreamUrl(a, u"9001", u"mp4"),
          StreamUrlPrefix(a, u"timeshift")};
}

TEST(AccountUrls, OrdinaryCredentialsGiveTheUrlsTheyAlwaysGave) {
  const std::u16string credentials[][2] = {
      {u"alice", u"s3cret"}, {u"u", u""}, {u"a.b-c_d~", u"P4ss!$'()*+,;=:@"}, {u"x%26y", u"p%232"}};
  for (const auto& [user, password] : credentials) {
    const XtreamAccount a{u"http://h.example:8080", user, password, true};
    const std::u16string up = user + u"/" + password + u"/";
    const std::u16string query = u"username=" + user + u"&password=" + password;
    const std::vector<std::u16string> expected = {
        u"http://h.example:8080/player_api.php?" + query + u"&action=get_live_streams",
        u"http://h.example:8080/player_api.php?" + query,
        u"http://h.example:8080/live/" + up + u"7.ts",
        u"http://h.example:8080/live/" + up + u"7.m3u8",
        u"http://h.example:8080/movie/" + up + u"201.mkv",
        u"http://h.example:8080/series/" + up + u"9001.mp4",
        u"http://h.example:8080/timeshift/" + up};
    EXPECT_EQ(EveryUrl(a), expected) << WideToUtf8(user + u" " + password);
  }
}

TEST(AccountUrls, CredentialsThatCannotStandRawAreEncodedWhereverTheyGo) {
  const XtreamAccount a = DeriveXtreamSource(u"http://h.example/get.php?username=j\u00f6 e&password=p#2\t&type=m3u");
  EXPECT_EQ(a.User, u"j\u00f6 e");  // kept as derived
  EXPECT_EQ(a.Password, u"p#2\t");
  const std::vector<std::u16string> expected = {
      u"http://h.example/player_api.php?username=j%C3%B6%20e&password=p%232%09&action=get_live_streams",
      u"http://h.example/player_api.php?username=j%C3%B6%20e&password=p%232%09",
      u"http://h.example/live/j%C3%B6%20e/p%232%09/7.ts",
      u"http://h.example/live/j%C3%B6%20e/p%232%09/7.m3u8",
      u"http://h.example/movie/j%C3%B6%20e/p%232%09/201.mkv",
      u"http://h.example/series/j%C3%B6%20e/p%232%09/9001.mp4",
      u"http://h.example/timeshift/j%C3%B6%20e/p%232%09/"};
  EXPECT_EQ(EveryUrl(a), expected);
}

}  // namespace
