#include "catalog/provider_status.h"

#include <climits>

#include "net/json_scan.h"
#include "net/text.h"

namespace {

constexpr uint32_t kAccountTimeoutMs = 10000;
constexpr uint64_t kAccountCap = 256 * 1024;

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::u16string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] > 0x7F || Lower(char(a[i])) != Lower(b[i])) return false;
  return true;
}

AnswerBody KindOf(std::string_view body) {
  if (body.starts_with("\xEF\xBB\xBF")) body.remove_prefix(3);
  size_t i = 0;
  while (i < body.size() && IsSpace(body[i])) ++i;
  if (i == body.size()) return AnswerBody::Empty;
  if (body[i] == '[' || body[i] == '{') return AnswerBody::Json;
  if (body[i] == '<') return AnswerBody::Html;
  return AnswerBody::Text;
}

// Digits only ("1767225600", 1767225600); null, "", "null" and anything
// else are not told.
std::optional<int64_t> WholeNumber(const std::string& text, int64_t limit) {
  if (text.empty() || text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const int64_t value = std::stoll(text);
  if (value > limit) return std::nullopt;
  return value;
}

std::optional<bool> Flag(const std::string& text) {
  if (text == "true") return true;
  if (text == "false") return false;
  const std::optional<int64_t> number = WholeNumber(text, 1);
  if (!number) return std::nullopt;
  return *number == 1;
}

}  // namespace

std::string_view AnswerBodyName(AnswerBody body) {
  switch (body) {
    case AnswerBody::Empty: return "empty";
    case AnswerBody::Json: return "json";
    case AnswerBody::Html: return "html";
    case AnswerBody::Text: return "text";
    case AnswerBody::Cut: return "cut";
  }
  return "empty";
}

ProviderAnswer DescribeAnswer(const HttpClient::HttpReply& reply) {
  ProviderAnswer answer;
  answer.httpStatus = reply.status;
  answer.body = KindOf(reply.body);
  if (!reply.whole() && answer.body != AnswerBody::Empty) answer.body = AnswerBody::Cut;
  if (answer.body == AnswerBody::Json) {
    const std::optional<AccountLine> line = ParseAccountLine(reply.body);
    answer.authRefused = line && line->auth == false;
  }
  return answer;
}

ProviderProblem ProblemOf(const ProviderAnswer& a) {
  if (a.catalog) return ProviderProblem::None;
  if (a.httpStatus == 0 || a.body == AnswerBody::Cut || a.httpStatus >= 500) return ProviderProblem::NoAnswer;
  if (a.httpStatus >= 400 || a.authRefused) return ProviderProblem::Refused;
  return ProviderProblem::NotCatalog;
}

std::optional<AccountLine> ParseAccountLine(std::string_view answer) {
  constexpr std::string_view kKey = "\"user_info\"";
  const size_t at = answer.find(kKey);
  if (at == std::string_view::npos) return std::nullopt;
  std::string_view rest = answer.substr(at + kKey.size());
  size_t i = 0;
  while (i < rest.size() && IsSpace(rest[i])) ++i;
  if (i == rest.size() || rest[i] != ':') return std::nullopt;
  for (++i; i < rest.size() && IsSpace(rest[i]); ++i) {
  }
  // "user_info":[] or null: nothing told.
  if (i == rest.size() || rest[i] != '{') return std::nullopt;
  const auto objects = JsonScan::Objects(rest.substr(i));
  if (objects.empty()) return std::nullopt;
  const std::string_view info = objects.front();
  AccountLine line;
  line.auth = Flag(JsonScan::TextValue(info, "auth"));
  line.status = Utf8ToWide(JsonScan::TextValue(info, "status"));
  if (line.status == u"null") line.status.clear();
  // 0 is what some panels write for a line without an end.
  line.expiresAt = WholeNumber(JsonScan::TextValue(info, "exp_date"), int64_t{1} << 40);
  if (line.expiresAt == 0) line.expiresAt.reset();
  if (const auto n = WholeNumber(JsonScan::TextValue(info, "max_connections"), INT32_MAX)) line.maxConnections = int32_t(*n);
  if (const auto n = WholeNumber(JsonScan::TextValue(info, "active_cons"), INT32_MAX)) line.activeConnections = int32_t(*n);
  return line;
}

LineVerdict VerdictOf(const AccountLine& line) {
  if (line.auth == false) return LineVerdict::Refused;
  if (line.status.empty() || EqualsNoCase(line.status, "active")) return LineVerdict::Active;
  if (EqualsNoCase(line.status, "expired")) return LineVerdict::Expired;
  if (EqualsNoCase(line.status, "banned")) return LineVerdict::Banned;
  if (EqualsNoCase(line.status, "disabled")) return LineVerdict::Disabled;
  return LineVerdict::Inactive;
}

AccountCheck FetchAccountLine(const XtreamAccount& account) {
  AccountCheck check;
  if (!account.IsXtream) return check;
  const HttpClient::HttpReply reply = HttpClient::FetchGet(AccountInfoUrl(account), kAccountTimeoutMs, kAccountCap);
  check.answer = DescribeAnswer(reply);
  if (reply.whole()) check.line = ParseAccountLine(reply.body);
  return check;
}
