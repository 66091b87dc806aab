#include "net/base64.h"

#include <cstdint>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The 6-bit value of an alphabet character, or -1.
int SextetOf(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::string Base64Decode(std::string_view text) {
  std::string out;
  out.reserve(text.size() / 4 * 3 + 2);
  uint32_t bits = 0;
  int bitCount = 0;
  for (const char c : text) {
    if (c == '=') break;
    const int sextet = SextetOf(c);
    if (sextet < 0) continue;
    bits = (bits << 6) | static_cast<uint32_t>(sextet);
    bitCount += 6;
    if (bitCount >= 8) {
      bitCount -= 8;
      out.push_back(static_cast<char>((bits >> bitCount) & 0xFF));
    }
  }
  // Leftover bits (2 or 4, or 6 for a lone final character) make no byte.
  return out;
}

bool LooksLikeBase64(std::string_view text) {
  size_t letters = 0;
  size_t padding = 0;
  for (const char c : text) {
    if (c == '=') {
      ++padding;
      continue;
    }
    if (padding > 0) return false;  // anything after padding
    if (c == '\r' || c == '\n') continue;
    if (SextetOf(c) < 0) return false;
    ++letters;
  }
  if (letters == 0 || padding > 2 || letters % 4 == 1) return false;
  // Padding, when present, completes the last group exactly.
  return padding == 0 || (letters + padding) % 4 == 0;
}

std::string Base64Encode(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const uint32_t group = (uint32_t(uint8_t(bytes[i])) << 16) | (uint32_t(uint8_t(bytes[i + 1])) << 8) |
                           uint32_t(uint8_t(bytes[i + 2]));
    out.push_back(kAlphabet[(group >> 18) & 63]);
    out.push_back(kAlphabet[(group >> 12) & 63]);
    out.push_back(kAlphabet[(group >> 6) & 63]);
    out.push_back(kAlphabet[group & 63]);
  }
  const size_t rest = bytes.size() - i;
  if (rest == 0) return out;
  uint32_t group = uint32_t(uint8_t(bytes[i])) << 16;
  if (rest == 2) group |= uint32_t(uint8_t(bytes[i + 1])) << 8;
  out.push_back(kAlphabet[(group >> 18) & 63]);
  out.push_back(kAlphabet[(group >> 12) & 63]);
  out.push_back(rest == 2 ? kAlphabet[(group >> 6) & 63] : '=');
  out.push_back('=');
  return out;
}
