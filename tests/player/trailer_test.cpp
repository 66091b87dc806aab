#include "player/trailer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tests/fixtures/temp_folder.h"
#include "tests/scoped_env.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

fs::path WriteScript(const fs::path& folder, const std::string& body, const char* name = "yt-dlp") {
  const fs::path path = folder / name;
  // The tests empty PATH (so no installed tool is found); the script needs
  // the system's own commands.
  std::ofstream(path, std::ios::binary) << "#!/bin/sh\nPATH=/usr/bin:/bin\n" << body;
  fs::permissions(path, fs::perms::owner_all, fs::perm_options::add);
  return path;
}

// A process that has been reaped has no /proc entry; one killed but not yet
// reaped by its new parent is a zombie ("Z").
bool ProcessGoneOrZombie(const std::string& pid) {
  const std::string stat = ReadText(fs::path("/proc") / pid / "stat");
  if (stat.empty()) return true;
  const size_t close = stat.rfind(')');
  return close != std::string::npos && stat.size() > close + 2 && stat[close + 2] == 'Z';
}

class TrailerTest : public ::testing::Test {
 protected:
  // Nothing on PATH: only a tool beside the program folder can be found.
  TrailerTest() : emptyPath_("PATH", pathFolder_.Path().string()) {}

  TempFolder program_;
  TempFolder pathFolder_;
  ScopedEnv emptyPath_;
};

TEST(WebVideoPage, OnlyTheSiteDomainsCount) {
  EXPECT_TRUE(IsWebVideoPage(u"https://www.youtube.com/watch?v=dQw4w9WgXcQ"));
  EXPECT_TRUE(IsWebVideoPage(u"https://youtu.be/dQw4w9WgXcQ"));
  EXPECT_TRUE(IsWebVideoPage(u"HTTPS://M.YOUTUBE.COM/watch?v=a"));
  EXPECT_FALSE(IsWebVideoPage(u"https://youtube.example.org/watch?v=a"));  // the name alone
  EXPECT_FALSE(IsWebVideoPage(u"http://127.0.0.1:8080/youtube/watch?v=a"));
  EXPECT_FALSE(IsWebVideoPage(u"http://server:8080/movie/u/p/12.mp4"));
  EXPECT_FALSE(IsWebVideoPage(u""));
}

TEST(FirstMediaUrlLine, TakesTheFirstLineStartingWithHttp) {
  EXPECT_EQ(FirstMediaUrlLine("WARNING: falling back, see https://help.example/x\r\n"
                              "https://media.example/video.mp4?sig=1\r\n"
                              "https://media.example/audio.m4a\r\n"),
            u"https://media.example/video.mp4?sig=1");
  EXPECT_EQ(FirstMediaUrlLine("http://a/b  \r\r"), u"http://a/b");  // last line, no line feed
  EXPECT_EQ(FirstMediaUrlLine("ERROR: [youtube] k: Video unavailable\n"), u"");
  EXPECT_EQ(FirstMediaUrlLine(" https://indented/x\n"), u"");
  EXPECT_EQ(FirstMediaUrlLine(""), u"");
}

TEST_F(TrailerTest, ToolBesideTheProgramWinsOverPath) {
  EXPECT_EQ(FindYtDlp(program_.Path()), fs::path());
  const fs::path onPath = WriteScript(pathFolder_.Path(), "exit 0\n");
  EXPECT_EQ(FindYtDlp(program_.Path()), onPath);
  const fs::path beside = WriteScript(program_.Path(), "exit 0\n");
  EXPECT_EQ(FindYtDlp(program_.Path()), beside);
}

