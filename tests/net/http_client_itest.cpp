#include "net/http_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <set>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "net/text.h"
#include "tests/fixtures/scripted_server.h"
#include "tests/fixtures/stand_in_server.h"
#include "tests/fixtures/tls_certificate.h"
#include "tests/fixtures/under_wine.h"
#include "tests/scoped_env.h"

namespace {

constexpr uint32_t kTimeoutMs = 5000;
constexpr uint32_t kShortTimeoutMs = 300;
// Far above any time-out used here, far below a hang.
constexpr auto kGenerousBound = std::chrono::seconds(10);

std::u16string W(const std::string& ascii) { return AsciiToWide(ascii); }

// Bytes that never repeat within a short stretch, so a cut at the wrong
// offset cannot compare equal.
std::string PatternBody(size_t size) {
  std::string body(size, '\0');
  for (size_t i = 0; i < size; ++i) body[i] = char('a' + (i * 7 + i / 251) % 26);
  return body;
}

// The request headers the client sent, without the pseudo headers httplib
// adds for the connection's addresses.
std::set<std::string> SentHeaderNames(const RecordedRequest& request) {
  static const std::set<std::string> kPseudo = {"REMOTE_ADDR", "REMOTE_PORT", "LOCAL_ADDR", "LOCAL_PORT"};
  std::set<std::string> names;
  for (const auto& [name, value] : request.headers)
    if (!kPseudo.count(name)) names.insert(name);
  return names;
}

// The stand-in server records a request after its answer went out, so the
// client may return first: wait (boundedly) for the record to appear.
std::vector<RecordedRequest> RecordedTo(const StandInServer& server, const std::string& path, size_t expected) {
  const auto deadline = std::chrono::steady_clock::now() + kGenerousBound;
  auto seen = server.RequestsTo(path);
  while (seen.size() < expected && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    seen = server.RequestsTo(path);
  }
  return seen;
}

class HttpClientTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Every request of these tests must reach 127.0.0.1 directly.
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
      UnsetEnvVar(name);
    SetEnvVar("no_proxy", "*");
  }
  void TearDown() override { HttpClient::SetExtraTrustedCertificates(""); }

  std::string Url(const StandInServer& server, const std::string& target) { return server.BaseUrl() + target; }
};

