#pragma once
// The runtime log: fixed-form diagnostic lines, no levels, no time stamps,
// appended to runtime.log in the data folder by any thread. It never creates
// the folder (settings and cache code do); while it is missing, lines are
// dropped. At 4 MiB the file is renamed to runtime.log.1 (replacing the old
// one) so it cannot grow without bound.
#include <cstddef>
#include <string_view>

// Appends `message` and a line feed as one line. Never fails visibly.
void WriteLog(std::string_view message);

// printf-style form: the text is formatted into `capacity` bytes (the
// terminating zero included) and cut there, like the fixed buffers of the
// log's vocabulary, then written.
// The C library's formatting is C99's on every system (mingw-w64's C++
// runtime selects its own C99 printf rather than the system's), so the
// formats are checked as such.
#if defined(__MINGW32__)
#define VISTRA_PRINTF_CHECK gnu_printf
#else
#define VISTRA_PRINTF_CHECK printf
#endif
void WriteLogF(size_t capacity, const char* format, ...) __attribute__((format(VISTRA_PRINTF_CHECK, 2, 3)));
