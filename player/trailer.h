#pragma once
// Trailer resolution. Trailers are web-video watch pages, which the player
// cannot open itself (its own web-video hook is off), so before every load
// the URL passes through ResolveMediaUrl: a watch page is handed to yt-dlp
// for the direct media URL; every other URL passes through untouched.
//
// yt-dlp is an outside program, started (never through a shell) and given
// 20 seconds in all, reading its output included; after that it is killed
// and the page URL is used.
#include <filesystem>
#include <string>
#include <string_view>

// True when the URL names a page of the video site: it contains its main
// domain or its short-link domain ("youtube.com", "youtu.be"; letter case
// ignored). The site's bare name is not enough. A page under the configured
// watch address (VISTRA_WATCH_URL) + "/watch" counts as well.
bool IsWebVideoPage(std::u16string_view url);

// The yt-dlp to use: the file "yt-dlp" ("yt-dlp.exe" on Windows) in
// `programFolder` when it exists, else an executable of that name on PATH;
// empty when there is neither.
std::filesystem::path FindYtDlp(const std::filesystem::path& programFolder);

// The direct media URL for a watch page, or `url` unchanged: when it is no
// watch page, when there is no yt-dlp, when it cannot be started, when it
// prints no line starting with "http", or when it runs out of time.
// Synchronous: blocks the calling thread (the main thread, inside a load)
// for up to 20 seconds.
std::u16string ResolveMediaUrl(const std::u16string& url);

// The same with yt-dlp looked for beside `programFolder` instead of the
// executable's folder.
std::u16string ResolveMediaUrlFrom(const std::u16string& url, const std::filesystem::path& programFolder);

// The first line of the tool's output that starts with "http", without its
// trailing carriage returns and spaces; empty when there is none.
std::u16string FirstMediaUrlLine(std::string_view output);
