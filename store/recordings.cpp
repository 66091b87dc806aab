#include "store/recordings.h"

#include <charconv>
#include <mutex>

#include "net/json_scan.h"
#include "net/text.h"
#include "store/data_folder.h"
#include "store/file_io.h"

namespace {

constexpr std::string_view kStateWords[] = {"scheduled", "recording", "done",     "partial",
                                            "failed",    "missed",    "cancelled"};

std::string Quoted(std::string_view utf8) { return JsonScan::Quoted(utf8); }
std::string Quoted(std::u16string_view text) { return JsonScan::Quoted(WideToUtf8(text)); }

int64_t Number(std::string_view object, std::string_view key, int64_t fallback) {
  std::string raw = JsonScan::TextValue(object, key);
  int64_t value = 0;
  const auto [end, error] = std::from_chars(raw.data(), raw.data() + raw.size(), value);
  return error == std::errc() && end == raw.data() + raw.size() ? value : fallback;
}

bool StateOf(std::string_view word, RecordingState& state) {
  for (size_t i = 0; i < std::size(kStateWords); ++i) {
    if (kStateWords[i] != word) continue;
    state = RecordingState(i);
    return true;
  }
  return false;
}

std::mutex& SaveLock() {
  static std::mutex lock;
  return lock;
}

// The text of one array member of the file: "\n    {...}" after the first.
void OpenEntry(std::string& text, size_t index) { text += index ? ",\n    {" : "\n    {"; }

std::string CloseList(bool empty) { return empty ? "]" : "\n  ]"; }

// The members of an array as the scanner cut it out, its brackets taken off.
std::string_view Inside(const std::string& list) {
  return list.size() >= 2 ? std::string_view(list).substr(1, list.size() - 2) : std::string_view();
}

}  // namespace

std::string_view RecordingStateWord(RecordingState state) { return kStateWords[size_t(state)]; }

std::filesystem::path RecordingsPath() { return EnsureDataFolder() / "recordings.json"; }

std::string SerializeRecordings(const RecordingsFile& file) {
  const std::vector<Recording>& recordings = file.recordings;
  std::string text = "{\n  \"recordings\": [";
  for (size_t i = 0; i < recordings.size(); ++i) {
    const Recording& r = recordings[i];
    OpenEntry(text, i);
    text += "\"id\": " + Quoted(std::string_view(r.id));
    text += ", \"account\": " + Quoted(std::string_view(r.account));
    text += ", \"streamId\": " + Quoted(r.streamId);
    text += ", \"channel\": " + Quoted(r.channelName);
    text += ", \"title\": " + Quoted(r.title);
    text += ", \"start\": " + std::to_string(r.start) + ", \"end\": " + std::to_string(r.end);
    text += ", \"paddingBefore\": " + std::to_string(r.paddingBefore);
    text += ", \"paddingAfter\": " + std::to_string(r.paddingAfter);
    text += std::string(", \"everyAiring\": ") + (r.everyAiring ? "true" : "false");
    text += ", \"state\": " + Quoted(RecordingStateWord(r.state));
    text += ", \"file\": " + Quoted(std::string_view(r.file));
    text += ", \"writtenFrom\": " + std::to_string(r.writtenFrom) + ", \"writtenTo\": " + std::to_string(r.writtenTo);
    text += ", \"bytes\": " + std::to_string(r.bytes) + ", \"resumeMs\": " + std::to_string(r.resumeMs) + "}";
  }
  text += CloseList(recordings.empty()) + ",\n  \"reminders\": [";
  for (size_t i = 0; i < file.reminders.size(); ++i) {
    const Reminder& r = file.reminders[i];
    OpenEntry(text, i);
    text += "\"account\": " + Quoted(std::string_view(r.account));
    text += ", \"streamId\": " + Quoted(r.streamId);
    text += ", \"channel\": " + Quoted(r.channelName);
    text += ", \"title\": " + Quoted(r.title);
    text += ", \"start\": " + std::to_string(r.start) + ", \"end\": " + std::to_string(r.end) + "}";
  }
  text += CloseList(file.reminders.empty()) + "\n}\n";
  return text;
}

RecordingsFile ParseRecordings(std::string_view text) {
  RecordingsFile file;
  std::vector<Recording>& recordings = file.recordings;
  const std::string list = JsonScan::Array(text, "recordings");
  for (const std::string_view object : JsonScan::Objects(Inside(list))) {
    Recording r;
    r.id = JsonScan::TextValue(object, "id");
    r.streamId = Utf8ToWide(JsonScan::TextValue(object, "streamId"));
    r.start = Number(object, "start", 0);
    r.end = Number(object, "end", 0);
    // Without its key, its channel, its window or a known state an entry
    // cannot be armed or shown: it is skipped, the rest still read.
    if (r.id.empty() || r.streamId.empty() || r.end <= r.start ||
        !StateOf(JsonScan::TextValue(object, "state"), r.state))
      continue;
    r.account = JsonScan::TextValue(object, "account");
    r.channelName = Utf8ToWide(JsonScan::TextValue(object, "channel"));
    r.title = Utf8ToWide(JsonScan::TextValue(object, "title"));
    r.paddingBefore = int32_t(Number(object, "paddingBefore", r.paddingBefore));
    r.paddingAfter = int32_t(Number(object, "paddingAfter", r.paddingAfter));
    r.everyAiring = JsonScan::TextValue(object, "everyAiring") == "true";
    r.file = JsonScan::TextValue(object, "file");
    r.writtenFrom = Number(object, "writtenFrom", 0);
    r.writtenTo = Number(object, "writtenTo", 0);
    r.bytes = Number(object, "bytes", 0);
    r.resumeMs = Number(object, "resumeMs", 0);
    recordings.push_back(std::move(r));
  }
  const std::string reminders = JsonScan::Array(text, "reminders");
  for (const std::string_view object : JsonScan::Objects(Inside(reminders))) {
    Reminder r;
    r.streamId = Utf8ToWide(JsonScan::TextValue(object, "streamId"));
    r.start = Number(object, "start", 0);
    r.end = Number(object, "end", 0);
    if (r.streamId.empty() || r.end <= r.start) continue;
    r.account = JsonScan::TextValue(object, "account");
    r.channelName = Utf8ToWide(JsonScan::TextValue(object, "channel"));
    r.title = Utf8ToWide(JsonScan::TextValue(object, "title"));
    file.reminders.push_back(std::move(r));
  }
  return file;
}

RecordingsFile LoadRecordings() {
  const std::optional<std::string> text = ReadWholeFile(RecordingsPath(), 16 * 1024 * 1024);
  return text ? ParseRecordings(*text) : RecordingsFile{};
}

bool SaveRecordings(const RecordingsFile& file) {
  const std::lock_guard<std::mutex> hold(SaveLock());
  return WriteFileAtomically(RecordingsPath(), SerializeRecordings(file));
}
