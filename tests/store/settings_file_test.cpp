#include "store/settings_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "store/file_io.h"
#include "tests/fixtures/temp_data_home.h"

namespace {

// The defaults, written out by hand member by member.
constexpr std::string_view kDefaultsFile =
    R"({"PlaylistUrl":"","IsGrid":true,"LiveFormat":"ts","LiveSort":0,"VodSort":0,"TimeFormat":0,)"
    R"("ParentalPin":"8391","ParentalOn":false,"Volume":80,"DashColor":0,"Lang":"en","AutoHours":0,)"
    R"("DeviceType":"TV","ExternalPlayer":"","InternalPlayer":0,"PipSize":1,"PipPos":0,"SubSize":1,)"
    R"("SubColor":0,"ExternalKind":0,"SubVisible":true,"HideLive":[],"HideVod":[],"HideSeries":[],)"
    R"("FavLive":[],"FavVod":[],"FavSeries":[],"LockLive":[],"LockCh":[],"HistoryLive":[],)"
    R"("HistoryMovies":[],"HistorySeries":[],"Extra":[],"Groups":[],"ResumeMs":{},"InboxSeenId":""})";

Settings Parsed(std::string_view text) {
  Settings settings;
  ParseSettingsText(text, settings);
  return settings;
}

// A record with every field away from its default, awkward characters in
// every kind of text, and the three members that are never read back at 0.
Settings Unusual() {
  Settings s;
  s.PlaylistUrl = u"http://h\u00e9.example:8080/get.php?username=u&password=p\"\\";
  s.IsGrid = false;
  s.LiveFormat = u"m3u8";
  s.VodSort = 2;
  s.TimeFormat = 1;
  s.ParentalPin = u"0000";
  s.ParentalOn = true;
  s.Volume = 35;
  s.DashColor = 7;
  s.Lang = u"\u0639\u0631";
  s.AutoHours = 48;
  s.DeviceType = u"Stick";
  s.InternalPlayer = 1;
  s.PipSize = 0;
  s.PipPos = 1;
  s.SubSize = 2;
  s.SubColor = -3;
  s.SubVisible = false;
  s.HideLive = {u"7", u"[x]"};
  s.HideVod = {u""};
  s.HideSeries = {u"s,1", u"}{"};
  s.FavLive = {u"a\"b", u"c\\d", u"\U0001F600", u"ResumeMs", u"C:\\tv\\", u"\\\""};
  s.FavVod = {u"InboxSeenId", u"Lang"};
  s.FavSeries = {u"9"};
  s.LockLive = {u"adult"};
  s.LockCh = {u"1", u"2"};
  s.HistoryLive = {u"1", u"1", u"2"};
  s.HistoryMovies = {u"m"};
  s.HistorySeries = {u"\u00fc"};
  s.Extra = {{u"Home {\"main\"}", u"http://x/get.php?a=1]"}, {u"", u"http://y"}};
  s.Groups = {{u"Sports [HD] {1}", {u"10", u"1]1"}}, {u"Empty", {}}, {u"Kids }", {u"\\"}}};
  s.ResumeMs = {{u"123", 60000}, {u"a\"b:c,d}", 20000}, {u"back\\slash", 5}, {u"InboxSeenId", 7}};
  s.InboxSeenId = u"msg-\u4e2d";
  return s;
}

}  // namespace

TEST(SettingsFile, DefaultsAndValueFormsWriteTheExactBytes) {
  Settings s;
  s.VodSort = -12;
  s.FavLive = {u"1", u"q\"\\"};
  s.Extra = {{u"n", u"u"}};
  s.Groups = {{u"g", {u"1", u"2"}}, {u"h", {}}};
  s.ResumeMs = {{u"b", 6}, {u"a", 5}};
  const std::string line = SerializeSettings(s);
  EXPECT_NE(line.find(R"(,"VodSort":-12,)"), std::string::npos);
  EXPECT_NE(line.find(R"(,"FavLive":["1","q\"\\"],)"), std::string::npos);
  EXPECT_NE(line.find(R"(,"Extra":[{"name":"n","url":"u"}],)"), std::string::npos);
  EXPECT_NE(line.find(R"(,"Groups":[{"name":"g","ids":["1","2"]},{"name":"h","ids":[]}],)"), std::string::npos);
  EXPECT_NE(line.find(R"(,"ResumeMs":{"a":5,"b":6},"InboxSeenId":""})"), std::string::npos);

  EXPECT_EQ(SerializeSettings(Settings{}), kDefaultsFile);
}

TEST(SettingsFile, FirstRunLoadsDefaultsAndEachSaveWritesTheWholeLine) {
  TempDataHome home;
  Settings s;
  LoadSettings(s);
  EXPECT_EQ(s, Settings{});
  EXPECT_TRUE(std::filesystem::is_directory(home.Folder()));  // the path creates the folder
  ASSERT_TRUE(SaveSettings(s));
  EXPECT_EQ(ReadWholeFile(home.Folder() / "settings.json"), std::string(kDefaultsFile));

  // Each save replaces the file whole and leaves nothing beside it.
  for (int i = 0; i < 3; ++i) {
    s.Volume = 10 + i;
    ASSERT_TRUE(SaveSettings(s));
  }
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(home.Folder())) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"settings.json"});
  Settings loaded;
  LoadSettings(loaded);
  EXPECT_EQ(loaded.Volume, 12);
}

