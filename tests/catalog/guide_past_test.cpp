// Past programmes kept for catch-up: what ended stays playable after the
// provider stops listing it and after a restart, within the archive's
// reach and the byte budget; a file that is not whole gives nothing.
#include "catalog/guide_past.h"

#include <gtest/gtest.h>

#include "catalog/guide_past_file.h"
#include "net/text.h"
#include "store/file_io.h"
#include "store/gzip.h"
#include "tests/fixtures/temp_data_home.h"

namespace {

constexpr int64_t kNow = 1'800'000'000;  // 2027-01-15 08:00 UTC
constexpr int64_t kHour = 3600, kDay = 86400;

EpgEntry Row(int64_t start, int32_t minutes, std::u16string title, std::u16string description = {}) {
  return EpgEntry{u"", std::move(title), start, minutes, std::move(description)};
}

std::vector<std::u16string> Titles(const std::vector<EpgEntry>& rows) {
  std::vector<std::u16string> titles;
  for (const EpgEntry& r : rows) titles.push_back(r.title);
  return titles;
}

XtreamAccount Account(std::u16string user) { return XtreamAccount{u"http://host:8080", std::move(user), u"pw", true}; }

}  // namespace

TEST(PastListings, WhatEndedPlaysAfterARestartThroughTheFile) {
  TempDataHome home;
  TimeZoneGuard zone("UTC0");
  const std::u16string ugly = u"Nachrichten\t\\n \"Éire\"\nᴴᴰ";
  PastListings past;
  past.Remember(u"7", {Row(kNow - 3 * kHour, 60, u"Morning"), Row(kNow - 2 * kHour, 60, ugly, u"line\r\nnext\\"),
                       Row(kNow - 30 * 60, 60, u"Running"), Row(kNow + kHour, 60, u"Later"), Row(0, 60, u"Untimed")},
                7, kNow);
  EXPECT_EQ(past.Programmes(), 3u);
  EXPECT_TRUE(past.Dirty());
  const XtreamAccount account = Account(u"me");
  ASSERT_TRUE(WritePastListingsFile(PastListingsPath(account), PastListingsText(past, PastAccountKey(account))));

  // The next start, in another time zone: the provider lists only what is
  // on now, no longer what was running then; the kept ones come first,
  // shown in local time.
  TimeZoneGuard::Use("XYZ-2");
  const int64_t later = kNow + 90 * 60;
  PastListings loaded = LoadPastListings(account, later);
  EXPECT_FALSE(loaded.Dirty());
  // What was remembered while the file was read joins in and wins.
  PastListings meanwhile;
  meanwhile.Remember(u"7", {Row(kNow - 3 * kHour, 60, u"Morning news")}, 7, later);
  loaded.Include(meanwhile, later);
  EXPECT_TRUE(loaded.Dirty());
  const std::vector<EpgEntry> rows = loaded.Complete(u"7", {Row(kNow + kHour, 60, u"Later")}, 7, later);
  EXPECT_EQ(Titles(rows), (std::vector<std::u16string>{u"Morning news", ugly, u"Running", u"Later"}));
  EXPECT_EQ(rows[1].description, u"line\r\nnext\\");
  EXPECT_EQ(rows[0].time, u"07:00");  // 05:00 UTC
  EXPECT_EQ(RowsForDay(rows, 0, later).size(), 4u);

  // Another account's file, or another user of the same server, is not read.
  EXPECT_EQ(LoadPastListings(Account(u"other"), kNow).Channels(), 0u);
  EXPECT_EQ(ParsePastListingsFile(*ReadWholeFile(PastListingsPath(account)), PastAccountKey(Account(u"other")), kNow)
                .Channels(),
            0u);
}

TEST(PastListings, KeptAsFarAsTheArchiveReaches) {
  EXPECT_EQ(PastArchiveDays(1, 0), kPastDefaultArchiveDays);
  EXPECT_EQ(PastArchiveDays(1, 3), 3);
  EXPECT_EQ(PastArchiveDays(0, 0), 0);
  PastListings past;
  past.Remember(u"1", {Row(kNow - 8 * kDay, 60, u"Gone"), Row(kNow - 6 * kDay, 60, u"Six"), Row(kNow - kDay, 60, u"One"),
                       Row(kNow - 3 * kDay, 25 * 60, u"No information")},
                PastArchiveDays(1, 0), kNow);
  EXPECT_EQ(Titles(past.Complete(u"1", {}, 7, kNow)), (std::vector<std::u16string>{u"Six", u"One"}));
  // A shorter archive shows less at once; two days on, "Six" has gone.
  EXPECT_EQ(Titles(past.Complete(u"1", {}, 2, kNow)), (std::vector<std::u16string>{u"One"}));
  past.MarkSaved();
  past.Prune(kNow + 2 * kDay);
  EXPECT_TRUE(past.Dirty());
  EXPECT_EQ(Titles(past.Complete(u"1", {}, 7, kNow + 2 * kDay)), (std::vector<std::u16string>{u"One"}));
  // A channel that lost its archive keeps and shows nothing.
  EXPECT_TRUE(past.Complete(u"1", {}, 0, kNow).empty());
  past.Remember(u"1", {}, 0, kNow);
  past.Remember(u"2", {Row(kNow - kDay, 60, u"No archive")}, 0, kNow);
  EXPECT_EQ(past.Channels(), 0u);
  EXPECT_EQ(past.Bytes(), 0u);
}

