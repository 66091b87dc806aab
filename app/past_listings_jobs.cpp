#include "app/past_listings_jobs.h"

#include <memory>
#include <utility>

#include "catalog/guide_past_file.h"
#include "platform/clock.h"
#include "state/app_state.h"
#include "store/runtime_log.h"

namespace {

void Write(const XtreamAccount& account, const PastListings& listings) {
  const bool written = WritePastListingsFile(PastListingsPath(account), PastListingsText(listings, PastAccountKey(account)));
  WriteLogF(120, "guide past saved channels=%zu programmes=%zu%s", listings.Channels(), listings.Programmes(),
            written ? "" : " failed");
}

}  // namespace

void LoadPastListingsFor(AppState& state, JobMailbox& mailbox) {
  if (!state.account.IsXtream || state.pastListingsAccount == state.account) return;
  state.pastListingsAccount = state.account;
  state.pastListingsRead = false;
  StartJob([&mailbox, account = state.account] {
    PastListingsLoaded loaded{account, LoadPastListings(account, NowUnix())};
    WriteLogF(120, "guide past read channels=%zu programmes=%zu", loaded.listings.Channels(), loaded.listings.Programmes());
    mailbox.Deliver(std::move(loaded));
  });
}

void MergePastListings(AppState& state, PastListingsLoaded& loaded) {
  if (!(loaded.account == state.account) || !(state.pastListingsAccount == state.account)) return;
  const bool changed = state.pastListings.Dirty();
  loaded.listings.Include(state.pastListings, NowUnix());
  state.pastListings = std::move(loaded.listings);
  if (!changed) state.pastListings.MarkSaved();
  state.pastListingsRead = true;
}

void SavePastListings(AppState& state, bool waitForIt) {
  if (!state.pastListingsRead || !state.pastListings.Dirty()) return;
  state.pastListings.Prune(NowUnix());
  state.pastListings.MarkSaved();
  if (waitForIt) {
    Write(state.pastListingsAccount, state.pastListings);
    return;
  }
  // The channels are shared and never changed in place: the copy is cheap
  // and the job's own.
  StartJob([account = state.pastListingsAccount, copy = std::make_shared<PastListings>(state.pastListings)] { Write(account, *copy); });
}
