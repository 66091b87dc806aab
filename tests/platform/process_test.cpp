#include "platform/process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/fixtures/temp_folder.h"

namespace {

using namespace std::chrono_literals;

TEST(RunAndCapture, CollectsOutputAndErrorAndTheExitCode) {
  const CapturedRun run = RunAndCapture({"/bin/sh", "-c", "echo out; echo err >&2; exit 3"}, 10s);
  EXPECT_TRUE(run.started);
  EXPECT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_EQ(run.output, "out\nerr\n");
}

TEST(RunAndCapture, InputIsEmptySoAReaderEndsAtOnce) {
  const CapturedRun run = RunAndCapture({"/bin/cat"}, 10s);
  EXPECT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "");
}

TEST(RunAndCapture, ProgramThatCannotStart) {
  EXPECT_FALSE(RunAndCapture({"/nonexistent/tool", "-g"}, 10s).started);
  EXPECT_FALSE(RunAndCapture({"sh", "-c", "true"}, 10s).started);  // argv[0] is a path, PATH is not searched
  EXPECT_FALSE(RunAndCapture({}, 10s).started);
}

TEST(RunAndCapture, ProgramThatClosesItsOutputButStaysIsKilledAtTheLimit) {
  const CapturedRun run = RunAndCapture({"/bin/sh", "-c", "echo partial; exec >&- 2>&-; exec sleep 1000"}, 300ms);
  EXPECT_TRUE(run.started);
  EXPECT_FALSE(run.finished);
  EXPECT_EQ(run.output, "partial\n");
}

TEST(RunAndCapture, OutputIsCappedAtOneMebibyte) {
  const CapturedRun run = RunAndCapture({"/bin/sh", "-c", "head -c 3000000 /dev/zero"}, 30s);
  EXPECT_TRUE(run.finished);
  EXPECT_EQ(run.output.size(), 1u << 20);
}

// The launched program writes each argument it got on a line of its own
// and its standard input's content; the test waits for the file.
TEST(LaunchDetached, EachArgumentArrivesWholeAndNoShellReadsIt) {
  TempFolder folder;
  const std::filesystem::path record = folder.Path() / "args.txt";
  const std::filesystem::path marker = folder.Path() / "shell-ran";
  const std::string url = "http://h/a b/\"q\" 'x';touch " + marker.string() + ";$(touch " + marker.string() + ")";
  ASSERT_TRUE(LaunchDetached({"/bin/sh", "-c", "printf '%s\\n' \"$@\" > \"$0.tmp\"; mv \"$0.tmp\" \"$0\"",
                              record.string(), url, "second"}));
  for (int i = 0; i < 500 && !std::filesystem::exists(record); ++i) std::this_thread::sleep_for(10ms);
  std::ifstream in(record);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), url + "\nsecond\n");
  EXPECT_FALSE(std::filesystem::exists(marker));
  EXPECT_FALSE(LaunchDetached({"/nonexistent/player", url}));
  EXPECT_FALSE(LaunchDetached({}));
}

TEST(ExecutableFolder, IsTheTestProgramsFolder) {
  const std::filesystem::path folder = ExecutableFolder();
  EXPECT_TRUE(std::filesystem::exists(folder / "vistra_unit_tests"));
}

TEST(FindOnPath, SearchesOnlyPathFolders) {
  EXPECT_EQ(FindOnPath("sh").filename(), "sh");
  EXPECT_TRUE(FindOnPath("no-such-program-here").empty());
  EXPECT_TRUE(FindOnPath("/bin/sh").empty());
}

}  // namespace
