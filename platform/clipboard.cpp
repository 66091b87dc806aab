#include "platform/clipboard.h"

#include <SDL_clipboard.h>
#include <SDL_stdinc.h>

#include "net/text.h"

std::u16string ClipboardText() {
  if (!SDL_HasClipboardText()) return {};
  char* text = SDL_GetClipboardText();
  if (!text) return {};
  std::u16string wide = Utf8ToWide(text);
  SDL_free(text);
  return wide;
}
