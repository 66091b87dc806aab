#include "platform/process.h"

#include <gtest/gtest.h>

#include <cstdlib>

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
