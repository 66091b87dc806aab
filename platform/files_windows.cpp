#include "platform/files.h"

#include <windows.h>
#include <io.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

// Windows' rules differ from Linux's where it matters here: an open file
// blocks its own replacement unless every opener allowed deletion, so the
// program opens each of its files with FILE_SHARE_DELETE (readers never hold
// up a save); and a name is replaced by a rename with write-through instead
// of a rename and a folder flush. Permission bits do not exist: a file takes
// the access rules of its folder, which in the per-user data folder are the
// user's alone.

namespace {

// A handle closed when it leaves scope.
class Handle {
 public:
  explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  ~Handle() { Reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  void Reset(HANDLE handle = INVALID_HANDLE_VALUE) {
    if (valid()) CloseHandle(handle_);
    handle_ = handle;
  }
  HANDLE Release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }

 private:
  HANDLE handle_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Windows 10's rename of a handle with flags (FileRenameInfoEx and its
// flags), which mingw-w64's headers hide behind a version test they cannot
// pass.
constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
constexpr DWORD kRenameReplaceIfExists = 0x1;
constexpr DWORD kRenamePosixSemantics = 0x2;

// How long a plain rename is tried again while a reader holds the old file
// (each read holds it for moments).
constexpr ULONGLONG kRenameRetryMs = 1000;

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD piece = DWORD(std::min<size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), piece, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// Opens `path` for reading and checks that it is a regular file of at most
// `maxBytes`, telling its size. Folders open too (backup semantics), so that
// they are told apart from files that are missing; devices and pipes are not
// disk files. On any status but Ok the handle is closed.
FileReadStatus OpenRegularFile(const std::filesystem::path& path, uint64_t maxBytes, Handle& file, uint64_t& size) {
  file.Reset(CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.valid()) {
    const DWORD error = GetLastError();
    return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME)
               ? FileReadStatus::Missing
               : FileReadStatus::Failed;
  }
  FileReadStatus status = FileReadStatus::Ok;
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(file.get()) != FILE_TYPE_DISK) {
    status = FileReadStatus::NotRegular;
  } else if (!GetFileInformationByHandle(file.get(), &info)) {
    status = FileReadStatus::Failed;
  } else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    status = FileReadStatus::NotRegular;
  } else if (((uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow) > maxBytes) {
    status = FileReadStatus::TooLarge;
  }
  if (status != FileReadStatus::Ok) {
    file.Reset();
    return status;
  }
  size = (uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  return status;
}

// Creates `temp` (which must not exist) for writing through to the disk.
HANDLE CreateTemp(const std::filesystem::path& temp) {
  return CreateFileW(temp.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
}

// Windows 10's rename of a handle that replaces a file other handles hold
// open (with share-delete) and leaves them reading the old one.
bool PosixRename(HANDLE file, const std::filesystem::path& path) {
  const std::wstring& target = path.native();
  const size_t bytes = sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t);
  std::string buffer(bytes, '\0');
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  // The flags take the place of the older ReplaceIfExists byte.
  const DWORD flags = kRenameReplaceIfExists | kRenamePosixSemantics;
  std::memcpy(buffer.data(), &flags, sizeof flags);
  info->RootDirectory = nullptr;
  info->FileNameLength = DWORD(target.size() * sizeof(wchar_t));
  std::copy(target.begin(), target.end(), info->FileName);
  return SetFileInformationByHandle(file, kFileRenameInfoEx, info, DWORD(bytes));
}

// A name for the old file that ReplaceFileW moves aside: the form of the
// program's temporary files ("<name>.tmp<process>-<n>", with n far above the
// numbers the savers count), so that when it cannot be removed at once (it
// is mapped) a later run's sweep of stale temporary files removes it.
std::filesystem::path AsideName(const std::filesystem::path& path) {
  static std::atomic<uint64_t> counter{uint64_t(1) << 40};
  std::wstring name = path.native();
  name += L".tmp" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter.fetch_add(1));
  return name;
}

// Gives `temp` (its content flushed; `file` its open handle, closed here)
// the name `path`, replacing what has it, with the rename written through.
// Readers of the old file opened it with share-delete, which lets Windows
// 10's POSIX-semantics rename of the handle replace it while they read on.
// Where that rename is missing (older Windows, Wine), a plain rename waits
// out short-lived readers; a mapped old file, which a plain rename can never
// replace, is moved aside by ReplaceFileW under a temporary's name, its
// views staying whole.
bool RenameOver(Handle& file, const std::filesystem::path& temp, const std::filesystem::path& path) {
  if (PosixRename(file.get(), path)) {
    FlushFileBuffers(file.get());
    file.Reset();
    return true;
  }
  file.Reset();
  const ULONGLONG deadline = GetTickCount64() + kRenameRetryMs;
  for (int attempt = 0; GetTickCount64() < deadline; ++attempt) {
    if (MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD error = GetLastError();
    if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) return false;
    Sleep(attempt < 10 ? 0 : 1);
  }
  const std::filesystem::path aside = AsideName(path);
  if (!ReplaceFileW(path.c_str(), temp.c_str(), aside.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
    return false;
  DeleteFileW(aside.c_str());
  return true;
}

}  // namespace

FileContents ReadRegularFile(const std::filesystem::path& path, uint64_t maxBytes) {
  FileContents contents;
  Handle file;
  uint64_t size = 0;
  contents.status = OpenRegularFile(path, maxBytes, file, size);
  if (contents.status != FileReadStatus::Ok) return contents;
  // The size is where reading starts; a file that grew meanwhile is read on
  // to its end, within the bound.
  std::string bytes(size_t(std::min<uint64_t>(maxBytes, size)), '\0');
  size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) {
      if (bytes.size() >= maxBytes) {
        char probe;
        DWORD more = 0;
        if (ReadFile(file.get(), &probe, 1, &more, nullptr) && more > 0) {
          contents.status = FileReadStatus::TooLarge;
          return contents;
        }
        break;
      }
      bytes.resize(size_t(std::min<uint64_t>(maxBytes, bytes.size() + 65536)));
    }
    DWORD got = 0;
    const DWORD want = DWORD(std::min<size_t>(bytes.size() - filled, 1u << 30));
    if (!ReadFile(file.get(), bytes.data() + filled, want, &got, nullptr)) {
      contents.status = FileReadStatus::Failed;
      return contents;
    }
    if (got == 0) break;
    filled += got;
  }
  bytes.resize(filled);
  contents.bytes = std::move(bytes);
  return contents;
}

