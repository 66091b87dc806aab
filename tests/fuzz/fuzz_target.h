#pragma once
// One reader's fuzz target, written once and built two ways:
// - with clang's libFuzzer (scripts/fuzz.sh), VISTRA_LIBFUZZER defined: the
//   body becomes LLVMFuzzerTestOneInput of a program of its own;
// - with the normal compiler, into the unit tests: the body registers under
//   its name, and corpus_replay_test.cpp runs every committed input (the
//   seeds and each input that ever found a fault) through it.
// A body must not write files or use the network; FUZZ_CHECK states a
// property that must hold for every input.
#include <cstddef>
#include <cstdint>
#include <string_view>

using FuzzBody = void (*)(std::string_view input);

// A property failed: aborts under libFuzzer (which keeps the input), records
// a test failure when replaying.
void FuzzCheckFailed(const char* expression, const char* file, int line);

#define FUZZ_CHECK(condition)                                          \
  do {                                                                 \
    if (!(condition)) FuzzCheckFailed(#condition, __FILE__, __LINE__); \
  } while (0)

#ifdef VISTRA_LIBFUZZER
#define VISTRA_FUZZ_TARGET(name)                                                     \
  static void FuzzBody_##name(std::string_view input);                               \
  extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {          \
    FuzzBody_##name(std::string_view(reinterpret_cast<const char*>(data), size));    \
    return 0;                                                                        \
  }                                                                                  \
  static void FuzzBody_##name(std::string_view input)
#else
bool RegisterFuzzTarget(const char* name, FuzzBody body);
#define VISTRA_FUZZ_TARGET(name)                                                       \
  static void FuzzBody_##name(std::string_view input);                                 \
  [[maybe_unused]] static const bool kRegistered_##name = RegisterFuzzTarget(#name, FuzzBody_##name); \
  static void FuzzBody_##name(std::string_view input)
#endif
