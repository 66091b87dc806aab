#include "platform/command_line_quoting.h"

namespace {

// CreateProcessW's limit, the terminating NUL included.
constexpr size_t kMaxCommandLineChars = 32767;

}  // namespace

std::u16string QuoteWindowsArgument(std::u16string_view argument) {
  if (!argument.empty() && argument.find_first_of(u" \t\n\v\"") == std::u16string_view::npos)
    return std::u16string(argument);
  std::u16string quoted = u"\"";
  size_t backslashes = 0;
  for (const char16_t c : argument) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count as escapes only right before a quote.
    quoted.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  // ...and before the closing quote, which must stay a quote.
  quoted.append(backslashes * 2, u'\\');
  quoted.push_back(u'"');
  return quoted;
}

std::optional<std::u16string> WindowsCommandLine(const std::vector<std::u16string>& argv) {
  if (argv.empty() || argv[0].empty() || argv[0].find(u'"') != std::u16string::npos) return std::nullopt;
  for (const std::u16string& argument : argv)
    if (argument.find(u'\0') != std::u16string::npos) return std::nullopt;
  std::u16string line = u"\"" + argv[0] + u"\"";
  for (size_t i = 1; i < argv.size(); ++i) {
    line.push_back(u' ');
    line += QuoteWindowsArgument(argv[i]);
    if (line.size() >= kMaxCommandLineChars) return std::nullopt;
  }
  if (line.size() >= kMaxCommandLineChars) return std::nullopt;
  return line;
}
