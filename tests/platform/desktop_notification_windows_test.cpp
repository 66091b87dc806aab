// The Windows desktop notification: a balloon from the window's own icon in
// the notification area. Needs the shell's notification area (under Wine,
// its desktop process); without one the test is skipped.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "platform/desktop_notification.h"

namespace {

// Whether the notification area holds an icon of `window` (asking changes
// nothing: an empty modification).
bool HasIcon(HWND window) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = 1;
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

}  // namespace

// The icon comes with the first notice, not before, and goes with the
// notifier: a program that ends leaves no icon behind.
TEST(DesktopNotificationWindows, IconComesWithTheFirstNoticeAndGoesWithTheNotifier) {
  HWND window = CreateWindowExW(0, L"STATIC", L"Vistra", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  {
    DesktopNotifier notifier("Vistra 4.3", "", window);
    EXPECT_FALSE(HasIcon(window));
    if (!notifier.Notify("Starts now", "Film on One")) {
      DestroyWindow(window);
      GTEST_SKIP() << "no notification area";
    }
    EXPECT_TRUE(HasIcon(window));
    EXPECT_TRUE(notifier.Notify("Starts now", ""));  // the title alone still shows
  }
  EXPECT_FALSE(HasIcon(window));
  EXPECT_FALSE(DesktopNotifier("Vistra 4.3", "", nullptr).Notify("Starts now", "Film on One"));
  DestroyWindow(window);
}