TEST_F(HttpClientTest, LongBodiesAreCutAtExactlyTheCap) {
  const std::string small = PatternBody(1000);
  const std::string large = PatternBody(6 * 1024 * 1024 + 123);
  StandInServer server;
  server.http().Get("/small", [&](const httplib::Request&, httplib::Response& res) { res.set_content(small, "text/plain"); });
  server.http().Get("/large", [&](const httplib::Request&, httplib::Response& res) { res.set_content(large, "text/plain"); });
  // Chunked: the client cannot know the length in advance.
  server.http().Get("/chunked", [&](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("text/plain", [&](size_t offset, httplib::DataSink& sink) {
      if (offset >= large.size()) {
        sink.done();
        return true;
      }
      return sink.write(large.data() + offset, std::min<size_t>(100'000, large.size() - offset));
    });
  });
  ASSERT_TRUE(server.Start());

  for (const uint64_t cap : {1ull, 2ull, 999ull, 1000ull, 1001ull, 1ull << 20}) {
    EXPECT_EQ(HttpClient::Get(W(Url(server, "/small")), kTimeoutMs, cap), small.substr(0, cap)) << cap;
  }
  const uint64_t midCap = 5 * 1024 * 1024 + 7;
  // (Compared with == so that a failure does not print megabytes.)
  EXPECT_TRUE(HttpClient::Get(W(Url(server, "/large")), kTimeoutMs, midCap) == large.substr(0, midCap));
  EXPECT_TRUE(HttpClient::Get(W(Url(server, "/chunked")), kTimeoutMs, midCap) == large.substr(0, midCap));
  EXPECT_EQ(HttpClient::Get(W(Url(server, "/chunked")), kTimeoutMs, 1), large.substr(0, 1));
  // The short form's 8 MiB cap takes the whole 6 MiB.
  EXPECT_TRUE(HttpClient::Get(W(Url(server, "/large")), kTimeoutMs) == large);
}

TEST_F(HttpClientTest, SilentServerYieldsEmptyAfterTheTimeOutAndARefusedConnectionAtOnce) {
  SilentServer silent;
  ASSERT_NE(silent.port(), 0);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(HttpClient::Get(W(silent.BaseUrl() + "/x"), kShortTimeoutMs), "");
  EXPECT_LT(std::chrono::steady_clock::now() - start, kGenerousBound);

  StandInServer server;
  ASSERT_TRUE(server.Start());
  const std::string url = Url(server, "/x");
  server.Stop();
  EXPECT_EQ(HttpClient::Get(W(url), kTimeoutMs), "");
}

TEST_F(HttpClientTest, TransferThatStallsMidBodyYieldsEmpty) {
  std::atomic<bool> released = false;
  StandInServer server;
  // Half the body, then silence until the test lets the handler go.
  server.http().Get("/stall", [&](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(2000, "text/plain", [&](size_t offset, size_t, httplib::DataSink& sink) {
      if (offset == 0) return sink.write(std::string(1000, 's').data(), 1000);
      for (int i = 0; i < 500 && !released; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      return false;
    });
  });
  ASSERT_TRUE(server.Start());
  EXPECT_EQ(HttpClient::Get(W(Url(server, "/stall")), kShortTimeoutMs), "");
  released = true;
}

// Answers a raw server writes by the request's path: each ends in a way the
// client must tell apart.
void EndingsScript(ScriptedServer::Connection& c) {
  const std::string body(500, 'b');
  const auto path = [&](std::string_view p) { return c.head.find(std::string("GET ") + std::string(p) + " ") == 0; };
  if (path("/short")) {  // closes before the announced length
    c.Write(Scripted::Head("Content-Length: 1000\r\n") + body);
  } else if (path("/chunk-cut")) {  // closes before the last chunk
    c.Write(Scripted::Head("Transfer-Encoding: chunked\r\n") + "1f4\r\n" + body + "\r\n");
  } else if (path("/chunked")) {
    c.Write(Scripted::Head("Transfer-Encoding: chunked\r\n") + "1f4\r\n" + body + "\r\n0\r\n\r\n");
  } else if (path("/unsized")) {  // no length at all: the close is the end
    c.Write(Scripted::Head("Connection: close\r\n") + body);
  } else {
    c.Write(Scripted::Head("Content-Length: 500\r\n") + body);
  }
}

TEST_F(HttpClientTest, FetchTellsAWholeBodyFromACutOrBrokenOne) {
  ScriptedServer server(EndingsScript);
  const auto fetch = [&](const std::string& path, uint64_t cap = 1 << 20) {
    return HttpClient::FetchGet(W(server.BaseUrl() + path), kTimeoutMs, cap);
  };
  const std::string body(500, 'b');
  for (const char* path : {"/short", "/chunk-cut"}) {
    // Wine's WinHTTP ends a chunked body that breaks off before its last
    // chunk as if it were whole, and offers no way to tell.
    if (UnderWine() && std::string_view(path) == "/chunk-cut") continue;
    const auto reply = fetch(path);
    EXPECT_EQ(reply.end, HttpClient::BodyEnd::Broken) << path;
    EXPECT_EQ(reply.body, body) << "what arrived is kept: " << path;
    EXPECT_EQ(HttpClient::Get(W(server.BaseUrl() + path), kTimeoutMs), "") << path;
  }
  // Reaching the cap before the break is a complete answer.
  EXPECT_EQ(HttpClient::Get(W(server.BaseUrl() + "/short"), kTimeoutMs, 400), body.substr(0, 400));
  for (const char* path : {"/chunked", "/unsized", "/sized"}) {
    const auto reply = fetch(path);
    EXPECT_TRUE(reply.whole()) << path;
    EXPECT_EQ(reply.body, body) << path;
  }
  // Exactly the cap is whole; one byte more is a cut.
  EXPECT_TRUE(fetch("/sized", 500).whole());
  const auto cut = fetch("/sized", 499);
  EXPECT_EQ(cut.end, HttpClient::BodyEnd::CutAtCap);
  EXPECT_EQ(cut.body, body.substr(0, 499));
  EXPECT_EQ(HttpClient::Get(W(server.BaseUrl() + "/sized"), kTimeoutMs, 499), body.substr(0, 499));
}

TEST_F(HttpClientTest, TricklingServersEndAtTheMinimumSpeedOrTheDeadlineThatLetsLargeAnswersArrive) {
  using std::chrono::milliseconds;
  constexpr uint32_t kOneSecond = 1000;
  ScriptedServer server([](ScriptedServer::Connection& c) {
    if (c.head.starts_with("GET /bytes ")) {  // a byte every 200 ms
      if (c.Write(Scripted::Head("Content-Length: 300\r\n"))) Scripted::Trickle(c, std::string(300, 'x'), 1, milliseconds(200));
    } else if (c.head.starts_with("GET /headers ")) {  // a header line every 200 ms
      c.Write("HTTP/1.1 200 OK\r\n");
      for (int i = 0; i < 300 && c.Write("X-Slow: 1\r\n") && c.Pause(milliseconds(200)); ++i) {
      }
    } else if (c.head.starts_with("GET /continue ")) {  // interim answers, fast, without end
      for (int i = 0; i < 3000 && c.Write("HTTP/1.1 100 Continue\r\n\r\n") && c.Pause(milliseconds(20)); ++i) {
      }
    } else {  // 20 KiB/s: fast enough, but the answer would take minutes
      if (c.Write(Scripted::Head("Content-Length: 10485760\r\n")))
        Scripted::Trickle(c, std::string(10 << 20, 'y'), 2048, milliseconds(100));
    }
  });
  for (const char* path : {"/bytes", "/headers", "/continue"}) {
    const auto start = std::chrono::steady_clock::now();
    const auto reply = HttpClient::FetchGet(W(server.BaseUrl() + path), kOneSecond, 1 << 20);
    EXPECT_EQ(reply.end, HttpClient::BodyEnd::Broken) << path;
    EXPECT_LT(std::chrono::steady_clock::now() - start, kGenerousBound) << path;
  }
  // The deadline (500 ms + 64 KiB at the slow-line rate = 1.5 s) comes
  // before the cap would be reached (3.2 s).
  const uint64_t cap = 64 * 1024;
  ASSERT_EQ(HttpClient::RequestDeadlineMs(500, cap), 1500u);
  const auto reply = HttpClient::FetchGet(W(server.BaseUrl() + "/steady"), 500, cap);
  EXPECT_EQ(reply.end, HttpClient::BodyEnd::Broken);
  EXPECT_GT(reply.body.size(), 0u);
  EXPECT_LT(reply.body.size(), cap);

  constexpr uint64_t kMiB = 1024 * 1024;
  EXPECT_EQ(HttpClient::RequestDeadlineMs(45000, 48 * kMiB), 813000u);
  EXPECT_EQ(HttpClient::RequestDeadlineMs(45000, 512 * kMiB), HttpClient::kLongestRequestMs);
  EXPECT_EQ(HttpClient::RequestDeadlineMs(12000, 8 * kMiB), 140000u);
  EXPECT_EQ(HttpClient::RequestDeadlineMs(0, 0), 1000u);
  EXPECT_EQ(HttpClient::RequestDeadlineMs(UINT32_MAX, UINT64_MAX), HttpClient::kLongestRequestMs);
}

TEST_F(HttpClientTest, GetSendsOnlyHostAndUserAgentToThePortInTheUrlOtherMethodsTheirName) {
  StandInServer server;
  server.http().Get("/hello", [](const httplib::Request&, httplib::Response& res) { res.set_content("hi", "text/plain"); });
  server.http().Delete("/item", [](const httplib::Request&, httplib::Response& res) { res.set_content("gone", "text/plain"); });
  ASSERT_TRUE(server.Start());
  ASSERT_EQ(HttpClient::Request(u"GET", W(Url(server, "/hello?a=1")), u"", "", kTimeoutMs, 100), "hi");
  const auto seen = RecordedTo(server, "/hello", 1);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].method, "GET");
  EXPECT_EQ(seen[0].target, "/hello?a=1");
  EXPECT_EQ(seen[0].Header("User-Agent"), "Vistra43/4.3");
  EXPECT_EQ(seen[0].Header("Host"), "127.0.0.1:" + std::to_string(server.port()));
  EXPECT_EQ(SentHeaderNames(seen[0]), (std::set<std::string>{"Host", "User-Agent"}));

  EXPECT_EQ(HttpClient::Request(u"DELETE", W(Url(server, "/item")), u"", "", kTimeoutMs, 100), "gone");
  const auto deleted = RecordedTo(server, "/item", 1);
  ASSERT_EQ(deleted.size(), 1u);
  EXPECT_EQ(deleted[0].method, "DELETE");
}

TEST_F(HttpClientTest, PostSendsExactlyTheBodyAndTheGivenHeaders) {
  StandInServer server;
  server.http().Post("/api", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content("got " + std::to_string(req.body.size()), "text/plain");
  });
  ASSERT_TRUE(server.Start());
  // Each request's record is awaited before the next one is sent, so the
  // records stay in order.
  auto post = [&](std::u16string_view headers, std::string_view body, size_t nth) {
    const HttpResult answer = HttpClient::Request(u"POST", W(Url(server, "/api")), headers, body, kTimeoutMs, 100);
    const auto seen = RecordedTo(server, "/api", nth);
    EXPECT_EQ(seen.size(), nth);
    return std::make_pair(answer, seen.empty() ? RecordedRequest{} : seen.back());
  };

  const std::u16string headers = u"Authorization: Bearer t0k\r\nContent-Type: application/json\r\n";
  auto [answer, seen] = post(headers, R"({"a":"\u00e9"})", 1);
  EXPECT_EQ(answer, "got 14");
  EXPECT_EQ(seen.body, R"({"a":"\u00e9"})");
  EXPECT_EQ(seen.Header("Authorization"), "Bearer t0k");
  EXPECT_EQ(seen.Header("Content-Type"), "application/json");
  EXPECT_EQ(seen.Header("Content-Length"), "14");
  EXPECT_EQ(SentHeaderNames(seen),
            (std::set<std::string>{"Host", "User-Agent", "Authorization", "Content-Type", "Content-Length"}));

  // Large enough that a client would otherwise ask for "100-continue".
  const std::string large = PatternBody(2 * 1024 * 1024);
  std::tie(answer, seen) = post(u"Content-Type: text/plain\r\n", large, 2);
  EXPECT_EQ(answer, "got " + std::to_string(large.size()));
  EXPECT_TRUE(seen.body == large);
  EXPECT_EQ(SentHeaderNames(seen), (std::set<std::string>{"Host", "User-Agent", "Content-Type", "Content-Length"}));

  // No body: a zero length and no invented content type.
  std::tie(answer, seen) = post(u"", "", 3);
  EXPECT_EQ(answer, "got 0");
  EXPECT_EQ(seen.body, "");
  EXPECT_EQ(seen.Header("Content-Length"), "0");
  EXPECT_EQ(SentHeaderNames(seen), (std::set<std::string>{"Host", "User-Agent", "Content-Length"}));
}

