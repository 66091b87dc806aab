#pragma once
// What the provider said of the account: how it answered a request (its
// HTTP status and what kind of body came), the problem a user is told of
// when that answer gave no catalog, and the line's own record from the
// account answer of player_api.php without an action ("user_info": auth,
// status, expiry, connections). Providers refuse bad, expired or banned
// lines in several ways: an HTTP 404 (or 401, 403) with an HTML page, or a
// 200 with {"user_info":{"auth":0}}. Pure functions, any thread, except
// FetchAccountLine, which blocks (jobs only).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "catalog/account.h"
#include "net/http_client.h"

enum class AnswerBody : uint8_t {
  Empty,  // no bytes (or no answer at all)
  Json,   // an object or a list
  Html,   // an error or notice page
  Text,   // anything else
  Cut,    // the transfer broke off, or the answer was longer than its cap
};

// "empty", "json", "html", "text", "cut": the words of the log lines.
std::string_view AnswerBodyName(AnswerBody body);

// How the provider answered one request.
struct ProviderAnswer {
  int httpStatus = 0;  // 0: no answer came
  AnswerBody body = AnswerBody::Empty;
  bool catalog = false;       // the body was a whole list (set by the list loaders)
  bool authRefused = false;   // a user_info with auth 0
  bool operator==(const ProviderAnswer&) const = default;
};

// The status and body kind of `reply` (catalog stays false).
ProviderAnswer DescribeAnswer(const HttpClient::HttpReply& reply);

// What a user is told of an answer.
enum class ProviderProblem : uint8_t {
  None,        // a catalog came
  Refused,     // 4xx, or auth 0: the account was refused
  NoAnswer,    // no connection, a time-out, a cut answer, or a 5xx
  NotCatalog,  // an answer, but no list (an HTML page, an error object)
};
ProviderProblem ProblemOf(const ProviderAnswer& answer);

// The line's record in the account answer. Providers write numbers as
// numbers or strings and leave fields null; a field they did not tell is
// empty here.
struct AccountLine {
  std::optional<bool> auth;               // "auth": 1 / 0
  std::u16string status;                  // "Active", "Expired", "Banned", "Disabled", ...
  std::optional<int64_t> expiresAt;       // "exp_date", Unix seconds; none: no end
  std::optional<int32_t> maxConnections;  // "max_connections"
  std::optional<int32_t> activeConnections;
  bool operator==(const AccountLine&) const = default;
};

// The user_info of an account answer; nothing when it has none.
std::optional<AccountLine> ParseAccountLine(std::string_view answer);

// What the line's record says, for the status text.
enum class LineVerdict : uint8_t { Active, Refused, Expired, Banned, Disabled, Inactive };
// Refused when auth is 0; otherwise from the status, case-insensitively
// (an empty status counts as active; one not named here is Inactive).
LineVerdict VerdictOf(const AccountLine& line);

// The account answer of `account`, read on a job.
struct AccountCheck {
  ProviderAnswer answer;
  std::optional<AccountLine> line;
};
AccountCheck FetchAccountLine(const XtreamAccount& account);

// What the screens show of the account on screen: the answer of the last
// live load (none until one ran) and the last account answer.
struct ProviderStatus {
  std::optional<ProviderAnswer> liveAnswer;
  std::optional<AccountCheck> check;
  // The line's connection limit, once the account answer told it.
  std::optional<int32_t> MaxConnections() const {
    return check && check->line ? check->line->maxConnections : std::nullopt;
  }
};
