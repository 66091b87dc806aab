#pragma once
// Starting outside programs (yt-dlp, the external players) and finding them.
// Linux: posix_spawn with an argument vector, never a shell or a quoted
// command line, so nothing in an argument (a URL from a server) can be read
// as shell syntax. Windows (process_windows.cpp): CreateProcessW with the
// program named apart from its command line, which is quoted by the rules
// the started program's runtime reads it back with (command_line_quoting.h),
// never cmd.exe. Arguments and paths are UTF-8 text on every system.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

struct CapturedRun {
  bool started = false;   // the program could be started
  bool finished = false;  // it ended by itself within the time limit
  int exitCode = -1;      // when finished: its exit status, or -1 when killed by a signal
  std::string output;     // standard output and standard error, interleaved as written
};

// Runs argv[0] (a path; not searched on PATH) with argv[1..], the program's
// environment and standard input from /dev/null (NUL). Standard output and
// error share one pipe, which is read until it closes. The whole run,
// reading included, may last `limit`: after that the program and everything
// it started (its process group; on Windows its job) is killed and reaped,
// and what was read so far comes back with finished = false. At most 1 MiB
// of output is kept.
// Blocks the calling thread; safe from any thread.
CapturedRun RunAndCapture(const std::vector<std::string>& argv, std::chrono::milliseconds limit);

// Starts argv[0] (a path; not searched on PATH) with argv[1..] as they are,
// each one argument of the program however it is written (spaces, quotes,
// ";"), with the program's environment, standard input from /dev/null and
// none of our other descriptors. Does not wait for it: the program runs on
// by itself (in a process group of its own, so it survives a terminal's
// Ctrl+C to us) and is reaped off the calling thread when it ends. False
// when it could not be started.
bool LaunchDetached(const std::vector<std::string>& argv);

// Milliseconds since this process was started (exec), from its start time in
// /proc/self/stat against the boot-time clock, to the kernel's tick (10 ms;
// on Windows from the process's creation time); -1 when it cannot be read.
int64_t MsSinceProcessStart();

// The folder of the running executable (from /proc/self/exe; on Windows
// GetModuleFileNameW); empty when it cannot be read.
std::filesystem::path ExecutableFolder();

// The first regular, executable file called `name` in the folders of PATH
// (empty entries meaning the current folder are skipped); empty when none.
// `name` is a file name, not a path (give it ProgramFileName's form).
std::filesystem::path FindOnPath(std::string_view name);

// The file name of the program called `name` on this system: `name` itself
// on Linux, `name` + ".exe" on Windows.
std::string ProgramFileName(std::string_view name);

// Where the installers of the desktop programs the user may hand streams to
// put them, most usual first: "vlc" (Linux: /usr/bin, /usr/local/bin,
// /snap/bin; Windows: VideoLAN\VLC under both program-files folders) and
// "mxplayer" (Linux: none; Windows: its installers' folders). Empty for
// any other name.
std::vector<std::filesystem::path> UsualInstallPaths(std::string_view name);

// True when `path` is a program this system can start: a regular file with
// an execute permission on Linux; a regular file on Windows.
bool IsProgramFile(const std::filesystem::path& path);

// UTF-8 text (what the program's own files hold) as a path, and a path as
// UTF-8 text, the form argument vectors carry everywhere.
inline std::filesystem::path Utf8Path(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string PathUtf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}
