#pragma once
// The one HTTP client. Every request of the program goes through Request:
// one blocking call that returns the response body and nothing else.
//
// Contract (all callers rely on it):
// - The user agent is always "Vistra43/4.3".
// - One time-out (milliseconds) bounds every phase: name resolution and
//   connecting, and any stall while sending or receiving.
// - The body is cut at `cap` bytes: a longer answer comes back as exactly its
//   first `cap` bytes, with no sign of the cut.
// - The status code is never examined: an error page's body is a body.
// - Every failure (bad URL, URL parts too long, no connection, time-out, TLS
//   failure, broken transfer) yields an empty body. Nothing is retried.
// - Redirects are followed, never from https to http; TLS certificates and
//   host names are verified.
// Must not be called on the main thread: it blocks for up to the time-out.
// Safe to call from any number of threads at once.
#include <cstdint>
#include <string>
#include <string_view>

using HttpResult = std::string;

namespace HttpClient {

constexpr uint64_t kDefaultCap = 8ull * 1024 * 1024;

// `headers` holds zero or more lines, each ending in CR LF.
HttpResult Request(std::u16string_view method, std::u16string_view url, std::u16string_view headers,
                   std::string_view body, uint32_t timeoutMs, uint64_t cap);

HttpResult Get(std::u16string_view url, uint32_t timeoutMs, uint64_t cap);
HttpResult Get(std::u16string_view url, uint32_t timeoutMs);

// Adds a PEM certificate file to the trusted set (tests trust their own
// self-signed local server this way). Empty path: system set only.
void SetExtraTrustedCertificates(std::string pemPath);

}  // namespace HttpClient

// Percent-encodes UTF-8 bytes for a query string: A-Z a-z 0-9 - . _ ~ stay,
// every other byte becomes %XX with upper-case hex digits.
std::string UrlEncode(std::string_view utf8);
