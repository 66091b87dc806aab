#include "platform/files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

namespace {

// Closes a descriptor when it leaves scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  void Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
  // Closes now and tells whether the close (the last chance for a write
  // error to show) succeeded.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(size_t(written));
  }
  return true;
}

// Flushes a folder's entries (the rename) to the disk.
void SyncFolder(const std::filesystem::path& folder) {
  Descriptor dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
}

// Opens `path` for reading and checks that it is a regular file of at most
// `maxBytes`, telling its size. The open does not block, so that a FIFO
// standing there cannot hold it until some writer appears; a regular file
// reads the same either way. On any status but Ok the file is closed.
FileReadStatus OpenRegularFile(const std::filesystem::path& path, uint64_t maxBytes, Descriptor& file,
                               uint64_t& size) {
  file.Reset(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (file.get() < 0) return (errno == ENOENT || errno == ENOTDIR) ? FileReadStatus::Missing : FileReadStatus::Failed;
  struct stat info {};
  FileReadStatus status = FileReadStatus::Ok;
  if (::fstat(file.get(), &info) != 0) {
    status = FileReadStatus::Failed;
  } else if (!S_ISREG(info.st_mode)) {
    status = FileReadStatus::NotRegular;
  } else if (uint64_t(info.st_size) > maxBytes) {
    status = FileReadStatus::TooLarge;
  }
  if (status != FileReadStatus::Ok) {
    file.Reset(-1);
    return status;
  }
  size = uint64_t(info.st_size);
  return status;
}

}  // namespace

FileContents ReadRegularFile(const std::filesystem::path& path, uint64_t maxBytes) {
  FileContents contents;
  Descriptor file(-1);
  uint64_t size = 0;
  contents.status = OpenRegularFile(path, maxBytes, file, size);
  if (contents.status != FileReadStatus::Ok) return contents;
  std::string bytes;
  bytes.resize(size_t(size));
  size_t filled = 0;
  // The file may change while it is read: read to its end, but never past
  // the bound.
  for (;;) {
    if (filled == bytes.size()) {
      if (bytes.size() >= maxBytes) {
        char probe;
        const ssize_t more = ::read(file.get(), &probe, 1);
        if (more > 0) {
          contents.status = FileReadStatus::TooLarge;
          return contents;
        }
        if (more < 0 && errno == EINTR) continue;
        break;
      }
      bytes.resize(size_t(std::min<uint64_t>(maxBytes, bytes.size() + 65536)));
    }
    const ssize_t got = ::read(file.get(), bytes.data() + filled, bytes.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      contents.status = FileReadStatus::Failed;
      return contents;
    }
    if (got == 0) break;
    filled += size_t(got);
  }
  bytes.resize(filled);
  contents.bytes = std::move(bytes);
  contents.status = FileReadStatus::Ok;
  return contents;
}

bool ReplaceFileDurably(const std::filesystem::path& path, const std::filesystem::path& temp, std::string_view bytes,
                        unsigned mode) {
  Descriptor file(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode & 07777));
  if (file.get() < 0) return false;
  // The umask may have taken bits away; the file gets exactly `mode`, and
  // keeps it when it replaces an older file with wider permissions.
  const bool written = ::fchmod(file.get(), mode & 07777) == 0 && WriteAll(file.get(), bytes) &&
                       ::fsync(file.get()) == 0;
  if (!file.Close() || !written || ::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  SyncFolder(path.parent_path());
  return true;
}

StreamedFileReplacement::StreamedFileReplacement(std::filesystem::path path, std::filesystem::path temp, unsigned mode)
    : path_(std::move(path)), temp_(std::move(temp)) {
  fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode & 07777);
  // The umask may have taken bits away; the file gets exactly `mode`.
  failed_ = fd_ < 0 || ::fchmod(fd_, mode & 07777) != 0;
}

StreamedFileReplacement::~StreamedFileReplacement() {
  // Open still: never committed (a Commit closes it, and removes the
  // temporary itself when it fails).
  if (fd_ < 0) return;
  ::close(fd_);
  ::unlink(temp_.c_str());
}

