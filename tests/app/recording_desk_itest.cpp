// The recording desk with real recorders against a provider on 127.0.0.1:
// what it starts and stops, the states it leaves in recordings.json, the
// line's budget, and the reminders it posts.
#include "app/recording_desk.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "catalog/account.h"
#include "i18n/translate.h"
#include "net/text.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "tests/fixtures/scripted_server.h"
#include "tests/fixtures/temp_data_home.h"
#include "tests/fixtures/temp_folder.h"

namespace {

using namespace std::chrono_literals;

CatalogItem Channel(std::u16string_view id, std::u16string_view name) {
  CatalogItem::Fields fields;
  fields.id = id;
  fields.name = name;
  return CatalogItem(ItemKind::Live, fields, 0);
}

class RecordingDeskTest : public ::testing::Test {
 protected:
  // Channel "cut" sends a little and closes; every other one sends until
  // the client goes. `open` counts the streams being sent.
  RecordingDeskTest()
      : server_([this](ScriptedServer::Connection& c) {
          ++open_;
          peak_ = std::max(peak_.load(), open_.load());
          const bool cut = c.head.find("/cut.ts") != std::string::npos;
          if (c.Write(Scripted::Head(""))) {
            const std::string piece(4096, '\x47');
            for (int n = 0; c.Write(piece) && c.Pause(20ms) && !(cut && ++n == 40);) {
            }
          }
          --open_;
        }) {
    state_.account = DeriveXtreamSource(Utf8ToWide(server_.BaseUrl() + "/get.php?username=u&password=p"));
    state_.preferences.recordingsFolder = PathUtf8(folder_.Path() / "Récordings #1");
    state_.connections.SetLimitSource([this] { return std::optional<int32_t>(limit_); });
  }

