#include "panel/panel_client.h"

#include <gtest/gtest.h>

// Parsing and merging only: no request is made by these tests.

namespace {

PanelClient ClientWith(std::u16string playlistUrl = {}, std::vector<PlaylistEntry> panelLists = {}) {
  PanelState state;
  state.panelLists = std::move(panelLists);
  PanelSettings settings;
  settings.PlaylistUrl = std::move(playlistUrl);
  return PanelClient(std::move(state), std::move(settings));
}

}  // namespace

TEST(ParsePlaylistDescriptor, XtreamUrlFromServerAndCredentialsNameFromFieldsHostOrNumber) {
  EXPECT_EQ(DescriptorUrl(R"({"server":"http://h:8080/","username":"ann","password":"pw"})"),
            u"http://h:8080/get.php?username=ann&password=pw&type=m3u_plus&output=ts");
  EXPECT_EQ(DescriptorUrl(R"({"host":"http://h\\/\\","user":"ann","pass":"pw"})"),
            u"http://h/get.php?username=ann&password=pw&type=m3u_plus&output=ts");
  // A bare server address given as the URL combines with the credentials.
  EXPECT_EQ(DescriptorUrl(R"({"url":"http://h:8080","username":"ann","password":""})"),
            u"http://h:8080/get.php?username=ann&password=&type=m3u_plus&output=ts");
  // A URL that carries credentials or lacks a user is kept as it is.
  EXPECT_EQ(DescriptorUrl(R"({"url":"http://h/get.php?username=a&password=b","server":"http://x","username":"z"})"),
            u"http://h/get.php?username=a&password=b");
  EXPECT_EQ(DescriptorUrl(R"({"m3u":"http://h/list.m3u"})"), u"http://h/list.m3u");
  EXPECT_EQ(DescriptorUrl(R"({"link":"","playlistUrl":"http://p/get.php?username=u"})"), u"http://p/get.php?username=u");
  EXPECT_EQ(DescriptorUrl(R"({"server":"http://h","password":"pw"})"), u"");
  EXPECT_EQ(DescriptorUrl(R"({"url":null,"name":"x"})"), u"");

  auto titled = ParsePlaylistDescriptor(R"({"title":"","playlist_name":"Sports","dns":"d","id":3})", 0);
  ASSERT_TRUE(titled);
  EXPECT_EQ(titled->name, u"Sports");
  EXPECT_EQ(titled->url, u"");
  EXPECT_EQ(titled->id, u"3");

  auto hosted = ParsePlaylistDescriptor(R"({"url":"http://h:80/get.php?username=u&password=p"})", 4);
  ASSERT_TRUE(hosted);
  EXPECT_EQ(hosted->name, u"h");

  auto numbered = ParsePlaylistDescriptor(R"({"url":"/get.php?username=u&password=p"})", 4);
  ASSERT_TRUE(numbered);
  EXPECT_EQ(numbered->name, u"Playlist 5");

  EXPECT_FALSE(ParsePlaylistDescriptor(R"({"id":"9","label":""})", 0));
}

TEST(ParsePanelLists, ActiveIdChoosesThePlaylistAndTheAccount) {
  PanelClient client = ClientWith();
  bool changed = false;
  const std::string answer =
      R"({"activeId":7,"playlists":[{"id":7,"url":"http://h:80/get.php?username=ann&password=pw"}]})";
  EXPECT_EQ(client.ParsePanelLists(answer, &changed), 1u);
  EXPECT_TRUE(changed);
  const PanelResult result = client.Result();
  EXPECT_TRUE(result.changed);
  ASSERT_TRUE(result.panelLists);
  EXPECT_EQ(*result.panelLists, (std::vector<PlaylistEntry>{{u"h", u"http://h:80/get.php?username=ann&password=pw"}}));
  ASSERT_TRUE(result.PlaylistUrl);
  EXPECT_EQ(*result.PlaylistUrl, u"http://h:80/get.php?username=ann&password=pw");
  ASSERT_TRUE(result.Extra);
  EXPECT_TRUE(result.Extra->empty());  // the active playlist is not one of the further ones
  ASSERT_TRUE(result.account);
  EXPECT_TRUE(result.account->IsXtream);
  EXPECT_EQ(result.account->Server, u"http://h:80");
}

TEST(ParsePanelLists, WithoutActiveIdTheFirstUrlWinsAndTheRestAreExtra) {
  PanelClient client = ClientWith(u"http://old/get.php?username=o&password=o");
  const std::string answer = R"({"activeId":"none","lists":[
      {"name":"No url"},
      {"name":"A","url":"http://a/get.php?username=1&password=1","id":"1"},
      {"name":"B","m3u":"http://b/list.m3u","id":"2"}]})";
  EXPECT_EQ(client.ParsePanelLists(answer), 3u);
  EXPECT_EQ(client.CurrentSettings().PlaylistUrl, u"http://a/get.php?username=1&password=1");
  EXPECT_EQ(client.CurrentSettings().Extra, (std::vector<PlaylistEntry>{{u"B", u"http://b/list.m3u"}}));
  EXPECT_EQ(client.State().panelLists.size(), 3u);
  EXPECT_EQ(client.State().panelLists[0], (PlaylistEntry{u"No url", u""}));
}

TEST(ParsePanelLists, SkipsEmptyObjectsAndNumbersNamelessOnes) {
  PanelClient client = ClientWith();
  const std::string answer = R"({"playlists":[{},{"id":"x"},
      {"url":"/get.php?username=u&password=p"},{"link":"/other.m3u"}]})";
  EXPECT_EQ(client.ParsePanelLists(answer), 2u);
  ASSERT_EQ(client.State().panelLists.size(), 2u);
  EXPECT_EQ(client.State().panelLists[0].name, u"Playlist 1");
  EXPECT_EQ(client.State().panelLists[1].name, u"Playlist 2");
}

TEST(ParsePanelLists, ReadsEveryAnswerShape) {
  {
    PanelClient client = ClientWith();
    EXPECT_EQ(client.ParsePanelLists(R"([{"name":"A","url":"http://a"},{"name":"B","url":"http://b"}])"), 2u);
    EXPECT_EQ(client.CurrentSettings().PlaylistUrl, u"http://a");
  }
  {
    PanelClient client = ClientWith();
    // The single object wins over the rest of the answer (the message title is no playlist name).
    EXPECT_EQ(client.ParsePanelLists(
                  R"({"token":"t","messages":[{"title":"Hi","text":"x"}],"playlist":{"label":"Home","portal":"http://p/","username":"u","password":"p"},"name":"outer"})"),
              1u);
    ASSERT_EQ(client.State().panelLists.size(), 1u);
    EXPECT_EQ(client.State().panelLists[0].name, u"Home");
    EXPECT_EQ(client.CurrentSettings().PlaylistUrl, u"http://p/get.php?username=u&password=p&type=m3u_plus&output=ts");
  }
  {
    PanelClient client = ClientWith();
    EXPECT_EQ(client.ParsePanelLists(R"({"name":"Solo","url":"http://s/get.php?username=u&password=p"})"), 1u);
    EXPECT_EQ(client.State().panelLists[0].name, u"Solo");
  }
}

TEST(ParsePanelLists, ANewActivePlaylistAloneIsAChangeAndIdsCompareAsText) {
  PanelClient client = ClientWith(u"http://mine", {{u"A", u"http://a"}});
  bool changed = false;
  client.ParsePanelLists(R"({"playlists":[{"name":"A","url":"http://a"}]})", &changed);
  EXPECT_TRUE(changed);
  EXPECT_EQ(client.CurrentSettings().PlaylistUrl, u"http://a");
  // Whatever the layout, and a number against a text.
  client.ParsePanelLists("{\"activeId\": \"2\",\n \"playlists\":[{\"id\": 1 ,\"url\":\"http://a\"},\n"
                         "{\"url\":\"http://b\",\"id\": 2\n}]}");
  EXPECT_EQ(client.CurrentSettings().PlaylistUrl, u"http://b");
}

TEST(ParsePanelLists, AnswersWithoutPlaylistsKeepWhatIsStored) {
  const std::vector<PlaylistEntry> stored{{u"A", u"http://a"}, {u"B", u"http://b"}};
  for (const char* answer : {"", R"({"error":"unauthorized"})",
                             R"({"ok":true,"registered":true,"title":"Welcome"})"}) {
    PanelClient client = ClientWith(u"http://a", stored);
    bool changed = false;
    EXPECT_EQ(client.ParsePanelLists(answer, &changed), 0u) << answer;
    EXPECT_FALSE(changed);
    EXPECT_EQ(client.State().panelLists, stored);
    EXPECT_FALSE(client.Result().SettingsChanged());
  }
}

TEST(ParsePanelLists, AnExplicitEmptyListClearsThePlaylists) {
  PanelClient client = ClientWith(u"http://a", {{u"A", u"http://a"}, {u"B", u"http://b"}});
  bool changed = false;
  EXPECT_EQ(client.ParsePanelLists(R"({"playlists":[],"lists":[]})", &changed), 0u);
  EXPECT_TRUE(changed);
  EXPECT_TRUE(client.State().panelLists.empty());
  const PanelResult result = client.Result();
  ASSERT_TRUE(result.Extra);
  EXPECT_TRUE(result.Extra->empty());
  EXPECT_FALSE(result.PlaylistUrl);  // the current playlist stays
  EXPECT_FALSE(result.account);
}

TEST(ParseMessageList, ReadsAlternativeKeysAndDropsEmptyMessagesButKeepsAThreadOnNoAnswer) {
  auto messages = ParseMessageList(R"({"messages":[
      {"id":1,"title":"Complaint","text":"Hi","fromRole":"client","from":"ann","role":"user"},
      {"message":"Only message","from":"reseller"},
      {"id":"3","from":"panel"},
      {"title":"Title only"}]})");
  ASSERT_TRUE(messages);
  ASSERT_EQ(messages->size(), 3u);
  EXPECT_EQ((*messages)[0], (PanelMessage{u"1", u"Complaint", u"Hi", u"client", u"user"}));
  EXPECT_EQ((*messages)[1], (PanelMessage{u"", u"", u"Only message", u"reseller", u""}));
  EXPECT_EQ((*messages)[2].title, u"Title only");
  EXPECT_FALSE(ParseMessageList(R"({"error":"unauthorized"})"));
  EXPECT_FALSE(ParseMessageList(""));

  PanelState state;
  state.messages = {PanelMessage{u"1", u"", u"kept", u"", u""}};
  PanelClient client(state, PanelSettings{});
  client.ParseMessages("");
  client.ParseMessages(R"({"error":"unauthorized"})");
  EXPECT_EQ(client.State().messages, state.messages);
  EXPECT_FALSE(client.Result().messages);
  client.ParseMessages(R"({"messages":[]})");
  EXPECT_TRUE(client.State().messages.empty());
  ASSERT_TRUE(client.Result().messages);
}

TEST(ApplyPanelResult, TakesOverOnlyWhatTheJobChanged) {
  PanelState panel;
  panel.token = u"newer-token";  // a later sign-in already merged
  panel.panelLists = {{u"A", u"http://a"}};
  Settings settings;
  settings.PlaylistUrl = u"http://chosen-meanwhile";
  XtreamAccount account;

  PanelResult result;
  result.messages = std::vector<PanelMessage>{{u"5", u"", u"hello", u"", u""}};
  EXPECT_FALSE(ApplyPanelResult(result, panel, settings, account));
  EXPECT_EQ(panel.token, u"newer-token");
  EXPECT_EQ(panel.panelLists.size(), 1u);
  EXPECT_EQ(panel.messages.size(), 1u);
  EXPECT_EQ(settings.PlaylistUrl, u"http://chosen-meanwhile");

  result.Extra = std::vector<PlaylistEntry>{};
  EXPECT_TRUE(ApplyPanelResult(result, panel, settings, account));
  EXPECT_EQ(settings.PlaylistUrl, u"http://chosen-meanwhile");
}
