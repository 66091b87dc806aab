// Every fuzz target over its committed inputs: the seed corpus
// (tests/fuzz/corpus/<target>/) and every input that ever found a fault
// (tests/fuzz/regressions/<target>/), so the suite guards what the fuzzer
// once broke. scripts/fuzz.sh runs the same targets under libFuzzer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "tests/fuzz/fuzz_target.h"

namespace {

std::map<std::string, FuzzBody>& Targets() {
  static std::map<std::string, FuzzBody> targets;
  return targets;
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

const std::filesystem::path kFuzzDir = VISTRA_FUZZ_DIR;

TEST(FuzzCorpus, EveryTargetHasSeeds) {
  ASSERT_GE(Targets().size(), 10u);
  for (const auto& [name, body] : Targets()) {
    const auto seeds = kFuzzDir / "corpus" / name;
    EXPECT_TRUE(std::filesystem::is_directory(seeds) && !std::filesystem::is_empty(seeds)) << name;
  }
}

TEST(FuzzCorpus, EveryCommittedInputPasses) {
  size_t inputs = 0;
  for (const auto& [name, body] : Targets()) {
    for (const char* kind : {"corpus", "regressions"}) {
      const auto dir = kFuzzDir / kind / name;
      if (!std::filesystem::is_directory(dir)) continue;
      for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        SCOPED_TRACE(entry.path().string());
        body(ReadAll(entry.path()));
        ++inputs;
      }
    }
  }
  EXPECT_GT(inputs, 0u);
}

}  // namespace

bool RegisterFuzzTarget(const char* name, FuzzBody body) {
  Targets()[name] = body;
  return true;
}

void FuzzCheckFailed(const char* expression, const char* file, int line) {
  ADD_FAILURE_AT(file, line) << "fuzz check failed: " << expression;
}
