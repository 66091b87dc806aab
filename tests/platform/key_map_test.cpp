#include "platform/key_map.h"

#include <SDL_keyboard.h>
#include <gtest/gtest.h>

#include "platform/virtual_keys.h"

namespace {

// What a US layout reports for a key: its key code and position.
int Us(SDL_Keycode key, SDL_Scancode scan, uint16_t mod = KMOD_NONE) { return VirtualKeyFromSdl(key, scan, mod); }

}  // namespace

// The keys whose meaning is not their name: a remote control's Back, the
// numpad's Enter, the function keys' raw codes, the "+" and "-" of either
// keyboard, and, Num Lock off, the numpad's navigation keys as printed on
// them. (Arrows, Return, Escape and the like the end-to-end walks press.)
TEST(KeyMap, RemoteControlVolumeAndNumpadNavigationKeys) {
  const struct {
    SDL_Keycode key;
    SDL_Scancode scan;
    int vk;
  } cases[] = {
      {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, Vk::Return},  {SDLK_AC_BACK, SDL_SCANCODE_AC_BACK, Vk::Escape},
      {SDLK_F1, SDL_SCANCODE_F1, 0x70},                    {SDLK_F12, SDL_SCANCODE_F12, 0x7B},
      {SDLK_KP_PLUS, SDL_SCANCODE_KP_PLUS, Vk::NumpadAdd}, {SDLK_KP_MINUS, SDL_SCANCODE_KP_MINUS, Vk::NumpadSubtract},
      {SDLK_EQUALS, SDL_SCANCODE_EQUALS, Vk::OemPlus},     {SDLK_MINUS, SDL_SCANCODE_MINUS, Vk::OemMinus},
      {SDLK_BACKQUOTE, SDL_SCANCODE_GRAVE, Vk::Grave},     {SDLK_KP_8, SDL_SCANCODE_KP_8, Vk::Up},
      {SDLK_KP_4, SDL_SCANCODE_KP_4, Vk::Left},            {SDLK_KP_9, SDL_SCANCODE_KP_9, Vk::PageUp},
      {SDLK_KP_1, SDL_SCANCODE_KP_1, Vk::End},             {SDLK_KP_PERIOD, SDL_SCANCODE_KP_PERIOD, Vk::Delete},
      {SDLK_KP_2, SDL_SCANCODE_KP_2, Vk::Down},            {SDLK_KP_6, SDL_SCANCODE_KP_6, Vk::Right},
      // No walk presses these two.
      {SDLK_PAGEUP, SDL_SCANCODE_PAGEUP, Vk::PageUp},      {SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN, Vk::PageDown},
  };
  for (const auto& c : cases) EXPECT_EQ(Us(c.key, c.scan), c.vk) << "scan code " << int(c.scan);
}

TEST(KeyMap, LettersAndDigitsIgnoreShiftAndCaps) {
  for (int i = 0; i < 26; ++i) {
    const auto scan = static_cast<SDL_Scancode>(SDL_SCANCODE_A + i);
    EXPECT_EQ(Us('a' + i, scan), Vk::LetterA + i);
    if (scan == SDL_SCANCODE_R) continue;  // Shift+R records (below)
    EXPECT_EQ(Us('a' + i, scan, KMOD_LSHIFT | KMOD_CAPS), Vk::LetterA + i);
  }
  EXPECT_EQ(Us('1', SDL_SCANCODE_1), Vk::Digit(1));
  EXPECT_EQ(Us('9', SDL_SCANCODE_9), Vk::Digit(9));
  EXPECT_EQ(Us('0', SDL_SCANCODE_0), Vk::Digit(0));
  EXPECT_EQ(Us('0', SDL_SCANCODE_0, KMOD_RSHIFT), Vk::Digit(0));  // ")" typed, still the 0 key
}

TEST(KeyMap, NumpadDigitsWithNumLock) {
  EXPECT_EQ(Us(SDLK_KP_0, SDL_SCANCODE_KP_0, KMOD_NUM), Vk::Numpad0);
  EXPECT_EQ(Us(SDLK_KP_9, SDL_SCANCODE_KP_9, KMOD_NUM), Vk::Numpad0 + 9);
  // Numpad digits never count as main-keyboard digits (digit shortcuts).
  EXPECT_NE(Us(SDLK_KP_1, SDL_SCANCODE_KP_1, KMOD_NUM), Vk::Digit(1));
}

