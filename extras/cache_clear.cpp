#include "extras/cache_clear.h"

#include <system_error>

#include "net/text.h"
#include "i18n/translate.h"

namespace {

// Sizes and deletes the regular files below `folder`; symbolic links are
// neither followed nor deleted, as the program never makes any.
uint64_t EmptyFolder(const std::filesystem::path& folder) {
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) return 0;
  uint64_t total = 0;
  const auto options = std::filesystem::directory_options::skip_permission_denied;
  for (std::filesystem::recursive_directory_iterator it(folder, options, error), end; !error && it != end;
       it.increment(error)) {
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(it->symlink_status(ignored))) continue;
    const uintmax_t size = it->file_size(ignored);
    if (!ignored) total += size;
    std::filesystem::remove(it->path(), ignored);
  }
  return total;
}

}  // namespace

uint64_t ClearCache(const std::filesystem::path& base) {
  const uint64_t total = EmptyFolder(base / "catalog") + EmptyFolder(base / "icons");
  std::error_code ignored;
  std::filesystem::remove(base / "backdrop.jpg", ignored);
  return total;
}

std::u16string ClearCacheLine(uint64_t bytes) {
  return TranslateWith("cache_cleared", AsciiToWide(std::to_string(bytes / 1024)));
}