TEST(SettingsFile, EveryFieldRoundTripsExceptTheUnreadOnes) {
  TempDataHome home;
  Settings written = Unusual();
  written.LiveSort = 3;
  written.ExternalKind = 1;
  written.ExternalPlayer = u"/usr/bin/vlc";
  ASSERT_TRUE(SaveSettings(written));

  Settings loaded;
  LoadSettings(loaded);
  // Empty names in added playlists and in ids are kept; only the rules
  // that drop entries (empty url, empty group name, position < 1) apply.
  const Settings expected = Unusual();
  EXPECT_EQ(loaded, expected);
  EXPECT_EQ(loaded.LiveSort, 0);
  EXPECT_EQ(loaded.ExternalKind, 0);
  EXPECT_EQ(loaded.ExternalPlayer, u"");

  // Saving what was loaded changes nothing: keys with backslashes do not
  // gain a backslash per save.
  EXPECT_EQ(SerializeSettings(loaded), SerializeSettings(expected));
}

TEST(SettingsFile, UnreadAndDefaultKeepingRulesAndNumbersReadLikeTheCLibrary) {
  Settings start;
  start.PipSize = 2;
  start.SubVisible = true;
  const Settings s = [&] {
    Settings t = start;
    ParseSettingsText(
        R"({"LiveSort":2,"ExternalKind":1,"ExternalPlayer":"/usr/bin/vlc","Volume":0,"SubSize":0,)"
        R"("IsGrid": false,"ParentalOn": true,"SubVisible": false,"LiveFormat":"","Lang":"","DeviceType":""})",
        t);
    return t;
  }();
  EXPECT_EQ(s.LiveSort, 0);
  EXPECT_EQ(s.ExternalKind, 0);
  EXPECT_EQ(s.ExternalPlayer, u"");
  EXPECT_EQ(s.Volume, 80);
  EXPECT_EQ(s.SubSize, 1);
  EXPECT_TRUE(s.IsGrid);       // only the exact text without a space counts
  EXPECT_FALSE(s.ParentalOn);  // likewise
  EXPECT_TRUE(s.SubVisible);
  EXPECT_EQ(s.PipSize, 1);  // absent: 1, whatever the record held
  EXPECT_EQ(s.LiveFormat, u"ts");
  EXPECT_EQ(s.Lang, u"en");
  EXPECT_EQ(s.DeviceType, u"TV");

  Settings keeps;
  keeps.SubVisible = false;
  ParseSettingsText(R"({"SubVisible":true})", keeps);
  EXPECT_FALSE(keeps.SubVisible);  // only an exact false changes it

  EXPECT_EQ(Parsed(R"({"PipSize":2})").PipSize, 2);
  EXPECT_EQ(Parsed(R"({"PipSize":"x"})").PipSize, 0);

  // Numbers are read like the C library reads them.
  EXPECT_EQ(Parsed(R"({"VodSort": -7})").VodSort, -7);
  EXPECT_EQ(Parsed(R"({"VodSort":"12abc"})").VodSort, 12);
  EXPECT_EQ(Parsed(R"({"VodSort":abc})").VodSort, 0);
  EXPECT_EQ(Parsed(R"({"VodSort":99999999999999999999})").VodSort, INT32_MAX);
  EXPECT_EQ(Parsed(R"({"VodSort":-99999999999999999999})").VodSort, INT32_MIN);
  EXPECT_EQ(Parsed(R"({"TimeFormat":1)").TimeFormat, 1);  // cut file: read as far as it goes
}

