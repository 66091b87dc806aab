#include "store/file_io.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <fstream>

#include "store/settings_file.h"
#include "tests/fixtures/temp_data_home.h"

namespace {

#ifndef _WIN32
unsigned ModeOf(const std::filesystem::path& path) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  return info.st_mode & 07777;
}
#endif

// What a mapped read gives, as ReadWholeFile tells it.
std::optional<std::string> MappedText(const std::filesystem::path& path, uint64_t maxBytes) {
  const auto file = MapWholeFile(path, maxBytes);
  if (!file) return std::nullopt;
  return std::string(file->bytes());
}

TEST(FileIo, OnlyRegularFilesWithinTheBoundAreRead) {
  TempDataHome home;
  const auto folder = home.CreateFolder();
  std::ofstream(folder / "small") << "12345";
  std::ofstream(folder / "empty");
  std::filesystem::create_directory(folder / "a folder");
#ifdef _WIN32
  // Windows folders hold no FIFOs; a device name opens a device in any
  // folder.
  const auto special = folder / "NUL";
#else
  // A FIFO without a writer: a blocking open would never return.
  const auto special = folder / "a fifo";
  ASSERT_EQ(::mkfifo(special.c_str(), 0600), 0);
#endif
  // Both readers see the same files the same way.
  using Reader = std::optional<std::string> (*)(const std::filesystem::path&, uint64_t);
  const Reader read = [](const std::filesystem::path& p, uint64_t bound) { return ReadWholeFile(p, bound); };
  for (const Reader reader : {read, &MappedText}) {
    EXPECT_EQ(reader(folder / "small", 5), "12345");
    EXPECT_EQ(reader(folder / "empty", 5), "");
    EXPECT_EQ(reader(folder / "small", 4), std::nullopt);
    EXPECT_EQ(reader(folder / "missing", 5), std::nullopt);
    EXPECT_EQ(reader(folder / "a folder", 5), std::nullopt);
    EXPECT_EQ(reader(special, 5), std::nullopt);
  }
  {
    // A mapped file stays whole when a new one is renamed over it, as the
    // program replaces its files.
    const auto mapped = MapWholeFile(folder / "small", 5);
    ASSERT_TRUE(mapped);
    ASSERT_TRUE(WriteFileAtomically(folder / "small", "67"));
    EXPECT_EQ(mapped->bytes(), "12345");
    EXPECT_EQ(MappedText(folder / "small", 5), "67");
  }
  const std::string log = home.LogText();
  EXPECT_NE(log.find("file too large, read as missing: " + (folder / "small").string()), std::string::npos) << log;
  EXPECT_NE(log.find("not a regular file, read as missing: " + (folder / "a folder").string()), std::string::npos);
  EXPECT_NE(log.find("not a regular file, read as missing: " + special.string()), std::string::npos);
  EXPECT_EQ(log.find("missing: " + (folder / "missing").string()), std::string::npos) << "absence is normal";
#ifndef _WIN32
  // Nor does the log itself wait on a FIFO in its place.
  std::filesystem::remove(folder / "runtime.log");
  ASSERT_EQ(::mkfifo((folder / "runtime.log").c_str(), 0600), 0);
  ReadWholeFile(folder / "a folder");
#endif
}

// POSIX permission bits; Windows files take their folder's access rules.
#ifndef _WIN32
TEST(FileIo, SettingsAreCreatedPrivateAndStaySo) {
  TempDataHome home;
  ::umask(022);
  ASSERT_TRUE(SaveSettings(Settings{}));
  EXPECT_EQ(ModeOf(SettingsPath()), 0600u);
  // A file that an older version (or the user) left readable by all.
  std::filesystem::permissions(SettingsPath(), std::filesystem::perms(0644));
  ASSERT_TRUE(SaveSettings(Settings{}));
  EXPECT_EQ(ModeOf(SettingsPath()), 0600u);
  // Other files get the mode asked for, whatever the umask.
  ::umask(077);
  ASSERT_TRUE(WriteFileAtomically(home.Folder() / "shared", "x", 0644));
  EXPECT_EQ(ModeOf(home.Folder() / "shared"), 0644u);
  ::umask(022);
}
#endif

}  // namespace
