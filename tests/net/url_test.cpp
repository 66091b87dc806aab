#include <gtest/gtest.h>

#include "net/http_client.h"
#include "net/text.h"
#include "net/url_parts.h"

TEST(UrlEncode, EncodesEveryByteButUnreservedAndEscapeUrlUnsafeOnlyWhatCannotStandRaw) {
  EXPECT_EQ(UrlEncode("a b/c"), "a%20b%2Fc");
  EXPECT_EQ(UrlEncode("AZaz09-._~"), "AZaz09-._~");
  EXPECT_EQ(UrlEncode("caf\xC3\xA9"), "caf%C3%A9");
  EXPECT_EQ(UrlEncode("+&=?%"), "%2B%26%3D%3F%25");
  EXPECT_EQ(UrlEncode(std::string_view("\0\xFF", 2)), "%00%FF");
  EXPECT_EQ(UrlEncode(""), "");

  const struct {
    std::u16string in;
    std::u16string out;
  } cases[] = {
      {u"p#2", u"p%232"},
      {u"a b", u"a%20b"},
      {u"\u00e9", u"%C3%A9"},
      {u"\U0001F600", u"%F0%9F%98%80"},  // a surrogate pair is one character
      {u"%23", u"%23"},                 // an escape already there is kept
      {std::u16string(u"\t\n\x7F\0", 4), u"%09%0A%7F%00"},
      // Everything else a URL may hold stays, so such texts are unchanged.
      {u"AZaz09-._~!$&'()*+,;=:@/?%", u"AZaz09-._~!$&'()*+,;=:@/?%"},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(EscapeUrlUnsafe(c.in), c.out) << WideToUtf8(c.in);
}

TEST(SplitUrl, SplitsSchemeHostPortPathAndQuery) {
  const struct {
    std::string_view url;
    bool secure;
    std::string_view host;
    int port;
    std::string_view path, query;
  } cases[] = {
      {"HTTPS://Example.com:8443/a/b.php?x=1&y=2", true, "Example.com", 8443, "/a/b.php", "?x=1&y=2"},
      {"http://host", false, "host", 80, "/", ""},
      {"https://host?q", true, "host", 443, "/", "?q"},
      {"http://[::1]:8080/x", false, "::1", 8080, "/x", ""},
      {"https://[fe80::1]/", true, "fe80::1", 443, "/", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    const auto parts = SplitUrl(c.url);
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->secure, c.secure);
    EXPECT_EQ(parts->host, c.host);
    EXPECT_EQ(parts->port, c.port);
    EXPECT_EQ(parts->path, c.path);
    EXPECT_EQ(parts->query, c.query);
  }
}

namespace {
// The port a URL connects to, or -1 when the URL fails.
int PortOf(std::string_view url) {
  const auto parts = SplitUrl(url);
  return parts ? parts->port : -1;
}
}  // namespace

TEST(SplitUrl, ParsesPortsStrictly) {
  EXPECT_EQ(PortOf("http://h:1/"), 1);
  EXPECT_EQ(PortOf("http://h:65535/"), 65535);
  EXPECT_EQ(PortOf("http://h:08080/"), 8080);
  EXPECT_EQ(PortOf("http://h:/"), 80);  // an empty port is the default
  EXPECT_FALSE(SplitUrl("http://h:0/"));
  EXPECT_FALSE(SplitUrl("http://h:65536/"));
  EXPECT_FALSE(SplitUrl("http://h:99999999999/"));
  EXPECT_FALSE(SplitUrl("http://h:8o/"));
  EXPECT_FALSE(SplitUrl("http://[::1/"));
  EXPECT_FALSE(SplitUrl("http://[::1]x/"));
}

TEST(SplitUrl, RefusesOtherSchemesMalformedUrlsAndOverlongParts) {
  EXPECT_FALSE(SplitUrl(""));
  EXPECT_FALSE(SplitUrl("ftp://h/"));
  EXPECT_FALSE(SplitUrl("file:///etc/passwd"));
  EXPECT_FALSE(SplitUrl("h/path"));
  EXPECT_FALSE(SplitUrl("http:/h/"));
  EXPECT_FALSE(SplitUrl("http:///path"));
  EXPECT_FALSE(SplitUrl("http://u:p@h/"));
  EXPECT_FALSE(SplitUrl("http://h/a b"));
  EXPECT_FALSE(SplitUrl("http://h/a\r\nX: y"));

  const std::string base = "http://h/p";
  EXPECT_TRUE(SplitUrl(base + "?" + std::string(2046, 'q')));   // query of 2047
  EXPECT_FALSE(SplitUrl(base + "?" + std::string(2047, 'q')));  // query of 2048
  EXPECT_TRUE(SplitUrl("http://" + std::string(255, 'h') + "/"));
  EXPECT_FALSE(SplitUrl("http://" + std::string(256, 'h') + "/"));
  EXPECT_TRUE(SplitUrl("http://h/" + std::string(4094, 'p')));   // path of 4095
  EXPECT_FALSE(SplitUrl("http://h/" + std::string(4095, 'p')));  // path of 4096
}

