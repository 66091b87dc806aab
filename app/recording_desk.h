#pragma once
// The recordings and reminders (RecordActions, ui/screens/screen_actions.h):
// the recorders that write, the schedule in recordings.json
// (store/recordings.h) and the rules it follows (player/recording_schedule.h).
//
// What is scheduled, records and was recorded is state.recordings; every
// change is saved at once, so a crash loses no recording asked for. At
// start the file is read and settled (one due while the program was not
// running is Missed; one left Recording is Partial or Failed) and the rest
// is armed: the tick starts each recording when its padded window opens,
// with a stream URL built then, and stops it when the window closes, when
// its stream ends, or when the recordings' disk has less than 1 GiB free.
//
// Each recorder takes a slot "rec-<id>" of the line's connection budget
// before it connects and gives it back once its stream is closed; a start
// with no slot free fails the recording with a notice, and a schedule that
// would need more slots than the line has at some moment is refused when
// it is made.
//
// Reminders come due in the tick; it posts them (state.RemindersToAsk) for
// the main loop to ask between handlers. Log lines: "record start ...",
// "record stop ...", "record state ...", "reminder due ...". Main thread
// only.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "player/recorder.h"
#include "player/recording_schedule.h"
#include "ui/modals/pin_gate.h"
#include "state/app_state.h"
#include "ui/screens/screen_actions.h"

// Where recordings go when the user chose no folder: $XDG_VIDEOS_DIR/Vistra,
// else the data folder's recordings/. `videosDir` is the user's videos
// folder, empty when unset.
std::filesystem::path DefaultRecordingsFolder(const std::filesystem::path& videosDir,
                                              const std::filesystem::path& dataFolder);

class RecordingDesk final : public RecordActions {
 public:
  struct Services {
    // Plays a written recording in the Player as a movie (the playback desk's).
    std::function<void(const Recording&)> playFile;
    // Asks for the PIN of a locked channel before its recording plays.
    PinAsker askPin;
    // Asks the guide queue for the guides of channels with an every-airing
    // rule, so their airings to come are found.
    std::function<void(const std::vector<GuideWish>&)> requestGuides;
  };
  // `recorderHooks` are the recorders' engine test seams.
  RecordingDesk(AppState& state, Services services, MediaEngineHooks recorderHooks = {});
  ~RecordingDesk() override;

  // Reads recordings.json, settles it at `now` (Unix seconds) and saves
  // what changed.
  void Load(int64_t now);
  // Once a second: follows the recorders (bytes written, a stream that
  // ended), keeps 1 GiB free on the disk, stops and starts what is due,
  // adds the airings of every-airing rules, and posts the reminders that
  // came due. True when something shown changed.
  bool Tick(int64_t now);
  // At exit: every recorder stops; what was written is kept (Partial).
  void Shutdown(int64_t now);
  // The folder recordings are written to now.
  std::filesystem::path Folder() const;
  // Recording stops before its disk has less than this free (1 GiB; tests
  // raise it to fill a disk at once).
  void SetKeepFree(uint64_t bytes) { keepFreeBytes_ = bytes; }

  // RecordActions
  void ToggleRecordNow(const CatalogItem& channel) override;
  void ToggleSchedule(const CatalogItem& channel, const EpgEntry& programme, bool everyAiring) override;
  void ToggleReminder(const CatalogItem& channel, const EpgEntry& programme) override;
  void StopRecording(const std::string& id) override;
  void DeleteRecording(const std::string& id) override;
  void PlayRecording(const std::string& id) override;

 private:
  Recording* Find(const std::string& id);
  // A new recording of `channel` in this account, with the padding after.
  Recording NewRecording(const CatalogItem& channel) const;
  void Save();
  void Notice(std::u16string text);
  // Takes the recording's slot and starts its recorder; false, nothing
  // taken or written, when either fails.
  bool StartRecorder(Recording& r, int64_t now);
  void StartDue(Recording& r, int64_t now);
  // Ends the recording's state; its recorder stops and closes later.
  void Finish(Recording& r, StopCause cause, int64_t now);
  // The stopped recorders whose stream has closed give their slot back.
  void FollowClosing();
  bool FollowRecorders(int64_t now);
  bool KeepDiskFree(int64_t now);
  bool StartAndStopDue(int64_t now);
  bool ExpandRules(int64_t now);
  bool PostReminders(int64_t now);

  AppState& state_;
  Services services_;
  MediaEngineHooks hooks_;
  std::map<std::string, std::unique_ptr<Recorder>> recorders_;  // writing, by Recording::id
  // Stopped, until their engine has closed the stream.
  struct Closing {
    std::string id;
    std::unique_ptr<Recorder> recorder;
  };
  std::vector<Closing> closing_;
  uint64_t keepFreeBytes_ = uint64_t(1) << 30;
  bool dirty_ = false;  // the tick changed what recordings.json holds
  int64_t rulesAskedAt_ = 0;
};
