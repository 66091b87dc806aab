// Opening a web page through the shell's "open" verb, which hands the URL
// to the default browser; nothing here reads it as a command.
#include <windows.h>
#include <shellapi.h>

#include <cctype>
#include <string>

#include "net/text.h"
#include "platform/open_url.h"

namespace {

// Only web pages: the shell would open a file, a folder or any registered
// protocol just as readily.
bool IsWebUrl(const std::string& url) {
  for (const char c : url) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  const auto startsWith = [&](std::string_view prefix) { return url.size() > prefix.size() && StartsWithNoCase(url, prefix); };
  return startsWith("http://") || startsWith("https://");
}

}  // namespace

bool OpenUrlInBrowser(const std::string& url) {
  if (!IsWebUrl(url)) return false;
  const std::u16string wide = Utf8ToWide(url);
  const auto* target = reinterpret_cast<const wchar_t*>(wide.c_str());
  // Values above 32 mean the browser was started.
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", target, nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}
