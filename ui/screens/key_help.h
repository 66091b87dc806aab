#pragma once
// A screen's key help (F1, or ? where no text is typed, on every screen):
// each screen names its keys and what they do as lines of text keys, and
// the help overlay shows them, with the keys every screen shares, in the
// user's language. Live and the Player derive their lines from their key
// tables (HelpOfRows), so a key added there is listed by its row.
#include <array>
#include <string>
#include <vector>

#include "state/app_state.h"
#include "ui/modals/key_help_overlay.h"

// Stands in a key list for the ten digits of either the main block or the
// number pad.
inline constexpr int kAnyDigit = -1;

// One line of a screen's key help: up to six keys (unused places are 0)
// and the text key of what they do.
using HelpKeys = std::array<int, 6>;
struct KeyHelp {
  HelpKeys keys;
  const char* text;
};

// What a screen's key help shows: its lines in order and, when `titleKey`
// is set, that text as the screen's name (else the screen's menu word).
struct ScreenHelp {
  const char* titleKey = nullptr;
  std::vector<KeyHelp> rows;
};

// The name of a key as printed on keyboards, in the current language:
// letters and signs as themselves, arrows as arrows, kAnyDigit as "0–9".
std::u16string KeyName(int vk);
// The names of a line's keys, joined by ", ".
std::u16string KeyNames(const HelpKeys& keys);

// The keys every screen shares (back, volume, mute, full screen, this help).
std::vector<KeyHelp> EverywhereHelp();

// The overlay's sheet for `screen`: its title, its lines and the shared ones,
// translated.
KeyHelpSheet MakeKeyHelpSheet(Screen screen, const ScreenHelp& help);
