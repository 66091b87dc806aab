#include "ui/screens/provider_status_text.h"

#include <cstdio>

#include "net/text.h"
#include "platform/clock.h"
#include "i18n/translate.h"

namespace {

// The text of `key` with its "{}" replaced by `value`.
std::u16string Filled(std::string_view key, std::u16string_view value) {
  std::u16string text(Translate(key));
  const size_t at = text.find(u"{}");
  if (at != std::u16string::npos) text.replace(at, 2, value);
  return text;
}

std::u16string DayText(int64_t unixSeconds) {
  const LocalTime day = ToLocalTime(unixSeconds);
  char text[24];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", day.day, day.month, day.year);
  return AsciiToWide(text);
}

std::u16string LineText(const AccountLine& line) {
  switch (VerdictOf(line)) {
    case LineVerdict::Active: return {};
    case LineVerdict::Refused: return std::u16string(Translate("provider_refused"));
    case LineVerdict::Expired:
      return line.expiresAt ? Filled("line_expired_on", DayText(*line.expiresAt))
                            : std::u16string(Translate("line_expired"));
    case LineVerdict::Banned: return std::u16string(Translate("line_banned"));
    case LineVerdict::Disabled: return std::u16string(Translate("line_disabled"));
    case LineVerdict::Inactive: return Filled("line_inactive", line.status.substr(0, 40));
  }
  return {};
}

std::u16string AnswerText(const ProviderAnswer& answer) {
  switch (ProblemOf(answer)) {
    case ProviderProblem::None: return {};
    case ProviderProblem::Refused:
      return answer.httpStatus >= 400 ? Filled("provider_refused_http", AsciiToWide(std::to_string(answer.httpStatus)))
                                      : std::u16string(Translate("provider_refused"));
    case ProviderProblem::NoAnswer: return std::u16string(Translate("provider_no_answer"));
    case ProviderProblem::NotCatalog: return std::u16string(Translate("provider_not_catalog"));
  }
  return {};
}

}  // namespace

std::u16string ProviderStatusText(const ProviderStatus& status) {
  if (status.check && status.check->line) {
    if (std::u16string text = LineText(*status.check->line); !text.empty()) return text;
  }
  if (status.liveAnswer) return AnswerText(*status.liveAnswer);
  // Before any live load (a warm start), the account answer speaks for the
  // line, except that an odd answer to it says nothing of the catalog.
  if (status.check && !status.check->line && ProblemOf(status.check->answer) != ProviderProblem::NotCatalog)
    return AnswerText(status.check->answer);
  return {};
}

std::u16string AccountLineDetails(const ProviderStatus& status) {
  if (!status.check || !status.check->line) return {};
  const AccountLine& line = *status.check->line;
  std::u16string text =
      line.expiresAt ? Filled("line_expires", DayText(*line.expiresAt)) : std::u16string(Translate("line_no_expiry"));
  if (line.maxConnections)
    text.append(u"  ·  ").append(Filled("line_connections", AsciiToWide(std::to_string(*line.maxConnections))));
  return text;
}
