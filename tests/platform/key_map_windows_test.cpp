#include <windows.h>

#include <gtest/gtest.h>

#include "platform/key_map.h"
#include "platform/virtual_keys.h"

namespace {

int Key(uint32_t vk, Win32KeyModifiers modifiers = {}) { return VirtualKeyFromWin32(vk, modifiers); }

constexpr Win32KeyModifiers kCtrl{.ctrl = true};
constexpr Win32KeyModifiers kLeftAlt{.leftAlt = true};
constexpr Win32KeyModifiers kAltGr{.ctrl = true, .rightAlt = true};
constexpr Win32KeyModifiers kLogo{.logo = true};
constexpr Win32KeyModifiers kShift{.shift = true};

}  // namespace

// The remote's keys and the handlers' shortcuts arrive as the codes the
// handlers compare with, whichever way Num Lock is set.
TEST(KeyMapWindows, RemoteKeysShortcutsAndNumpadReachTheHandlers) {
  EXPECT_EQ(Key(VK_RETURN), Vk::Return);
  EXPECT_EQ(Key(VK_BROWSER_BACK), Vk::Escape);
  EXPECT_EQ(Key(VK_F11), Vk::F11);
  EXPECT_EQ(Key(VK_NEXT), Vk::PageDown);
  EXPECT_EQ(Key('7'), Vk::Digit(7));
  EXPECT_EQ(Key('M'), Vk::Letter('M'));
  EXPECT_EQ(Key(VK_OEM_PLUS), Vk::OemPlus);
  EXPECT_EQ(Key(VK_OEM_3), Vk::Grave);
  // Num Lock on: digits; off: Windows reports the navigation key itself.
  EXPECT_EQ(Key(VK_NUMPAD4), Vk::Numpad0 + 4);
  EXPECT_EQ(Key(VK_CLEAR), 0x0C);  // the numpad's 5 with Num Lock off
  EXPECT_EQ(Key(VK_ADD), Vk::NumpadAdd);
  EXPECT_EQ(Key(VK_SEPARATOR), VK_DECIMAL);
  // Shift changes the character, not the key.
  EXPECT_EQ(Key('M', kCtrl), Vk::Letter('M'));
}

// Only Ctrl+V pastes: AltGr+V types a character on some layouts, and the
// left Alt or a logo key makes any key a system combination the program
// leaves to Windows (Alt+F4 must still close the window).
TEST(KeyMapWindows, PasteAndSystemCombinations) {
  EXPECT_EQ(Key('V', kCtrl), Vk::Paste);
  EXPECT_EQ(Key('V'), Vk::Letter('V'));
  EXPECT_EQ(Key('V', kAltGr), Vk::Letter('V'));
  EXPECT_EQ(Key(VK_F4, kLeftAlt), 0);
  EXPECT_EQ(Key(VK_RETURN, kLeftAlt), 0);
  EXPECT_EQ(Key('V', Win32KeyModifiers{.ctrl = true, .leftAlt = true}), 0);
  EXPECT_EQ(Key('D', kLogo), 0);
  EXPECT_EQ(Key('Q', kAltGr), Vk::Letter('Q'));
}

// Keys that are held with others, or that belong to the system, never
// reach a handler as keys of their own (a handler would take Shift's code
// 0x10 for something).
TEST(KeyMapWindows, ModifierLockAndMediaKeysGiveNothing) {
  for (uint32_t vk : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LSHIFT, VK_RMENU, VK_LWIN, VK_APPS, VK_CAPITAL,
                      VK_NUMLOCK, VK_SCROLL, VK_PAUSE, VK_SNAPSHOT, VK_F13, VK_F24, VK_VOLUME_UP,
                      VK_MEDIA_PLAY_PAUSE, VK_PROCESSKEY, VK_PACKET}) {
    EXPECT_EQ(Key(vk), 0) << "virtual key 0x" << std::hex << vk;
  }
}

// R alone is the Player's aspect key and Shift+R records; with a Ctrl, or
// AltGr (which Windows reports with a Ctrl), Shift+R stays the letter.
TEST(KeyMapWindows, ShiftRRecordsUnlessCtrlOrAltGrIsHeld) {
  EXPECT_EQ(Key('R', kShift), Vk::Record);
  EXPECT_EQ(Key('R'), Vk::Letter('R'));
  EXPECT_EQ(Key('R', Win32KeyModifiers{.shift = true, .ctrl = true}), Vk::Letter('R'));
  EXPECT_EQ(Key('R', Win32KeyModifiers{.shift = true, .ctrl = true, .rightAlt = true}), Vk::Letter('R'));
  EXPECT_EQ(Key('R', Win32KeyModifiers{.shift = true, .leftAlt = true}), 0);
  EXPECT_EQ(Key('T', kShift), Vk::Letter('T'));
}
