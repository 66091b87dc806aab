#pragma once
// Windows hands a program one command-line string, and the program's
// runtime (the C runtime's start-up, CommandLineToArgvW) splits it back
// into arguments. This builds that string from an argument vector so that
// each argument comes back exactly as given, whatever it holds: spaces,
// quotes, backslashes before a quote or at the end, "&|<>^%" (which only
// cmd.exe would read, and cmd.exe is never involved).
//
// Pure text: built on every system, so the rules are tested everywhere.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One argument after the program name, quoted only when it must be: an
// empty one or one with a space, tab, line feed, vertical tab or quote.
// Inside quotes, backslashes are doubled where they precede a quote or
// the closing quote, and each quote is escaped with a backslash.
std::u16string QuoteWindowsArgument(std::u16string_view argument);

// The whole command line: argv[0] between quotes (the runtimes read the
// program name without any escapes, so it may hold no quote), then each
// further argument quoted as above, separated by single spaces. Empty when
// argv is empty, argv[0] is empty or holds a quote, any argument holds a
// NUL, or the line would pass the 32,767 characters CreateProcessW takes.
std::optional<std::u16string> WindowsCommandLine(const std::vector<std::u16string>& argv);
