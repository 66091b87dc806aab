#include "catalog/guide_requests.h"

#include <algorithm>

#include "catalog/guide_store.h"

bool GuideRequests::Want(std::u16string_view streamId, bool withPast, int64_t nowMs) {
  if (streamId.empty()) return false;
  if (const Wish* busy = InFlightFor(streamId); busy && (busy->withPast || !withPast)) return true;
  // Old failures are forgotten as they pass, so the record stays small.
  for (auto it = failedAtMs_.begin(); it != failedAtMs_.end();)
    it = nowMs - it->second >= kGuideFailurePauseMs ? failedAtMs_.erase(it) : std::next(it);
  if (failedAtMs_.count(std::u16string(streamId))) return false;
  const auto queued = std::find_if(wishes_.begin(), wishes_.end(), [&](const Wish& w) { return w.streamId == streamId; });
  if (queued != wishes_.end()) {
    withPast = withPast || queued->withPast;
    wishes_.erase(queued);
  }
  Insert(Wish{std::u16string(streamId), withPast, nextOrder_++});
  return true;
}

void GuideRequests::Insert(Wish wish) {
  const auto place = std::find_if(wishes_.begin(), wishes_.end(), [&](const Wish& w) { return w.order < wish.order; });
  wishes_.insert(place, std::move(wish));
  while (wishes_.size() > kGuideQueueLimit) wishes_.pop_back();
}

const GuideRequests::Wish* GuideRequests::InFlightFor(std::u16string_view streamId) const {
  for (const auto& [ticket, wish] : inFlight_)
    if (wish.streamId == streamId) return &wish;
  return nullptr;
}

std::optional<int64_t> GuideRequests::NextStartMs(int64_t nowMs) const {
  if (InFlight() >= kGuideMaxInFlight) return std::nullopt;
  const bool startable = std::any_of(wishes_.begin(), wishes_.end(),
                                     [&](const Wish& w) { return InFlightFor(w.streamId) == nullptr; });
  if (!startable) return std::nullopt;
  int64_t at = std::max(nowMs, backoffUntilMs_);
  if (lastStartMs_) at = std::max(at, *lastStartMs_ + kGuideRequestSpacingMs);
  return at;
}

std::optional<GuideTicket> GuideRequests::Next(int64_t nowMs) {
  const std::optional<int64_t> at = NextStartMs(nowMs);
  if (!at || *at > nowMs) return std::nullopt;
  const auto wish = std::find_if(wishes_.begin(), wishes_.end(),
                                 [&](const Wish& w) { return InFlightFor(w.streamId) == nullptr; });
  GuideTicket ticket{nextTicket_++, wish->streamId, wish->withPast};
  inFlight_.emplace(ticket.id, std::move(*wish));
  wishes_.erase(wish);
  lastStartMs_ = nowMs;
  return ticket;
}

int64_t GuideRequests::Finish(uint64_t ticket, GuideOutcome outcome, int64_t retryAfterSeconds, int64_t nowMs) {
  const auto found = inFlight_.find(ticket);
  if (found == inFlight_.end()) return 0;  // from before a Reset
  Wish wish = std::move(found->second);
  inFlight_.erase(found);
  switch (outcome) {
    case GuideOutcome::Answered: backoffSteps_ = 0; return 0;
    case GuideOutcome::Unreadable: failedAtMs_[wish.streamId] = nowMs; return 0;
    case GuideOutcome::Throttled: break;
  }
  // Queued again by its own age: still wanted only if nothing newer pushed it out.
  Insert(std::move(wish));
  if (nowMs < backoffUntilMs_) return 0;  // the other request's answer began the wait
  int64_t waitMs = kGuideBackoffFirstMs << std::min(backoffSteps_, 10);
  waitMs = std::min(waitMs, kGuideBackoffMaxMs);
  if (retryAfterSeconds > 0) waitMs = std::clamp<int64_t>(retryAfterSeconds * 1000, 1000, kGuideRetryAfterMaxMs);
  ++backoffSteps_;
  backoffUntilMs_ = nowMs + waitMs;
  return waitMs;
}

bool GuideRequests::Pending(std::u16string_view streamId) const {
  if (InFlightFor(streamId)) return true;
  return std::any_of(wishes_.begin(), wishes_.end(), [&](const Wish& w) { return w.streamId == streamId; });
}

void GuideRequests::Reset() {
  const uint64_t nextTicket = nextTicket_;  // a late answer's ticket must never match a new one
  *this = GuideRequests();
  nextTicket_ = nextTicket;
}

bool GuideRequests::ScheduleWake(int64_t atMs) {
  if (wakeAtMs_ && *wakeAtMs_ <= atMs) return false;
  wakeAtMs_ = atMs;
  return true;
}

void GuideRequests::Woke(int64_t atMs) {
  if (wakeAtMs_ == atMs) wakeAtMs_.reset();
}

bool AskForGuide(GuideRequests& requests, const GuideStore& store, std::u16string_view streamId, bool withPast,
                 int64_t nowMs, int64_t nowUnix) {
  if (store.IsFresh(streamId, withPast, nowUnix)) return false;
  const GuideChannel* held = store.Find(streamId);
  return requests.Want(streamId, withPast || (held && held->HasPast()), nowMs);
}
