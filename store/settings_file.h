#pragma once
// settings.json: one line of JSON that the program writes itself and reads
// back with its own tolerant scanner (not the network scanner).
//
// The scanners never fail: whatever they cannot find reads as empty, and
// each field then follows its own reading rule. Keys count only where they
// stand as keys of the text's own object (outside strings, followed by a
// colon, not inside a nested list or object), and brackets and braces inside
// quoted names never end a list or an object, so a name such as "Kids {HD]"
// or an id holding quotes and backslashes reads back as it was written.
// All functions are thread-safe.
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "store/settings.h"

// Data folder + "settings.json"; creates the folder (errors ignored).
std::filesystem::path SettingsPath();

// Reads the file into `settings`, which already holds the defaults; each
// field follows its own reading rule. A missing file leaves the defaults.
void LoadSettings(Settings& settings);

// Writes the whole record. Crash-safe (temporary file and rename) and
// serialised: any thread may call it; concurrent saves never interleave and
// the file always holds one whole record. The caller must keep `settings`
// unchanged for the duration of the call. A failed write is silent and
// changes nothing on disk; returns whether the file was written.
bool SaveSettings(const Settings& settings);

// The exact bytes SaveSettings writes.
std::string SerializeSettings(const Settings& settings);
// The reading rules applied to file text.
void ParseSettingsText(std::string_view text, Settings& settings);

// Settings-only scanners.
// The bytes of one scalar value: a string is unescaped (a backslash keeps
// the byte after it, nothing else is translated), a bare token is returned
// up to the first ',', '}' or ']'. Spaces (only) after the colon are skipped.
std::string SettingsValue(std::string_view text, std::string_view key);
// The strings of the list `"key":[...]` (no white space before the '[').
std::vector<std::u16string> SettingsList(std::string_view text, std::string_view key);

// The structured members; entries with an empty url, groups with an empty
// name and resume positions below 1 (or with an empty key) are dropped.
std::vector<PlaylistEntry> SettingsExtra(std::string_view text);
std::vector<ChannelGroup> SettingsGroups(std::string_view text);
std::map<std::u16string, int32_t> SettingsResumeMs(std::string_view text);
