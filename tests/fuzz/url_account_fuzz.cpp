// URLs and accounts: splitting a URL for the client, deriving the account
// from a playlist URL, percent-encoding, the text conversions between them.
#include "catalog/account.h"
#include "net/base64.h"
#include "net/http_client.h"
#include "net/text.h"
#include "net/url_parts.h"
#include "tests/fuzz/fuzz_target.h"

VISTRA_FUZZ_TARGET(url_account) {
  if (const auto parts = SplitUrl(input)) FUZZ_CHECK(parts->port != 0 && !parts->host.empty());
  const std::u16string wide = Utf8ToWide(input);
  // UTF-16 from any bytes converts to UTF-8 and back unchanged.
  FUZZ_CHECK(Utf8ToWide(WideToUtf8(wide)) == wide);
  const XtreamAccount account = DeriveXtreamSource(wide);
  if (account.IsXtream) {
    FUZZ_CHECK(!account.Server.empty() && !account.User.empty());
    PlayerApiUrl(account, u"get_live_streams");
    LiveStreamUrl(account, u"1", u"");
  }
  const std::string encoded = UrlEncode(input);
  for (const char c : encoded) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '.' || c == '_' || c == '~' || c == '%';
    FUZZ_CHECK(plain);
  }
  if (LooksLikeBase64(input)) Base64Decode(input);
  FUZZ_CHECK(Base64Decode(Base64Encode(input)) == input);
}
