#include "panel/panel_client.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "net/text.h"
#include "panel/messages.h"
#include "platform/device_names.h"
#include "store/file_io.h"
#include "tests/fixtures/panel_fixture.h"
#include "tests/fixtures/stand_in_server.h"
#include "tests/fixtures/temp_data_home.h"
#include "tests/scoped_env.h"

namespace fs = std::filesystem;

namespace {

// One stand-in panel per test, the panel URL pointed at it, and a private
// data folder for runtime.log and settings.json (the member order stops the
// server before the folder goes).
class PanelIntegration : public ::testing::Test {
 protected:
  void SetUp() override {
    home_.CreateFolder();
    panel_ = std::make_shared<PanelFixture>();
    AddPanelRoutes(server_, panel_);
    ASSERT_TRUE(server_.Start());
    SetEnvVar("VISTRA_PANEL_URL", server_.BaseUrl().c_str());
    base_ = server_.BaseUrl();
  }
  void TearDown() override { UnsetEnvVar("VISTRA_PANEL_URL"); }

  bool Logged(const std::string& line) const { return ("\n" + home_.LogText()).find("\n" + line + "\n") != std::string::npos; }
  // The panel requests to `path`, as the stand-in panel received them.
  std::vector<PanelFixture::Received> Received(const std::string& path) const {
    std::vector<PanelFixture::Received> found;
    for (auto& request : panel_->ReceivedRequests())
      if (request.target.substr(0, request.target.find('?')) == path) found.push_back(request);
    return found;
  }
  fs::path SettingsFile() const { return home_.Folder() / "settings.json"; }

  std::string Url(const std::string& user) const {
    return base_ + "/get.php?username=" + user + "&password=pw&type=m3u_plus&output=ts";
  }
  // Two playlists on the stand-in catalog; the second is active.
  void ScriptTwoPlaylists() {
    panel_->SetPlaylists({PanelFixture::XtreamPlaylist("1", "Main", base_, "ann", "pw"),
                          PanelFixture::XtreamPlaylist("2", "Kids", base_, "kid", "pw")});
    panel_->SetActiveId("\"2\"");
    panel_->SetMessages({PanelFixture::Message("10", "Welcome", "Hello from your reseller", "reseller")});
  }

  // What a job does: a client on copies, then the main thread's merge.
  bool SignInAndMerge() {
    PanelClient client(panel, PanelSettings::From(settings));
    const bool changed = client.SignIn();
    result = client.Result();
    MergePanelResult(result, panel, settings, account);
    return changed;
  }

  TempDataHome home_;
  std::string base_;
  StandInServer server_;
  std::shared_ptr<PanelFixture> panel_;

  PanelState panel;
  Settings settings;
  XtreamAccount account;
  PanelResult result;
};

std::string Utf8(const std::u16string& text) { return WideToUtf8(text); }

}  // namespace

TEST_F(PanelIntegration, SignInTakesTokenPlaylistsAndMessages) {
  ScriptTwoPlaylists();
  EXPECT_TRUE(SignInAndMerge());

  EXPECT_EQ(panel.token, u"tok-1");
  EXPECT_EQ(panel.panelLists, (std::vector<PlaylistEntry>{{u"Main", Utf8ToWide(Url("ann"))},
                                                          {u"Kids", Utf8ToWide(Url("kid"))}}));
  ASSERT_EQ(panel.messages.size(), 1u);
  EXPECT_EQ(panel.messages[0].from, u"reseller");
  EXPECT_EQ(settings.PlaylistUrl, Utf8ToWide(Url("kid")));
  EXPECT_EQ(settings.Extra, (std::vector<PlaylistEntry>{{u"Main", Utf8ToWide(Url("ann"))}}));
  EXPECT_TRUE(account.IsXtream);
  EXPECT_EQ(account.User, u"kid");
  EXPECT_TRUE(fs::exists(SettingsFile()));

  EXPECT_TRUE(Logged("panel lists=2 xtream=1"));
  const std::string registration = R"({"ok":true,"registered":true})";
  const std::string registerLine =
      "register bytes=" + std::to_string(registration.size()) + " listsKey=0 loginListsKey=1";
  EXPECT_TRUE(Logged(registerLine)) << home_.LogText();
}

