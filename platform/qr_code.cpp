#include "platform/qr_code.h"

#include <qrencode.h>

#include <string>

std::optional<QrSymbol> EncodeQr(std::string_view utf8) {
  const std::string text(utf8);
  // Version 0: the smallest version that fits; byte mode keeps every
  // character of a URL as it is.
  QRcode* code = QRcode_encodeString8bit(text.c_str(), 0, QR_ECLEVEL_M);
  if (!code) return std::nullopt;
  QrSymbol symbol;
  symbol.modules = code->width;
  symbol.dark.resize(static_cast<size_t>(code->width) * code->width);
  for (size_t i = 0; i < symbol.dark.size(); ++i) symbol.dark[i] = code->data[i] & 1;
  QRcode_free(code);
  if (symbol.modules < 21) return std::nullopt;
  return symbol;
}