bool ReplaceFileDurably(const std::filesystem::path& path, const std::filesystem::path& temp, std::string_view bytes,
                        unsigned /*mode*/) {
  Handle file(CreateTemp(temp));
  if (!file.valid()) return false;
  if (!WriteAll(file.get(), bytes) || !FlushFileBuffers(file.get()) || !RenameOver(file, temp, path)) {
    file.Reset();
    DeleteFileW(temp.c_str());
    return false;
  }
  return true;
}

// The temporary's handle lives in the C runtime's descriptor table, so the
// writer keeps the one descriptor both systems' files share.
StreamedFileReplacement::StreamedFileReplacement(std::filesystem::path path, std::filesystem::path temp,
                                                 unsigned /*mode*/)
    : path_(std::move(path)), temp_(std::move(temp)) {
  Handle file(CreateTemp(temp_));
  if (file.valid()) fd_ = _open_osfhandle(intptr_t(file.get()), 0);
  if (fd_ >= 0) file.Release();
  failed_ = fd_ < 0;
}

StreamedFileReplacement::~StreamedFileReplacement() {
  // Open still: never committed (a Commit closes it, and removes the
  // temporary itself when it fails).
  if (fd_ < 0) return;
  _close(fd_);
  DeleteFileW(temp_.c_str());
}

bool StreamedFileReplacement::Write(std::string_view bytes) {
  if (failed_ || committed_) return false;
  failed_ = !WriteAll(HANDLE(_get_osfhandle(fd_)), bytes);
  return !failed_;
}

bool StreamedFileReplacement::Commit() {
  if (failed_ || committed_ || fd_ < 0) return false;
  // The rename closes its handle when it is done with it: it gets a
  // duplicate, and the runtime's descriptor lets go of the original.
  HANDLE own = INVALID_HANDLE_VALUE;
  const bool duplicated = DuplicateHandle(GetCurrentProcess(), HANDLE(_get_osfhandle(fd_)), GetCurrentProcess(), &own,
                                          0, FALSE, DUPLICATE_SAME_ACCESS);
  _close(fd_);
  fd_ = -1;
  Handle file(duplicated ? own : INVALID_HANDLE_VALUE);
  if (!file.valid() || !FlushFileBuffers(file.get()) || !RenameOver(file, temp_, path_)) {
    file.Reset();
    DeleteFileW(temp_.c_str());
    failed_ = true;
    return false;
  }
  committed_ = true;
  return true;
}

bool AppendToRegularFile(const std::filesystem::path& path, std::string_view bytes, unsigned /*mode*/) {
  Handle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, kShareAll, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                          nullptr));
  if (!file.valid() || GetFileType(file.get()) != FILE_TYPE_DISK) return false;
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
  if (data_) UnmapViewOfFile(data_);
  data_ = nullptr;
  size_ = 0;
}

MappedFile MapRegularFile(const std::filesystem::path& path, uint64_t maxBytes) {
  MappedFile mapped;
  Handle file;
  uint64_t size = 0;
  mapped.status_ = OpenRegularFile(path, maxBytes, file, size);
  // An empty file maps to nothing (Windows refuses a view of no bytes): it
  // is read as empty.
  if (mapped.status_ != FileReadStatus::Ok || size == 0) return mapped;
  // The view keeps the file open after both handles are closed.
  const Handle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  void* data = mapping.valid() ? MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, size_t(size)) : nullptr;
  if (!data) {
    mapped.status_ = FileReadStatus::Failed;
    return mapped;
  }
  // All pages asked for at once, as the reader goes through them all.
  WIN32_MEMORY_RANGE_ENTRY range{data, size_t(size)};
  PrefetchVirtualMemory(GetCurrentProcess(), 1, &range, 0);
  mapped.data_ = data;
  mapped.size_ = size_t(size);
  return mapped;
}

uint64_t CurrentProcessId() { return uint64_t(GetCurrentProcessId()); }

std::filesystem::path UserVideosFolder() {
  PWSTR known = nullptr;
  std::filesystem::path folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Videos, 0, nullptr, &known)) && known) folder = known;
  CoTaskMemFree(known);
  return folder;
}

std::filesystem::path UserDataRoot() {
  wchar_t buffer[MAX_PATH * 2] = {};
  const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, DWORD(std::size(buffer)));
  if (length > 0 && length < std::size(buffer)) return std::filesystem::path(std::wstring(buffer, length));
  PWSTR known = nullptr;
  std::filesystem::path root;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known)) && known) root = known;
  CoTaskMemFree(known);
  return root;
}
