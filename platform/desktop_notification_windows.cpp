#include "platform/desktop_notification.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "net/text.h"

namespace {

constexpr UINT kIconId = 1;

// Copies `text` into a fixed field of the notification data, cut to fit
// but never between the two halves of a surrogate pair.
template <size_t N>
void CopyField(wchar_t (&field)[N], const std::u16string& text) {
  size_t length = std::min(text.size(), N - 1);
  if (length < text.size() && length > 0 && IS_HIGH_SURROGATE(text[length - 1])) --length;
  std::copy_n(text.begin(), length, field);
  field[length] = L'\0';
}

// The window's own small icon, as its title bar shows it.
HICON WindowIcon(HWND window) {
  auto icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
  if (!icon) icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0));
  if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM));
  return icon ? icon : LoadIconW(nullptr, IDI_APPLICATION);
}

}  // namespace

struct DesktopNotifier::Impl {
  HWND window = nullptr;
  std::u16string appName;
  bool iconShown = false;

  NOTIFYICONDATAW Data() const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = kIconId;
    return data;
  }

  bool AddIcon() {
    NOTIFYICONDATAW data = Data();
    data.uFlags = NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    data.hIcon = WindowIcon(window);
    CopyField(data.szTip, appName);
    if (!Shell_NotifyIconW(NIM_ADD, &data)) return false;
    data.uVersion = NOTIFYICON_VERSION_4;
    Shell_NotifyIconW(NIM_SETVERSION, &data);
    return true;
  }

  bool ShowBalloon(NOTIFYICONDATAW& balloon) {
    if (!iconShown) iconShown = AddIcon();
    if (!iconShown) return false;
    if (Shell_NotifyIconW(NIM_MODIFY, &balloon)) return true;
    // The shell restarted and forgot the icon: add it once more.
    iconShown = AddIcon();
    return iconShown && Shell_NotifyIconW(NIM_MODIFY, &balloon);
  }
};

DesktopNotifier::DesktopNotifier(std::string appName, std::string /*iconPng*/, void* window)
    : impl_(std::make_unique<Impl>()) {
  impl_->window = static_cast<HWND>(window);
  impl_->appName = Utf8ToWide(appName);
}

DesktopNotifier::~DesktopNotifier() {
  if (!impl_->iconShown) return;
  NOTIFYICONDATAW data = impl_->Data();
  Shell_NotifyIconW(NIM_DELETE, &data);
}

bool DesktopNotifier::Notify(const std::string& title, const std::string& body) {
  if (!impl_->window) return false;
  NOTIFYICONDATAW balloon = impl_->Data();
  balloon.uFlags = NIF_INFO;
  balloon.dwInfoFlags = NIIF_INFO;
  // An empty text would take the balloon away instead of showing it.
  const bool titleOnly = body.empty();
  CopyField(balloon.szInfoTitle, titleOnly ? std::u16string() : Utf8ToWide(title));
  CopyField(balloon.szInfo, Utf8ToWide(titleOnly ? title : body));
  if (balloon.szInfo[0] == L'\0') return false;
  return impl_->ShowBalloon(balloon);
}
