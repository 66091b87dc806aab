// Opening a web page: xdg-open started with posix_spawnp and an argument
// vector, so no shell ever reads the URL.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <string>
#include <thread>

#include "platform/open_url.h"

extern char** environ;

namespace {

bool IsWebUrl(const std::string& url) {
  auto startsWith = [&](const char* prefix) {
    const std::string p(prefix);
    if (url.size() <= p.size()) return false;
    for (size_t i = 0; i < p.size(); ++i) {
      if (std::tolower(static_cast<unsigned char>(url[i])) != p[i]) return false;
    }
    return true;
  };
  for (char c : url) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  return startsWith("http://") || startsWith("https://");
}

}  // namespace

bool OpenUrlInBrowser(const std::string& url) {
  if (!IsWebUrl(url)) return false;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  // The browser must not inherit our display connection or sockets.
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
#endif
  char program[] = "xdg-open";
  std::string urlCopy = url;
  char* argv[] = {program, urlCopy.data(), nullptr};
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, program, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return false;

  // xdg-open returns once the browser is started; reap it off the main
  // thread so that no zombie is left and no SIGCHLD handler is needed.
  std::thread([pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}
