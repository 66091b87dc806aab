#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <unistd.h>

#include "platform/host_window.h"
#include "tests/fixtures/temp_data_home.h"
#include "tests/scoped_env.h"

namespace {

// Puts a stand-in xdg-open first on PATH that writes its arguments, one a
// line, to a file beside it.
class FakeXdgOpen {
 public:
  FakeXdgOpen() {
    const auto script = temp_.Root() / "xdg-open";
    std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.args.tmp\"\n"
                             "mv \"$0.args.tmp\" \"$0.args\"\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  }

  // The arguments it was started with, or "" when it was not started within 5 s.
  std::string WaitForArgs() const {
    const auto file = temp_.Root() / "xdg-open.args";
    for (int i = 0; i < 500 && !std::filesystem::exists(file); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  bool WasStarted() const { return std::filesystem::exists(temp_.Root() / "xdg-open.args"); }

 private:
  TempDataHome temp_;
  const ScopedEnv path_{"PATH", temp_.Root().string() + ":" + (std::getenv("PATH") ? std::getenv("PATH") : "")};
};

// Children of this process that ended and were not reaped.
int Zombies() {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    std::istringstream rest(line.substr(line.rfind(')') + 1));
    char state = 0;
    long parent = 0;
    rest >> state >> parent;
    if (state == 'Z' && parent == getpid()) ++count;
  }
  return count;
}

bool ZombiesGoneWithin2s() {
  for (int i = 0; i < 200; ++i) {
    if (Zombies() == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

}  // namespace

TEST(OpenUrlInBrowser, PassesTheUrlAsOneArgumentWithoutAShell) {
  FakeXdgOpen xdgOpen;
  const std::string url = "https://panel.example/vs4.3/playlists.html?mac=02:a1&x=$(touch pwned);echo 'q' \"z\"";
  ASSERT_TRUE(OpenUrlInBrowser(url));
  EXPECT_EQ(xdgOpen.WaitForArgs(), url + "\n");
  EXPECT_TRUE(ZombiesGoneWithin2s());  // the finished child was reaped
}

TEST(OpenUrlInBrowser, OpensOnlyWebPages) {
  FakeXdgOpen xdgOpen;
  for (const char* url : {"file:///etc/passwd", "--help", "-https://x.example", "javascript:alert(1)",
                          "smb://host/share/setup.exe", "https://", "", "https://x.example/\nfile:///etc"}) {
    EXPECT_FALSE(OpenUrlInBrowser(url)) << url;
  }
  EXPECT_TRUE(OpenUrlInBrowser("HTTP://Example.COM/setup.apk"));  // schemes are case-insensitive
  EXPECT_EQ(xdgOpen.WaitForArgs(), "HTTP://Example.COM/setup.apk\n");
}

TEST(OpenUrlInBrowser, FalseWhenXdgOpenIsMissing) {
  TempDataHome emptyFolder;
  const ScopedEnv path("PATH", emptyFolder.Root().string());
  EXPECT_FALSE(OpenUrlInBrowser("https://example.com/"));
}
