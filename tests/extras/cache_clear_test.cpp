#include "extras/cache_clear.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/fixtures/temp_folder.h"

namespace {

namespace fs = std::filesystem;

class ClearCacheTest : public ::testing::Test {
 protected:
  void Write(const fs::path& relative, size_t bytes) {
    fs::create_directories((base_ / relative).parent_path());
    std::ofstream(base_ / relative, std::ios::binary) << std::string(bytes, 'x');
  }

  TempFolder folder_;
  const fs::path& base_ = folder_.Path();
};

TEST_F(ClearCacheTest, DeletesCachedFilesKeepsFoldersAndUserData) {
  EXPECT_EQ(ClearCacheLine(ClearCache(base_)), u"Clear cache: 0 KB") << "no cache folders yet";
  Write("catalog/live.tsv", 1536);
  Write("icons/ab/cd.png", 512);
  Write("backdrop.jpg", 4096);
  Write("settings.json", 100);
  Write("runtime.log", 100);

  const uint64_t freed = ClearCache(base_);
  EXPECT_EQ(freed, 2048u);
  EXPECT_EQ(ClearCacheLine(freed), u"Clear cache: 2 KB");

  EXPECT_FALSE(fs::exists(base_ / "catalog/live.tsv"));
  EXPECT_FALSE(fs::exists(base_ / "icons/ab/cd.png"));
  EXPECT_FALSE(fs::exists(base_ / "backdrop.jpg"));
  EXPECT_TRUE(fs::is_directory(base_ / "catalog"));
  EXPECT_TRUE(fs::is_directory(base_ / "icons/ab"));
  EXPECT_TRUE(fs::exists(base_ / "settings.json"));
  EXPECT_TRUE(fs::exists(base_ / "runtime.log"));

  // Kilobytes round down.
  Write("catalog/meta.txt", 1023);
  EXPECT_EQ(ClearCacheLine(ClearCache(base_)), u"Clear cache: 0 KB");
  EXPECT_EQ(ClearCacheLine(3 * 1024 * 1024 + 1023), u"Clear cache: 3072 KB");
}

TEST_F(ClearCacheTest, AFileInPlaceOfTheFolderIsLeftAlone) {
  Write("icons", 300);
  EXPECT_EQ(ClearCache(base_), 0u);
  EXPECT_TRUE(fs::exists(base_ / "icons"));
}

}  // namespace