TEST_F(HttpClientTest, ErrorPagesReturnTheirBodiesAndRedirectsAreFollowedUpToTen) {
  StandInServer server;
  server.http().Get("/missing", [](const httplib::Request&, httplib::Response& res) {
    res.status = 404;
    res.set_content("not here", "text/plain");
  });
  server.http().Get("/broken", [](const httplib::Request&, httplib::Response& res) {
    res.status = 500;
    res.set_content("{\"error\":1}", "application/json");
  });
  server.http().Get("/from", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/to"); });
  server.http().Get("/to", [](const httplib::Request&, httplib::Response& res) { res.set_content("arrived", "text/plain"); });
  server.http().Get("/loop", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/loop"); });
  ASSERT_TRUE(server.Start());
  EXPECT_EQ(HttpClient::Get(W(Url(server, "/missing")), kTimeoutMs), "not here");
  EXPECT_EQ(HttpClient::Get(W(Url(server, "/broken")), kTimeoutMs), "{\"error\":1}");
  EXPECT_EQ(HttpClient::Get(W(Url(server, "/from")), kTimeoutMs), "arrived");
  EXPECT_EQ(HttpClient::Get(W(Url(server, "/loop")), kTimeoutMs), "");
  EXPECT_EQ(RecordedTo(server, "/loop", 11).size(), 11u);  // the first request and ten redirects
}

// Where each limit lies is SplitUrl's; here a URL it refuses is not sent.
TEST_F(HttpClientTest, UrlsThatFailTheirLimitsSendNothing) {
  StandInServer server;
  server.http().Get("/q", [](const httplib::Request&, httplib::Response& res) { res.set_content("ok", "text/plain"); });
  ASSERT_TRUE(server.Start());
  const std::string base = Url(server, "/q?");
  EXPECT_EQ(HttpClient::Get(W(base + std::string(2047, 'x')), kTimeoutMs), "");  // query of 2048
  EXPECT_EQ(HttpClient::Request(u"GE T", W(base), u"", "", kTimeoutMs, 100), "");
  EXPECT_EQ(HttpClient::Get(W(base + "x"), kTimeoutMs), "ok");
  // Only the last request ever reached the server.
  const auto seen = RecordedTo(server, "/q", 1);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].target, "/q?x");
}

