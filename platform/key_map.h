#pragma once
// Native key events -> the virtual-key codes of platform/virtual_keys.h.
// Pure functions of what the system reports for a key, so they are tested
// without a display. Each system's build defines the function for its own
// events: VirtualKeyFromSdl on Linux (platform/key_map.cpp),
// VirtualKeyFromWin32 on Windows (platform/key_map_windows.cpp).
#include <cstdint>

// `keycode` is an SDL_Keycode (what the layout puts on the key), `scancode`
// an SDL_Scancode (where the key sits), `mod` an SDL_Keymod. Returns 0 for a
// key the program does not use.
//
// Letters follow the layout as long as it produces Latin letters (AZERTY's
// "A" key gives 0x41); a layout without Latin letters gives the letter of the
// key's position, so letter shortcuts work on every keyboard. The digit row
// always gives its digits, whatever the layout prints on it. Numpad digits
// give 0x60-0x69 with Num Lock on and the navigation keys with it off. Keys
// pressed with the left Alt or the logo key are system keys and give 0.
// Ctrl+V gives Vk::Paste. Shift+R (the key that gives "r", by the letter
// rule, with a Shift and neither Ctrl nor AltGr) gives Vk::Record; R alone,
// or with Ctrl or AltGr, stays the letter. Its character still comes as text.
int VirtualKeyFromSdl(int32_t keycode, int scancode, uint16_t mod);

// The modifiers held when a Windows key message arrived (GetKeyState).
struct Win32KeyModifiers {
  bool shift = false;     // either Shift
  bool ctrl = false;      // either Ctrl
  bool leftAlt = false;
  bool rightAlt = false;  // AltGr: reported with a left Ctrl as well
  bool logo = false;      // either Windows key
};

// `vk` is the virtual-key code of a WM_KEYDOWN or WM_SYSKEYDOWN message.
// Windows already applies the rules above to its codes (letters by layout,
// or by position on layouts without Latin letters; the digit row always
// digits; the numpad by Num Lock), so they pass through, with the same
// exceptions: keys the program does not use (modifiers, locks, media keys,
// F13 and above) give 0, as do keys pressed with the left Alt or a logo
// key; the browser's Back key gives Escape; Ctrl+V gives Vk::Paste, unless
// it is AltGr+V (a character on some layouts); Shift+R gives Vk::Record,
// unless a Ctrl or AltGr is held too.
int VirtualKeyFromWin32(uint32_t vk, Win32KeyModifiers modifiers);
