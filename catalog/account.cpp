#include "catalog/account.h"

#include "net/http_client.h"
#include "net/text.h"

namespace {

constexpr size_t npos = std::u16string_view::npos;

std::u16string_view ValueAfter(std::u16string_view url, size_t keyEnd) {
  const size_t amp = url.find(u'&', keyEnd);
  return url.substr(keyEnd, amp == npos ? npos : amp - keyEnd);
}

std::u16string StreamUrl(const XtreamAccount& a, std::u16string_view folder, std::u16string_view id,
                         std::u16string_view ext) {
  std::u16string url = StreamUrlPrefix(a, folder);
  url.append(id).append(u".").append(ext);
  return url;
}

}  // namespace

XtreamAccount DeriveXtreamSource(std::u16string_view url) {
  XtreamAccount account;
  const size_t getPhp = url.find(u"/get.php");
  if (getPhp == npos) return account;
  const size_t user = url.find(u"username=");
  const size_t pass = url.find(u"password=");
  if (user == npos || pass == npos) return account;
  account.Server = std::u16string(url.substr(0, getPhp));
  account.User = std::u16string(ValueAfter(url, user + 9));
  account.Password = std::u16string(ValueAfter(url, pass + 9));
  account.IsXtream = !account.Server.empty() && !account.User.empty();
  return account;
}

std::u16string CredentialsQuery(const XtreamAccount& a) {
  return u"username=" + EscapeUrlUnsafe(a.User) + u"&password=" + EscapeUrlUnsafe(a.Password);
}

std::u16string AccountInfoUrl(const XtreamAccount& a) { return a.Server + u"/player_api.php?" + CredentialsQuery(a); }

std::u16string WholeGuideUrl(const XtreamAccount& a) { return a.Server + u"/xmltv.php?" + CredentialsQuery(a); }

std::u16string PlayerApiUrl(const XtreamAccount& a, std::u16string_view action) {
  std::u16string url = AccountInfoUrl(a);
  url.append(u"&action=").append(action);
  return url;
}

std::u16string StreamUrlPrefix(const XtreamAccount& a, std::u16string_view folder) {
  std::u16string url = a.Server;
  url.append(u"/").append(folder).append(u"/").append(EscapeUrlUnsafe(a.User)).append(u"/");
  url.append(EscapeUrlUnsafe(a.Password)).append(u"/");
  return url;
}

std::u16string LiveStreamUrl(const XtreamAccount& a, std::u16string_view id, std::u16string_view liveFormat) {
  return StreamUrl(a, u"live", id, liveFormat.empty() ? u"ts" : liveFormat);
}

std::u16string MovieStreamUrl(const XtreamAccount& a, std::u16string_view id, std::u16string_view containerExt) {
  return StreamUrl(a, u"movie", id, containerExt.empty() ? u"mp4" : containerExt);
}

std::u16string EpisodeStreamUrl(const XtreamAccount& a, std::u16string_view episodeId,
                                std::u16string_view containerExt) {
  return StreamUrl(a, u"series", episodeId, containerExt);
}

std::string_view PlaylistUrlProblem(std::u16string_view url) {
  const bool web = url.starts_with(u"http://") || url.starts_with(u"https://");
  const size_t hostStart = url.find(u"://") + 3;
  const bool host = web && hostStart < url.size() && url[hostStart] != u'/' && url[hostStart] != u':';
  if (!host) return "url_not_playlist";
  if (!DeriveXtreamSource(url).IsXtream) return "url_not_xtream";
  return {};
}

std::string AccountKey(const XtreamAccount& account) {
  std::u16string key = account.User;
  key += u'@';
  key += account.Server;
  return WideToUtf8(key);
}
