#pragma once
// The program's own files, read and written with care for what may stand in
// their place: an entry that is not a regular file (a folder, a FIFO, a
// device) is never read and never blocks, and a replaced file reaches the
// disk before it takes the old one's name. A reader never keeps the program
// from replacing a file (on Windows, files are opened with share-delete).
// Permission bits (`mode`) are POSIX's: on Windows a file takes its folder's
// access rules instead.
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

// A regular file mapped read-only into memory: for large files read once from
// start to end, without a copy into the heap. The bytes stay valid while the
// object lives. The program replaces its files by renaming a new file over
// the old (ReplaceFileDurably), which leaves a mapped old file whole; a file
// cut short in place by another program while mapped would fault, so only
// the program's own files are read this way.
class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(MappedFile&& other) noexcept;
  MappedFile& operator=(MappedFile&& other) noexcept;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  FileReadStatus status() const { return status_; }
  // The whole file when status() is Ok, else empty.
  std::string_view bytes() const { return {static_cast<const char*>(data_), size_}; }

 private:
  friend MappedFile MapRegularFile(const std::filesystem::path& path, uint64_t maxBytes);
  void Release();

  FileReadStatus status_ = FileReadStatus::Missing;
  void* data_ = nullptr;
  size_t size_ = 0;
};

// Maps a regular file of at most `maxBytes` bytes, with the checks of
// ReadRegularFile. Its pages are read in at once, in one pass of the kernel.
MappedFile MapRegularFile(const std::filesystem::path& path, uint64_t maxBytes);

// Creates `temp` (which must not exist) with exactly the permission bits
// `mode`, writes `bytes`, flushes it to the disk, renames it over `path` and
// flushes the folder, so that after a crash `path` holds the old content or
// the new, never a mix or nothing. On failure `temp` is removed and `path`
// is untouched.
bool ReplaceFileDurably(const std::filesystem::path& path, const std::filesystem::path& temp, std::string_view bytes,
                        unsigned mode);

// A file written piece by piece (a download of unknown length) that takes
// its name only when complete: pieces go to `temp` (created with exactly
// `mode`, which must not exist); Commit flushes it to the disk and renames
// it over `path`, as ReplaceFileDurably does. A writer destroyed without a
// successful Commit removes `temp` and leaves `path` untouched.
class StreamedFileReplacement {
 public:
  StreamedFileReplacement(std::filesystem::path path, std::filesystem::path temp, unsigned mode);
  ~StreamedFileReplacement();
  StreamedFileReplacement(const StreamedFileReplacement&) = delete;
  StreamedFileReplacement& operator=(const StreamedFileReplacement&) = delete;

  // False once any write failed (or the temporary could not be created);
  // later pieces are then dropped and Commit fails.
  bool Write(std::string_view bytes);
  bool Commit();

 private:
  std::filesystem::path path_, temp_;
  int fd_ = -1;
  bool failed_ = false;
  bool committed_ = false;
};

// Appends `bytes` to a regular file, creating it with `mode` when missing.
// False, without waiting, when something else stands there.
bool AppendToRegularFile(const std::filesystem::path& path, std::string_view bytes, unsigned mode);

// This process's id, which names its temporary files.
uint64_t CurrentProcessId();

// The folder under which programs keep their per-user data: $XDG_DATA_HOME,
// else ~/.local/share on Linux; %LOCALAPPDATA% on Windows. Empty when the
// environment names none. Does not create it.
std::filesystem::path UserDataRoot();

// The user's videos folder: $XDG_VIDEOS_DIR, else its line in the user
// folders file ($XDG_CONFIG_HOME or ~/.config, user-dirs.dirs; "$HOME/"
// expanded) on Linux; the Videos known folder on Windows. Empty when none
// is named. Does not create it.
std::filesystem::path UserVideosFolder();
