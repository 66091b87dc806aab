#include "player/recording_schedule.h"

#include <algorithm>
#include <cstdio>

namespace {

bool Pending(const Recording& r) {
  return r.state == RecordingState::Scheduled || r.state == RecordingState::Recording;
}

bool Holds(const std::vector<Recording>& list, const std::u16string& streamId, int64_t start,
           const std::u16string& title) {
  return std::any_of(list.begin(), list.end(), [&](const Recording& r) {
    return r.streamId == streamId && r.start == start && r.title == title;
  });
}

std::u16string CleanPart(std::u16string_view text) {
  std::u16string out;
  for (const char16_t c : text) {
    const bool bad = c < 0x20 || c == 0x7F || std::u16string_view(u"/\\:*?\"<>|").find(c) != std::u16string_view::npos;
    out += bad ? u'_' : c;
    if (out.size() == 80) break;
  }
  while (!out.empty() && (out.back() == u' ' || out.back() == u'.')) out.pop_back();
  while (!out.empty() && out.front() == u' ') out.erase(out.begin());
  return out;
}

}  // namespace

int SettleAtStart(std::vector<Recording>& list, int64_t now) {
  int changed = 0;
  for (Recording& r : list) {
    if (r.state == RecordingState::Scheduled && r.WindowEnd() <= now) {
      r.state = RecordingState::Missed;
      ++changed;
    } else if (r.state == RecordingState::Recording) {
      r.state = r.bytes > 0 ? RecordingState::Partial : RecordingState::Failed;
      ++changed;
    }
  }
  return changed;
}

std::vector<size_t> DueToStart(const std::vector<Recording>& list, int64_t now) {
  std::vector<size_t> due;
  for (size_t i = 0; i < list.size(); ++i) {
    const Recording& r = list[i];
    if (r.state == RecordingState::Scheduled && r.WindowStart() <= now && now < r.WindowEnd()) due.push_back(i);
  }
  return due;
}

std::vector<size_t> DueToStop(const std::vector<Recording>& list, int64_t now) {
  std::vector<size_t> due;
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].state == RecordingState::Recording && list[i].WindowEnd() <= now) due.push_back(i);
  }
  return due;
}

void FinishRecording(Recording& r, StopCause cause, int64_t now, int64_t bytes) {
  r.bytes = bytes;
  r.writtenTo = now;
  if (bytes <= 0) {
    r.state = RecordingState::Failed;
    return;
  }
  const bool whole = cause == StopCause::WindowEnded && MissingSeconds(r) == 0;
  r.state = cause == StopCause::User || whole ? RecordingState::Done : RecordingState::Partial;
}

int64_t MissingSeconds(const Recording& r) {
  if (r.bytes <= 0 || r.writtenFrom <= 0) return r.WindowEnd() - r.WindowStart();
  const int64_t late = std::max<int64_t>(0, r.writtenFrom - r.WindowStart());
  const int64_t early = std::max<int64_t>(0, r.WindowEnd() - r.writtenTo);
  const int64_t missing = (late > kRecordingEdgeSlack ? late : 0) + (early > kRecordingEdgeSlack ? early : 0);
  return std::min(missing, r.WindowEnd() - r.WindowStart());
}

bool FitsBudget(const std::vector<Recording>& list, const Recording& candidate, int slots) {
  if (slots <= 0) return true;
  // The most at once within the candidate's window is reached at one of the
  // window starts inside it (or at its own start).
  std::vector<int64_t> moments{candidate.WindowStart()};
  for (const Recording& r : list) {
    if (Pending(r) && r.WindowStart() > candidate.WindowStart() && r.WindowStart() < candidate.WindowEnd())
      moments.push_back(r.WindowStart());
  }
  for (const int64_t t : moments) {
    int atOnce = 1;
    for (const Recording& r : list) atOnce += Pending(r) && r.WindowStart() <= t && t < r.WindowEnd();
    if (atOnce > slots) return false;
  }
  return true;
}

int ExpandEveryAiring(std::vector<Recording>& list, const std::u16string& streamId, const std::vector<EpgEntry>& rows,
                      int64_t now, std::string (*newId)()) {
  int added = 0;
  const size_t rules = list.size();  // copies added below are no rules
  for (size_t i = 0; i < rules; ++i) {
    if (!list[i].everyAiring || list[i].streamId != streamId || list[i].state == RecordingState::Cancelled) continue;
    for (const EpgEntry& row : rows) {
      if (row.title != list[i].title || row.start <= now || row.durationMin <= 0) continue;
      if (Holds(list, streamId, row.start, row.title)) continue;
      Recording copy = list[i];
      copy.id = newId();
      copy.everyAiring = false;
      copy.start = row.start;
      copy.end = row.start + int64_t(row.durationMin) * 60;
      copy.state = RecordingState::Scheduled;
      copy.file.clear();
      copy.writtenFrom = copy.writtenTo = copy.bytes = 0;
      list.push_back(std::move(copy));
      ++added;
    }
  }
  return added;
}

std::vector<size_t> DueReminders(const std::vector<Reminder>& list, int64_t now) {
  std::vector<size_t> due;
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].start <= now && now < list[i].end) due.push_back(i);
  }
  return due;
}

int DropEndedReminders(std::vector<Reminder>& list, int64_t now) {
  return int(std::erase_if(list, [now](const Reminder& r) { return r.end <= now; }));
}

bool ToggleReminder(std::vector<Reminder>& list, const Reminder& reminder) {
  const auto same = [&](const Reminder& r) {
    return r.streamId == reminder.streamId && r.start == reminder.start && r.title == reminder.title;
  };
  if (std::erase_if(list, same) > 0) return false;
  list.push_back(reminder);
  return true;
}

std::u16string RecordingFileName(std::u16string_view channel, std::u16string_view title, int year, int month, int day,
                                 int hour, int minute) {
  char when[32];
  std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d%02d", year, month, day, hour, minute);
  std::u16string name = CleanPart(channel);
  if (name.empty()) name.push_back(u'_');  // a nameless channel still names a file
  const std::u16string cleanTitle = CleanPart(title);
  if (!cleanTitle.empty()) name.append(u" - ").append(cleanTitle);
  name += u" - ";
  for (const char* c = when; *c; ++c) name += char16_t(*c);
  name += u".ts";
  return name;
}

bool ChannelRecording(const std::vector<Recording>& list, std::u16string_view streamId) {
  return std::any_of(list.begin(), list.end(), [&](const Recording& r) {
    return r.state == RecordingState::Recording && r.streamId == streamId;
  });
}

ProgrammeMark MarkOf(const RecordingsFile& file, std::u16string_view streamId, int64_t start,
                     std::u16string_view title) {
  for (const Recording& r : file.recordings) {
    if (!Pending(r) || r.streamId != streamId || r.start != start || r.title != title) continue;
    return r.state == RecordingState::Recording ? ProgrammeMark::Recording : ProgrammeMark::Scheduled;
  }
  const bool reminded = std::any_of(file.reminders.begin(), file.reminders.end(), [&](const Reminder& r) {
    return r.streamId == streamId && r.start == start && r.title == title;
  });
  return reminded ? ProgrammeMark::Reminder : ProgrammeMark::None;
}

std::u16string RecordingLabel(const Recording& r) {
  return r.title.empty() ? r.channelName : r.channelName + u" \u2013 " + r.title;
}
