// The HTTP client on libcurl. Each request builds its own easy handle and
// drives it through a multi handle of its own, so nothing (connections, name
// cache, cookies) is shared between requests, and our loop can stop a
// transfer the moment no byte has moved for the time-out.
//
// Sections: library set-up and trust; the transfer state and its callbacks;
// request options; the transfer loop; the public functions.
#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>

#include "net/http_client.h"
#include "net/text.h"
#include "net/url_parts.h"

namespace {

constexpr char kUserAgent[] = "Vistra43/4.3";
constexpr long kMaxRedirects = 10;
// How long one wait for socket activity may last when no time-out is set.
constexpr int kIdlePollMs = 1000;

using Clock = std::chrono::steady_clock;

// --- library set-up and trust ---

// The static initialiser runs exactly once, even when several threads make
// their first request at the same moment.
bool CurlReady() {
  static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ready;
}

std::mutex g_trustMutex;
std::string g_extraTrustedPem;
std::atomic<uint32_t> g_timeoutLimitMs{0};

std::string ExtraTrustedPem() {
  std::lock_guard lock(g_trustMutex);
  return g_extraTrustedPem;
}

// --- the transfer state and its callbacks ---

struct Transfer {
  CURL* easy = nullptr;
  std::string body;
  uint64_t cap = 0;
  bool capReached = false;
  // With a sink, the body goes there and `body` keeps its first keepHead
  // bytes only.
  const HttpClient::BodySink* sink = nullptr;
  size_t keepHead = 0;
  uint64_t received = 0;
  // Once a request has gone over https, no later hop may fall back to http.
  bool sawHttps = false;
};

// Keeps exactly the first `cap` bytes, then stops the transfer: the rest of a
// long answer is neither read nor stored. An answer of exactly `cap` bytes
// is whole: only a byte beyond the cap marks the cut.
size_t OnBodyBytes(char* data, size_t size, size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  const size_t bytes = size * count;
  if (bytes == 0) return 0;
  if (transfer.sink) {
    const size_t taken = size_t(std::min<uint64_t>(bytes, transfer.cap - transfer.received));
    const std::string_view piece(data, taken);
    if (transfer.body.size() < transfer.keepHead)
      transfer.body.append(piece.substr(0, transfer.keepHead - transfer.body.size()));
    transfer.received += taken;
    if (taken > 0) (*transfer.sink)(piece);
    if (taken == bytes) return bytes;
    transfer.capReached = true;
    return CURL_WRITEFUNC_ERROR;
  }
  if (transfer.body.empty()) {
    curl_off_t announced = -1;
    curl_easy_getinfo(transfer.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    if (announced > 0) transfer.body.reserve(size_t(std::min<uint64_t>(uint64_t(announced), transfer.cap)));
  }
  const uint64_t room = transfer.cap - transfer.body.size();
  if (bytes <= room) {
    transfer.body.append(data, bytes);
    return bytes;
  }
  transfer.body.append(data, size_t(room));
  transfer.capReached = true;
  return CURL_WRITEFUNC_ERROR;
}

// Runs after each connection is made and before its request is sent. The
// redirect protocol list already refuses http after an https start; this
// also catches a chain that went http -> https -> http.
int BeforeRequestIsSent(void* user, char*, char*, int, int) {
  auto& transfer = *static_cast<Transfer*>(user);
  const char* url = nullptr;
  curl_easy_getinfo(transfer.easy, CURLINFO_EFFECTIVE_URL, &url);
  const bool secure = url && StartsWithNoCase(url, "https:");
  if (secure) transfer.sawHttps = true;
  return (!secure && transfer.sawHttps) ? CURL_PREREQFUNC_ABORT : CURL_PREREQFUNC_OK;
}

// --- request options ---

struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using HeaderList = std::unique_ptr<curl_slist, SlistDeleter>;

bool Append(HeaderList& list, const std::string& line) {
  curl_slist* grown = curl_slist_append(list.get(), line.c_str());
  if (!grown) return false;  // the old list is untouched and still owned
  // `grown` heads the same list (or starts it): hand ownership over once.
  (void)list.release();
  list.reset(grown);
  return true;
}

// The caller's lines (each ending in CR LF), then blanks that stop curl from
// adding headers the caller did not ask for: no "Expect: 100-continue", no
// "Accept: */*", and no form Content-Type on a POST.
bool BuildHeaders(std::string_view headers, HeaderList& list) {
  bool callerContentType = false;
  bool callerAccept = false;
  while (!headers.empty()) {
    const size_t end = headers.find('\n');
    std::string_view line = headers.substr(0, end);
    headers = end == std::string_view::npos ? std::string_view() : headers.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    callerContentType = callerContentType || StartsWithNoCase(line, "content-type:");
    callerAccept = callerAccept || StartsWithNoCase(line, "accept:");
    if (!Append(list, std::string(line))) return false;
  }
  if (!Append(list, "Expect:")) return false;
  if (!callerAccept && !Append(list, "Accept:")) return false;
  if (!callerContentType && !Append(list, "Content-Type:")) return false;
  return true;
}

bool IsMethodToken(std::string_view method) {
  if (method.empty()) return false;
  for (const char c : method)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
  return true;
}

// GET and HEAD carry no body unless one is given; POST always sends its body
// and a Content-Length, even of zero; any other method is sent by name.
void SetMethodAndBody(CURL* easy, const std::string& method, std::string_view body) {
  if (method == "GET" && body.empty()) {
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    return;
  }
  if (method == "HEAD" && body.empty()) {
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    return;
  }
  if (method == "POST" || !body.empty()) {
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body.size()));
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.empty() ? "" : body.data());
  }
  if (method != "POST") curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str());
}

