#include "ui/screens/key_table.h"

#include "platform/virtual_keys.h"

int DigitOfKey(int vk) {
  if (vk >= Vk::Digit0 && vk <= Vk::Digit(9)) return vk - Vk::Digit0;
  if (vk >= Vk::Numpad0 && vk <= Vk::Numpad0 + 9) return vk - Vk::Numpad0;
  return -1;
}

bool RowHasKey(const KeyRow& row, int vk) {
  for (const int key : row.keys) {
    if (key == vk && key != 0) return true;
    if (key == kAnyDigit && DigitOfKey(vk) >= 0) return true;
  }
  return false;
}

bool DispatchKey(std::span<const KeyRow> rows, uint32_t mode, ScreenContext& ctx, int vk) {
  for (const KeyRow& row : rows) {
    if ((row.modes & mode) && RowHasKey(row, vk) && row.act(ctx, vk)) return true;
  }
  return false;
}
