#include "net/text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Decodes one sequence starting at text[i]; returns its length in bytes
// (at least 1) and the code point, or kReplacement for an invalid sequence.
size_t DecodeOne(std::string_view text, size_t i, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(text[i]);
  const size_t left = text.size() - i;
  auto at = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    if (left < 2 || !IsContinuation(at(1))) { cp = kReplacement; return 1; }
    cp = (char32_t(b0 & 0x1F) << 6) | (at(1) & 0x3F);
    return 2;
  }
  if (b0 >= 0xE0 && b0 <= 0xEF) {
    if (left < 2 || !IsContinuation(at(1))) { cp = kReplacement; return 1; }
    // Reject overlong forms and UTF-16 surrogates, as a strict decoder does.
    if ((b0 == 0xE0 && at(1) < 0xA0) || (b0 == 0xED && at(1) > 0x9F)) { cp = kReplacement; return 1; }
    if (left < 3 || !IsContinuation(at(2))) { cp = kReplacement; return 2; }
    cp = (char32_t(b0 & 0x0F) << 12) | (char32_t(at(1) & 0x3F) << 6) | (at(2) & 0x3F);
    return 3;
  }
  if (b0 >= 0xF0 && b0 <= 0xF4) {
    if (left < 2 || !IsContinuation(at(1))) { cp = kReplacement; return 1; }
    if ((b0 == 0xF0 && at(1) < 0x90) || (b0 == 0xF4 && at(1) > 0x8F)) { cp = kReplacement; return 1; }
    if (left < 3 || !IsContinuation(at(2))) { cp = kReplacement; return 2; }
    if (left < 4 || !IsContinuation(at(3))) { cp = kReplacement; return 3; }
    cp = (char32_t(b0 & 0x07) << 18) | (char32_t(at(1) & 0x3F) << 12) |
         (char32_t(at(2) & 0x3F) << 6) | (at(3) & 0x3F);
    return 4;
  }
  cp = kReplacement;
  return 1;
}

// Widens the ASCII bytes at the start of `bytes` into `out`; returns how
// many there were.
size_t WidenAsciiRun(std::string_view bytes, char16_t* out) {
  const char* from = bytes.data();
  const size_t n = bytes.size();
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
    if (_mm_movemask_epi8(chunk) != 0) break;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(chunk, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(chunk, zero));
  }
#endif
  for (; i < n && static_cast<unsigned char>(from[i]) < 0x80; ++i) out[i] = char16_t(from[i]);
  return i;
}

}  // namespace

size_t Utf8ToWideInto(std::string_view text, char16_t* out) {
  size_t i = 0;
  size_t units = 0;
  const size_t n = text.size();
  while (i < n) {
    const size_t run = WidenAsciiRun(text.substr(i), out + units);
    i += run;
    units += run;
    if (i >= n) break;
    char32_t cp = 0;
    i += DecodeOne(text, i, cp);
    if (cp < 0x10000) {
      out[units++] = char16_t(cp);
    } else {
      cp -= 0x10000;
      out[units++] = char16_t(0xD800 + (cp >> 10));
      out[units++] = char16_t(0xDC00 + (cp & 0x3FF));
    }
  }
  return units;
}

void AppendUtf8AsWide(std::string_view text, std::u16string& out) {
  const size_t start = out.size();
  out.resize(start + text.size());
  out.resize(start + Utf8ToWideInto(text, out.data() + start));
}

void AppendCodePointAsUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out.push_back(char(cp));
  } else if (cp < 0x800) {
    out.push_back(char(0xC0 | (cp >> 6)));
    out.push_back(char(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(char(0xE0 | (cp >> 12)));
    out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(char(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(char(0xF0 | (cp >> 18)));
    out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(char(0x80 | (cp & 0x3F)));
  }
}

bool IsValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    char32_t cp = 0;
    const size_t length = DecodeOne(text, i, cp);
    // U+FFFD itself is valid text; only a replaced sequence is not.
    if (cp == kReplacement && text.substr(i, length) != "\xEF\xBF\xBD") return false;
    i += length;
  }
  return true;
}

void AppendWideAsUtf8(std::u16string_view text, std::string& out) {
  out.reserve(out.size() + text.size());
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;  // a lone surrogate has no UTF-8 form
    }
    AppendCodePointAsUtf8(cp, out);
  }
}

std::u16string Utf8ToWide(std::string_view utf8) {
  std::u16string out;
  if (!utf8.empty()) AppendUtf8AsWide(utf8, out);
  return out;
}

std::string WideToUtf8(std::u16string_view wide) {
  std::string out;
  if (!wide.empty()) AppendWideAsUtf8(wide, out);
  return out;
}

bool StartsWithNoCase(std::string_view text, std::string_view lowerPrefix) {
  if (text.size() < lowerPrefix.size()) return false;
  for (size_t i = 0; i < lowerPrefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (c != lowerPrefix[i]) return false;
  }
  return true;
}