bool StreamedFileReplacement::Write(std::string_view bytes) {
  if (failed_ || committed_) return false;
  failed_ = !WriteAll(fd_, bytes);
  return !failed_;
}

bool StreamedFileReplacement::Commit() {
  if (failed_ || committed_ || fd_ < 0) return false;
  const bool synced = ::fsync(fd_) == 0;
  const bool closed = ::close(fd_) == 0;
  fd_ = -1;
  if (!synced || !closed || ::rename(temp_.c_str(), path_.c_str()) != 0) {
    ::unlink(temp_.c_str());
    failed_ = true;
    return false;
  }
  committed_ = true;
  SyncFolder(path_.parent_path());
  return true;
}

bool AppendToRegularFile(const std::filesystem::path& path, std::string_view bytes, unsigned mode) {
  Descriptor file(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, mode & 07777));
  if (file.get() < 0) return false;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  return WriteAll(file.get(), bytes);
}

MappedFile::~MappedFile() { Release(); }

MappedFile::MappedFile(MappedFile&& other) noexcept
    : status_(other.status_), data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
  if (this == &other) return *this;
  Release();
  status_ = other.status_;
  data_ = std::exchange(other.data_, nullptr);
  size_ = std::exchange(other.size_, 0);
  return *this;
}

void MappedFile::Release() {
  if (data_) ::munmap(data_, size_);
  data_ = nullptr;
  size_ = 0;
}

MappedFile MapRegularFile(const std::filesystem::path& path, uint64_t maxBytes) {
  MappedFile mapped;
  Descriptor file(-1);
  uint64_t size = 0;
  mapped.status_ = OpenRegularFile(path, maxBytes, file, size);
  // An empty file maps to nothing: it is read as empty.
  if (mapped.status_ != FileReadStatus::Ok || size == 0) return mapped;
  void* data = ::mmap(nullptr, size_t(size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, file.get(), 0);
  if (data == MAP_FAILED) {
    mapped.status_ = FileReadStatus::Failed;
    return mapped;
  }
  ::madvise(data, size_t(size), MADV_SEQUENTIAL);
  mapped.data_ = data;
  mapped.size_ = size_t(size);
  return mapped;
}

uint64_t CurrentProcessId() { return uint64_t(::getpid()); }

namespace {

// The XDG_VIDEOS_DIR line of a user-dirs.dirs text: XDG_VIDEOS_DIR="$HOME/Videos".
std::string VideosLine(const std::string& text, const std::string& home) {
  constexpr std::string_view kKey = "XDG_VIDEOS_DIR=\"";
  size_t at = 0;
  while ((at = text.find(kKey, at)) != std::string::npos) {
    const bool lineStart = at == 0 || text[at - 1] == '\n';
    const size_t from = at + kKey.size();
    const size_t end = text.find('"', from);
    at = from;
    if (!lineStart || end == std::string::npos) continue;
    std::string value = text.substr(from, end - from);
    if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
    return value;
  }
  return {};
}

}  // namespace

std::filesystem::path UserVideosFolder() {
  const char* videos = std::getenv("XDG_VIDEOS_DIR");
  if (videos && *videos) return std::filesystem::path(videos);
  const char* home = std::getenv("HOME");
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::filesystem::path file;
  if (config && *config) file = std::filesystem::path(config) / "user-dirs.dirs";
  else if (home && *home) file = std::filesystem::path(home) / ".config" / "user-dirs.dirs";
  else return {};
  std::ifstream in(file);
  if (!in) return {};
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string value = VideosLine(text, home ? home : "");
  // A line naming the home folder itself means "no videos folder".
  if (value.empty() || (home && std::filesystem::path(value) == std::filesystem::path(home))) return {};
  return std::filesystem::path(value);
}

std::filesystem::path UserDataRoot() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg) return std::filesystem::path(xdg);
  const char* home = std::getenv("HOME");
  if (home && *home) return std::filesystem::path(home) / ".local" / "share";
  return {};
}
