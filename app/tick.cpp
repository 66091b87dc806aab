// The application's one-second tick: its steps in the order the behaviour
// needs, each named for what it runs.
#include "app/tick.h"

#include "app/application.h"
#include "app/catalog_jobs.h"
#include "app/catalog_retry.h"
#include "app/content_jobs.h"
#include "app/guide_jobs.h"
#include "app/past_listings_jobs.h"
#include "app/timer_ids.h"
#include "platform/clock.h"
#include "store/settings_file.h"

namespace {

int MinuteOfDay(const LocalTime& t) { return t.hour * 60 + t.minute; }

}  // namespace

bool RunTickSteps(const std::vector<TickStep>& steps, uint64_t nowMs, bool handlerWaiting,
                  const std::u16string& statusText) {
  const std::u16string before = statusText;
  for (const TickStep& step : steps) {
    if (handlerWaiting && !step.whileHandlerWaits) continue;
    step.run(nowMs);
  }
  return statusText != before;
}

// The strips' deadline is followed before the Player's own step, and the
// lazy loads start last, after whatever the Player's events changed.
std::vector<TickStep> Application::MakeTickSteps() {
  // name                    what it runs                                           while a handler waits
  return {
      {"WriteChangedSettings", [this](uint64_t now) { WriteChangedSettings(now); }, false},
      {"RepaintOnNewMinute", [this](uint64_t now) { RepaintOnNewMinute(now); }, true},
      {"ExpireToast", [this](uint64_t now) { ExpireToast(now); }, true},
      {"FollowStripsDeadline", [this](uint64_t now) { FollowStripsDeadline(now); }, false},
      {"CheckAutoReload", [this](uint64_t now) { CheckAutoReload(now); }, false},
      {"CheckPanelPoll", [this](uint64_t now) { CheckPanelPoll(now); }, false},
      {"RetryCatalog", [this](uint64_t now) { CheckCatalogRetry(state_, mailbox_, now); }, false},
      {"SuperviseVideoTile", [this](uint64_t now) { SuperviseVideoTile(now); }, false},
      {"FollowRecordings", [this](uint64_t now) { FollowRecordings(now); }, false},
      {"StartLazyLoads", [this](uint64_t now) { StartLazyLoads(now); }, false},
      {"SavePastListings", [this](uint64_t now) { SaveChangedPastListings(now); }, false},
      {"GuidesUpdated", [this](uint64_t) { navigator_.GuidesUpdated(); }, false},
  };
}

// The past programmes kept for catch-up are written every few minutes
// while they change (and at the end), not at every guide answer.
void Application::SaveChangedPastListings(uint64_t nowMs) {
  if (nowMs - pastSavedMs_ < kPastSaveEveryMs) return;
  pastSavedMs_ = nowMs;
  SavePastListings(state_, false);
}

void Application::WriteChangedSettings(uint64_t /*nowMs*/) {
  if (!state_.SettingsDirty) return;
  state_.SettingsDirty = false;
  SaveSettings(state_.settings);
}

// The clock shows minutes (and the grid's now line moves by them): repaint
// when the shown minute changes rather than redrawing an identical frame
// every second.
void Application::RepaintOnNewMinute(uint64_t /*nowMs*/) {
  if (state_.CurrentScreen != Screen::Home && state_.CurrentScreen != Screen::Grid) return;
  if (MinuteOfDay(ToLocalTime(NowUnix())) != paintedMinute_) window_.RequestPaint();
}

// A toast is repainted while it shows and once more to take it away.
void Application::ExpireToast(uint64_t nowMs) {
  if (state_.toast.text.empty()) return;
  window_.RequestPaint();
  if (!state_.toast.Visible(nowMs)) state_.toast.text.clear();
}

// The strips show or hide when their deadline was crossed.
void Application::FollowStripsDeadline(uint64_t nowMs) {
  if (state_.CurrentScreen != Screen::Player) return;
  PlayerScreenControls& controls = state_.playerScreen;
  const bool shown = nowMs < controls.stripsUntil;
  if (shown == controls.stripsDeadlineSeen) return;
  controls.stripsDeadlineSeen = shown;
  playback_.UpdateStrips();
}

void Application::CheckAutoReload(uint64_t nowMs) { ::CheckAutoReload(state_, mailbox_, nowMs); }
void Application::CheckPanelPoll(uint64_t nowMs) { ::CheckPanelPoll(state_, mailbox_, nowMs); }
void Application::SuperviseVideoTile(uint64_t nowMs) { playback_.Tick(nowMs); }
void Application::StartLazyLoads(uint64_t /*nowMs*/) { ::StartLazyLoads(state_, mailbox_); }

// The recordings due start and stop; a reminder that came due is asked
// from a timer of its own, between handlers.
void Application::FollowRecordings(uint64_t /*nowMs*/) {
  if (recording_.Tick(NowUnix())) window_.RequestPaint();
  if (!state_.RemindersToAsk.empty()) window_.SetTimer(kQuestionTimer, 0, false);
}
