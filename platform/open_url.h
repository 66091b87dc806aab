#pragma once
// Opening a web page in the user's browser.
#include <string>

// Opens an http:// or https:// URL (UTF-8) in the default browser without
// waiting for it: xdg-open started with an argument vector on Linux,
// ShellExecuteW's "open" on Windows. False, with nothing started, for any
// other URL, one with control characters, or when the start fails.
bool OpenUrlInBrowser(const std::string& url);
