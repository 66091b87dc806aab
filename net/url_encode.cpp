#include "net/http_client.h"

#include "net/text.h"

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

bool IsUrlUnsafe(char16_t c) { return c <= u' ' || c == u'#' || c >= 0x7F; }

template <typename Out>
void AppendEscaped(Out& out, unsigned char byte) {
  out.push_back('%');
  out.push_back(kHex[byte >> 4]);
  out.push_back(kHex[byte & 0x0F]);
}

}  // namespace

std::string UrlEncode(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() * 3);
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsUnreserved(byte)) {
      out.push_back(c);
      continue;
    }
    AppendEscaped(out, byte);
  }
  return out;
}

std::u16string EscapeUrlUnsafe(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && !IsUrlUnsafe(text[i])) ++i;
  std::u16string out(text.substr(0, i));
  while (i < text.size()) {
    if (!IsUrlUnsafe(text[i])) {
      out.push_back(text[i++]);
      continue;
    }
    // One character at a time, a surrogate pair together, so that its
    // UTF-8 bytes are those of the whole character.
    const size_t length = (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size()) ? 2 : 1;
    for (const char byte : WideToUtf8(text.substr(i, length))) AppendEscaped(out, static_cast<unsigned char>(byte));
    i += length;
  }
  return out;
}
