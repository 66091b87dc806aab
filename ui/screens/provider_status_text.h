#pragma once
// The words Home and the Account screen use for what the provider said of
// the account (catalog/provider_status.h), in the current language.
#include <string>

#include "catalog/provider_status.h"

// Why the account gives no catalog, or empty when nothing is wrong: the
// line's own record first ("This account expired on 31/12/2026", "...is
// banned"), then the answer of the last live load ("The provider refused
// this account (HTTP 404)", "...did not answer", "...answered something
// that is not a catalog"), or, before any load ran, a refused or missing
// account answer.
std::u16string ProviderStatusText(const ProviderStatus& status);

// The line's expiry and connection limit ("Expires 31/12/2026  ·
// Connections: 2"), empty before the account answer told either.
std::u16string AccountLineDetails(const ProviderStatus& status);
