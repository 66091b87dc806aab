#include "store/runtime_log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <utility>
#include <thread>

#include "store/file_io.h"
#include "tests/fixtures/temp_data_home.h"

namespace {

constexpr std::uintmax_t kRotateBytes = 4ull * 1024 * 1024;

void WriteFileOfSize(const std::filesystem::path& path, std::uintmax_t size, char fill) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const std::string block(64 * 1024, fill);
  for (std::uintmax_t left = size; left > 0;) {
    const auto n = std::min<std::uintmax_t>(left, block.size());
    out.write(block.data(), static_cast<std::streamsize>(n));
    left -= n;
  }
}

}  // namespace

TEST(RuntimeLog, LinesAccumulateAcrossRunsCutAtTheirCapacity) {
  TempDataHome home;
  home.CreateFolder();
  WriteLog("xtream=yes boot");
  EXPECT_EQ(home.LogText(), "xtream=yes boot\n");  // created by the first message
  WriteLog("");
  WriteLog("boot done");
  // A second run appends after the first one's lines.
  WriteLog("xtream=no boot");
  EXPECT_EQ(home.LogText(), "xtream=yes boot\n\nboot done\nxtream=no boot\n");
  // Formatted lines are cut at their capacity.
  WriteLogF(128, "catalog cache live=%d vod=%d series=%d", 3, 0, -1);
  WriteLogF(8, "play id=%s", "1234567890");  // 7 bytes and the terminating zero
  WriteLogF(1, "%s", "gone");
  EXPECT_EQ(home.LogText(), "xtream=yes boot\n\nboot done\nxtream=no boot\ncatalog cache live=3 vod=0 series=-1\nplay id\n\n");
}

TEST(RuntimeLog, DroppedWhileTheFolderIsMissingOrTheLogUnwritable) {
  TempDataHome home;
  WriteLog("boot done");
  EXPECT_FALSE(std::filesystem::exists(home.Folder()));  // the log never creates it
  std::filesystem::create_directories(home.Folder() / "runtime.log");  // cannot be opened as a file
  WriteLog("boot done");
  EXPECT_TRUE(std::filesystem::is_directory(home.Folder() / "runtime.log"));
}

TEST(RuntimeLog, RotatesAtFourMebibytes) {
  TempDataHome home;
  const auto folder = home.CreateFolder();
  WriteFileOfSize(folder / "runtime.log", kRotateBytes - 1, 'a');
  WriteLog("below");
  EXPECT_FALSE(std::filesystem::exists(folder / "runtime.log.1"));
  EXPECT_EQ(std::filesystem::file_size(folder / "runtime.log"), kRotateBytes - 1 + 6);

  WriteFileOfSize(folder / "runtime.log.1", 10, 'o');  // an older rotation is replaced
  WriteLog("after");
  EXPECT_EQ(std::filesystem::file_size(folder / "runtime.log.1"), kRotateBytes - 1 + 6);
  EXPECT_EQ(home.LogText("runtime.log.1").substr(kRotateBytes - 1), "below\n");
  EXPECT_EQ(home.LogText(), "after\n");
}

TEST(RuntimeLog, LinesFromSeveralThreadsStayWhole) {
  TempDataHome home;
  home.CreateFolder();
  constexpr int kThreads = 4, kLines = 200;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      // Longer than a typical stdio buffer, so a line in two writes would show.
      const std::string body(5000, static_cast<char>('a' + t));
      for (int i = 0; i < kLines; ++i) WriteLogF(5100, "t%d i%d %s", t, i, body.c_str());
    });
  }
  for (auto& thread : threads) thread.join();

  std::istringstream lines(home.LogText());
  std::set<std::pair<int, int>> seen;
  for (std::string line; std::getline(lines, line);) {
    int t = -1, i = -1;
    ASSERT_EQ(std::sscanf(line.c_str(), "t%d i%d ", &t, &i), 2) << line.substr(0, 40);
    const std::string expected =
        "t" + std::to_string(t) + " i" + std::to_string(i) + " " + std::string(5000, static_cast<char>('a' + t));
    ASSERT_EQ(line, expected);
    seen.emplace(t, i);
  }
  EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kLines));
}
