#include "store/runtime_log.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

#include "platform/files.h"
#include "store/data_folder.h"

namespace {

constexpr std::uintmax_t kRotateBytes = 4ull * 1024 * 1024;

// One lock keeps lines from two threads whole and makes the size check and
// the rename a single step.
std::mutex& LogMutex() {
  static std::mutex mutex;
  return mutex;
}

void RotateIfLarge(const std::filesystem::path& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  if (error || size < kRotateBytes) return;
  auto older = path;
  older += ".1";
  std::filesystem::rename(path, older, error);
}

}  // namespace

void WriteLog(std::string_view message) {
  const auto folder = DataFolder();
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) return;
  const auto path = folder / "runtime.log";
  std::lock_guard lock(LogMutex());
  RotateIfLarge(path);
  std::string line(message);
  line.push_back('\n');
  // Never waits: a FIFO or a folder standing in the log's place drops lines.
  AppendToRegularFile(path, line, 0600);
}

void WriteLogF(size_t capacity, const char* format, ...) {
  if (capacity == 0) return;
  std::vector<char> buffer(capacity);
  va_list args;
  va_start(args, format);
  const int written = std::vsnprintf(buffer.data(), capacity, format, args);
  va_end(args);
  if (written < 0) return;
  WriteLog(std::string_view(buffer.data()));
}
