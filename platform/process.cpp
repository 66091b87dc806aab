#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kMaxOutputBytes = 1 << 20;
constexpr size_t kReadChunkBytes = 4096;
// Waiting for a program that closed its output to exit: short first naps
// (it normally exits at once), growing to this.
constexpr auto kLongestExitNap = std::chrono::milliseconds(50);

int MsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
}

// posix_spawn's attribute and file-action objects, freed on every path.
class SpawnSetup {
 public:
  SpawnSetup() {
    posix_spawnattr_init(&attr_);
    posix_spawn_file_actions_init(&actions_);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions_);
    posix_spawnattr_destroy(&attr_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  // The child gets /dev/null as input, the pipe as output and error, none of
  // our other descriptors, a process group of its own (so a time-out can
  // kill what it started too), no blocked signals and default SIGPIPE.
  bool Prepare(int outputFd) {
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    return posix_spawnattr_setflags(&attr_, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) ==
               0 &&
           posix_spawnattr_setpgroup(&attr_, 0) == 0 && posix_spawnattr_setsigmask(&attr_, &none) == 0 &&
           posix_spawnattr_setsigdefault(&attr_, &defaults) == 0 &&
           posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0) == 0 &&
           posix_spawn_file_actions_adddup2(&actions_, outputFd, STDOUT_FILENO) == 0 &&
           posix_spawn_file_actions_adddup2(&actions_, outputFd, STDERR_FILENO) == 0 &&
           posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1) == 0;
  }

  pid_t Spawn(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, args[0], &actions_, &attr_, args.data(), environ) != 0) return -1;
    return pid;
  }

 private:
  posix_spawnattr_t attr_;
  posix_spawn_file_actions_t actions_;
};

// Reads until the pipe closes (true) or the deadline passes (false).
bool ReadUntilClosed(int fd, Clock::time_point deadline, std::string& output) {
  char chunk[kReadChunkBytes];
  for (;;) {
    const int left = MsLeft(deadline);
    if (left == 0) return false;
    pollfd watch{fd, POLLIN, 0};
    const int ready = poll(&watch, 1, left);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return true;  // nothing more can be read
    if (ready == 0) return false;
    const ssize_t got = read(fd, chunk, sizeof chunk);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) return true;
    const size_t room = kMaxOutputBytes - std::min(kMaxOutputBytes, output.size());
    output.append(chunk, std::min(room, static_cast<size_t>(got)));
  }
}

int ExitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

// Reaps the child if it exits before the deadline.
bool WaitForExit(pid_t pid, Clock::time_point deadline, int& exitCode) {
  auto nap = std::chrono::milliseconds(1);
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) {
      exitCode = ExitCodeOf(status);
      return true;
    }
    if (done < 0 && errno != EINTR) return true;  // already reaped elsewhere (SIGCHLD ignored)
    const int left = MsLeft(deadline);
    if (left == 0) return false;
    std::this_thread::sleep_for(std::min(nap, std::chrono::milliseconds(left)));
    nap = std::min(nap * 2, kLongestExitNap);
  }
}

void KillAndReap(pid_t pid) {
  kill(-pid, SIGKILL);  // the whole process group the child leads
  kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

bool LaunchDetached(const std::vector<std::string>& argv) {
  if (argv.empty() || argv[0].empty()) return false;
  SpawnSetup setup;
  const int nullFd = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (nullFd < 0) return false;
  // The player's own chatter goes nowhere rather than into our terminal.
  const pid_t pid = setup.Prepare(nullFd) ? setup.Spawn(argv) : -1;
  close(nullFd);
  if (pid < 0) return false;
  // No zombie is left and no SIGCHLD handler is needed.
  std::thread([pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

CapturedRun RunAndCapture(const std::vector<std::string>& argv, std::chrono::milliseconds limit) {
  CapturedRun run;
  if (argv.empty() || argv[0].empty()) return run;
  const Clock::time_point deadline = Clock::now() + limit;

  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return run;
  const int readFd = pipeFds[0], writeFd = pipeFds[1];

  SpawnSetup setup;
  const pid_t pid = setup.Prepare(writeFd) ? setup.Spawn(argv) : -1;
  close(writeFd);  // only the child writes; its exit then closes the pipe
  if (pid < 0) {
    close(readFd);
    return run;
  }
  run.started = true;

  const bool closed = ReadUntilClosed(readFd, deadline, run.output);
  close(readFd);
  run.finished = closed && WaitForExit(pid, deadline, run.exitCode);
  if (!run.finished) {
    KillAndReap(pid);
    run.exitCode = -1;
  }
  return run;
}

int64_t MsSinceProcessStart() {
  std::ifstream file("/proc/self/stat");
  const std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  // The command name in parentheses may hold spaces: fields count from the
  // last ')', which ends field 2; the start time is field 22.
  const size_t close = stat.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(stat.substr(close + 1));
  std::string field;
  for (int i = 3; i <= 22; ++i) {
    if (!(fields >> field)) return -1;
  }
  const long ticksPerSecond = sysconf(_SC_CLK_TCK);
  timespec now{};
  if (ticksPerSecond <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0) return -1;
  const int64_t startMs = std::strtoll(field.c_str(), nullptr, 10) * 1000 / ticksPerSecond;
  return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000 - startMs;
}

std::filesystem::path ExecutableFolder() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return self.parent_path();
}

std::filesystem::path FindOnPath(std::string_view name) {
  const char* path = std::getenv("PATH");
  if (!path || name.empty() || name.find('/') != std::string_view::npos) return {};
  std::string_view folders(path);
  while (!folders.empty()) {
    const size_t colon = folders.find(':');
    const std::string_view folder = folders.substr(0, colon);
    folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
    if (folder.empty()) continue;
    const std::filesystem::path candidate = std::filesystem::path(folder) / name;
    std::error_code error;
    if (std::filesystem::is_regular_file(candidate, error) && access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

std::string ProgramFileName(std::string_view name) { return std::string(name); }

std::vector<std::filesystem::path> UsualInstallPaths(std::string_view name) {
  if (name == "vlc") return {"/usr/bin/vlc", "/usr/local/bin/vlc", "/snap/bin/vlc"};
  return {};
}

bool IsProgramFile(const std::filesystem::path& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (error || !std::filesystem::is_regular_file(status)) return false;
  using std::filesystem::perms;
  return (status.permissions() & (perms::owner_exec | perms::group_exec | perms::others_exec)) != perms::none;
}
