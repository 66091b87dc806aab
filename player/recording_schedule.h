#pragma once
// The rules a recording's state follows over time, apart from any engine,
// file or clock: callers pass the time (Unix seconds) and carry out what
// the rules decide (start or stop a recorder, save recordings.json). Pure
// and thread-safe.
#include <cstdint>
#include <string>
#include <vector>

#include "catalog/guide.h"
#include "store/recordings.h"

// A written span within this many seconds of the window's edges counts as
// the whole window: a recorder takes a moment to open its stream.
inline constexpr int64_t kRecordingEdgeSlack = 15;

// At start: a Scheduled recording whose window closed while the program was
// not running becomes Missed (one still open is left to start late); one
// left Recording (the program ended or crashed while writing) becomes
// Partial when something was written, else Failed. Returns how many changed.
int SettleAtStart(std::vector<Recording>& list, int64_t now);

// The Scheduled recordings whose window is open at `now`: due to start.
std::vector<size_t> DueToStart(const std::vector<Recording>& list, int64_t now);
// The Recording ones whose window has closed at `now`: due to stop.
std::vector<size_t> DueToStop(const std::vector<Recording>& list, int64_t now);

enum class StopCause { WindowEnded, User, StreamBroke, DiskFull };

// Ends a recording at `now` with `bytes` written since writtenFrom: Failed
// when nothing was written; Done when the user stopped it or what was
// written covers the window; Partial otherwise (the stream broke, the disk
// filled, or it started late).
void FinishRecording(Recording& recording, StopCause cause, int64_t now, int64_t bytes);

// The seconds of the window a finished recording lacks (0 for a whole one).
int64_t MissingSeconds(const Recording& recording);

// Whether `candidate` fits beside the recordings that are scheduled or
// running: at no moment of its window would more than `slots` record at
// once. `slots` <= 0 is no limit.
bool FitsBudget(const std::vector<Recording>& list, const Recording& candidate, int slots);

// For each rule (everyAiring) of channel `streamId` that is not cancelled,
// a Scheduled copy of every airing of its title in `rows` that has not
// begun at `now` and that the list does not hold yet (same channel, start
// and title), with the rule's padding; ids come from `newId`. Returns how
// many were added.
int ExpandEveryAiring(std::vector<Recording>& list, const std::u16string& streamId, const std::vector<EpgEntry>& rows,
                      int64_t now, std::string (*newId)());

// The reminders whose programme has begun at `now` and not ended: due to
// be asked (the caller removes each once asked).
std::vector<size_t> DueReminders(const std::vector<Reminder>& list, int64_t now);
// Removes the reminders whose programme has ended at `now` (one that came
// due while the program was not running is no question any more).
// Returns how many went.
int DropEndedReminders(std::vector<Reminder>& list, int64_t now);
// Adds `reminder`, or removes the one with its key (channel, start and
// title); true when it was added.
bool ToggleReminder(std::vector<Reminder>& list, const Reminder& reminder);

// What the screens mark: a channel with a recording in progress (the
// strip, the Live list, the grid's channel column), and a programme with
// its recording (running, or scheduled, a rule's copies included) or its
// reminder, by channel, start and title.
bool ChannelRecording(const std::vector<Recording>& list, std::u16string_view streamId);
enum class ProgrammeMark { None, Recording, Scheduled, Reminder };
ProgrammeMark MarkOf(const RecordingsFile& file, std::u16string_view streamId, int64_t start,
                     std::u16string_view title);

// "<channel> – <title>", or the channel alone when no title was known:
// how notices and the Player name a recording.
std::u16string RecordingLabel(const Recording& recording);

// The file name of a recording: "<channel> - <title> - <YYYY-MM-DD HHMM>.ts"
// (without the title when there is none), from the local start time given.
// Characters no file system takes (/ \ : * ? " < > | and control
// characters) become "_", each part is cut to 80 characters, and no name
// ends in a dot or a space.
std::u16string RecordingFileName(std::u16string_view channel, std::u16string_view title, int year, int month, int day,
                                 int hour, int minute);
