#pragma once
// This week's trending movies from the movie database: the first title
// dresses the Home screen (backdrop, information panel, trailer button).
//
// The fetch builds its list privately and returns it; the caller (the boot
// job) hands it to the main thread, which swaps it in whole. Nothing here
// keeps state, so every function is safe on any thread.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

struct TrendingMovie {
  int32_t id = 0;
  std::u16string title;
  std::u16string year;        // first four characters of the release date, or empty
  std::u16string imageUrl;    // the 1280-wide backdrop, else the 780-wide poster, else empty
  std::u16string overview;
  std::u16string genreLine;   // always "ACTION | DRAMA": no genre data is read
  std::u16string rating;      // vote_average as written
  std::u16string trailerUrl;  // watch page of the trailer; first movie only, empty unless found
};

// The program's own key for the movie database's public API.
inline constexpr std::string_view kTmdbApiKey = "6b1e0c7a92d4f83e5a17c0d9b2e48f61";

// Fetches the trending list and the first movie's trailer. Blocks on the
// network (up to 12 s for the list and 10 s for the videos): background
// threads only. An empty list means nothing usable came back.
std::vector<TrendingMovie> FetchTrending();

// Downloads the picture at `imageUrl` (15 s, at most 4 MiB) and, when a
// picture came back, replaces `file` with it atomically. An answer that does
// not decode (an image host's error page) leaves the file as it was. True
// when the file was written. Background threads only.
bool DownloadBackdrop(std::u16string_view imageUrl, const std::filesystem::path& file);

// backdrop.jpg in the data folder.
std::filesystem::path BackdropFile();

// --- parsing, exposed for tests ---

// The movies of one trending answer, in order. Each result object gives one
// movie; `imageBase` is the image host's base URL (no trailing slash).
std::vector<TrendingMovie> ParseTrending(std::string_view body, std::u16string_view imageBase);

// The trailer's video key from one videos answer: the first video entry's
// key when that entry is a "YouTube" "Trailer" or "Teaser"; otherwise empty.
std::string TrailerKey(std::string_view body);
