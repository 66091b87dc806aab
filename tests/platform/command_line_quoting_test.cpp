#include "platform/command_line_quoting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "net/text.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include "platform/process.h"
#endif

namespace {

// Arguments that break naive quoting: backslashes before a quote, at the
// end, doubled; quotes alone, escaped, at either end; white space of every
// kind; what only cmd.exe would read; text beyond ASCII.
const std::vector<std::u16string> kNastyArguments = {
    u"",
    u"plain",
    u"two words",
    u"tab\there",
    u"line\nfeed",
    u"vertical\vtab",
    u"\"",
    u"\"\"",
    u"say \"hi\"",
    u"\\",
    u"\\\\",
    u"ends in backslash\\",
    u"ends in two\\\\",
    u"C:\\Program Files\\VLC\\",
    u"\\\"",
    u"\\\\\"",
    u"a\\\\\\\"b",
    u"\\\\server\\share",
    u"no\\space\\needs\\no\\quotes",
    u"\" && calc.exe && \"",
    u"x\" \"y",
    u"%PATH% ^& | < > !",
    u"http://h/a b/?q=\"1\"&r=2\\",
    u"-- --help",
    u" leading and trailing ",
    u"caf\u00e9 \u0416 \u4e2d\U0001F600",
};

// How the runtimes split a command line after the program name (the
// documented rules of CommandLineToArgvW and of the C runtime's start-up):
// 2n backslashes before a quote are n backslashes and the quote toggles
// quoting; 2n+1 are n and a literal quote; other backslashes are literal.
std::vector<std::u16string> SplitLikeTheRuntime(std::u16string_view line) {
  std::vector<std::u16string> arguments;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == u' ' || line[i] == u'\t')) ++i;
    if (i == line.size()) break;
    std::u16string argument;
    bool quoted = false;
    while (i < line.size() && (quoted || (line[i] != u' ' && line[i] != u'\t'))) {
      size_t backslashes = 0;
      while (i < line.size() && line[i] == u'\\') ++backslashes, ++i;
      if (i < line.size() && line[i] == u'"') {
        argument.append(backslashes / 2, u'\\');
        if (backslashes % 2 == 1) {
          argument.push_back(u'"');
        } else if (quoted && i + 1 < line.size() && line[i + 1] == u'"') {
          argument.push_back(u'"');  // "" inside quotes: a literal quote
          ++i;
        } else {
          quoted = !quoted;
        }
        ++i;
        continue;
      }
      argument.append(backslashes, u'\\');
      if (i < line.size() && backslashes == 0) argument.push_back(line[i++]);
    }
    arguments.push_back(argument);
  }
  return arguments;
}

// The arguments after the program name in `line`, which starts with it
// between quotes.
std::u16string_view AfterProgram(std::u16string_view line) {
  const size_t close = line.find(u'"', 1);
  return line.substr(close + 1);
}

TEST(WindowsCommandLine, EveryNastyArgumentComesBackExactly) {
  std::vector<std::u16string> argv = {u"C:\\Program Files\\Tool\\tool.exe"};
  argv.insert(argv.end(), kNastyArguments.begin(), kNastyArguments.end());
  const auto line = WindowsCommandLine(argv);
  ASSERT_TRUE(line);
  EXPECT_EQ(SplitLikeTheRuntime(AfterProgram(*line)), kNastyArguments);
  for (const std::u16string& argument : kNastyArguments) {
    // Each alone too: one argument can never become two, or swallow the next.
    const auto single = WindowsCommandLine({u"p", argument, u"next"});
    ASSERT_TRUE(single);
    EXPECT_EQ(SplitLikeTheRuntime(AfterProgram(*single)), (std::vector<std::u16string>{argument, u"next"}))
        << WideToUtf8(*single);
  }
}

TEST(WindowsCommandLine, QuotesOnlyWhatMustBeQuoted) {
  EXPECT_EQ(QuoteWindowsArgument(u"-g"), u"-g");
  EXPECT_EQ(QuoteWindowsArgument(u"a\\b\\"), u"a\\b\\");  // no quotes around it: backslashes stay single
  EXPECT_EQ(QuoteWindowsArgument(u""), u"\"\"");
  EXPECT_EQ(QuoteWindowsArgument(u"a b\\"), u"\"a b\\\\\"");
  EXPECT_EQ(*WindowsCommandLine({u"C:\\t.exe", u"-g", u"x y"}), u"\"C:\\t.exe\" -g \"x y\"");
}

TEST(WindowsCommandLine, RefusesWhatNoCommandLineCanCarry) {
  EXPECT_FALSE(WindowsCommandLine({}));
  EXPECT_FALSE(WindowsCommandLine({u""}));
  EXPECT_FALSE(WindowsCommandLine({u"C:\\a\"b.exe"}));  // the program name has no escapes
  EXPECT_FALSE(WindowsCommandLine({u"p", std::u16string(u"a\0b", 3)}));
  EXPECT_FALSE(WindowsCommandLine({u"p", std::u16string(40000, u'x')}));
  EXPECT_TRUE(WindowsCommandLine({u"p", std::u16string(30000, u'x')}));
}

#ifdef _WIN32
TEST(WindowsCommandLine, TheSystemsOwnSplitAgrees) {
  std::vector<std::u16string> argv = {u"C:\\Program Files\\Tool\\tool.exe"};
  argv.insert(argv.end(), kNastyArguments.begin(), kNastyArguments.end());
  const auto line = WindowsCommandLine(argv);
  ASSERT_TRUE(line);
  int count = 0;
  LPWSTR* split = CommandLineToArgvW(reinterpret_cast<const wchar_t*>(line->c_str()), &count);
  ASSERT_NE(split, nullptr);
  std::vector<std::u16string> back;
  for (int i = 0; i < count; ++i) back.emplace_back(reinterpret_cast<const char16_t*>(split[i]));
  LocalFree(split);
  EXPECT_EQ(back, argv);
}

#ifdef VISTRA_CHILD_PROBE
// A real child beside the test program, whose C runtime splits its command
// line, writes back each argument it got, ended by a NUL.
TEST(WindowsCommandLine, AStartedProgramGetsEachArgumentWhole) {
  std::vector<std::string> argv = {PathUtf8(ExecutableFolder() / VISTRA_CHILD_PROBE)};
  std::string expected;
  for (const std::u16string& argument : kNastyArguments) {
    // The child's narrow arguments pass through its code page: ASCII only.
    if (std::any_of(argument.begin(), argument.end(), [](char16_t c) { return c > 0x7F; })) continue;
    argv.push_back(WideToUtf8(argument));
    expected += WideToUtf8(argument) + '\0';
  }
  const CapturedRun run = RunAndCapture(argv, std::chrono::seconds(20));
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, expected);
}
#endif
#endif

}  // namespace
