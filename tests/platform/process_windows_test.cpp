// The Windows side of process_test.cpp: the same behaviours, with a child
// of our own (child_probe_main.cpp, beside the test program) instead of a
// shell.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/process.h"

namespace {

using namespace std::chrono_literals;

std::string Probe() { return PathUtf8(ExecutableFolder() / VISTRA_CHILD_PROBE); }

TEST(RunAndCapture, CollectsOutputAndErrorAndTheExitCode) {
  const CapturedRun run = RunAndCapture({Probe(), "--exit", "3"}, 20s);
  EXPECT_TRUE(run.started);
  EXPECT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_EQ(run.output, "outerr");
}

TEST(RunAndCapture, InputIsEmptySoAReaderEndsAtOnce) {
  const CapturedRun run = RunAndCapture({Probe(), "--read"}, 20s);
  EXPECT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "");
}

TEST(RunAndCapture, ProgramThatCannotStart) {
  EXPECT_FALSE(RunAndCapture({"C:\\nonexistent\\tool.exe", "-g"}, 10s).started);
  // argv[0] is a path: PATH is not searched.
  EXPECT_FALSE(RunAndCapture({"cmd.exe", "/c", "exit"}, 10s).started);
  EXPECT_FALSE(RunAndCapture({}, 10s).started);
}

TEST(RunAndCapture, ProgramThatKeepsItsOutputOpenIsKilledAtTheLimit) {
  const auto start = std::chrono::steady_clock::now();
  const CapturedRun run = RunAndCapture({Probe(), "--hang"}, 1s);
  EXPECT_TRUE(run.started);
  EXPECT_FALSE(run.finished);
  EXPECT_EQ(run.exitCode, -1);
  EXPECT_EQ(run.output, "partial");
  EXPECT_LT(std::chrono::steady_clock::now() - start, 15s);
}

TEST(RunAndCapture, OutputIsCappedAtOneMebibyte) {
  const CapturedRun run = RunAndCapture({Probe(), "--flood", "3000000"}, 30s);
  EXPECT_TRUE(run.finished);
  EXPECT_EQ(run.output.size(), 1u << 20);
}

TEST(LaunchDetached, StartsAProgramOrSaysItCannot) {
  EXPECT_TRUE(LaunchDetached({Probe(), "--exit", "0"}));
  EXPECT_FALSE(LaunchDetached({"C:\\nonexistent\\player.exe", "http://h/x"}));
  EXPECT_FALSE(LaunchDetached({}));
}

TEST(ExecutableFolder, HoldsTheTestProgramAndItsChild) {
  EXPECT_TRUE(std::filesystem::exists(ExecutableFolder() / VISTRA_CHILD_PROBE));
  EXPECT_EQ(ProgramFileName("yt-dlp"), "yt-dlp.exe");
}

TEST(FindOnPath, SearchesOnlyPathFolders) {
  // Windows' own folder is on every PATH.
  EXPECT_FALSE(FindOnPath("cmd.exe").empty());
  EXPECT_TRUE(FindOnPath("no-such-program-here.exe").empty());
  EXPECT_TRUE(FindOnPath("C:\\windows\\system32\\cmd.exe").empty());
}

}  // namespace
