#pragma once
// Key codes the handlers use. The numbers are the classic virtual-key codes
// so key tables read the same on every platform; platform/ maps the native
// key events onto them.
namespace Vk {
inline constexpr int Back = 0x08;
inline constexpr int Tab = 0x09;
inline constexpr int Return = 0x0D;
inline constexpr int Escape = 0x1B;
inline constexpr int Space = 0x20;
inline constexpr int PageUp = 0x21;
inline constexpr int PageDown = 0x22;
inline constexpr int End = 0x23;
inline constexpr int Home = 0x24;
inline constexpr int Left = 0x25;
inline constexpr int Up = 0x26;
inline constexpr int Right = 0x27;
inline constexpr int Down = 0x28;
inline constexpr int Delete = 0x2E;
inline constexpr int Digit0 = 0x30;  // '0'..'9' are 0x30..0x39
inline constexpr int LetterA = 0x41; // 'A'..'Z' are 0x41..0x5A
inline constexpr int Numpad0 = 0x60;
inline constexpr int NumpadAdd = 0x6B;
inline constexpr int NumpadSubtract = 0x6D;
inline constexpr int F1 = 0x70;
inline constexpr int F11 = 0x7A;
inline constexpr int OemPlus = 0xBB;   // the "=+" key
inline constexpr int OemMinus = 0xBD;  // the "-_" key
inline constexpr int OemQuestion = 0xBF;  // the "/?" key
inline constexpr int Grave = 0xC0;     // the "`~" key
// Ctrl+V (either Ctrl, the key that gives "v" or sits where V does): paste.
// Outside the range of the classic codes, so no letter shortcut sees it.
inline constexpr int Paste = 0x1056;
// Shift+R (the key that gives "r", by the letter rule): record. Apart from
// R, which the Player keeps for its aspect.
inline constexpr int Record = 0x2052;

constexpr int Letter(char upper) { return upper; }
// Esc and Backspace both go back.
constexpr bool IsBack(int vk) { return vk == Escape || vk == Back; }
constexpr int Digit(int d) { return Digit0 + d; }
}  // namespace Vk