TEST_F(TrailerTest, ResolvesToTheFirstUrlLineWithoutItsCarriageReturn) {
  WriteScript(program_.Path(),
              "printf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args\"\n"
              "echo 'WARNING: [youtube] nsig extraction failed' >&2\n"
              "printf 'https://media.example/v.mp4?a=1&b=2\\r\\n'\n"
              "printf 'https://media.example/a.m4a\\r\\n'\n");
  const std::u16string page = u"https://www.youtube.com/watch?v=k1";
  EXPECT_EQ(ResolveMediaUrlFrom(page, program_.Path()), u"https://media.example/v.mp4?a=1&b=2");
  // An argument vector, and "--" before the URL so it is never an option.
  EXPECT_EQ(ReadText(program_.Path() / "args"),
            "-g\n--no-playlist\n--no-warnings\n--\nhttps://www.youtube.com/watch?v=k1\n");
}

TEST_F(TrailerTest, UrlReachesTheToolVerbatimWithoutAShell) {
  WriteScript(program_.Path(), "printf '%s' \"$5\" > \"$(dirname \"$0\")/url\"\necho nothing\n");
  const fs::path marker = program_.Path() / "pwned";
  const std::u16string page = u"https://youtu.be/x;touch " + marker.u16string() + u" $(touch " + marker.u16string() + u")";
  EXPECT_EQ(ResolveMediaUrlFrom(page, program_.Path()), page);
  EXPECT_EQ(ReadText(program_.Path() / "url"), std::string(page.begin(), page.end()));
  EXPECT_FALSE(fs::exists(marker));
}

TEST_F(TrailerTest, PageUrlStaysWhenNothingUsableComesBack) {
  const std::u16string page = u"https://youtu.be/gone";
  WriteScript(program_.Path(), "echo 'ERROR: [youtube] gone: Video unavailable' >&2\nexit 1\n");
  EXPECT_EQ(ResolveMediaUrlFrom(page, program_.Path()), page);

  fs::remove(program_.Path() / "yt-dlp");
  EXPECT_EQ(ResolveMediaUrlFrom(page, program_.Path()), page);  // no tool anywhere

  std::ofstream(program_.Path() / "yt-dlp") << "not a program";  // present, cannot start
  EXPECT_EQ(ResolveMediaUrlFrom(page, program_.Path()), page);
}

TEST_F(TrailerTest, OtherUrlsNeverStartTheTool) {
  WriteScript(program_.Path(), "touch \"$(dirname \"$0\")/ran\"\necho https://media.example/x\n");
  const std::u16string stream = u"http://127.0.0.1:8080/movie/u/p/12.mp4";
  EXPECT_EQ(ResolveMediaUrlFrom(stream, program_.Path()), stream);
  EXPECT_EQ(ResolveMediaUrl(stream), stream);
  EXPECT_FALSE(fs::exists(program_.Path() / "ran"));
}

// The one slow test: the tool gets 20 s in all, reading included.
TEST_F(TrailerTest, ToolThatNeverFinishesIsKilledAndThePageUrlUsed) {
  WriteScript(program_.Path(),
              "dir=$(dirname \"$0\")\n"
              "echo $$ > \"$dir/pid\"\n"
              "sleep 1000 &\n"
              "echo $! > \"$dir/child\"\n"
              "echo https://media.example/too-late.mp4\n"
              "wait\n");
  const std::u16string page = u"https://www.youtube.com/watch?v=slow";
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ResolveMediaUrlFrom(page, program_.Path()), page);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(19));

  std::string pid = ReadText(program_.Path() / "pid"), child = ReadText(program_.Path() / "child");
  pid.erase(pid.find_last_not_of('\n') + 1);
  child.erase(child.find_last_not_of('\n') + 1);
  ASSERT_FALSE(pid.empty());
  EXPECT_FALSE(fs::exists(fs::path("/proc") / pid)) << "the tool was not reaped";
  ASSERT_FALSE(child.empty());
  // SIGKILL reaches the grandchild asynchronously; give it time to die.
  for (int i = 0; i < 500 && !ProcessGoneOrZombie(child); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(ProcessGoneOrZombie(child)) << "what the tool started still runs";
}

}  // namespace