TEST_F(PanelIntegration, RequestsCarryTheDeviceIdentityTheDeviceTypeAndTheBearer) {
  ScriptTwoPlaylists();
  settings.DeviceType = u"Stick";
  SignInAndMerge();

  DeviceIdentity expected;
  expected.Refresh();
  const std::string mac = Utf8(expected.panelMac), key = Utf8(expected.deviceKey);

  const auto logins = Received("/vs4.3/api/lists.php");
  ASSERT_GE(logins.size(), 3u);
  EXPECT_EQ(logins[0].method, "POST");
  EXPECT_EQ(logins[0].target, "/vs4.3/api/lists.php?do=login");
  EXPECT_EQ(logins[0].body, "{\"mac\":\"" + mac + "\",\"key\":\"" + key + "\"}");
  EXPECT_EQ(logins[0].contentType, "application/json");
  EXPECT_EQ(logins[0].authorization, "");

  const auto registrations = Received("/vs4.3/api/register.php");
  ASSERT_EQ(registrations.size(), 1u);
  EXPECT_EQ(registrations[0].body, "{\"mac\":\"" + mac + "\",\"key\":\"" + key + "\",\"code\":\"" + key +
                                       "\",\"appId\":\"vistra-desk-043\",\"platform\":\"" + WideToUtf8(SystemName()) +
                                       "\",\"deviceType\":\"Stick\"}");

  // After the login: messages, then mine, both with the bearer block.
  EXPECT_EQ(logins[1].target, "/vs4.3/api/lists.php?do=messages");
  EXPECT_EQ(logins[2].target, "/vs4.3/api/lists.php?do=mine");
  for (size_t i = 1; i < 3; ++i) {
    EXPECT_EQ(logins[i].method, "GET");
    EXPECT_EQ(logins[i].authorization, "Bearer tok-1");
    EXPECT_EQ(logins[i].contentType, "application/json");
  }

  // An empty device type registers as a TV, and a MAC the panel gives wins.
  panel_->ClearReceived();
  panel_->SetMac("aa:bb:cc:00:11:22");
  settings.DeviceType.clear();
  SignInAndMerge();
  const auto again = Received("/vs4.3/api/register.php");
  ASSERT_EQ(again.size(), 1u);
  EXPECT_NE(again[0].body.find("\"deviceType\":\"TV\"}"), std::string::npos);
  EXPECT_EQ(panel.identity.panelMac, u"aa:bb:cc:00:11:22");
  EXPECT_EQ(panel.identity.ShownMac(), u"aa:bb:cc:00:11:22");
}

// The poll after a sign-in: the same answers change and write nothing, a
// playlist switched on the panel is taken over, an expired token keeps all.
TEST_F(PanelIntegration, PollsTakeOverOnlyWhatThePanelChanged) {
  ScriptTwoPlaylists();
  ASSERT_TRUE(SignInAndMerge());
  fs::remove(SettingsFile());
  const Settings before = settings;

  EXPECT_FALSE(SignInAndMerge());
  EXPECT_FALSE(result.SettingsChanged());
  EXPECT_FALSE(fs::exists(SettingsFile()));
  {
    PanelClient poll(panel, PanelSettings::From(settings));
    EXPECT_FALSE(poll.CheckMine());
    EXPECT_FALSE(MergePanelResult(poll.Result(), panel, settings, account));
    EXPECT_FALSE(fs::exists(SettingsFile()));
    EXPECT_EQ(settings, before);
  }

  panel_->SetActiveId("\"1\"");
  {
    PanelClient poll(panel, PanelSettings::From(settings));
    EXPECT_TRUE(poll.CheckMine());
    EXPECT_TRUE(MergePanelResult(poll.Result(), panel, settings, account));
    EXPECT_EQ(settings.PlaylistUrl, Utf8ToWide(Url("ann")));
    EXPECT_EQ(settings.Extra, (std::vector<PlaylistEntry>{{u"Kids", Utf8ToWide(Url("kid"))}}));
    EXPECT_EQ(account.User, u"ann");
  }

  panel.token = u"expired";
  const PanelState kept = panel;
  PanelClient poll(panel, PanelSettings::From(settings));
  EXPECT_FALSE(poll.CheckMine());
  EXPECT_FALSE(MergePanelResult(poll.Result(), panel, settings, account));
  EXPECT_EQ(panel, kept);
}

