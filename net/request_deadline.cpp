// The overall deadline every HTTP client of the program applies.
#include <algorithm>

#include "net/http_client.h"

namespace HttpClient {

uint64_t RequestDeadlineMs(uint32_t timeoutMs, uint64_t cap) {
  // cap / rate in ms, without overflow for any cap.
  const uint64_t capMs = cap / kSlowLineBytesPerSecond * 1000 + cap % kSlowLineBytesPerSecond * 1000 / kSlowLineBytesPerSecond;
  const uint64_t deadline = std::min(uint64_t(timeoutMs) + std::min(capMs, kLongestRequestMs), kLongestRequestMs);
  // Zero would mean "no deadline" to the transports.
  return std::max<uint64_t>(deadline, 1000);
}

}  // namespace HttpClient
