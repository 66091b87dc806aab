#include "platform/clipboard.h"

#include <windows.h>

#include <cwchar>

namespace {

// Another program may hold the clipboard open for a moment.
bool OpenClipboardSoon() {
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (OpenClipboard(nullptr)) return true;
    Sleep(10);
  }
  return false;
}

}  // namespace

std::u16string ClipboardText() {
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboardSoon()) return {};
  std::u16string text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
      // The text ends at its terminator, or at the end of the block for a
      // program that left none.
      const size_t capacity = GlobalSize(data) / sizeof(wchar_t);
      const size_t length = wcsnlen(units, capacity);
      text.assign(reinterpret_cast<const char16_t*>(units), length);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}
