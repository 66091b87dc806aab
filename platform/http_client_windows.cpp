// The HTTP client on WinHTTP. Each request opens its own session,
// connection and request handles, so nothing (connections, cookies, name
// cache) is shared between requests.
//
// WinHTTP runs in asynchronous mode: every operation completes through a
// callback, and the calling thread waits for it with a limit of its own.
// That is what lets the silence limit, the minimum rate and the deadline end
// a request at any moment, even inside headers that trickle in for ever,
// which a synchronous call would sit in until the server gives up.
//
// Redirects are followed here rather than by WinHTTP, hop by hop, so that
// the hop count, the refusal of https -> http and the handling of a body
// are the same wherever the program runs.
//
// Sections: trust; the exchange between the callback and the caller;
// waiting with the limits; one hop; redirects; the public functions.
#include <windows.h>
#include <wincrypt.h>
#include <winhttp.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "net/http_client.h"
#include "net/text.h"
#include "net/url_parts.h"

namespace {

constexpr wchar_t kUserAgent[] = L"Vistra43/4.3";
constexpr int kMaxRedirects = 10;
// One read or write moves at most this much; it is also how often the
// limits get a look at a fast transfer.
constexpr DWORD kChunkBytes = 64 * 1024;
// How long one wait lasts at most when no limit is nearer.
constexpr DWORD kLongestWaitMs = 1000;

using Clock = std::chrono::steady_clock;

const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

std::atomic<uint32_t> g_timeoutLimitMs{0};

// --- trust ---

// Certificates the tests add beside the system's own authorities. Closed
// only when replaced; a request holds its own reference meanwhile.
class ExtraTrust {
 public:
  ~ExtraTrust() { Set(nullptr); }
  void Set(HCERTSTORE store) {
    std::lock_guard lock(mutex_);
    if (store_) CertCloseStore(store_, 0);
    store_ = store;
  }
  // A duplicate the caller closes, or null when there is none.
  HCERTSTORE Take() {
    std::lock_guard lock(mutex_);
    return store_ ? CertDuplicateStore(store_) : nullptr;
  }

 private:
  std::mutex mutex_;
  HCERTSTORE store_ = nullptr;
};

ExtraTrust g_extraTrust;

// Every "BEGIN CERTIFICATE" block of a PEM file, in a memory store; null
// when the file holds none.
HCERTSTORE LoadPemCertificates(const std::string& path) {
  std::ifstream file(std::filesystem::u8path(path), std::ios::binary);
  const std::string pem((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr);
  if (!store) return nullptr;
  constexpr std::string_view kBegin = "-----BEGIN CERTIFICATE-----";
  constexpr std::string_view kEnd = "-----END CERTIFICATE-----";
  int added = 0;
  for (size_t at = pem.find(kBegin); at != std::string::npos; at = pem.find(kBegin, at + 1)) {
    const size_t end = pem.find(kEnd, at);
    if (end == std::string::npos) break;
    const std::string block = pem.substr(at, end + kEnd.size() - at);
    DWORD size = 0;
    if (!CryptStringToBinaryA(block.c_str(), DWORD(block.size()), CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr,
                              nullptr))
      continue;
    std::vector<BYTE> der(size);
    if (!CryptStringToBinaryA(block.c_str(), DWORD(block.size()), CRYPT_STRING_BASE64HEADER, der.data(), &size,
                              nullptr, nullptr))
      continue;
    if (CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), size, CERT_STORE_ADD_ALWAYS,
                                         nullptr))
      ++added;
  }
  if (added > 0) return store;
  CertCloseStore(store, 0);
  return nullptr;
}

// True when the server's chain ends in one of `extra`'s certificates, or
// the system trusts it outright. Only the authority is judged here: WinHTTP
// still checks the host name and the dates itself.
bool ChainTrusted(PCCERT_CONTEXT server, HCERTSTORE extra) {
  CERT_CHAIN_PARA para{};
  para.cbSize = sizeof para;
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  if (!CertGetCertificateChain(nullptr, server, nullptr, extra, &para, 0, nullptr, &chain)) return false;
  bool trusted = false;
  const DWORD errors = chain->TrustStatus.dwErrorStatus;
  if (errors == CERT_TRUST_NO_ERROR) {
    trusted = true;
  } else if ((errors & ~DWORD(CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_REVOCATION_STATUS_UNKNOWN |
                               CERT_TRUST_IS_OFFLINE_REVOCATION)) == 0 &&
             chain->cChain > 0 && chain->rgpChain[0]->cElement > 0) {
    const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
    PCCERT_CONTEXT root = simple->rgpElement[simple->cElement - 1]->pCertContext;
    PCCERT_CONTEXT ours = CertFindCertificateInStore(extra, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, root, nullptr);
    trusted = ours != nullptr;
    if (ours) CertFreeCertificateContext(ours);
  }
  CertFreeCertificateChain(chain);
  return trusted;
}

