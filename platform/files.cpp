#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

}  // namespace

FileContents ReadRegularFile(const std::filesystem::path& path, uint64_t maxBytes) {
  FileContents contents;
  // Non-blocking, so that a FIFO standing there cannot hold the open until
  // some writer appears; a regular file reads the same either way.
  Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (file.get() < 0) {
    contents.status = (errno == ENOENT || errno == ENOTDIR) ? FileReadStatus::Missing : FileReadStatus::Failed;
    return contents;
  }
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) {
    contents.status = FileReadStatus::Failed;
    return contents;
  }
  if (!S_ISREG(info.st_mode)) {
    contents.status = FileReadStatus::NotRegular;
    return contents;
  }
  if (uint64_t(info.st_size) > maxBytes) {
    contents.status = FileReadStatus::TooLarge;
    return contents;
  }
  std::string bytes;
  bytes.resize(size_t(info.st_size));
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

bool AppendToRegularFile(const std::filesystem::path& path, std::string_view bytes, unsigned mode) {
  Descriptor file(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, mode & 07777));
  if (file.get() < 0) return false;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  return WriteAll(file.get(), bytes);
}

uint64_t CurrentProcessId() { return uint64_t(::getpid()); }
