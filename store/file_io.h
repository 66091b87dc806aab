#pragma once
// Whole-file reads and crash-safe whole-file writes of the data folder.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"

// The whole file as bytes; empty optional when it is missing, unreadable or
// larger than `maxBytes`. Whatever stands there that is not a regular file
// (a folder, a FIFO, a device) reads as missing, never blocks the caller,
// and is named in the runtime log, as is a file over the bound.
constexpr uint64_t kDefaultReadBound = 64ull * 1024 * 1024;
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path, uint64_t maxBytes = kDefaultReadBound);
// The same, mapped into memory instead of copied (see MappedFile): for the
// program's own large files.
std::optional<MappedFile> MapWholeFile(const std::filesystem::path& path, uint64_t maxBytes);

// Private files of the data folder: settings and the catalog cache hold the
// account's password.
constexpr unsigned kPrivateFileMode = 0600;

// Writes `bytes` to a temporary file in the same folder ("<name>.tmp<process
// id>-<n>"), flushes it to the disk and renames it over `path`, so a crash
// or a full disk never leaves a half-written file: readers see either the
// old content or the new. The file gets exactly the permission bits `mode`,
// also when it replaces one with wider bits. Returns false (old file
// untouched) on any failure. Safe to call from several threads for
// different paths.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         unsigned mode = kPrivateFileMode);

// The same for a file that arrives in pieces (a download): its temporary
// is named as WriteFileAtomically names it, so a crashed write's leftover
// goes at the next start too.
std::unique_ptr<StreamedFileReplacement> StartFileReplacement(const std::filesystem::path& path,
                                                              unsigned mode = kPrivateFileMode);

// Removes the temporary files that saves of other processes left in
// `folder` (a save killed between writing its temporary file and the
// rename): regular files named "<name>.tmp<digits>-<digits>" whose process
// id is not this process's. Returns how many went.
size_t RemoveStaleTempFiles(const std::filesystem::path& folder);
