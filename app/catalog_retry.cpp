#include "app/catalog_retry.h"

#include <algorithm>

#include "app/catalog_jobs.h"
#include "i18n/translate.h"
#include "net/retry_pause.h"
#include "net/text.h"
#include "store/runtime_log.h"
#include "ui/screens/provider_status_text.h"

namespace {

bool HasChannels(const AppState& state) {
  return state.catalog.LiveChannels && !state.catalog.LiveChannels->empty();
}

}  // namespace

uint64_t CatalogRetryPause(int failures) {
  return DoublingPause(kCatalogRetryFirstMs, kCatalogRetryCapMs, std::max(failures - 1, 0));
}

void FollowLiveLoad(AppState& state, uint64_t nowMs) {
  CatalogRetry& retry = state.catalogRetry;
  if (HasChannels(state)) {
    retry = CatalogRetry{};
    return;
  }
  ++retry.failures;
  const uint64_t pause = CatalogRetryPause(retry.failures);
  retry.nextMs = nowMs + pause;
  WriteLogF(96, "catalog retry planned failures=%d in_ms=%llu", retry.failures, static_cast<unsigned long long>(pause));
  state.StatusText = CatalogRetryText(state, nowMs);
}

std::u16string CatalogRetryText(const AppState& state, uint64_t nowMs) {
  const CatalogRetry& retry = state.catalogRetry;
  if (retry.nextMs == 0) return {};
  const uint64_t left = retry.nextMs > nowMs ? retry.nextMs - nowMs : 0;
  const std::u16string when = TranslateWith("retry_in", AsciiToWide(std::to_string((left + 999) / 1000)));
  // The provider's status is shown beside the status line where there is
  // one; without it (no playlist yet: the sign-in gave none) the line says why.
  if (!ProviderStatusText(state.provider).empty()) return when;
  const std::u16string_view why =
      state.account.IsXtream ? Translate("provider_no_answer") : Translate("panel_no_answer");
  return std::u16string(why) + u"  ·  " + when;
}

void CheckCatalogRetry(AppState& state, JobMailbox& mailbox, uint64_t nowMs) {
  CatalogRetry& retry = state.catalogRetry;
  if (retry.nextMs == 0) return;
  if (HasChannels(state)) {
    if (state.StatusText == CatalogRetryText(state, nowMs)) state.StatusText.clear();
    retry = CatalogRetry{};
    return;
  }
  if (nowMs < retry.nextMs || state.flags.CatalogBusy) {
    state.StatusText = CatalogRetryText(state, nowMs);
    return;
  }
  retry.nextMs = 0;
  WriteLogF(64, "catalog retry %d", retry.failures);
  state.StatusText = std::u16string(Translate("loading_live"));
  RetryBoot(state, mailbox);
}
