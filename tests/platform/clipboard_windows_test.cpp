#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "platform/clipboard.h"

namespace {

// Puts `bytes` bytes of `units` on the clipboard as its Unicode text.
bool PutText(const wchar_t* units, size_t bytes) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  std::memcpy(GlobalLock(block), units, bytes);
  GlobalUnlock(block);
  const bool put = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
  CloseClipboard();
  return put;
}

}  // namespace

// What is pasted is the text as the other program left it: every UTF-16
// unit (a character outside the basic plane is two), up to its terminator;
// an empty clipboard pastes nothing.
TEST(ClipboardWindows, TextAsLeftByAnotherProgram) {
  const wchar_t text[] = L"Gr\u00fc\u00dfe \U0001F3AC http://a/b?c=1";
  ASSERT_TRUE(PutText(text, sizeof text));
  EXPECT_EQ(ClipboardText(), u"Gr\u00fc\u00dfe \U0001F3AC http://a/b?c=1");

  // A block larger than its text: the text ends at its terminator.
  const wchar_t padded[] = {L'a', L'b', L'c', 0, L'd', L'e', 0};
  ASSERT_TRUE(PutText(padded, sizeof padded));
  EXPECT_EQ(ClipboardText(), u"abc");

  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  EXPECT_EQ(ClipboardText(), u"");
}
