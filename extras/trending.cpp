#include "extras/trending.h"

#include <array>
#include <cctype>
#include <charconv>

#include "net/endpoints.h"
#include "net/http_client.h"
#include "net/json_scan.h"
#include "net/text.h"
#include "platform/image_decode.h"
#include "store/data_folder.h"
#include "store/file_io.h"
#include "i18n/translate.h"

namespace {

constexpr uint32_t kTrendingTimeoutMs = 12000;
constexpr uint32_t kVideosTimeoutMs = 10000;
constexpr uint32_t kBackdropTimeoutMs = 15000;
constexpr uint64_t kBackdropCap = 4ull * 1024 * 1024;

std::string Field(std::string_view object, std::string_view key) { return JsonScan::TextValue(object, key); }

// Leading blanks, an optional sign, then digits; anything else ends the
// number. No digits (or a number beyond 32 bits) gives 0.
int32_t LeadingInteger(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i < text.size() && text[i] == '+') ++i;
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data() + i, text.data() + text.size(), value);
  (void)end;
  return error == std::errc() ? value : 0;
}

// The text whose top-level objects are the answer's entries: its "results"
// array, read entry by entry so that one movie's missing field is never
// filled in from the next movie. An answer without a results array is read
// as a list of objects. `holder` keeps the array text alive.
std::string_view EntriesText(std::string_view body, std::string& holder) {
  holder = JsonScan::Array(body, "results");
  return holder.empty() ? body : std::string_view(holder);
}

bool IsImagePath(std::string_view path) { return !path.empty() && path.front() == '/'; }

TrendingMovie MovieFrom(std::string_view object, std::u16string_view imageBase) {
  TrendingMovie movie;
  movie.id = LeadingInteger(Field(object, "id"));
  movie.title = Utf8ToWide(Field(object, "title"));
  if (movie.title.empty()) movie.title = Utf8ToWide(Field(object, "name"));
  const std::u16string released = Utf8ToWide(Field(object, "release_date"));
  if (released.size() >= 4) movie.year = released.substr(0, 4);
  movie.overview = Utf8ToWide(Field(object, "overview"));
  movie.rating = Utf8ToWide(Field(object, "vote_average"));
  const std::string backdrop = Field(object, "backdrop_path");
  const std::string poster = Field(object, "poster_path");
  if (IsImagePath(backdrop)) {
    movie.imageUrl = std::u16string(imageBase) + u"/t/p/w1280" + Utf8ToWide(backdrop);
  } else if (IsImagePath(poster)) {
    movie.imageUrl = std::u16string(imageBase) + u"/t/p/w780" + Utf8ToWide(poster);
  }
  movie.genreLine = Translate("genre_line");
  return movie;
}

std::u16string ApiUrl(std::u16string_view pathAndQuery) {
  return Endpoints::TmdbApiUrl() + std::u16string(pathAndQuery) + AsciiToWide(kTmdbApiKey);
}

}  // namespace

std::vector<TrendingMovie> ParseTrending(std::string_view body, std::u16string_view imageBase) {
  std::vector<TrendingMovie> movies;
  std::string holder;
  for (std::string_view object : JsonScan::Objects(EntriesText(body, holder))) {
    // Kept only with both an id and a title: the id text may read as 0.
    if (Field(object, "id").empty()) continue;
    TrendingMovie movie = MovieFrom(object, imageBase);
    if (movie.title.empty()) continue;
    movies.push_back(std::move(movie));
  }
  return movies;
}

std::string TrailerKey(std::string_view body) {
  std::string holder;
  const std::vector<std::string_view> videos = JsonScan::Objects(EntriesText(body, holder));
  if (videos.empty()) return {};
  // Only the first video entry decides: a later teaser is not looked for.
  const std::string_view first = videos.front();
  const std::string type = Field(first, "type");
  if (Field(first, "site") != "YouTube") return {};
  if (type != "Trailer" && type != "Teaser") return {};
  return Field(first, "key");
}

std::vector<TrendingMovie> FetchTrending() {
  const HttpResult body = HttpClient::Get(ApiUrl(u"/3/trending/movie/week?api_key="), kTrendingTimeoutMs);
  if (body.empty()) return {};
  std::vector<TrendingMovie> movies = ParseTrending(body, Endpoints::TmdbImageUrl());
  if (movies.empty()) return movies;

  TrendingMovie& first = movies.front();
  const HttpResult videos =
      HttpClient::Get(ApiUrl(u"/3/movie/" + AsciiToWide(std::to_string(first.id)) + u"/videos?api_key="),
                      kVideosTimeoutMs);
  const std::string key = TrailerKey(videos);
  // The key becomes part of a URL handed to the trailer resolver: encoded,
  // so a strange key cannot add query parameters or break the address.
  if (!key.empty()) first.trailerUrl = Endpoints::WatchUrl() + u"/watch?v=" + Utf8ToWide(UrlEncode(key));
  return movies;
}

std::filesystem::path BackdropFile() { return DataFolder() / "backdrop.jpg"; }

bool DownloadBackdrop(std::u16string_view imageUrl, const std::filesystem::path& file) {
  if (imageUrl.empty()) return false;
  const HttpResult picture = HttpClient::Get(imageUrl, kBackdropTimeoutMs, kBackdropCap);
  if (picture.empty() || !DecodeImageBytes(picture)) return false;
  return WriteFileAtomically(file, picture);
}