TEST(PastListings, LaterAnswersCorrectWhatIsKeptAndAnswersWin) {
  PastListings past;
  const int64_t t = kNow - 6 * kHour;
  past.Remember(u"5", {Row(t, 60, u"Old title"), Row(t + kHour, 30, u"A"), Row(t + 90 * 60, 30, u"B"),
                       Row(t + 2 * kHour, 60, u"Kept")},
                7, kNow);
  past.MarkSaved();
  past.Remember(u"5", {Row(t + 2 * kHour, 60, u"Kept")}, 7, kNow);
  EXPECT_FALSE(past.Dirty()) << "the same answer again changes nothing";
  // The same start with a new title (listed twice: the last one counts),
  // and a film where A and B were.
  past.Remember(u"5", {Row(t, 60, u"Draft"), Row(t + kHour, 60, u"Film"), Row(t, 60, u"New title")}, 7, kNow);
  EXPECT_TRUE(past.Dirty());
  EXPECT_EQ(Titles(past.Complete(u"5", {}, 7, kNow)), (std::vector<std::u16string>{u"New title", u"Film", u"Kept"}));

  // The answer's rows stay as sent; a kept one is added only where the
  // answer has nothing (an overlap of one minute counts).
  const std::vector<EpgEntry> answer = {Row(kNow, 60, u"Now"), Row(t + kHour + 59 * 60, 1, u"Answer's")};
  EXPECT_EQ(Titles(past.Complete(u"5", answer, 7, kNow)),
            (std::vector<std::u16string>{u"New title", u"Answer's", u"Kept", u"Now"}));
  const std::vector<EpgEntry> covering = {Row(kNow, 60, u"Now"), Row(t, 6 * 60, u"Marathon"), Row(0, 0, u"?")};
  EXPECT_EQ(past.Complete(u"5", covering, 7, kNow), covering);
}

TEST(PastListings, OverTheBudgetTheOldestGoFirst) {
  // Each description distinct and 800 bytes of UTF-8 before it is cut.
  const auto description = [](int i) { return u"#" + AsciiToWide(std::to_string(i)) + std::u16string(400, u'é'); };
  PastListings past(20'000);
  std::vector<EpgEntry> older, newer;
  for (int i = 0; i < 40; ++i) {
    older.push_back(Row(kNow - 6 * kDay + i * kHour, 60, u"Old", description(i)));
    newer.push_back(Row(kNow - 2 * kDay + i * kHour, 60, u"New", description(i)));
  }
  past.Remember(u"old", older, 7, kNow);
  past.Remember(u"new", newer, 7, kNow);
  EXPECT_LE(past.Bytes(), 20'000u);
  const std::vector<EpgEntry> keptOld = past.Complete(u"old", {}, 7, kNow);
  ASSERT_FALSE(keptOld.empty());
  EXPECT_LT(keptOld.size(), older.size());
  EXPECT_EQ(keptOld.back().start, older.back().start) << "the old channel's newest rows stay";
  const std::vector<EpgEntry> keptNew = past.Complete(u"new", {}, 7, kNow);
  ASSERT_EQ(keptNew.size(), newer.size()) << "the newer channel lost rows while older ones were left";
  // Cut to the limit, never inside a character: 3 + 148 * 2 bytes.
  EXPECT_EQ(keptNew[10].description, u"#10" + std::u16string(148, u'é'));
}

TEST(PastListingsFile, DamagedForeignOrCutFilesGiveNothingAndBadLinesOnlyThemselves) {
  const std::string key = PastAccountKey(Account(u"me"));
  PastListings past;
  past.Remember(u"9", {Row(kNow - 2 * kHour, 60, u"One"), Row(kNow - kHour, 60, u"Two")}, 7, kNow);
  const std::string text = PastListingsText(past, key);
  const std::string file = *GzipBytes(text);
  ASSERT_EQ(ParsePastListingsFile(file, key, kNow).Programmes(), 2u);

  std::string flipped = file;
  flipped[flipped.size() / 2] ^= 0x20;
  for (const std::string& bad : {file.substr(0, file.size() - 5), flipped, text, file + "x", *GzipBytes("<html>"),
                                 std::string()}) {
    EXPECT_EQ(ParsePastListingsFile(bad, key, kNow).Channels(), 0u);
  }
  const std::string edited = text + "P\tnot a time\t60\tBad\t\nX\tjunk\nC\t7\t\nP\t1799990000\t60\tOrphan\t\n" +
                             "C\tseven\t10\nP\t1799990000\t60\tNo days\t\n";
  const PastListings read = ReadPastListingsText(edited, key, kNow);
  EXPECT_EQ(read.Channels(), 1u);
  EXPECT_EQ(Titles(read.Complete(u"9", {}, 7, kNow)), (std::vector<std::u16string>{u"One", u"Two"}));
}