void SetTransportOptions(CURL* easy, const UrlParts& parts, uint32_t timeoutMs, uint64_t cap,
                         const std::string& trustedPem) {
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, parts.secure ? "https" : "http,https");
  // Name resolution, connecting and the TLS handshake share this limit; the
  // transfer loop applies the same value to every later stall.
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(timeoutMs));
  // Bytes that trickle in keep a stall limit from ever firing: a transfer
  // also ends when it stays below the minimum rate for the time-out (whole
  // seconds, as curl counts them), and at its overall deadline.
  if (timeoutMs > 0) {
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, long(HttpClient::kMinimumBytesPerSecond));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, long((timeoutMs + 999) / 1000));
  }
  curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, long(HttpClient::RequestDeadlineMs(timeoutMs, cap)));
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
  // A bundle file of our own replaces the default bundle file only; the
  // system's certificate folder stays trusted beside it.
  if (!trustedPem.empty()) curl_easy_setopt(easy, CURLOPT_CAINFO, trustedPem.c_str());
}

// --- the transfer loop ---

struct MultiDeleter {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
using MultiHandle = std::unique_ptr<CURLM, MultiDeleter>;

// Bytes moved so far in either direction, response headers included. Any
// change (redirects restart the body counters) counts as progress.
auto MovedBytes(CURL* easy) {
  curl_off_t down = 0;
  curl_off_t up = 0;
  long headerBytes = 0;
  curl_easy_getinfo(easy, CURLINFO_SIZE_DOWNLOAD_T, &down);
  curl_easy_getinfo(easy, CURLINFO_SIZE_UPLOAD_T, &up);
  curl_easy_getinfo(easy, CURLINFO_HEADER_SIZE, &headerBytes);
  return std::make_tuple(down, up, headerBytes);
}

struct TransferEnd {
  CURLcode result = CURLE_FAILED_INIT;
  Clock::duration active{};  // from the start to the last byte moved
};

// Runs the transfer until it ends or no byte has moved for `timeoutMs`
// (zero: no stall limit). Returns curl's result; a stall is a time-out.
TransferEnd RunTransfer(CURL* easy, uint32_t timeoutMs) {
  MultiHandle multi(curl_multi_init());
  if (!multi || curl_multi_add_handle(multi.get(), easy) != CURLM_OK) return {};
  const auto stallLimit = std::chrono::milliseconds(timeoutMs);
  const auto start = Clock::now();
  auto lastMove = start;
  auto moved = MovedBytes(easy);
  CURLcode result = CURLE_OK;
  for (;;) {
    int running = 0;
    if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
    if (running == 0) {
      int queued = 0;
      CURLMsg* message = curl_multi_info_read(multi.get(), &queued);
      result = (message && message->msg == CURLMSG_DONE) ? message->data.result : CURLE_FAILED_INIT;
      break;
    }
    const auto now = Clock::now();
    const auto movedNow = MovedBytes(easy);
    if (movedNow != moved) {
      moved = movedNow;
      lastMove = now;
    }
    int waitMs = kIdlePollMs;
    if (timeoutMs > 0) {
      const auto left = stallLimit - (now - lastMove);
      if (left <= Clock::duration::zero()) {
        result = CURLE_OPERATION_TIMEDOUT;
        break;
      }
      const auto leftMs = std::chrono::ceil<std::chrono::milliseconds>(left).count();
      waitMs = int(std::min<int64_t>(leftMs, kIdlePollMs));
    }
    curl_multi_poll(multi.get(), nullptr, 0, waitMs, nullptr);
  }
  if (MovedBytes(easy) != moved) lastMove = Clock::now();
  curl_multi_remove_handle(multi.get(), easy);
  return {result, lastMove - start};
}

}  // namespace

