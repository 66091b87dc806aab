#pragma once
// Whole-buffer gzip (RFC 1952) for the program's own files. Pure and
// thread-safe: no state, no I/O.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// `bytes` as one gzip member; empty optional only when the compressor
// cannot get memory.
std::optional<std::string> GzipBytes(std::string_view bytes);

// What one gzip member holds, or an empty optional when `bytes` is not
// exactly one whole, intact member (another format, a cut or damaged
// stream: its checksum and length are checked; bytes after its end) or
// when it would inflate to more than `maxBytes`, so a small file can never
// ask for unbounded memory.
std::optional<std::string> GunzipBytes(std::string_view bytes, size_t maxBytes);
