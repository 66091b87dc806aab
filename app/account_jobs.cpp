#include "app/account_jobs.h"

#include <string>

#include "net/text.h"
#include "store/runtime_log.h"

namespace {

std::string Told(const std::optional<int64_t>& value) { return value ? std::to_string(*value) : "none"; }

void LogAccountCheck(const AccountCheck& check) {
  const ProviderAnswer& a = check.answer;
  const std::string body(AnswerBodyName(a.body));
  if (!check.line) {
    WriteLogF(96, "account answer http=%d body=%s user_info=none", a.httpStatus, body.c_str());
    return;
  }
  const AccountLine& line = *check.line;
  const std::string auth = line.auth ? std::to_string(int(*line.auth)) : "none";
  // The provider's status word goes to the log cut short and printable only.
  std::string status = WideToUtf8(line.status).substr(0, 24);
  for (char& c : status)
    if (static_cast<unsigned char>(c) < 0x20) c = '?';
  const std::optional<int64_t> limit =
      line.maxConnections ? std::optional<int64_t>(*line.maxConnections) : std::nullopt;
  WriteLogF(192, "account answer http=%d body=%s auth=%s status=%s exp=%s max_connections=%s", a.httpStatus,
            body.c_str(), auth.c_str(), status.empty() ? "none" : status.c_str(), Told(line.expiresAt).c_str(),
            Told(limit).c_str());
}

}  // namespace

void StartAccountCheck(const AppState& state, JobMailbox& mailbox) {
  if (!state.account.IsXtream) return;
  StartJob([&mailbox, account = state.account] {
    AccountCheck check = FetchAccountLine(account);
    LogAccountCheck(check);
    mailbox.Deliver(AccountChecked{account, std::move(check)});
  });
}

void LogLiveAnswer(const ProviderAnswer& answer) {
  WriteLogF(64, "live answer http=%d body=%s", answer.httpStatus, std::string(AnswerBodyName(answer.body)).c_str());
}