// --- the exchange between the callback and the caller ---

// What one request's callbacks report. It lives on the heap, shared by the
// caller and the request handle: a request given up on may still complete
// an operation later, into this buffer, after the caller has returned. The
// handle's closing notice releases the handle's share.
struct Exchange {
  HANDLE completed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  // Written by the callback before it sets `completed`, read after it.
  DWORD status = 0;  // the completing notification
  DWORD bytes = 0;   // bytes read or written by it
  DWORD error = 0;   // for WINHTTP_CALLBACK_STATUS_REQUEST_ERROR
  // Certificates to judge the server by (tests), and the verdict.
  HCERTSTORE extraTrust = nullptr;
  std::atomic<bool> judged = false;
  std::atomic<bool> untrusted = false;
  std::vector<char> buffer = std::vector<char>(kChunkBytes);

  ~Exchange() {
    if (extraTrust) CertCloseStore(extraTrust, 0);
    CloseHandle(completed);
  }
};
using SharedExchange = std::shared_ptr<Exchange>;

bool IsCompletion(DWORD status) {
  switch (status) {
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_WRITE_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
    case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE:
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
      return true;
    default:
      return false;
  }
}

// Runs the server's certificate past the extra authorities as the request
// head goes out. An untrusted one fails the request before its body is
// sent and before any answer is read. (The head itself may already be on
// its way: WinHTTP offers no earlier point to judge a server by.) The
// first look decides, however often the sending is announced.
void JudgeServer(HINTERNET request, Exchange& exchange) {
  if (exchange.judged.exchange(true)) return;
  PCCERT_CONTEXT server = nullptr;
  DWORD size = sizeof server;
  const bool got = WinHttpQueryOption(request, WINHTTP_OPTION_SERVER_CERT_CONTEXT, &server, &size) && server;
  const bool trusted = got && ChainTrusted(server, exchange.extraTrust);
  if (server) CertFreeCertificateContext(server);
  if (!trusted) exchange.untrusted = true;
}

void CALLBACK OnStatus(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info, DWORD length) {
  auto* share = reinterpret_cast<SharedExchange*>(context);
  if (!share) return;
  if (status == WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING) {
    delete share;
    return;
  }
  Exchange& exchange = **share;
  if (status == WINHTTP_CALLBACK_STATUS_SENDING_REQUEST && exchange.extraTrust) {
    JudgeServer(handle, exchange);
    return;
  }
  if (!IsCompletion(status)) return;
  exchange.status = status;
  exchange.bytes = 0;
  if (status == WINHTTP_CALLBACK_STATUS_READ_COMPLETE) exchange.bytes = length;
  if ((status == WINHTTP_CALLBACK_STATUS_WRITE_COMPLETE || status == WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE) && info)
    exchange.bytes = *static_cast<DWORD*>(info);
  if (status == WINHTTP_CALLBACK_STATUS_REQUEST_ERROR && info)
    exchange.error = static_cast<WINHTTP_ASYNC_RESULT*>(info)->dwError;
  SetEvent(exchange.completed);
}

// --- waiting with the limits ---

// The three limits of a request, and what has moved so far.
class Limits {
 public:
  Limits(uint32_t timeoutMs, uint64_t cap)
      : timeout_(timeoutMs),
        start_(Clock::now()),
        deadline_(start_ + std::chrono::milliseconds(HttpClient::RequestDeadlineMs(timeoutMs, cap))),
        lastMove_(start_),
        windowStart_(start_) {}

  void Moved(uint64_t bytes) {
    if (bytes == 0) return;
    lastMove_ = Clock::now();
    windowBytes_ += bytes;
  }

