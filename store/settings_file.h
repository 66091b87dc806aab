#pragma once
// settings.json: one line of JSON that the program writes itself and reads
// back with its own tolerant scanner (not the network scanner).
#include <filesystem>
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
// serialised: any thread may call it; concurrent saves never interleave.
// A failed write is silent and changes nothing on disk.
void SaveSettings(const Settings& settings);

// The exact bytes SaveSettings writes.
std::string SerializeSettings(const Settings& settings);
// The reading rules applied to file text.
void ParseSettingsText(std::string_view text, Settings& settings);

// Settings-only scanners.
std::string SettingsValue(std::string_view text, std::string_view key);
std::vector<std::u16string> SettingsList(std::string_view text, std::string_view key);
