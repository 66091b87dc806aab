#pragma once
// A screen's keys as a table of rows, tried in order: the first row that
// lists the key, is valid in the screen's current mode and takes the key
// ends the search. A row may decline (its action returns false) so that a
// later row of the same key acts instead, as Left on a live channel skips
// in its buffer when behind live and zaps otherwise. Main thread only.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "ui/screens/key_help.h"
#include "ui/screens/screen_view.h"

struct KeyRow {
  std::array<int, 4> keys;  // virtual keys; unused places are 0
  uint32_t modes;           // the modes (bits, chosen by the screen) the row is valid in
  bool (*act)(ScreenContext& ctx, int vk);  // true: the key is taken
  const char* help = nullptr;  // text key of what the row does, for the key help; none: not listed
};

// A row's action from an action of the screen that always takes the key.
template <void (*Do)(ScreenContext&)>
bool Run(ScreenContext& ctx, int /*vk*/) {
  Do(ctx);
  return true;
}

// True when `vk` is one of the row's keys.
bool RowHasKey(const KeyRow& row, int vk);

// Runs the first row valid in `mode` that lists `vk` and takes it; true
// when one did.
bool DispatchKey(std::span<const KeyRow> rows, uint32_t mode, ScreenContext& ctx, int vk);

// The help lines of the rows valid in `mode` that have a help text, in table
// order; rows sharing a text become one line with the keys of all (each
// once, at most six).
std::vector<KeyHelp> HelpOfRows(std::span<const KeyRow> rows, uint32_t mode);

// The digit 0..9 of a main-block or number-pad digit key; -1 for others.
int DigitOfKey(int vk);