// --- the public functions ---

namespace HttpClient {

namespace {

HttpReply FetchTo(std::u16string_view method, std::u16string_view url, std::u16string_view headers,
                  std::string_view body, uint32_t timeoutMs, uint64_t cap, const BodySink* sink, size_t keepHead) {
  HttpReply reply;
  const std::string url8 = WideToUtf8(url);
  const std::optional<UrlParts> parts = SplitUrl(url8);
  if (!parts) return reply;
  const std::string method8 = WideToUtf8(method);
  if (!IsMethodToken(method8) || !CurlReady()) return reply;
  if (const uint32_t limit = g_timeoutLimitMs.load(); limit > 0 && (timeoutMs == 0 || timeoutMs > limit)) {
    timeoutMs = limit;
  }

  EasyHandle easy(curl_easy_init());
  HeaderList headerList;
  if (!easy || !BuildHeaders(WideToUtf8(headers), headerList)) return reply;
  Transfer transfer;
  transfer.easy = easy.get();
  transfer.cap = cap;
  transfer.sink = sink;
  transfer.keepHead = keepHead;
  transfer.sawHttps = parts->secure;
  const std::string trustedPem = ExtraTrustedPem();

  CURL* handle = easy.get();
  curl_easy_setopt(handle, CURLOPT_URL, url8.c_str());
  SetTransportOptions(handle, *parts, timeoutMs, cap, trustedPem);
  SetMethodAndBody(handle, method8, body);
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headerList.get());
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, OnBodyBytes);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(handle, CURLOPT_PREREQFUNCTION, BeforeRequestIsSent);
  curl_easy_setopt(handle, CURLOPT_PREREQDATA, &transfer);

  const TransferEnd ended = RunTransfer(handle, timeoutMs);
  // curl ends a body that closes before its announced length or its last
  // chunk with an error, so only the server's own end comes back as OK.
  reply.end = transfer.capReached ? BodyEnd::CutAtCap : ended.result == CURLE_OK ? BodyEnd::Whole : BodyEnd::Broken;
  reply.body = std::move(transfer.body);
  curl_off_t sent = 0;
  curl_easy_getinfo(handle, CURLINFO_SIZE_UPLOAD_T, &sent);
  reply.bytesSent = uint64_t(std::max<curl_off_t>(sent, 0));
  reply.activeSeconds = std::chrono::duration<double>(ended.active).count();
  long status = 0;
  if (curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK) reply.status = static_cast<int>(status);
  curl_off_t retryAfter = 0;
  if (curl_easy_getinfo(handle, CURLINFO_RETRY_AFTER, &retryAfter) == CURLE_OK && retryAfter > 0)
    reply.retryAfterSeconds = int64_t(retryAfter);
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
  // A body cut at the cap is a full answer here; any other failure, even one
  // that broke off after part of the body arrived, returns nothing: a
  // silently truncated answer would look complete to its caller.
  if (reply.end == BodyEnd::Broken) return {};
  return std::move(reply.body);
}

HttpResult Get(std::u16string_view url, uint32_t timeoutMs, uint64_t cap) {
  return Request(u"GET", url, u"", {}, timeoutMs, cap);
}

HttpResult Get(std::u16string_view url, uint32_t timeoutMs) { return Get(url, timeoutMs, kDefaultCap); }

void SetExtraTrustedCertificates(std::string pemPath) {
  std::lock_guard lock(g_trustMutex);
  g_extraTrustedPem = std::move(pemPath);
}

void LimitTimeouts(uint32_t maxMs) { g_timeoutLimitMs = maxMs; }

}  // namespace HttpClient
