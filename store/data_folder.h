#pragma once
// The per-user data folder: $XDG_DATA_HOME/Vistra43/ (default
// ~/.local/share/Vistra43/). Everything the program keeps lives there.
#include <filesystem>

// The folder path; does not create it.
std::filesystem::path DataFolder();

// The folder path, created with missing parents (errors ignored).
std::filesystem::path EnsureDataFolder();
