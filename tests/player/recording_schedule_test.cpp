// The states of a recording over time, with the time passed in.
#include "player/recording_schedule.h"

#include <gtest/gtest.h>

namespace {

constexpr int64_t kT = 1'800'000'000;  // a programme from kT to kT + 3600

Recording At(RecordingState state, int64_t start = kT, int64_t end = kT + 3600) {
  Recording r;
  r.id = "r" + std::to_string(start);
  r.streamId = u"101";
  r.title = u"News";
  r.start = start;
  r.end = end;
  r.state = state;
  return r;
}

std::string NextId() {
  static int n = 0;
  return "n" + std::to_string(++n);
}

}  // namespace

TEST(RecordingSchedule, AStartSettlesWhatHappenedWhileTheProgramWasNotRunning) {
  std::vector<Recording> list{At(RecordingState::Scheduled), At(RecordingState::Scheduled, kT + 7200, kT + 9000),
                              At(RecordingState::Recording), At(RecordingState::Recording), At(RecordingState::Done)};
  list[3].bytes = 10;
  const int64_t now = kT + 3600 + 300;  // the first window just closed
  EXPECT_EQ(SettleAtStart(list, now), 3);
  EXPECT_EQ(list[0].state, RecordingState::Missed);
  EXPECT_EQ(list[1].state, RecordingState::Scheduled);
  EXPECT_EQ(list[2].state, RecordingState::Failed);
  EXPECT_EQ(list[3].state, RecordingState::Partial);
  EXPECT_EQ(list[4].state, RecordingState::Done);

  std::vector<Recording> open{At(RecordingState::Scheduled)};
  SettleAtStart(open, kT + 600);
  EXPECT_EQ(DueToStart(open, kT + 600), std::vector<size_t>{0}) << "a window still open starts late";
}

TEST(RecordingSchedule, TheWindowWithItsPaddingStartsAndStopsItAndTheWrittenSpanDecidesTheEnd) {
  std::vector<Recording> list{At(RecordingState::Scheduled)};
  EXPECT_TRUE(DueToStart(list, kT - 61).empty());
  EXPECT_EQ(DueToStart(list, kT - 60).size(), 1u) << "a minute before";
  list[0].state = RecordingState::Recording;
  list[0].writtenFrom = kT - 55;
  EXPECT_TRUE(DueToStop(list, kT + 3600 + 299).empty());
  EXPECT_EQ(DueToStop(list, kT + 3600 + 300).size(), 1u) << "five minutes after";

  Recording whole = list[0], broke = list[0], late = list[0], empty = list[0], stopped = list[0];
  FinishRecording(whole, StopCause::WindowEnded, kT + 3900, 1000);
  EXPECT_EQ(whole.state, RecordingState::Done);
  FinishRecording(broke, StopCause::StreamBroke, kT + 1800, 1000);
  EXPECT_EQ(broke.state, RecordingState::Partial);
  EXPECT_EQ(MissingSeconds(broke), 2100);
  late.writtenFrom = kT + 120;
  FinishRecording(late, StopCause::WindowEnded, kT + 3900, 1000);
  EXPECT_EQ(late.state, RecordingState::Partial);
  EXPECT_EQ(MissingSeconds(late), 180);
  FinishRecording(empty, StopCause::WindowEnded, kT + 3900, 0);
  EXPECT_EQ(empty.state, RecordingState::Failed);
  FinishRecording(stopped, StopCause::User, kT + 600, 1000);
  EXPECT_EQ(stopped.state, RecordingState::Done) << "the user chose where it ends";
}

TEST(RecordingSchedule, TheBudgetCountsPaddedWindowsOfWhatIsPending) {
  const std::vector<Recording> list{At(RecordingState::Scheduled), At(RecordingState::Recording, kT + 1800, kT + 5400),
                                    At(RecordingState::Done, kT, kT + 9000)};
  EXPECT_TRUE(FitsBudget(list, At(RecordingState::Scheduled, kT + 1000, kT + 1200), 3));
  EXPECT_FALSE(FitsBudget(list, At(RecordingState::Scheduled, kT + 2000, kT + 2400), 2)) << "both run then";
  EXPECT_TRUE(FitsBudget(list, At(RecordingState::Scheduled, kT - 1200, kT - 400), 1));
  EXPECT_FALSE(FitsBudget(list, At(RecordingState::Scheduled, kT - 1200, kT - 30), 1)) << "the padding overlaps";
  EXPECT_TRUE(FitsBudget(list, At(RecordingState::Scheduled, kT + 9000, kT + 9600), 1)) << "done ones hold no slot";
  EXPECT_TRUE(FitsBudget(list, At(RecordingState::Scheduled), 0)) << "no limit";
}