TEST_F(PanelIntegration, WithoutATokenNothingElseIsAsked) {
  panel_->SetToken("");
  panel_->SetListsInLogin(false);
  panel_->SetListsInRegistration(true);
  ScriptTwoPlaylists();
  SignInAndMerge();
  EXPECT_TRUE(panel.token.empty());
  // The registration answer still brings the playlists and the thread.
  EXPECT_EQ(panel.panelLists.size(), 2u);
  EXPECT_EQ(panel.messages.size(), 1u);

  PanelClient client(panel, PanelSettings::From(settings));
  EXPECT_FALSE(client.CheckMine());
  EXPECT_FALSE(client.SendMessage(u"Reply", u"Anyone there?"));
  const auto calls = Received("/vs4.3/api/lists.php");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].target, "/vs4.3/api/lists.php?do=login");
}

TEST_F(PanelIntegration, AnEmptyLoginAnswerSignsNothingInAndNoPlaylistsAreReported) {
  panel_->SetEmpty(PanelFixture::Call::Login, true);
  panel.token = u"old";
  EXPECT_FALSE(SignInAndMerge());
  EXPECT_TRUE(panel.token.empty());
  EXPECT_TRUE(Logged("panel login empty"));
  EXPECT_TRUE(Received("/vs4.3/api/register.php").empty());

  // Signed in, a panel without playlists says so.
  panel_->SetEmpty(PanelFixture::Call::Login, false);
  panel_->SetMessages({PanelFixture::Message("1", "", "No playlist yet", "")});
  EXPECT_FALSE(SignInAndMerge());
  EXPECT_TRUE(panel.panelLists.empty());
  EXPECT_EQ(panel.token, u"tok-1");
  EXPECT_TRUE(Logged("panel mine empty msgs=1")) << home_.LogText();
}

TEST_F(PanelIntegration, ASentMessageJoinsTheThreadAndAnErrorAnswerFailsIt) {
  ScriptTwoPlaylists();
  SignInAndMerge();
  panel_->ClearReceived();

  const SendJobResult sent = RunSendJob(panel, PanelSettings::From(settings), u"Channel 5 \"freezes\"");
  EXPECT_TRUE(sent.ok);
  EXPECT_EQ(sent.statusKey, "sent");
  const auto posts = Received("/vs4.3/api/lists.php");
  ASSERT_GE(posts.size(), 1u);
  EXPECT_EQ(posts[0].target, "/vs4.3/api/lists.php?do=message");
  EXPECT_EQ(posts[0].body, R"({"title":"Reply","text":"Channel 5 \"freezes\""})");
  EXPECT_EQ(posts[0].authorization, "Bearer tok-1");
  EXPECT_EQ(panel_->SentTexts(), (std::vector<std::string>{"Channel 5 \"freezes\""}));

  EXPECT_NE(sent.threadText.find(u"You \u00B7 Reply\nChannel 5 \"freezes\"\n\n"), std::u16string::npos);
  ASSERT_TRUE(sent.inboxSeenId);
  EXPECT_EQ(*sent.inboxSeenId, u"1000");
  EXPECT_TRUE(MergeSendResult(sent, panel, settings, account));
  EXPECT_EQ(settings.InboxSeenId, u"1000");
  EXPECT_EQ(panel.messages.size(), 2u);
  const std::string answer = R"({"ok":true,"id":"1000"})";
  EXPECT_TRUE(Logged("panel send bytes=" + std::to_string(answer.size()) + " err=none")) << home_.LogText();

  panel_->SetSendError("thread closed");
  panel_->ClearReceived();

  const SendJobResult failed = RunSendJob(panel, PanelSettings::From(settings), u"Hello");
  EXPECT_FALSE(failed.ok);
  EXPECT_EQ(failed.statusKey, "send_fail");
  const std::string error = R"({"error":"thread closed"})";
  EXPECT_TRUE(Logged("panel send bytes=" + std::to_string(error.size()) + " err=thread closed")) << home_.LogText();
  // A failed send does not read the thread back.
  EXPECT_EQ(Received("/vs4.3/api/lists.php").size(), 1u);
}
