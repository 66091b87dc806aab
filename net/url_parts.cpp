#include "net/url_parts.h"

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

// Spaces and control characters are never valid in a URL; the transport
// would refuse them anyway, so they fail here before any request is made.
bool HasForbiddenByte(std::string_view url) {
  for (const char c : url) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F) return true;
  }
  return false;
}

// "80", "08080": digits only, 1-65535. An empty port means the default.
bool ParsePort(std::string_view digits, uint16_t defaultPort, uint16_t& port) {
  if (digits.empty()) {
    port = defaultPort;
    return true;
  }
  if (digits.size() > 5) return false;
  unsigned value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + unsigned(c - '0');
  }
  if (value < 1 || value > 65535) return false;
  port = static_cast<uint16_t>(value);
  return true;
}

// Splits "host", "host:port", "[v6]" or "[v6]:port" into parts.
bool SplitAuthority(std::string_view authority, UrlParts& parts) {
  const uint16_t defaultPort = parts.secure ? 443 : 80;
  // User information ("user:pass@host") is not supported: refusing it keeps
  // credentials out of host names and logs.
  if (authority.find('@') != std::string_view::npos) return false;
  std::string_view host;
  std::string_view port;
  if (!authority.empty() && authority.front() == '[') {
    const size_t close = authority.find(']');
    if (close == std::string_view::npos) return false;
    host = authority.substr(1, close - 1);
    const std::string_view rest = authority.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') return false;
      port = rest.substr(1);
    }
  } else {
    const size_t colon = authority.find(':');
    host = authority.substr(0, colon);
    if (colon != std::string_view::npos) port = authority.substr(colon + 1);
    if (host.find_first_of("[]") != std::string_view::npos) return false;
  }
  if (host.empty() || host.size() >= kMaxHostChars) return false;
  if (!ParsePort(port, defaultPort, parts.port)) return false;
  parts.host.assign(host);
  return true;
}

}  // namespace

std::optional<UrlParts> SplitUrl(std::string_view url) {
  if (HasForbiddenByte(url)) return std::nullopt;
  const size_t schemeEnd = url.find("://");
  if (schemeEnd == std::string_view::npos) return std::nullopt;
  UrlParts parts;
  const std::string_view scheme = url.substr(0, schemeEnd);
  if (EqualsNoCase(scheme, "https")) {
    parts.secure = true;
  } else if (!EqualsNoCase(scheme, "http")) {
    return std::nullopt;
  }

  const std::string_view rest = url.substr(schemeEnd + 3);
  const size_t authorityEnd = rest.find_first_of("/?#");
  if (!SplitAuthority(rest.substr(0, authorityEnd), parts)) return std::nullopt;
  if (authorityEnd == std::string_view::npos) {
    parts.path = "/";
    return parts;
  }

  // The path runs to the query or fragment; everything from there on is the
  // "extra information" that travels with the path (a fragment is kept in it
  // too, so that it counts against the same limit).
  const std::string_view tail = rest.substr(authorityEnd);
  const size_t extraStart = tail.find_first_of("?#");
  const std::string_view path = tail.substr(0, extraStart);
  const std::string_view query = extraStart == std::string_view::npos ? std::string_view() : tail.substr(extraStart);
  if (path.size() >= kMaxPathChars || query.size() >= kMaxQueryChars) return std::nullopt;
  parts.path = path.empty() ? std::string("/") : std::string(path);
  parts.query.assign(query);
  return parts;
}
