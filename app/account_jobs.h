#pragma once
// The account check: the provider's account answer (player_api.php without
// an action) read on a job, so that Home and the Account screen can say why
// a line gives no catalog (refused, expired, banned) and show its expiry
// and connection limit. Main thread.
#include "app/jobs.h"
#include "state/app_state.h"

// Asks the provider about state.account; the answer arrives as an
// AccountChecked result. Nothing when the account is no Xtream account.
void StartAccountCheck(const AppState& state, JobMailbox& mailbox);

// The runtime.log line of an answer that gave no live list:
// "live answer http=404 body=html".
void LogLiveAnswer(const ProviderAnswer& answer);
