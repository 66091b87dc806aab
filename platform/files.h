#pragma once
// The program's own files, read and written with care for what may stand in
// their place: an entry that is not a regular file (a folder, a FIFO, a
// device) is never read and never blocks, and a replaced file reaches the
// disk before it takes the old one's name.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

enum class FileReadStatus : uint8_t {
  Ok,
  Missing,     // nothing of that name
  NotRegular,  // a folder, FIFO, socket or device stands there
  TooLarge,    // larger than the reader's bound
  Failed,      // could not be opened or read (permissions, I/O error)
};

struct FileContents {
  FileReadStatus status = FileReadStatus::Missing;
  std::string bytes;  // the whole file when status is Ok, else empty
};

// Reads a regular file of at most `maxBytes` bytes. Symbolic links are
// followed; what they lead to must be a regular file too.
FileContents ReadRegularFile(const std::filesystem::path& path, uint64_t maxBytes);

// Creates `temp` (which must not exist) with exactly the permission bits
// `mode`, writes `bytes`, flushes it to the disk, renames it over `path` and
// flushes the folder, so that after a crash `path` holds the old content or
// the new, never a mix or nothing. On failure `temp` is removed and `path`
// is untouched.
bool ReplaceFileDurably(const std::filesystem::path& path, const std::filesystem::path& temp, std::string_view bytes,
                        unsigned mode);

// Appends `bytes` to a regular file, creating it with `mode` when missing.
// False, without waiting, when something else stands there.
bool AppendToRegularFile(const std::filesystem::path& path, std::string_view bytes, unsigned mode);

// This process's id, which names its temporary files.
uint64_t CurrentProcessId();
