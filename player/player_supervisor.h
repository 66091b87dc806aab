#pragma once
// The once-a-second supervision of what plays: the settings write, the
// strips following their deadline, the automatic reload and panel poll
// (through hooks), the diagnostic log lines, the buffering notice, the
// resume seek and resume saves, the end of a file, the restart of a dead
// preview stream (with a growing back-off), a refused stream on the Player
// screen, and the nudge of a stalled one; a tick that changed the status
// text repaints. Plain C++ over the state and the
// engine; the application supplies the hooks. Main thread only.
#include <cstdint>
#include <functional>
#include <string>

class MediaEngine;
struct AppState;

// The values of the codec sample, handed to the catch-up candidate step.
struct CodecSample {
  std::u16string codec, width, height, idle, path;
};

struct SupervisorHooks {
  std::function<void()> saveSettings;    // write the settings file now
  std::function<void()> repaintStep;     // the screens' own repaint needs (Home clock, toasts)
  std::function<void()> autoReload;      // the automatic reload check
  std::function<void()> panelPoll;       // the panel's five-second check
  std::function<void()> screenTick;      // the current screen's own tick
  std::function<void()> updateStrips;    // the strips show or hide (their deadline was crossed)
  std::function<void()> restartPreview;  // play the selected channel again, forced
  std::function<void()> leaveDeadStream;  // the Player's stream is refused or cut: notice, leave the Player
  std::function<void()> layoutVideo;     // after the next episode started
  std::function<void()> repaint;         // a step changed the status text
  // The catch-up candidate step, run right after the codec sample with its
  // values (the catch-up player connects here).
  std::function<void(const CodecSample&)> catchupCandidateStep;
};

// The preview's restarts of a dead stream wait 1.8 s, then twice as long
// after each failed restart, at most a minute; after kMaxDeadRestarts the
// channel is left alone until the user picks a channel again.
inline constexpr uint64_t kDeadRestartFirstMs = 1800;
inline constexpr uint64_t kDeadRestartMaxMs = 60000;
inline constexpr int kMaxDeadRestarts = 6;
// A stream on the Player screen that is still idle this long after its load
// is taken as refused.
inline constexpr uint64_t kPlayerDeadStreamMs = 4000;

class PlayerSupervisor {
 public:
  PlayerSupervisor(AppState& state, MediaEngine& engine, SupervisorHooks hooks)
      : state_(state), engine_(engine), hooks_(std::move(hooks)) {}
  void Tick(uint64_t nowMs);

  // The wait before the restart that follows `restarts` failed ones.
  static uint64_t DeadRestartDelay(int restarts);

 private:
  void Steps(uint64_t nowMs);
  void CodecLog(uint64_t nowMs);
  void BufferingNotice(uint64_t nowMs);
  void VodSteps(uint64_t nowMs);
  void DeadPreview(uint64_t nowMs);
  void DeadPlayerStream(uint64_t nowMs);
  void StateLogAndStall(uint64_t nowMs);
  void Call(const std::function<void()>& hook) {
    if (hook) hook();
  }

  AppState& state_;
  MediaEngine& engine_;
  SupervisorHooks hooks_;
};