TEST(KeyMap, OtherLayouts) {
  // AZERTY: the layout's letters, and the digit row gives digits although it
  // prints "&", "é", "-" ... unshifted.
  EXPECT_EQ(VirtualKeyFromSdl('a', SDL_SCANCODE_Q, 0), Vk::Letter('A'));
  EXPECT_EQ(VirtualKeyFromSdl('q', SDL_SCANCODE_A, 0), Vk::Letter('Q'));
  EXPECT_EQ(VirtualKeyFromSdl('m', SDL_SCANCODE_SEMICOLON, 0), Vk::Letter('M'));
  EXPECT_EQ(VirtualKeyFromSdl('&', SDL_SCANCODE_1, 0), Vk::Digit(1));
  EXPECT_EQ(VirtualKeyFromSdl('-', SDL_SCANCODE_6, 0), Vk::Digit(6));
  EXPECT_EQ(VirtualKeyFromSdl(0xE9 /* é */, SDL_SCANCODE_2, 0), Vk::Digit(2));
  EXPECT_NE(VirtualKeyFromSdl(',', SDL_SCANCODE_M, 0), Vk::Letter('M'));  // AZERTY's "," key is not M

  // Russian: Cyrillic key codes, letters by position.
  EXPECT_EQ(VirtualKeyFromSdl(0x0444 /* ф */, SDL_SCANCODE_A, 0), Vk::Letter('A'));
  EXPECT_EQ(VirtualKeyFromSdl(0x044C /* ь */, SDL_SCANCODE_M, 0), Vk::Letter('M'));

  // German: "+" has its own key; the "^" key sits where the grave key is.
  EXPECT_EQ(VirtualKeyFromSdl('+', SDL_SCANCODE_RIGHTBRACKET, 0), Vk::OemPlus);
  EXPECT_EQ(VirtualKeyFromSdl('^', SDL_SCANCODE_GRAVE, 0), Vk::Grave);
  EXPECT_EQ(VirtualKeyFromSdl('z', SDL_SCANCODE_Y, 0), Vk::Letter('Z'));
}

TEST(KeyMap, SystemKeysAndUnusedKeys) {
  EXPECT_EQ(Us(SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT), 0);  // Alt+F4 belongs to the desktop
  EXPECT_EQ(Us('f', SDL_SCANCODE_F, KMOD_LGUI), 0);
  EXPECT_EQ(Us('f', SDL_SCANCODE_F, KMOD_LCTRL), Vk::Letter('F'));
  EXPECT_EQ(Us('q', SDL_SCANCODE_Q, KMOD_RALT | KMOD_LCTRL), Vk::Letter('Q'));  // AltGr is not Alt
  EXPECT_EQ(Us(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT), 0);
  EXPECT_EQ(Us(SDLK_CAPSLOCK, SDL_SCANCODE_CAPSLOCK), 0);
  EXPECT_EQ(Us(SDLK_VOLUMEUP, SDL_SCANCODE_VOLUMEUP), 0);
}

TEST(KeyMap, CtrlVPastesAndPlainVStaysALetter) {
  EXPECT_EQ(Us(SDLK_v, SDL_SCANCODE_V, KMOD_LCTRL), Vk::Paste);
  EXPECT_EQ(Us(SDLK_v, SDL_SCANCODE_V, KMOD_RCTRL), Vk::Paste);
  EXPECT_EQ(Us(SDLK_v, SDL_SCANCODE_V), Vk::Letter('V'));
  // The key that gives "v" pastes wherever it sits; V's place pastes only
  // when the layout prints no Latin letter there.
  EXPECT_EQ(Us(SDLK_v, SDL_SCANCODE_B, KMOD_LCTRL), Vk::Paste);
  EXPECT_EQ(Us(SDLK_k, SDL_SCANCODE_V, KMOD_LCTRL), Vk::Letter('K'));
  EXPECT_EQ(Us(0x43c, SDL_SCANCODE_V, KMOD_LCTRL), Vk::Paste);
}

// R alone is the Player's aspect key; Shift+R records, unless Ctrl (a
// shortcut) or AltGr (a character on some layouts) is held as well. The key
// is found as letters are: by what it gives, or by its place when the layout
// has no Latin letters.
TEST(KeyMap, ShiftRRecordsAndEveryOtherRStaysTheLetter) {
  EXPECT_EQ(Us('r', SDL_SCANCODE_R, KMOD_LSHIFT), Vk::Record);
  EXPECT_EQ(Us('r', SDL_SCANCODE_R, KMOD_RSHIFT | KMOD_CAPS), Vk::Record);
  EXPECT_EQ(Us('r', SDL_SCANCODE_R, KMOD_CAPS), Vk::Letter('R'));  // types "R" without a Shift
  EXPECT_EQ(Us('r', SDL_SCANCODE_R, KMOD_LSHIFT | KMOD_LCTRL), Vk::Letter('R'));
  EXPECT_EQ(Us('r', SDL_SCANCODE_R, KMOD_LSHIFT | KMOD_RALT), Vk::Letter('R'));
  EXPECT_EQ(Us('r', SDL_SCANCODE_R, KMOD_LSHIFT | KMOD_LALT), 0);
  EXPECT_EQ(Us('t', SDL_SCANCODE_T, KMOD_LSHIFT), Vk::Letter('T'));
  // Dvorak: "r" sits on QWERTY's O and "p" on its R; Russian: "к" on R.
  EXPECT_EQ(VirtualKeyFromSdl('r', SDL_SCANCODE_O, KMOD_LSHIFT), Vk::Record);
  EXPECT_EQ(VirtualKeyFromSdl('p', SDL_SCANCODE_R, KMOD_LSHIFT), Vk::Letter('P'));
  EXPECT_EQ(VirtualKeyFromSdl(0x043A, SDL_SCANCODE_R, KMOD_LSHIFT), Vk::Record);
}