TEST_F(HttpClientTest, ConcurrentRequestsEachGetTheirOwnAnswer) {
  StandInServer server;
  server.http().Get("/echo", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content(req.get_param_value("n"), "text/plain");
  });
  ASSERT_TRUE(server.Start());
  std::atomic<int> wrong = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 5; ++i) {
        const std::string n = std::to_string(t * 100 + i);
        if (HttpClient::Get(W(Url(server, "/echo?n=" + n)), kTimeoutMs) != n) ++wrong;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong, 0);
}

class HttpsClientTest : public HttpClientTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(certificate_.ok());
    secure_ = std::make_unique<StandInServer>(certificate_.certFile(), certificate_.keyFile());
    secure_->http().Get("/secret", [](const httplib::Request&, httplib::Response& res) { res.set_content("s3cret", "text/plain"); });
    secure_->http().Get("/down", [this](const httplib::Request&, httplib::Response& res) {
      res.set_redirect(plain_.BaseUrl() + "/landing");
    });
    plain_.http().Get("/landing", [](const httplib::Request&, httplib::Response& res) { res.set_content("landed", "text/plain"); });
    plain_.http().Get("/up", [this](const httplib::Request&, httplib::Response& res) {
      res.set_redirect(secure_->BaseUrl() + "/secret");
    });
    plain_.http().Get("/up-then-down", [this](const httplib::Request&, httplib::Response& res) {
      res.set_redirect(secure_->BaseUrl() + "/down");
    });
    ASSERT_TRUE(secure_->Start());
    ASSERT_TRUE(plain_.Start());
  }

  TlsCertificate certificate_;
  StandInServer plain_;
  std::unique_ptr<StandInServer> secure_;
};

