// recordings.json: what is saved reads back the same, however ugly the
// names, and an entry that cannot be read costs only itself.
#include "store/recordings.h"

#include <gtest/gtest.h>

#include "tests/fixtures/temp_data_home.h"

namespace {

Recording Ugly() {
  Recording r;
  r.id = "r1";
  r.account = "http://host:8080/get.php?username=a&password=p#1";
  r.streamId = u"101";
  r.channelName = u"UK | BBC \"One\" ᴴᴰ \\ " + std::u16string(80, u'x');
  r.title = u"News\nat Ten\t#1 – Éire";
  r.start = 1'800'000'000;
  r.end = r.start + 1800;
  r.state = RecordingState::Partial;
  r.file = "/home/u/Videos/Vistra/UK _ BBC.ts";
  r.writtenFrom = r.start - 60;
  r.writtenTo = r.start + 900;
  r.bytes = 123'456'789'012;
  r.resumeMs = 61'000;
  return r;
}

}  // namespace

TEST(RecordingsFile, WhatIsSavedReadsBackTheSame) {
  TempDataHome home;
  Recording rule = Ugly();
  rule.id = "r2";
  rule.everyAiring = true;
  rule.state = RecordingState::Scheduled;
  const Reminder reminder{"acc", u"7", u"Ch \"7\"", u"Film\\Night", 1'800'000'000, 1'800'007'200};
  const RecordingsFile file{{Ugly(), rule}, {reminder}};
  ASSERT_TRUE(SaveRecordings(file));
  EXPECT_EQ(LoadRecordings(), file);
  ASSERT_TRUE(SaveRecordings({}));
  EXPECT_EQ(LoadRecordings(), RecordingsFile{});
}

TEST(RecordingsFile, AnUnreadableEntryIsSkippedAndTheRestRead) {
  std::string text = SerializeRecordings({{Ugly()}, {}});
  const std::string good = text.substr(text.find("{\"id\""), text.rfind('}', text.rfind(']')) - text.find("{\"id\"") + 1);
  auto with = [&](std::string from, std::string to) {
    std::string entry = good;
    entry.replace(entry.find(from), from.size(), to);
    return entry;
  };
  const std::string file = "{\"recordings\": [" + with("\"state\": \"partial\"", "\"state\": \"paused\"") + "," +
                           with("\"id\": \"r1\"", "\"id\": \"\"") + "," + with("\"end\": 1800001800", "\"end\": 1") +
                           "," + with("\"bytes\": 123456789012", "\"bytes\": \"x\"") + "]}";
  const std::vector<Recording> read = ParseRecordings(file).recordings;
  ASSERT_EQ(read.size(), 1u) << "unknown state, no id and an empty window are skipped";
  EXPECT_EQ(read[0].bytes, 0) << "an unreadable number keeps its default";
  EXPECT_EQ(read[0].title, Ugly().title);
  EXPECT_EQ(ParseRecordings("<html>"), RecordingsFile{});
}
