#include "platform/key_map.h"

#include <windows.h>

#include "platform/virtual_keys.h"

namespace {

bool InRange(uint32_t vk, uint32_t first, uint32_t last) { return vk >= first && vk <= last; }

// The keys the program has a use for, as Windows reports them.
bool IsUsedKey(uint32_t vk) {
  switch (vk) {
    case VK_BACK:
    case VK_TAB:
    case VK_CLEAR:
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_SPACE:
    case VK_INSERT:
    case VK_DELETE:
      return true;
    default:
      break;
  }
  return InRange(vk, VK_PRIOR, VK_DOWN)            // PageUp .. Down
         || InRange(vk, '0', '9') || InRange(vk, 'A', 'Z')
         || InRange(vk, VK_NUMPAD0, VK_DIVIDE)     // numpad digits and operators
         || InRange(vk, VK_F1, VK_F12)
         || InRange(vk, VK_OEM_1, VK_OEM_3)        // ;: =+ ,< -_ .> /? `~
         || InRange(vk, VK_OEM_4, VK_OEM_7);       // [{ \| ]} '"
}

}  // namespace

int VirtualKeyFromWin32(uint32_t vk, Win32KeyModifiers modifiers) {
  if (modifiers.leftAlt || modifiers.logo) return 0;
  if (modifiers.ctrl && !modifiers.rightAlt && vk == 'V') return Vk::Paste;
  // AltGr reports a Ctrl as well, and AltGr+Shift+R types a character on
  // some layouts: only a Shift alone records.
  if (modifiers.shift && !modifiers.ctrl && !modifiers.rightAlt && vk == 'R') return Vk::Record;
  if (vk == VK_BROWSER_BACK) return Vk::Escape;
  // The numpad's separator key (some locales' decimal comma) is its decimal key.
  if (vk == VK_SEPARATOR) return VK_DECIMAL;
  return IsUsedKey(vk) ? static_cast<int>(vk) : 0;
}
