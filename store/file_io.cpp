#include "store/file_io.h"

#include <atomic>
#include <charconv>
#include <system_error>

#include "platform/files.h"
#include "store/runtime_log.h"

namespace {

constexpr std::string_view kTempMarker = ".tmp";

// "<name>.tmp<digits>-<digits>": the process id that wrote it, or nothing
// when the name is not one of ours.
std::optional<uint64_t> TempFileProcess(std::string_view name) {
  const size_t marker = name.rfind(kTempMarker);
  if (marker == std::string_view::npos || marker == 0) return std::nullopt;
  const std::string_view rest = name.substr(marker + kTempMarker.size());
  const size_t dash = rest.find('-');
  if (dash == std::string_view::npos || dash == 0 || dash + 1 == rest.size()) return std::nullopt;
  for (size_t i = 0; i < rest.size(); ++i)
    if (i != dash && (rest[i] < '0' || rest[i] > '9')) return std::nullopt;
  uint64_t process = 0;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + dash, process);
  if (error != std::errc() || end != rest.data() + dash) return uint64_t(UINT64_MAX);  // too long: not a live id
  return process;
}

// A path as UTF-8 text, whatever the system's own form of it: Linux keeps
// bytes (given back as they are), Windows UTF-16 (converted, where the narrow
// string() would take the legacy code page and fail on other characters).
std::string PathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

namespace {

// Whether a read came back whole; when not (and the file is there), the
// log says why it counts as missing.
bool ReadWhole(FileReadStatus status, const std::filesystem::path& path) {
  switch (status) {
    case FileReadStatus::Ok: return true;
    case FileReadStatus::Missing: return false;
    case FileReadStatus::NotRegular: WriteLog("not a regular file, read as missing: " + PathText(path)); break;
    case FileReadStatus::TooLarge: WriteLog("file too large, read as missing: " + PathText(path)); break;
    case FileReadStatus::Failed: WriteLog("file unreadable, read as missing: " + PathText(path)); break;
  }
  return false;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path, uint64_t maxBytes) {
  FileContents contents = ReadRegularFile(path, maxBytes);
  if (!ReadWhole(contents.status, path)) return std::nullopt;
  return std::move(contents.bytes);
}

std::optional<MappedFile> MapWholeFile(const std::filesystem::path& path, uint64_t maxBytes) {
  MappedFile file = MapRegularFile(path, maxBytes);
  if (!ReadWhole(file.status(), path)) return std::nullopt;
  return file;
}

namespace {

// A unique temporary name per call lets two threads save different files
// (or the same file) without writing into each other's temporary; the
// process id lets a later start tell a crashed save's leftover from a save
// under way.
std::filesystem::path TempNameFor(const std::filesystem::path& path) {
  static std::atomic<uint64_t> counter{0};
  auto temp = path;
  temp += std::string(kTempMarker) + std::to_string(CurrentProcessId()) + "-" + std::to_string(counter.fetch_add(1));
  return temp;
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, unsigned mode) {
  return ReplaceFileDurably(path, TempNameFor(path), bytes, mode);
}

std::unique_ptr<StreamedFileReplacement> StartFileReplacement(const std::filesystem::path& path, unsigned mode) {
  return std::make_unique<StreamedFileReplacement>(path, TempNameFor(path), mode);
}

size_t RemoveStaleTempFiles(const std::filesystem::path& folder) {
  size_t removed = 0;
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    const auto process = TempFileProcess(PathText(it->path().filename()));
    if (!process || *process == CurrentProcessId()) continue;
    std::error_code ignored;
    if (!it->is_regular_file(ignored) || it->is_symlink(ignored)) continue;
    if (std::filesystem::remove(it->path(), ignored)) ++removed;
  }
  return removed;
}
