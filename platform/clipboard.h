#pragma once
// The desktop clipboard. Main thread only (the window's video subsystem
// must be up).

#include <string>

// The clipboard's text, or an empty text when it holds none.
std::u16string ClipboardText();
