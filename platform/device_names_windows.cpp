#include "platform/device_names.h"

#include <windows.h>

namespace {

// The names are read into buffers of this many characters, terminator
// included; a call that needs more fails and leaves that name empty.
constexpr DWORD kNameChars = 256;

}  // namespace

std::u16string ComputerName() {
  wchar_t buffer[kNameChars] = {};
  DWORD length = kNameChars;
  if (!GetComputerNameW(buffer, &length)) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(buffer), length);
}

std::u16string UserName() {
  wchar_t buffer[kNameChars] = {};
  DWORD length = kNameChars;  // on success: the characters with the terminator
  if (!GetUserNameW(buffer, &length) || length == 0) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(buffer), length - 1);
}

std::u16string_view SystemName() { return u"windows"; }