TEST(RecordingSchedule, ARuleSchedulesEveryComingAiringOfItsTitleOnce) {
  std::vector<Recording> list{At(RecordingState::Done)};
  list[0].everyAiring = true;
  const std::vector<EpgEntry> rows{{u"", u"News", kT - 86400, 60, u""},
                                   {u"", u"Sport", kT + 86400 - 3600, 60, u""},
                                   {u"", u"News", kT + 86400, 60, u""},
                                   {u"", u"News", kT + 2 * 86400, 30, u""}};
  EXPECT_EQ(ExpandEveryAiring(list, u"101", rows, kT + 3600, NextId), 2);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[2].end - list[2].start, 1800);
  EXPECT_FALSE(list[1].everyAiring);
  EXPECT_EQ(ExpandEveryAiring(list, u"101", rows, kT + 3600, NextId), 0) << "each airing once";
  EXPECT_EQ(ExpandEveryAiring(list, u"102", rows, kT + 3600, NextId), 0) << "its own channel only";
  list[0].state = RecordingState::Cancelled;
  list.resize(1);
  EXPECT_EQ(ExpandEveryAiring(list, u"101", rows, kT + 3600, NextId), 0) << "a cancelled rule";
}

TEST(RecordingSchedule, RemindersComeDueWithTheirProgrammeAndAreKeyedByChannelStartAndTitle) {
  std::vector<Reminder> list;
  const Reminder news{"", u"101", u"Ch", u"News", kT, kT + 1800};
  EXPECT_TRUE(ToggleReminder(list, news));
  EXPECT_TRUE(ToggleReminder(list, {"", u"101", u"Ch", u"Sport", kT, kT + 1800}));
  Reminder refreshed = news;
  refreshed.end = kT + 3600;  // the guide was reloaded with another length
  EXPECT_FALSE(ToggleReminder(list, refreshed)) << "the same programme: removed";
  ASSERT_EQ(list.size(), 1u);
  EXPECT_TRUE(DueReminders(list, kT - 1).empty());
  EXPECT_EQ(DueReminders(list, kT).size(), 1u);
  EXPECT_EQ(DropEndedReminders(list, kT + 1799), 0);
  EXPECT_EQ(DropEndedReminders(list, kT + 1800), 1);
}

TEST(RecordingSchedule, FileNamesTakeAnyChannelAndTitle) {
  EXPECT_EQ(RecordingFileName(u"UK: BBC/One HD", u"News? \"Live\"", 2026, 12, 9, 7, 5),
            u"UK_ BBC_One HD - News_ _Live_ - 2026-12-09 0705.ts");
  EXPECT_EQ(RecordingFileName(u"Ch. ", u"", 2026, 1, 2, 23, 59), u"Ch - 2026-01-02 2359.ts");
  const std::u16string name = RecordingFileName(std::u16string(100, u'x'), u"\x01", 2026, 1, 2, 3, 4);
  EXPECT_EQ(name, std::u16string(80, u'x') + u" - _ - 2026-01-02 0304.ts");
}

TEST(RecordingSchedule, MarksFollowTheRecordingsAndRemindersOfAChannel) {
  RecordingsFile file;
  file.recordings = {At(RecordingState::Recording), At(RecordingState::Scheduled, kT + 3600, kT + 7200),
                     At(RecordingState::Done, kT + 7200, kT + 9000)};
  file.reminders.push_back(Reminder{"", u"101", u"", u"Film", kT + 9000, kT + 12600});
  EXPECT_TRUE(ChannelRecording(file.recordings, u"101"));
  EXPECT_FALSE(ChannelRecording(file.recordings, u"102"));
  EXPECT_EQ(MarkOf(file, u"101", kT, u"News"), ProgrammeMark::Recording);
  EXPECT_EQ(MarkOf(file, u"101", kT + 3600, u"News"), ProgrammeMark::Scheduled);
  EXPECT_EQ(MarkOf(file, u"101", kT + 7200, u"News"), ProgrammeMark::None) << "done: no longer to come";
  EXPECT_EQ(MarkOf(file, u"101", kT + 3600, u"Other"), ProgrammeMark::None) << "the guide changed the title";
  EXPECT_EQ(MarkOf(file, u"101", kT + 9000, u"Film"), ProgrammeMark::Reminder);
}
