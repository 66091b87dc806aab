#pragma once
// Base64 with the standard alphabet (A-Z a-z 0-9 + /), as providers use it
// for programme titles and descriptions. Thread-safe, no state.
#include <string>
#include <string_view>

// Lenient decoding; never fails:
// - characters outside the alphabet (white space, line breaks, anything
//   else) are skipped;
// - decoding stops at the first '=' (padding or not, nothing after it is read);
// - a final lone character (6 bits, less than a byte) is dropped; a final
//   two or three characters give one or two bytes, so unpadded text decodes
//   like padded text;
// - text without any alphabet character gives an empty result.
std::string Base64Decode(std::string_view text);

// Whether `text` has the shape of an encoding: at least one alphabet
// character, nothing else but CR or LF line breaks, at most two '=' and only
// at the very end, and a count of alphabet characters that a whole encoding
// can have (never 1 more than a multiple of 4). Says nothing about what the
// decoded bytes mean: plain words such as "News" have this shape too.
bool LooksLikeBase64(std::string_view text);

// Padded encoding without line breaks (fixtures and tests build answers with it).
std::string Base64Encode(std::string_view bytes);
