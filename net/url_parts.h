#pragma once
// Splitting an absolute http(s) URL into the parts the HTTP client checks.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct UrlParts {
  bool secure = false;     // https
  std::string host;        // without brackets or port
  uint16_t port = 0;       // explicit or the scheme's default
  std::string path;        // from the first '/' after the authority, "/" when absent
  std::string query;       // from the '?' on, empty when absent
};

// Limits that a URL's parts must stay under (counts include a terminator,
// so a host of 255 characters fits and one of 256 does not).
constexpr size_t kMaxHostChars = 256;
constexpr size_t kMaxPathChars = 4096;
constexpr size_t kMaxQueryChars = 2048;

// Empty when the URL does not parse, its scheme is not http or https, or a
// part does not fit its limit.
std::optional<UrlParts> SplitUrl(std::string_view url);
