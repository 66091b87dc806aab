#include "store/data_folder.h"

#include <system_error>

#include "platform/files.h"
#include "store/file_io.h"
#include "store/runtime_log.h"

std::filesystem::path DataFolder() {
  const std::filesystem::path root = UserDataRoot();
  // No home at all (a stripped service environment): a relative folder
  // rather than a failure.
  if (root.empty()) return std::filesystem::path("Vistra43");
  return root / "Vistra43";
}

std::filesystem::path EnsureDataFolder() {
  auto folder = DataFolder();
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  return folder;
}

void RemoveStaleSaves() {
  const auto folder = DataFolder();
  size_t removed = 0;
  for (const auto& dir : {folder, folder / "catalog", folder / "icons", folder / "guide", folder / "guide" / "sources"})
    removed += RemoveStaleTempFiles(dir);
  if (removed > 0) WriteLogF(80, "stale temporary files removed=%d", static_cast<int>(removed));
}
