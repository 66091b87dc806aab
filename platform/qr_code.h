#pragma once
// QR symbols (ISO/IEC 18004) through libqrencode. Any thread.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

struct QrSymbol {
  int modules = 0;            // the symbol is modules x modules
  std::vector<uint8_t> dark;  // row by row; 1 = a dark module
  bool Dark(int x, int y) const { return dark[static_cast<size_t>(y) * modules + x] != 0; }
};

// The symbol of `utf8` in byte mode, error correction level M, the smallest
// version that holds it; nothing when no symbol can hold the text.
std::optional<QrSymbol> EncodeQr(std::string_view utf8);
