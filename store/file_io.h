#pragma once
// Whole-file reads and crash-safe whole-file writes.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The whole file as bytes; empty optional when it cannot be opened.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

// Writes `bytes` to a temporary file in the same folder and renames it over
// `path`, so a crash or a full disk never leaves a half-written file: readers
// see either the old content or the new. Returns false (old file untouched)
// on any failure. Safe to call from several threads for different paths.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);