// The scanners read what old versions wrote; a key counts only where it
// stands as a key: not a value equal to a key name, not after an escaped
// quote, not a resume key or list element spelled like a member.
TEST(SettingsFile, ValueAndListScannersReadKeysOnlyWhereTheyStand) {
  EXPECT_EQ(SettingsValue(R"({"k":   "a\"b\\c\nd"})", "k"), "a\"b\\cnd");  // no \n translation
  EXPECT_EQ(SettingsValue(R"({"k":12]})", "k"), "12");
  EXPECT_EQ(SettingsValue(R"({"k":"open)", "k"), "open");
  EXPECT_EQ(SettingsValue("{\"k\":\"end\\", "k"), "end\\");
  EXPECT_EQ(SettingsValue(R"({"k":	1})", "k"), "\t1");  // only spaces are skipped
  EXPECT_EQ(SettingsValue(R"({"k":)", "k"), "");
  EXPECT_EQ(SettingsValue(R"({"other":1})", "k"), "");

  EXPECT_EQ(SettingsValue(R"({"PlaylistUrl":"Lang","Lang":"de"})", "Lang"), "de");
  EXPECT_EQ(SettingsValue(R"({"PlaylistUrl":"x\"Lang","IsGrid":true,"Lang":"de"})", "Lang"), "de");
  EXPECT_EQ(SettingsValue(R"({"FavLive":["InboxSeenId"],"ResumeMs":{"InboxSeenId":5},"InboxSeenId":"m1"})",
                          "InboxSeenId"),
            "m1");
  EXPECT_EQ(Parsed(R"({"FavLive":["PipSize"],"ResumeMs":{"PipSize":2}})").PipSize, 1);

  EXPECT_EQ(SettingsList(R"({"L":["a","","b\"]c"],"M":["z"]})", "L"), (IdList{u"a", u"", u"b\"]c"}));
  EXPECT_EQ(SettingsList(R"({"L": ["a"]})", "L"), IdList{});  // no white space before '['
  EXPECT_EQ(SettingsList(R"({"L":["a","b)", "L"), IdList{});  // never closed
  EXPECT_EQ(SettingsList(R"({"L":[]})", "L"), IdList{});
  EXPECT_EQ(SettingsList(R"({"L":["\u00e9"]})", "L"), IdList{u"u00e9"});  // no \u translation
  EXPECT_EQ(SettingsList("{\"L\":[\"\xC3\xA9\"]}", "L"), IdList{u"\u00e9"});
}

TEST(SettingsFile, ExtraAndGroupsDropIncompleteEntriesAndKeepBracesInNames) {
  const Settings s = Parsed(
      R"({"Extra":[{"name":"A","url":"u1"},{"name":"B","url":""},{"name":"","url":"u3"},{"url":"u4"}],)"
      R"("Groups":[{"name":"","ids":["1"]},{"name":"G","ids":["2","3"]},{"name":"H"}]})");
  EXPECT_EQ(s.Extra, (std::vector<PlaylistEntry>{{u"A", u"u1"}, {u"", u"u3"}, {u"", u"u4"}}));
  EXPECT_EQ(s.Groups, (std::vector<ChannelGroup>{{u"G", {u"2", u"3"}}, {u"H", {}}}));

  const Settings braces = Parsed(
      R"({"Extra":[{"name":"x}","url":"u]"},{"name":"y","url":"v"}],)"
      R"("Groups":[{"name":"Kids {HD","ids":["1"]},{"name":"a}]b","ids":["]"]},{"name":"z","ids":[]}]})");
  EXPECT_EQ(braces.Extra, (std::vector<PlaylistEntry>{{u"x}", u"u]"}, {u"y", u"v"}}));
  EXPECT_EQ(braces.Groups,
            (std::vector<ChannelGroup>{{u"Kids {HD", {u"1"}}, {u"a}]b", {u"]"}}, {u"z", {}}}));
}

TEST(SettingsFile, ResumePositions) {
  const auto resume = SettingsResumeMs(
      R"({"ResumeMs":{"b":300,"a":0,"c":-5,"":9,"b":400,"d": 20,"e\"}:,":7,"f\\":8}})");
  EXPECT_EQ(resume, (std::map<std::u16string, int32_t>{{u"b", 400}, {u"d", 20}, {u"e\"}:,", 7}, {u"f\\", 8}}));
  EXPECT_TRUE(SettingsResumeMs(R"({"ResumeMs":{}})").empty());
  EXPECT_TRUE(SettingsResumeMs(R"({"ResumeMs": {"a":5}})").empty());
  EXPECT_EQ(SettingsResumeMs(R"({"ResumeMs":{"a":5,"b":6)").size(), 2u);  // cut file
}

TEST(SettingsFile, ConcurrentSavesLeaveOneWholeRecord) {
  TempDataHome home;
  std::vector<Settings> records(4);
  for (size_t i = 0; i < records.size(); ++i) {
    records[i].PlaylistUrl = u"http://host/" + std::u16string(i + 1, u'x');
    records[i].FavLive.assign(50 * (i + 1), std::u16string(u"id") + char16_t(u'0' + i));
    records[i].Volume = static_cast<int32_t>(i + 1);
  }
  ASSERT_TRUE(SaveSettings(records[0]));
  const auto isOneOfThem = [&](const std::string& text) {
    const Settings read = Parsed(text);
    return std::find(records.begin(), records.end(), read) != records.end();
  };

  std::atomic<bool> done{false};
  std::atomic<int> torn{0};
  // A reader sees either the old file or the new one, never a mix or a cut.
  std::thread reader([&] {
    while (!done) {
      const auto text = ReadWholeFile(SettingsPath());
      if (!text || !isOneOfThem(*text)) ++torn;
    }
  });
  std::vector<std::thread> writers;
  for (const auto& record : records) {
    writers.emplace_back([&record] {
      for (int i = 0; i < 25; ++i) SaveSettings(record);
    });
  }
  for (auto& writer : writers) writer.join();
  done = true;
  reader.join();

  EXPECT_EQ(torn, 0);
  EXPECT_TRUE(isOneOfThem(*ReadWholeFile(SettingsPath())));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home.Folder()), {}), 1);
}
