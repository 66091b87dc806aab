#pragma once
// Finding the external players the user may choose instead of the built-in
// one. Main thread; reads the file system only.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

enum class ExternalPlayerKind : int { None = 0, Vlc = 1, MxPlayer = 2 };

// The player's usual install places (UsualInstallPaths: on Linux VLC in
// /usr/bin, /usr/local/bin, /snap/bin), then the program on PATH ("vlc",
// "mxplayer"; "vlc.exe", "mxplayer.exe" on Windows). Empty when the player
// is not installed.
std::filesystem::path FindExternalPlayer(ExternalPlayerKind kind);

// Where a missing player can be downloaded from.
const char* ExternalPlayerDownloadUrl(ExternalPlayerKind kind);

// The argument vector that hands `url` to `player`: the player, then the
// URL as one argument exactly as it is (no quoting, no shell).
std::vector<std::string> ExternalPlayerArgs(const std::filesystem::path& player, const std::u16string& url);

// What LaunchExternal needs from around it; each may be left empty.
struct ExternalLaunchHooks {
  // Finds the player (default FindExternalPlayer).
  std::function<std::filesystem::path(ExternalPlayerKind)> find;
  // Starts the program (default LaunchDetached).
  std::function<bool(const std::vector<std::string>&)> launch;
  // The player is missing: ask whether to open its download page.
  std::function<void(ExternalPlayerKind)> offerDownload;
  // A short notice: the text of a translation key and its duration.
  std::function<void(const char* key, uint64_t durationMs)> notice;
};

// The player of the ExternalKind setting: 2 MX Player, any other positive
// value VLC, 0 or below none.
ExternalPlayerKind ExternalKindOf(int32_t setting);

// Hands `url` to the external player chosen by `externalKind`. False without
// a word when the URL is empty or no external player is chosen. A missing
// player brings the download offer and the "ext_fail" notice; a start that
// fails the "ext_fail" notice; a started one the "ext_ok" notice (2.5 s
// each). A URL starting with "-" is refused as a failed start: the player
// would read it as one of its options. The internal playback is untouched.
bool LaunchExternal(const std::u16string& url, int32_t externalKind, const ExternalLaunchHooks& hooks);