  // Milliseconds until the nearest limit must be looked at; 0 when one has
  // been passed.
  DWORD WaitMs() {
    const auto now = Clock::now();
    if (now >= deadline_) return 0;
    auto next = std::min(deadline_, now + std::chrono::milliseconds(kLongestWaitMs));
    if (timeout_.count() > 0) {
      if (now - lastMove_ >= timeout_) return 0;
      // A whole time-out that moved less than the minimum rate has
      // stalled; a window that moved enough starts the next one.
      if (now - windowStart_ >= timeout_) {
        const uint64_t needed = HttpClient::kMinimumBytesPerSecond * uint64_t(timeout_.count()) / 1000;
        if (windowBytes_ < needed) return 0;
        windowStart_ = now;
        windowBytes_ = 0;
      }
      next = std::min({next, lastMove_ + timeout_, windowStart_ + timeout_});
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(next - now).count();
    return DWORD(std::max<int64_t>(left, 1));
  }

  double ActiveSeconds() const { return std::chrono::duration<double>(lastMove_ - start_).count(); }

 private:
  std::chrono::milliseconds timeout_;
  Clock::time_point start_;
  Clock::time_point deadline_;
  Clock::time_point lastMove_;
  Clock::time_point windowStart_;
  uint64_t windowBytes_ = 0;
};

// Waits for the operation just started to complete. False when it failed
// or a limit ran out first (the request is then to be given up).
bool AwaitCompletion(Exchange& exchange, Limits& limits, DWORD expected) {
  for (;;) {
    const DWORD waitMs = limits.WaitMs();
    if (waitMs == 0) return false;
    if (WaitForSingleObject(exchange.completed, waitMs) == WAIT_OBJECT_0) break;
  }
  return exchange.status == expected && !exchange.untrusted;
}

// --- one hop ---

struct HandleCloser {
  void operator()(void* handle) const { WinHttpCloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

struct Hop {
  std::u16string method;
  std::string url;
  std::u16string headers;
  std::string_view body;
};

struct HopResult {
  bool answered = false;  // headers arrived
  int status = 0;
  std::string location;  // for a redirect
  int64_t retryAfterSeconds = 0;
  uint64_t bytesSent = 0;
};

std::u16string QueryHeader(HINTERNET request, DWORD which) {
  DWORD bytes = 0;
  WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &bytes,
                      WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return {};
  std::u16string value(bytes / sizeof(char16_t), u'\0');
  if (!WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, value.data(), &bytes,
                           WINHTTP_NO_HEADER_INDEX))
    return {};
  value.resize(bytes / sizeof(char16_t));
  return value;
}

// Retry-After as seconds from now: a number, or an HTTP date.
int64_t RetryAfterSeconds(const std::u16string& value) {
  if (value.empty()) return 0;
  if (std::all_of(value.begin(), value.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; }))
    return value.size() > 9 ? 0 : std::stoll(WideToUtf8(value));
  SYSTEMTIME when{};
  if (!WinHttpTimeToSystemTime(Wide(value), &when)) return 0;
  FILETIME whenFile{}, nowFile{};
  SystemTimeToFileTime(&when, &whenFile);
  GetSystemTimeAsFileTime(&nowFile);
  const auto ticks = [](FILETIME t) { return (int64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  const int64_t seconds = (ticks(whenFile) - ticks(nowFile)) / 10'000'000;
  return std::max<int64_t>(seconds, 0);
}

// Where the body of the answer goes, with the cap.
struct BodyTarget {
  std::string body;
  uint64_t cap = 0;
  const HttpClient::BodySink* sink = nullptr;
  size_t keepHead = 0;
  uint64_t received = 0;
  bool capReached = false;

  // Takes one piece; false once the cap is passed.
  bool Take(std::string_view piece) {
    const uint64_t room = cap - received;
    const std::string_view kept = piece.substr(0, size_t(std::min<uint64_t>(room, piece.size())));
    received += kept.size();
    if (sink) {
      if (body.size() < keepHead) body.append(kept.substr(0, keepHead - body.size()));
      if (!kept.empty()) (*sink)(kept);
    } else {
      body.append(kept);
    }
    capReached = kept.size() < piece.size();
    return !capReached;
  }
};

// The open handles of one hop, closed request first.
struct HopHandles {
  Handle session;
  Handle connection;
  Handle request;
  ~HopHandles() {
    request.reset();
    connection.reset();
    session.reset();
  }
};

bool OpenHop(const Hop& hop, const UrlParts& parts, uint32_t timeoutMs, const SharedExchange& exchange,
             HopHandles& handles) {
  handles.session.reset(WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                    WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC));
  if (!handles.session) return false;
  const int t = int(std::min<uint32_t>(timeoutMs, INT32_MAX));
  // Zero means "no limit" to WinHTTP as well.
  WinHttpSetTimeouts(handles.session.get(), t, t, t, t);
  const std::u16string host = Utf8ToWide(parts.host);
  handles.connection.reset(WinHttpConnect(handles.session.get(), Wide(host), parts.port, 0));
  if (!handles.connection) return false;
  const std::u16string object = Utf8ToWide(parts.path + parts.query);
  handles.request.reset(WinHttpOpenRequest(handles.connection.get(), Wide(hop.method), Wide(object), nullptr,
                                           WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                           parts.secure ? WINHTTP_FLAG_SECURE : 0));
  if (!handles.request) return false;
  HINTERNET request = handles.request.get();
  // Redirects are ours (see the top of the file). Keep-alive would only
  // add a header: the connection closes with its one request anyway.
  DWORD features = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_KEEP_ALIVE | WINHTTP_DISABLE_COOKIES;
  if (!WinHttpSetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &features, sizeof features)) return false;
  if (exchange->extraTrust) {
    // The authority is judged by JudgeServer before the request goes out.
    DWORD flags = SECURITY_FLAG_IGNORE_UNKNOWN_CA;
    if (!WinHttpSetOption(request, WINHTTP_OPTION_SECURITY_FLAGS, &flags, sizeof flags)) return false;
  }
  // The handle's share of the exchange, released by its closing notice.
  auto* share = new SharedExchange(exchange);
  DWORD_PTR context = reinterpret_cast<DWORD_PTR>(share);
  if (!WinHttpSetOption(request, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context)) {
    delete share;
    return false;
  }
  const DWORD notices = WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES |
                        WINHTTP_CALLBACK_FLAG_SEND_REQUEST;
  return WinHttpSetStatusCallback(request, OnStatus, notices, 0) != WINHTTP_INVALID_STATUS_CALLBACK;
}

bool SendBody(HINTERNET request, const Hop& hop, Exchange& exchange, Limits& limits, HopResult& result) {
  std::string_view rest = hop.body;
  while (!rest.empty()) {
    const DWORD n = DWORD(std::min<size_t>(rest.size(), exchange.buffer.size()));
    std::memcpy(exchange.buffer.data(), rest.data(), n);
    if (!WinHttpWriteData(request, exchange.buffer.data(), n, nullptr)) return false;
    if (!AwaitCompletion(exchange, limits, WINHTTP_CALLBACK_STATUS_WRITE_COMPLETE)) return false;
    const DWORD written = std::min(exchange.bytes, n);
    if (written == 0) return false;
    limits.Moved(written);
    result.bytesSent += written;
    rest.remove_prefix(written);
  }
  return true;
}

// Reads the body into `target` until its end, the cap or a failure. True
// when the server's own end was reached (or the cap).
bool ReadBody(HINTERNET request, Exchange& exchange, Limits& limits, BodyTarget& target) {
  for (;;) {
    // A read waits for all it asks for, so it asks for what has arrived.
    if (!WinHttpQueryDataAvailable(request, nullptr)) return false;
    if (!AwaitCompletion(exchange, limits, WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE)) return false;
    if (exchange.bytes == 0) return true;
    // One byte beyond the cap tells a cut from an answer of exactly the cap.
    const uint64_t room = target.cap - target.received;
    const DWORD ask = DWORD(std::min<uint64_t>({exchange.buffer.size(), room + 1, exchange.bytes}));
    if (!WinHttpReadData(request, exchange.buffer.data(), ask, nullptr)) return false;
    if (!AwaitCompletion(exchange, limits, WINHTTP_CALLBACK_STATUS_READ_COMPLETE)) return false;
    const DWORD got = std::min(exchange.bytes, ask);
    if (got == 0) return true;
    limits.Moved(got);
    if (!target.Take(std::string_view(exchange.buffer.data(), got))) return true;
  }
}

// The announced length, when the answer has one and is not chunked.
std::optional<uint64_t> AnnouncedLength(HINTERNET request) {
  const std::u16string chunked = QueryHeader(request, WINHTTP_QUERY_TRANSFER_ENCODING);
  if (!chunked.empty()) return std::nullopt;
  const std::u16string length = QueryHeader(request, WINHTTP_QUERY_CONTENT_LENGTH);
  if (length.empty() || length.size() > 18) return std::nullopt;
  if (!std::all_of(length.begin(), length.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; }))
    return std::nullopt;
  return std::stoull(WideToUtf8(length));
}

