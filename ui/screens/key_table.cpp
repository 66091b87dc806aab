#include "ui/screens/key_table.h"

#include <algorithm>
#include <string_view>

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

namespace {

void AddKeys(KeyHelp& line, const std::array<int, 4>& keys) {
  for (const int key : keys) {
    if (key == 0 || std::find(line.keys.begin(), line.keys.end(), key) != line.keys.end()) continue;
    const auto free = std::find(line.keys.begin(), line.keys.end(), 0);
    if (free != line.keys.end()) *free = key;
  }
}

}  // namespace

std::vector<KeyHelp> HelpOfRows(std::span<const KeyRow> rows, uint32_t mode) {
  std::vector<KeyHelp> lines;
  for (const KeyRow& row : rows) {
    if (!(row.modes & mode) || row.help == nullptr) continue;
    auto same = std::find_if(lines.begin(), lines.end(),
                             [&](const KeyHelp& line) { return std::string_view(line.text) == row.help; });
    if (same == lines.end()) same = lines.insert(lines.end(), KeyHelp{{}, row.help});
    AddKeys(*same, row.keys);
  }
  return lines;
}
