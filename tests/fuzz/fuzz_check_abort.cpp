// FuzzCheckFailed for the libFuzzer programs: abort, so the input is kept.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/fuzz_target.h"

void FuzzCheckFailed(const char* expression, const char* file, int line) {
  std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", expression, file, line);
  std::abort();
}
