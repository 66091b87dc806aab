// A child for the Windows process tests. With no mode it writes each
// argument its C runtime split out of its command line, each followed by a
// NUL (an argument may hold a line feed), to standard output in binary.
// Modes (the first argument):
//   --exit N    writes "out" to standard output and "err" to standard error,
//               then exits with N;
//   --flood N   writes N bytes of 'x';
//   --hang      writes "partial", then waits for ever with its output open;
//   --read      writes what its standard input holds.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stdin), _O_BINARY);
#endif
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "--exit" && argc > 2) {
    std::fputs("out", stdout);
    std::fflush(stdout);
    std::fputs("err", stderr);
    return std::atoi(argv[2]);
  }
  if (mode == "--flood" && argc > 2) {
    const std::string block(4096, 'x');
    for (long left = std::atol(argv[2]); left > 0; left -= long(block.size()))
      std::fwrite(block.data(), 1, std::min<size_t>(block.size(), size_t(left)), stdout);
    return 0;
  }
  if (mode == "--hang") {
    std::fputs("partial", stdout);
    std::fflush(stdout);
    for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
  }
  if (mode == "--read") {
    int c;
    while ((c = std::getchar()) != EOF) std::putchar(c);
    return 0;
  }
  for (int i = 1; i < argc; ++i) std::fwrite(argv[i], 1, std::strlen(argv[i]) + 1, stdout);
  return 0;
}
