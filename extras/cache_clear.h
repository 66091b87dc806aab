#pragma once
// "Clear cache" frees the disk space the program fills by itself: the
// catalog cache, the downloaded icons and the home backdrop. Settings, the
// user's collections and the log stay.
#include <cstdint>
#include <filesystem>
#include <string>

// Deletes every regular file under base/catalog and base/icons (folders stay
// in place, subfolders included) and base/backdrop.jpg. Returns the bytes of
// the files found in the two folders, counted whether or not they could be
// deleted; a file whose size cannot be read counts 0. Main thread.
uint64_t ClearCache(const std::filesystem::path& base);

// "Clear cache: N KB" with N = bytes / 1024, rounded down.
std::u16string ClearCacheLine(uint64_t bytes);
