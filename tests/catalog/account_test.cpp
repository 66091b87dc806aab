#include "catalog/account.h"

#include <gtest/gtest.h>

namespace {

TEST(Account, DerivesServerUserAndPasswordInAnyKeyOrder) {
  const XtreamAccount expected{u"http://tv.example.com:8080", u"a", u"b", true};
  EXPECT_EQ(DeriveXtreamSource(u"http://tv.example.com:8080/get.php?username=a&password=b&type=m3u_plus&output=ts"),
            expected);
  EXPECT_EQ(DeriveXtreamSource(u"http://tv.example.com:8080/get.php?password=b&type=m3u_plus&username=a&output=ts"),
            expected);
}

TEST(Account, EmptyPasswordIsEnoughButAUserIsNot) {
  const XtreamAccount noPassword = DeriveXtreamSource(u"http://h.example/get.php?username=a&password=");
  EXPECT_TRUE(noPassword.IsXtream);
  EXPECT_EQ(noPassword.Password, u"");

  EXPECT_FALSE(DeriveXtreamSource(u"http://h.example/get.php?password=b").IsXtream);
  EXPECT_FALSE(DeriveXtreamSource(u"http://h.example/get.php?username=&password=b").IsXtream);
  EXPECT_FALSE(DeriveXtreamSource(u"/get.php?username=a&password=b").IsXtream);  // no server
  EXPECT_FALSE(DeriveXtreamSource(u"http://h.example/list.m3u?username=a&password=b").IsXtream);
  EXPECT_EQ(DeriveXtreamSource(u""), XtreamAccount{});
}

TEST(Account, NothingIsDecodedSoAnAmpersandCutsTheName) {
  const XtreamAccount a = DeriveXtreamSource(u"http://h.example/get.php?username=tom&jerry&password=p%26q");
  EXPECT_EQ(a.User, u"tom");
  EXPECT_EQ(a.Password, u"p%26q");
  EXPECT_TRUE(a.IsXtream);
}

}  // namespace