bool IsRedirect(int status) { return status == 301 || status == 302 || status == 303 || status == 307 || status == 308; }

// Runs one hop. A redirect comes back with its location and no body read;
// any other answer has its body read into `target`. `end` tells how.
HopResult RunHop(const Hop& hop, const UrlParts& parts, uint32_t timeoutMs, Limits& limits, HCERTSTORE extraTrust,
                 BodyTarget& target, HttpClient::BodyEnd& end) {
  HopResult result;
  end = HttpClient::BodyEnd::Broken;
  auto exchange = std::make_shared<Exchange>();
  if (!exchange->completed) return result;
  // Only a TLS hop has a server certificate to judge.
  exchange->extraTrust = extraTrust && parts.secure ? CertDuplicateStore(extraTrust) : nullptr;
  HopHandles handles;
  if (!OpenHop(hop, parts, timeoutMs, exchange, handles)) return result;
  HINTERNET request = handles.request.get();

  const std::u16string& headers = hop.headers;
  const DWORD total = DWORD(hop.body.size());
  if (!WinHttpSendRequest(request, headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : Wide(headers),
                          headers.empty() ? 0 : DWORD(-1), WINHTTP_NO_REQUEST_DATA, 0, total, 0))
    return result;
  if (!AwaitCompletion(*exchange, limits, WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE)) return result;
  limits.Moved(1);  // the connection is made and the request head is out
  if (!SendBody(request, hop, *exchange, limits, result)) return result;
  if (!WinHttpReceiveResponse(request, nullptr)) return result;
  if (!AwaitCompletion(*exchange, limits, WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE)) return result;
  limits.Moved(1);

  result.answered = true;
  DWORD status = 0;
  DWORD size = sizeof status;
  WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                      &status, &size, WINHTTP_NO_HEADER_INDEX);
  result.status = int(status);
  result.retryAfterSeconds = RetryAfterSeconds(QueryHeader(request, WINHTTP_QUERY_RETRY_AFTER));
  if (IsRedirect(result.status)) {
    result.location = WideToUtf8(QueryHeader(request, WINHTTP_QUERY_LOCATION));
    if (!result.location.empty()) return result;
  }
  const bool ended = ReadBody(request, *exchange, limits, target);
  if (target.capReached) {
    end = HttpClient::BodyEnd::CutAtCap;
  } else if (ended) {
    // A connection that closed before the announced length ends a read
    // like the real end does.
    const std::optional<uint64_t> announced = AnnouncedLength(request);
    end = (!announced || target.received >= *announced) ? HttpClient::BodyEnd::Whole : HttpClient::BodyEnd::Broken;
  }
  return result;
}

