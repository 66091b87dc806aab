#include "platform/key_map.h"

#include <SDL_keyboard.h>

#include <cstddef>

#include "platform/virtual_keys.h"

namespace {

struct KeyRow {
  SDL_Keycode key;
  int vk;
};

// Keys whose meaning does not depend on the layout.
constexpr KeyRow kNamedKeys[] = {
    {SDLK_BACKSPACE, Vk::Back},     {SDLK_TAB, Vk::Tab},
    {SDLK_RETURN, Vk::Return},      {SDLK_RETURN2, Vk::Return},
    {SDLK_KP_ENTER, Vk::Return},    {SDLK_ESCAPE, Vk::Escape},
    {SDLK_AC_BACK, Vk::Escape},     {SDLK_SPACE, Vk::Space},
    {SDLK_PAGEUP, Vk::PageUp},      {SDLK_PAGEDOWN, Vk::PageDown},
    {SDLK_END, Vk::End},            {SDLK_HOME, Vk::Home},
    {SDLK_LEFT, Vk::Left},          {SDLK_UP, Vk::Up},
    {SDLK_RIGHT, Vk::Right},        {SDLK_DOWN, Vk::Down},
    {SDLK_INSERT, 0x2D},            {SDLK_DELETE, Vk::Delete},
    {SDLK_KP_PLUS, Vk::NumpadAdd},  {SDLK_KP_MINUS, Vk::NumpadSubtract},
    {SDLK_KP_MULTIPLY, 0x6A},       {SDLK_KP_DIVIDE, 0x6F},
};

// Punctuation keys by the character the layout puts on them, as the
// classic "OEM" codes do.
constexpr KeyRow kPunctuation[] = {
    {SDLK_EQUALS, Vk::OemPlus}, {SDLK_PLUS, Vk::OemPlus},   {SDLK_MINUS, Vk::OemMinus},
    {SDLK_BACKQUOTE, Vk::Grave}, {SDLK_SEMICOLON, 0xBA},    {SDLK_COMMA, 0xBC},
    {SDLK_PERIOD, 0xBE},        {SDLK_SLASH, 0xBF},         {SDLK_LEFTBRACKET, 0xDB},
    {SDLK_BACKSLASH, 0xDC},     {SDLK_RIGHTBRACKET, 0xDD},  {SDLK_QUOTE, 0xDE},
};

// Numpad keys with Num Lock off act as the navigation keys printed on them.
constexpr int kNumpadNavigation[10] = {
    0x2D /* 0: Insert */, Vk::End, Vk::Down, Vk::PageDown, Vk::Left,
    0x0C /* 5: Clear */,  Vk::Right, Vk::Home, Vk::Up,     Vk::PageUp,
};

template <size_t N>
int Lookup(const KeyRow (&rows)[N], SDL_Keycode key) {
  for (const KeyRow& row : rows) {
    if (row.key == key) return row.vk;
  }
  return 0;
}

int NumpadDigit(int scancode) {
  if (scancode == SDL_SCANCODE_KP_0) return 0;
  if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9) return scancode - SDL_SCANCODE_KP_1 + 1;
  return -1;
}

int DigitRow(int scancode) {
  if (scancode == SDL_SCANCODE_0) return 0;
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return scancode - SDL_SCANCODE_1 + 1;
  return -1;
}

bool IsPrintableAscii(SDL_Keycode key) { return key >= 0x20 && key <= 0x7E; }

// The key that gives `letter`, or the letter's place on a layout without
// Latin letters (the same rule as the letter shortcuts).
bool IsLetterKey(SDL_Keycode key, int scancode, SDL_Keycode letter, SDL_Scancode place) {
  return key == letter || (scancode == place && !IsPrintableAscii(key));
}

bool IsPasteKey(SDL_Keycode key, int scancode) { return IsLetterKey(key, scancode, SDLK_v, SDL_SCANCODE_V); }

// A Shift and nothing that makes the key another character or shortcut:
// AltGr+Shift+R types a character on some layouts, Ctrl+Shift+R is the
// letter with Ctrl as any other.
bool IsRecordKey(SDL_Keycode key, int scancode, uint16_t mod) {
  if (!(mod & KMOD_SHIFT) || (mod & (KMOD_CTRL | KMOD_RALT | KMOD_MODE))) return false;
  return IsLetterKey(key, scancode, SDLK_r, SDL_SCANCODE_R);
}

}  // namespace

int VirtualKeyFromSdl(int32_t keycode, int scancode, uint16_t mod) {
  if (mod & (KMOD_LALT | KMOD_GUI)) return 0;
  if ((mod & KMOD_CTRL) && IsPasteKey(keycode, scancode)) return Vk::Paste;
  if (IsRecordKey(keycode, scancode, mod)) return Vk::Record;

  if (keycode >= SDLK_F1 && keycode <= SDLK_F12) return 0x70 + (keycode - SDLK_F1);
  if (int vk = Lookup(kNamedKeys, keycode)) return vk;

  if (int d = NumpadDigit(scancode); d >= 0) {
    return (mod & KMOD_NUM) ? Vk::Numpad0 + d : kNumpadNavigation[d];
  }
  if (scancode == SDL_SCANCODE_KP_PERIOD) return (mod & KMOD_NUM) ? 0x6E : Vk::Delete;
  if (int d = DigitRow(scancode); d >= 0) return Vk::Digit(d);

  if (keycode >= 'a' && keycode <= 'z') return Vk::LetterA + (keycode - 'a');
  if (int vk = Lookup(kPunctuation, keycode)) return vk;

  // The layout printed something else on the key: fall back to its position.
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z && !IsPrintableAscii(keycode)) {
    return Vk::LetterA + (scancode - SDL_SCANCODE_A);
  }
  if (scancode == SDL_SCANCODE_EQUALS) return Vk::OemPlus;
  if (scancode == SDL_SCANCODE_MINUS) return Vk::OemMinus;
  if (scancode == SDL_SCANCODE_GRAVE) return Vk::Grave;
  return 0;
}
