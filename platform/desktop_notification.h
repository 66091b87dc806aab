#pragma once
// Desktop notifications: a short notice the desktop shows outside the
// program's window, for news that should reach a user who is looking at
// another window.
//
// Linux (platform/desktop_notification.cpp): the notification service of
// the session bus (org.freedesktop.Notifications), reached at
// DBUS_SESSION_BUS_ADDRESS, else at $XDG_RUNTIME_DIR/bus; no bus is ever
// started for it. The body is sent as the service's markup, escaped.
// Windows (platform/desktop_notification_windows.cpp): a balloon from an
// icon of the window's own in the notification area, added on the first
// notice and removed when the notifier goes.
//
// Main thread only (the window's thread). The host window owns one
// (HostWindow::Notify); it is apart from the window so it can be tested
// against a bus of the test's own.
#include <memory>
#include <string>

class DesktopNotifier {
 public:
  // `appName`: the program's name as the desktop shows it with a notice;
  // `iconPng`: its icon file (Linux; may be empty); `window`: the native
  // window the notices come from (Windows: its HWND, whose small icon the
  // notification area shows; it must outlive the notifier).
  DesktopNotifier(std::string appName, std::string iconPng, void* window);
  ~DesktopNotifier();
  DesktopNotifier(const DesktopNotifier&) = delete;
  DesktopNotifier& operator=(const DesktopNotifier&) = delete;

  // Shows `title` over `body` (UTF-8; invalid sequences are replaced).
  // Never waits on the service that shows it: true when the notice was
  // handed over, false when nothing can show it (no bus, no service on it
  // nor one the bus would start; no notification area).
  bool Notify(const std::string& title, const std::string& body);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
