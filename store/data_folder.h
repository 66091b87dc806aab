#pragma once
// The per-user data folder: $XDG_DATA_HOME/Vistra43/ (default
// ~/.local/share/Vistra43/) on Linux, %LOCALAPPDATA%\Vistra43\ on Windows.
// Everything the program keeps lives there.
#include <filesystem>

// The folder path; does not create it.
std::filesystem::path DataFolder();

// The folder path, created with missing parents (errors ignored).
std::filesystem::path EnsureDataFolder();

// Removes what interrupted saves of earlier runs left behind (their
// temporary files, see RemoveStaleTempFiles) from the data folder and its
// "catalog", "icons", "guide" and "guide/sources" folders (a guide download
// killed part-way leaves one there), and logs how many went. Safe while this
// process saves: its own temporary files are kept.
void RemoveStaleSaves();