  // Ticks (as the application does, once per call) until `done` or 20 s.
  template <class Done>
  bool TickUntil(Done done, int64_t now = 0) {
    const uint64_t until = TickMs() + 20000;
    while (TickMs() < until) {
      desk_.Tick(now ? now : NowUnix());
      if (done()) return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }

  const Recording& Only() const { return state_.recordings.recordings.at(0); }

  TempDataHome home_;
  TempFolder folder_;
  std::atomic<int> open_ = 0, peak_ = 0;
  ScriptedServer server_;
  AppState state_;
  int32_t limit_ = 1;
  RecordingDesk desk_{state_, {}};
};

}  // namespace

TEST_F(RecordingDeskTest, RecordNowWritesUntilStoppedOrTheDiskFillsAndHoldsASlotUntilTheStreamCloses) {
  const int64_t now = NowUnix();
  state_.guide.Fill(u"7", {EpgEntry{u"", u"Late News", now - 600, 30, u""}}, GuideOrigin::ShortGuide, now);
  desk_.ToggleRecordNow(Channel(u"7", u"News / 24"));
  ASSERT_EQ(state_.recordings.recordings.size(), 1u);
  EXPECT_EQ(Only().state, RecordingState::Recording);
  EXPECT_EQ(MarkOf(state_.recordings, u"7", now - 600, u"Late News"), ProgrammeMark::Recording)
      << "the programme on now is the one recorded";
  EXPECT_EQ(Only().WindowEnd(), now - 600 + 1800 + 300) << "until it ends, and the padding after";
  EXPECT_EQ(state_.connections.Held(), 1);
  ASSERT_TRUE(TickUntil([&] { return Only().bytes > 32 * 1024; })) << "nothing written";
  EXPECT_NE(Only().file.find("News _ 24 - Late News"), std::string::npos) << "no slash in a name: " << Only().file;

  // At a limit of one the line is full: another channel opens nothing.
  desk_.ToggleRecordNow(Channel(u"8", u"Sport"));
  EXPECT_EQ(state_.recordings.recordings.size(), 1u);
  EXPECT_FALSE(state_.toast.text.empty()) << "the refusal says so";
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(peak_.load(), 1);

  desk_.ToggleRecordNow(Channel(u"7", u"News / 24"));  // again: stop
  EXPECT_EQ(Only().state, RecordingState::Done);

  // A disk nearly full stops what records on it, with what was written kept.
  limit_ = 2;
  desk_.ToggleRecordNow(Channel(u"9", u"Nine"));
  ASSERT_EQ(state_.recordings.recordings.size(), 2u);
  ASSERT_TRUE(TickUntil([&] { return state_.recordings.recordings[1].bytes > 0; }));
  desk_.SetKeepFree(UINT64_MAX);
  desk_.Tick(NowUnix());
  EXPECT_EQ(state_.recordings.recordings[1].state, RecordingState::Partial);
  EXPECT_EQ(state_.toast.text, Translate("rec_disk_full"));
  ASSERT_TRUE(TickUntil([&] { return state_.connections.Held() == 0; })) << "the slots come back once closed";
  EXPECT_TRUE(TickUntil([&] { return open_ == 0; }));
  EXPECT_EQ(LoadRecordings(), state_.recordings) << "every change is saved";
  EXPECT_EQ(std::filesystem::file_size(Utf8Path(Only().file)), uint64_t(Only().bytes));
}

TEST_F(RecordingDeskTest, AScheduledWindowStartsOnTimeAndACutStreamEndsPartial) {
  limit_ = 2;
  const int64_t now = NowUnix();
  EpgEntry soon{u"", u"Film", now + 60, 30, u""};
  desk_.ToggleSchedule(Channel(u"7", u"News"), soon, false);
  ASSERT_EQ(state_.recordings.recordings.size(), 1u);
  EXPECT_EQ(Only().WindowStart(), now) << "a minute before by default";
  EXPECT_EQ(Only().WindowEnd(), now + 60 + 1800 + 300) << "five minutes after";
  // A third recording at once would go over two slots: refused when made.
  desk_.ToggleSchedule(Channel(u"cut", u"Cut"), soon, false);
  desk_.ToggleSchedule(Channel(u"9", u"Other"), soon, false);
  EXPECT_EQ(state_.recordings.recordings.size(), 2u);

  desk_.Tick(now - 1);
  EXPECT_EQ(Only().state, RecordingState::Scheduled) << "not before its window";
  ASSERT_TRUE(TickUntil([&] { return state_.recordings.recordings[1].state == RecordingState::Partial; }, now))
      << "the cut stream ends partial";
  EXPECT_GT(MissingSeconds(state_.recordings.recordings[1]), 1800);
  EXPECT_EQ(Only().state, RecordingState::Recording);
  desk_.ToggleSchedule(Channel(u"7", u"News"), soon, false);
  EXPECT_EQ(Only().state, RecordingState::Done) << "asked again while it records: it stops";
  EXPECT_EQ(state_.recordings.recordings.size(), 2u) << "and no second copy is scheduled";
  EXPECT_TRUE(TickUntil([&] { return state_.connections.Held() == 0 && open_ == 0; }));
}

TEST_F(RecordingDeskTest, AStartSettlesWhatWasDueWhileClosedAndRemindersArePosted) {
  const int64_t now = NowUnix();
  RecordingsFile file;
  Recording missed;
  missed.id = "m";
  missed.account = AccountKey(state_.account);
  missed.streamId = std::u16string(u"7");
  missed.start = now - 7200;
  missed.end = now - 3600;
  Recording later = missed;
  later.id = "l";
  later.start = now + 3600;
  later.end = now + 7200;
  file.recordings = {missed, later};
  file.reminders = {Reminder{"", u"7", u"News", u"Now on", now - 10, now + 600},
                    Reminder{"", u"7", u"News", u"Over", now - 7200, now - 3600}};
  ASSERT_TRUE(SaveRecordings(file));

  desk_.Load(now);
  EXPECT_EQ(Only().state, RecordingState::Missed);
  EXPECT_EQ(state_.recordings.recordings[1].state, RecordingState::Scheduled);
  EXPECT_EQ(state_.recordings.reminders.size(), 1u) << "one whose programme ended is no question";
  EXPECT_EQ(LoadRecordings().recordings[0].state, RecordingState::Missed) << "saved at once";

  desk_.Tick(now);
  ASSERT_EQ(state_.RemindersToAsk.size(), 1u);
  EXPECT_EQ(state_.RemindersToAsk[0].title, u"Now on");
  EXPECT_TRUE(state_.recordings.reminders.empty()) << "asked once";
  EXPECT_EQ(open_.load(), 0) << "nothing due was started";
}
