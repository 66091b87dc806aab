#include "store/data_folder.h"

#include <cstdlib>
#include <system_error>

#include "store/file_io.h"
#include "store/runtime_log.h"

std::filesystem::path DataFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg) return std::filesystem::path(xdg) / "Vistra43";
  const char* home = std::getenv("HOME");
  if (home && *home) return std::filesystem::path(home) / ".local" / "share" / "Vistra43";
  // No home at all (a stripped service environment): relative, like the
  // original's bare tail, rather than failing.
  return std::filesystem::path("Vistra43");
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
  for (const auto& dir : {folder, folder / "catalog", folder / "icons"}) removed += RemoveStaleTempFiles(dir);
  if (removed > 0) WriteLogF(80, "stale temporary files removed=%d", static_cast<int>(removed));
}
