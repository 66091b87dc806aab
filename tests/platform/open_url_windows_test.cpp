// The Windows side of open_url_test.cpp. Only what is refused is checked:
// under Wine an accepted URL would reach the desktop's own browser.
#include <gtest/gtest.h>

#include "platform/open_url.h"

namespace {

TEST(OpenUrlInBrowser, OnlyWebPagesReachTheShell) {
  for (const char* url : {"", "http://", "file:///C:/windows/system32/calc.exe", "C:\\windows\\system32\\calc.exe",
                          "javascript:alert(1)", "ms-settings:", "http://host/a\nb", "https://host/\x7f"}) {
    EXPECT_FALSE(OpenUrlInBrowser(url)) << url;
  }
}

}  // namespace
