#pragma once
// UTF-8 <-> UTF-16 conversion. Text inside the program is UTF-16; files,
// network and libraries get UTF-8. Invalid input sequences become U+FFFD,
// as the platform converters of other systems do. Thread-safe, no state.
#include <string>
#include <string_view>

std::u16string Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::u16string_view wide);

// Appends the conversion to `out` (hot paths reuse one buffer).
void AppendUtf8AsWide(std::string_view utf8, std::u16string& out);
void AppendWideAsUtf8(std::u16string_view wide, std::string& out);
// Converts `utf8` into `out`, which has room for utf8.size() units (UTF-16
// never needs more), and returns the units written. Runs of ASCII, most of
// catalog text, are widened many bytes at a time.
size_t Utf8ToWideInto(std::string_view utf8, char16_t* out);
// The one UTF-8 encoder: appends `cp` (a scalar value; callers replace
// surrogates first) as one to four bytes.
void AppendCodePointAsUtf8(char32_t cp, std::string& out);
// True when every sequence of `text` is well-formed UTF-8 (no overlong
// forms, surrogates or values above U+10FFFF).
bool IsValidUtf8(std::string_view text);

// Whether `text` starts with `lowerPrefix` (written in lower case), ASCII
// letters compared without case: for protocol words and markup.
bool StartsWithNoCase(std::string_view text, std::string_view lowerPrefix);

// ASCII-only literal helper for tests and fixed texts: u"..." is usually
// nicer, this is for texts that arrive as std::string.
inline std::u16string AsciiToWide(std::string_view ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}
