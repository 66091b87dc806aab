#pragma once
// Native key events -> the virtual-key codes of platform/virtual_keys.h.
// A pure function of SDL's key code, scan code and modifier state, so it is
// tested without a display.
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
// Ctrl+V gives Vk::Paste.
int VirtualKeyFromSdl(int32_t keycode, int scancode, uint16_t mod);