TEST_F(HttpsClientTest, TrustedSelfSignedServerAnswersUntrustedDoesNotAndNoHopGoesBackToHttp) {
  HttpClient::SetExtraTrustedCertificates(certificate_.certFile());
  EXPECT_EQ(HttpClient::Get(W(secure_->BaseUrl() + "/secret"), kTimeoutMs), "s3cret");
  EXPECT_EQ(HttpClient::Get(W(plain_.BaseUrl() + "/up"), kTimeoutMs), "s3cret");  // http -> https is fine
  EXPECT_EQ(HttpClient::Get(W(secure_->BaseUrl() + "/down"), kTimeoutMs), "");
  // Even after starting on http, a hop back from https is refused.
  EXPECT_EQ(HttpClient::Get(W(plain_.BaseUrl() + "/up-then-down"), kTimeoutMs), "");
  EXPECT_EQ(RecordedTo(*secure_, "/down", 2).size(), 2u);
  EXPECT_TRUE(plain_.RequestsTo("/landing").empty());

  HttpClient::SetExtraTrustedCertificates("");
  EXPECT_EQ(HttpClient::Get(W(secure_->BaseUrl() + "/secret"), kTimeoutMs), "");
  // A request that fails verification never reaches the handler.
  EXPECT_EQ(RecordedTo(*secure_, "/secret", 2).size(), 2u);
}

}  // namespace