// --- redirects ---

// The absolute URL a Location names, seen from `base`.
std::string ResolveLocation(const std::string& base, const UrlParts& baseParts, const std::string& location) {
  if (location.find("://") != std::string::npos && location.find("://") < location.find_first_of("/?#")) return location;
  const std::string scheme = baseParts.secure ? "https:" : "http:";
  if (location.starts_with("//")) return scheme + location;
  const size_t authorityEnd = base.find('/', base.find("://") + 3);
  const std::string origin = base.substr(0, authorityEnd);
  if (location.starts_with("/")) return origin + location;
  if (location.starts_with("?")) return origin + baseParts.path + location;
  const size_t slash = baseParts.path.rfind('/');
  return origin + baseParts.path.substr(0, slash + 1) + location;
}

std::string WithoutFragment(std::string url) {
  const size_t hash = url.find('#');
  if (hash != std::string::npos) url.resize(hash);
  return url;
}

bool IsMethodToken(std::u16string_view method) {
  if (method.empty()) return false;
  for (const char16_t c : method)
    if (!((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'))) return false;
  return true;
}

}  // namespace

// --- the public functions ---

namespace HttpClient {

namespace {

HttpReply FetchTo(std::u16string_view method, std::u16string_view url, std::u16string_view headers,
                  std::string_view body, uint32_t timeoutMs, uint64_t cap, const BodySink* sink, size_t keepHead) {
  HttpReply reply;
  if (!IsMethodToken(method)) return reply;
  if (const uint32_t limit = g_timeoutLimitMs.load(); limit > 0 && (timeoutMs == 0 || timeoutMs > limit)) {
    timeoutMs = limit;
  }
  Hop hop{std::u16string(method), WideToUtf8(url), std::u16string(headers), body};
  std::optional<UrlParts> parts = SplitUrl(hop.url);
  if (!parts) return reply;

  Limits limits(timeoutMs, cap);
  BodyTarget target;
  target.cap = cap;
  target.sink = sink;
  target.keepHead = keepHead;
  HCERTSTORE extraTrust = g_extraTrust.Take();
  bool sawHttps = parts->secure;
  for (int hops = 0;; ++hops) {
    BodyEnd end = BodyEnd::Broken;
    const HopResult result = RunHop(hop, *parts, timeoutMs, limits, extraTrust, target, end);
    reply.bytesSent = result.bytesSent;
    reply.status = result.status;
    reply.retryAfterSeconds = result.retryAfterSeconds;
    if (result.location.empty()) {
      reply.end = end;
      break;
    }
    // A redirect: the next hop, never back from https to http.
    if (hops == kMaxRedirects) break;
    const std::string next = WithoutFragment(ResolveLocation(hop.url, *parts, result.location));
    parts = SplitUrl(next);
    if (!parts || (sawHttps && !parts->secure)) break;
    sawHttps = sawHttps || parts->secure;
    hop.url = next;
    // As browsers do: 303 asks for a GET, and so do 301 and 302 after a POST.
    if ((result.status == 303 && hop.method != u"HEAD") || (hop.method == u"POST" && result.status <= 302)) {
      hop.method = u"GET";
      hop.body = {};
    }
  }
  if (extraTrust) CertCloseStore(extraTrust, 0);
  reply.body = std::move(target.body);
  reply.activeSeconds = limits.ActiveSeconds();
  return reply;
}

}  // namespace

HttpReply Fetch(std::u16string_view method, std::u16string_view url, std::u16string_view headers,
                std::string_view body, uint32_t timeoutMs, uint64_t cap) {
  return FetchTo(method, url, headers, body, timeoutMs, cap, nullptr, 0);
}

HttpReply FetchGetInto(std::u16string_view url, uint32_t timeoutMs, uint64_t cap, const BodySink& sink,
                       size_t keepHead) {
  return FetchTo(u"GET", url, u"", {}, timeoutMs, cap, &sink, keepHead);
}

HttpReply FetchGet(std::u16string_view url, uint32_t timeoutMs, uint64_t cap) {
  return Fetch(u"GET", url, u"", {}, timeoutMs, cap);
}

HttpResult Request(std::u16string_view method, std::u16string_view url, std::u16string_view headers,
                   std::string_view body, uint32_t timeoutMs, uint64_t cap) {
  HttpReply reply = Fetch(method, url, headers, body, timeoutMs, cap);
  // A body cut at the cap is a full answer here; any other failure returns
  // nothing: a silently truncated answer would look complete to its caller.
  if (reply.end == BodyEnd::Broken) return {};
  return std::move(reply.body);
}

HttpResult Get(std::u16string_view url, uint32_t timeoutMs, uint64_t cap) {
  return Request(u"GET", url, u"", {}, timeoutMs, cap);
}

HttpResult Get(std::u16string_view url, uint32_t timeoutMs) { return Get(url, timeoutMs, kDefaultCap); }

void SetExtraTrustedCertificates(std::string pemPath) {
  g_extraTrust.Set(pemPath.empty() ? nullptr : LoadPemCertificates(pemPath));
}

void LimitTimeouts(uint32_t maxMs) { g_timeoutLimitMs = maxMs; }

}  // namespace HttpClient
