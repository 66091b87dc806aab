#pragma once
// Finding the external players the user may choose instead of the built-in
// one. Main thread; reads the file system only.
#include <filesystem>

enum class ExternalPlayerKind : int { None = 0, Vlc = 1, MxPlayer = 2 };

// VLC: /usr/bin/vlc, /usr/local/bin/vlc, /snap/bin/vlc, then "vlc" on PATH;
// MX Player: "mxplayer" on PATH. Empty when the player is not installed.
std::filesystem::path FindExternalPlayer(ExternalPlayerKind kind);

// Where a missing player can be downloaded from.
const char* ExternalPlayerDownloadUrl(ExternalPlayerKind kind);
