#pragma once
// SHA-256 of a byte string. Thread-safe, no state.
#include <array>
#include <cstdint>
#include <string_view>

using Sha256Digest = std::array<uint8_t, 32>;

// The 32-byte digest of `bytes`. Should the crypto library fail, the result
// is 32 zero bytes; nothing is reported (callers print it as 64 "0" digits).
Sha256Digest Sha256(std::string_view bytes);
