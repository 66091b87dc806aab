#pragma once
// The one HTTP client. Every request of the program goes through Request:
// one blocking call that returns the response body and nothing else.
//
// Contract (all callers rely on it):
// - The user agent is always "Vistra43/4.3".
// - One time-out (milliseconds) bounds every phase: name resolution and
//   connecting, and any stall while sending or receiving. Besides that
//   silence limit, a request ends when it moves fewer than
//   kMinimumBytesPerSecond for the time-out (a server that trickles a byte,
//   a header line or a "100 Continue" now and then never ends otherwise), and
//   at its overall deadline (RequestDeadlineMs) however fast it moves.
// - Request and Get cut the body at `cap` bytes: a longer answer comes back
//   as exactly its first `cap` bytes, with no sign of the cut. Fetch says
//   how the body ended instead.
// - The status code decides nothing: an error page's body is a body
//   (Fetch reports the code beside it).
// - Every failure (bad URL, URL parts too long, no connection, time-out, TLS
//   failure, broken transfer) yields an empty body from Request and Get.
//   Nothing is retried.
// - Redirects are followed, never from https to http; TLS certificates and
//   host names are verified.
// Must not be called on the main thread: it blocks for up to the deadline.
// Safe to call from any number of threads at once.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

using HttpResult = std::string;

namespace HttpClient {

constexpr uint64_t kDefaultCap = 8ull * 1024 * 1024;

// Below this rate for a whole time-out, a transfer has stalled in all but
// name. Real lines, even a poor mobile one, move tens of kilobytes a second;
// one byte, one header line or one interim "100 Continue" a second do not.
constexpr uint64_t kMinimumBytesPerSecond = 1024;
// The overall deadline lets a full answer of `cap` bytes arrive at this rate
// (512 kbit/s, a slow line) after one time-out of waiting, but never runs
// past kLongestRequestMs. The catalog lists (512 MiB caps) get the full
// hour: a 48 MiB catalog loads on any line above 14 KiB/s, a million
// channels (some 350 MiB) above 100 KiB/s. An 8 MiB answer (trending, the
// guide table) gets 128 s more than its time-out.
constexpr uint64_t kSlowLineBytesPerSecond = 64 * 1024;
constexpr uint64_t kLongestRequestMs = 3600ull * 1000;

// The overall deadline of a request with this time-out and cap, in ms.
uint64_t RequestDeadlineMs(uint32_t timeoutMs, uint64_t cap);

// How a body ended.
enum class BodyEnd : uint8_t {
  Whole,     // where the server said it ends: the announced length, the last
             // chunk, or the close of a connection that announced neither
  CutAtCap,  // the first `cap` bytes of a longer answer
  Broken,    // the request failed: nothing came, or the transfer broke off
             // (closed before the announced length or the last chunk, timed
             // out, too slow); the body holds what had arrived
};

struct HttpReply {
  std::string body;
  BodyEnd end = BodyEnd::Broken;
  // What moved however the request ended, for measurements (the speed
  // test): the request body bytes sent, and the seconds from the start to
  // the last byte that moved either way (a stall before a failure does not
  // count).
  uint64_t bytesSent = 0;
  double activeSeconds = 0;
  // The status code of the last answer (after redirects), for callers that
  // explain a failure; 0 when no answer came. Fetch returns the body
  // whatever the status.
  int status = 0;
  // The answer's Retry-After in seconds (either form: a number or a date),
  // 0 when it sent none; what a 429 or 503 asks the client to wait.
  int64_t retryAfterSeconds = 0;
  bool whole() const { return end == BodyEnd::Whole; }
};

// The same request as Request, telling how the body ended. The body is
// moved out, never copied: a caller may hold hundreds of megabytes once.
HttpReply Fetch(std::u16string_view method, std::u16string_view url, std::u16string_view headers,
                std::string_view body, uint32_t timeoutMs, uint64_t cap);
HttpReply FetchGet(std::u16string_view url, uint32_t timeoutMs, uint64_t cap);

// Receives a body piece by piece, in order, as it arrives.
using BodySink = std::function<void(std::string_view bytes)>;

// FetchGet for answers too large to hold: each piece of the body goes to
// `sink` (on the calling thread) as it arrives, at most `cap` bytes in all,
// and the reply's body keeps only the first `keepHead` bytes, for telling
// what the answer was. How the body ended, the status and the rest are told
// as by Fetch; bytes that reached the sink before a failure stay delivered,
// so a sink must wait for the end before it trusts them.
HttpReply FetchGetInto(std::u16string_view url, uint32_t timeoutMs, uint64_t cap, const BodySink& sink,
                       size_t keepHead);

// `headers` holds zero or more lines, each ending in CR LF.
HttpResult Request(std::u16string_view method, std::u16string_view url, std::u16string_view headers,
                   std::string_view body, uint32_t timeoutMs, uint64_t cap);

HttpResult Get(std::u16string_view url, uint32_t timeoutMs, uint64_t cap);
HttpResult Get(std::u16string_view url, uint32_t timeoutMs);

// Adds a PEM certificate file to the trusted set (tests trust their own
// self-signed local server this way). Empty path: system set only.
void SetExtraTrustedCertificates(std::string pemPath);

// Caps every request's time-out at `maxMs` (0: time-outs as given), so that
// tests can drive a whole boot against a trickling server in seconds. The
// deadline follows the capped time-out.
void LimitTimeouts(uint32_t maxMs);

}  // namespace HttpClient

// Percent-encodes UTF-8 bytes for a query string: A-Z a-z 0-9 - . _ ~ stay,
// every other byte becomes %XX with upper-case hex digits.
std::string UrlEncode(std::string_view utf8);

// Makes a text that came from a URL fit to stand in one again, changing as
// little as possible: only what can never stand raw in a URL is
// percent-encoded (upper-case hex digits): the space, '#' (it would start
// the fragment), control characters and everything beyond ASCII, as its
// UTF-8 bytes. Every other character stays, '%' included, so an escape
// that is already there is kept as it is and a text that was fit before
// comes back unchanged.
std::u16string EscapeUrlUnsafe(std::u16string_view text);
