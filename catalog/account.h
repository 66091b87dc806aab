#pragma once
// The Xtream Codes account derived from a playlist URL of the get.php form,
// and the URLs built from it. Values are kept exactly as the URL held them
// (nothing is percent-decoded, so "%23" stays "%23"); a URL built from them
// percent-encodes only what cannot stand raw in a URL (EscapeUrlUnsafe: the
// space, '#', control characters, non-ASCII), so credentials that were fit
// for a URL give the very bytes they always gave.
#include <string>
#include <string_view>

struct XtreamAccount {
  std::u16string Server;    // scheme, host and optional port; no trailing slash
  std::u16string User;
  std::u16string Password;
  bool IsXtream = false;
  bool operator==(const XtreamAccount&) const = default;
};

// Derives the account from `playlistUrl`: the server is everything before the
// first "/get.php"; user and password follow the first "username=" and
// "password=" up to the next '&'. IsXtream needs a server and a user (an
// empty password is allowed). A URL of another form gives IsXtream false.
XtreamAccount DeriveXtreamSource(std::u16string_view playlistUrl);

// Why `url` cannot be a playlist, as the key of the status text (empty when
// it can): it must be an http or https URL with a host, of the get.php form
// with a user.
std::string_view PlaylistUrlProblem(std::u16string_view url);

// User + "@" + Server in UTF-8: how the program's own files (recordings,
// guide choices) tell accounts apart.
std::string AccountKey(const XtreamAccount& account);

// "username=" + User + "&password=" + Password, URL-safe.
std::u16string CredentialsQuery(const XtreamAccount& account);

// Server + "/player_api.php?" + CredentialsQuery: the account answer
// (user_info and server_info).
std::u16string AccountInfoUrl(const XtreamAccount& account);

// AccountInfoUrl + "&action=" + action.
std::u16string PlayerApiUrl(const XtreamAccount& account, std::u16string_view action);
// The provider's whole programme guide as XMLTV: "<server>/xmltv.php?" and
// the credentials, as player_api.php gets them.
std::u16string WholeGuideUrl(const XtreamAccount& account);

// Server + "/" + folder + "/" + User + "/" + Password + "/", URL-safe: the
// start of every stream URL ("live", "movie", "series", "timeshift"). A
// list parser builds it once and appends each item's id + "." + ext.
std::u16string StreamUrlPrefix(const XtreamAccount& account, std::u16string_view folder);

// Stream URLs. Live uses the LiveFormat setting ("ts" when empty); a movie
// uses its container ("mp4" when empty); an episode its own container.
std::u16string LiveStreamUrl(const XtreamAccount& account, std::u16string_view id, std::u16string_view liveFormat);
std::u16string MovieStreamUrl(const XtreamAccount& account, std::u16string_view id, std::u16string_view containerExt);
std::u16string EpisodeStreamUrl(const XtreamAccount& account, std::u16string_view episodeId,
                                 std::u16string_view containerExt);
