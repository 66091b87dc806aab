#pragma once
// recordings.json: the recordings the user asked for, scheduled, running
// and done, each with its state, and the reminders of programmes to come. The file is the program's own, written
// whole and crash-safe like preferences.json, so a recording asked for is
// never lost to a crash; an entry that cannot be read is skipped, never the
// whole file. All functions are thread-safe.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

enum class RecordingState {
  Scheduled,  // waits for its window
  Recording,  // the stream is being written
  Done,       // the whole window was written (or the user stopped it)
  Partial,    // the stream broke: what was written is kept, some is missing
  Failed,     // nothing was written
  Missed,     // the window passed while the program was not running
  Cancelled,  // the user cancelled it before it began
};

// The state's word in the file ("scheduled", "recording", ...).
std::string_view RecordingStateWord(RecordingState state);

struct Recording {
  std::string id;               // unique within the file
  std::string account;          // the account the stream belongs to (its playlist URL's key)
  std::u16string streamId;      // the live channel
  std::u16string channelName;
  std::u16string title;         // the programme's; empty when none was known
  int64_t start = 0;            // the programme's window, Unix seconds
  int64_t end = 0;
  // Seconds recorded before start and after end. Recorded from now, a
  // programme already running has a negative padding before: the window
  // opens that long after its start.
  int32_t paddingBefore = 60;
  int32_t paddingAfter = 300;
  bool everyAiring = false;     // a rule: every airing of `title` on this channel
  RecordingState state = RecordingState::Scheduled;
  std::string file;             // the file written, UTF-8; empty before it starts
  int64_t writtenFrom = 0;      // what was written, Unix seconds (0: nothing)
  int64_t writtenTo = 0;
  int64_t bytes = 0;
  int64_t resumeMs = 0;         // where playing it goes on; 0: from the start

  int64_t WindowStart() const { return start - paddingBefore; }
  int64_t WindowEnd() const { return end + paddingAfter; }
  bool operator==(const Recording&) const = default;
};

// A programme the user wants to be told of when it starts. Its key is
// (streamId, start, title), so it survives a guide refresh that rebuilds
// the rows.
struct Reminder {
  std::string account;
  std::u16string streamId;
  std::u16string channelName;
  std::u16string title;
  int64_t start = 0;  // Unix seconds
  int64_t end = 0;
  bool operator==(const Reminder&) const = default;
};

struct RecordingsFile {
  std::vector<Recording> recordings;
  std::vector<Reminder> reminders;
  bool operator==(const RecordingsFile&) const = default;
};

// Data folder + "recordings.json".
std::filesystem::path RecordingsPath();

// What the file holds, in its order; a missing file gives nothing.
RecordingsFile LoadRecordings();
// Writes the whole file; false (file unchanged) when it could not be written.
bool SaveRecordings(const RecordingsFile& file);

// The exact text SaveRecordings writes, and its reading.
std::string SerializeRecordings(const RecordingsFile& file);
RecordingsFile ParseRecordings(std::string_view text);
