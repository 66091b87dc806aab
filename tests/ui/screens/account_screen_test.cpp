#include "ui/screens/account_screen.h"

#include <gtest/gtest.h>

#include "platform/qr_code.h"
#include "platform/virtual_keys.h"
#include "tests/ui/nav/navigator_fixture.h"
#include "tests/ui/render/test_pictures.h"
#include "i18n/translate.h"
#include "ui/screens/playlists.h"
#include "ui/screens/provider_status_text.h"

namespace {

TEST(AccountPlaylists, PanelFirstThenSavedAndTheCurrentOneAppended) {
  PanelState panel;
  Settings settings;
  EXPECT_TRUE(AccountPlaylists(panel, settings, u"Playlist").empty());
  settings.PlaylistUrl = u"http://c/get.php?username=u&password=p";
  settings.Extra = {{u"Saved", u"http://s/get.php?username=u&password=p"}, {u"Mine", settings.PlaylistUrl}};
  EXPECT_EQ(AccountPlaylists(panel, settings, u"Playlist"), settings.Extra);
  panel.panelLists = {{u"", u"http://p/get.php?username=u&password=p"}};
  const auto list = AccountPlaylists(panel, settings, u"Playlist");
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1], (PlaylistEntry{u"Mine", settings.PlaylistUrl}));  // named after the saved one
  EXPECT_EQ(PlaylistRowName(list[0], 0), u"Playlist 1");
}

TEST(QrCode, ALinkMakesASymbolAndTooLongTextDrawsNothing) {
  const auto symbol = EncodeQr("https://panel.example/vs4.3/playlists.html?mac=02%3Aa1%3Ab2%3Ac3%3Ad4%3Ae5&key=012345");
  ASSERT_TRUE(symbol.has_value());
  EXPECT_GE(symbol->modules, 21);
  EXPECT_EQ((symbol->modules - 17) % 4, 0);  // versions grow by four modules
  EXPECT_FALSE(EncodeQr(std::string(4000, 'x')).has_value());

  RenderResources res;
  OffscreenFrame frame(res, 400, 400);
  DrawQrCode(res, RectF{0, 0, 200, 200}, std::u16string(4000, u'x'));
  EXPECT_FALSE(frame.AnyInk(0, 200));
  DrawQrCode(res, RectF{200, 0, 400, 200}, u"https://panel.example/");
  EXPECT_GT(frame.At(205, 5).Brightness(), 700);  // the white quiet border
  EXPECT_TRUE(frame.AnyInk(200, 400));
}

TEST(ProviderStatusText, TheLineSpeaksFirstThenTheLiveAnswer) {
  const auto line = [](const char* answer) {
    return AccountCheck{ProviderAnswer{200, AnswerBody::Json}, ParseAccountLine(answer)};
  };
  ProviderStatus status;
  EXPECT_EQ(ProviderStatusText(status), u"");
  EXPECT_EQ(AccountLineDetails(status), u"");

  // A refused live list, an expired line and auth 0 are read from a
  // provider's answers by BootTest.ARefusedOrExpiredAccountSaysWhy.
  status.liveAnswer = ProviderAnswer{0, AnswerBody::Empty};
  EXPECT_EQ(ProviderStatusText(status), u"The provider did not answer");
  status.liveAnswer = ProviderAnswer{200, AnswerBody::Html};
  EXPECT_EQ(ProviderStatusText(status), u"The provider answered something that is not a catalog");
  status.liveAnswer = ProviderAnswer{200, AnswerBody::Json, true};
  EXPECT_EQ(ProviderStatusText(status), u"");

  // Noon UTC, the same day in every zone a test machine keeps.
  status.check = line(R"({"user_info":{"auth":1,"status":"Expired","exp_date":"1700049600","max_connections":"2"}})");
  EXPECT_EQ(AccountLineDetails(status), u"Expires 15/11/2023  ·  Connections: 2");
  status.check = line(R"({"user_info":{"auth":1,"status":"Banned","exp_date":null,"max_connections":1}})");
  EXPECT_EQ(ProviderStatusText(status), u"This account is banned");
  EXPECT_EQ(AccountLineDetails(status), u"No expiry date  ·  Connections: 1");

  // A warm start: no live load yet, so a refused account answer tells.
  status = ProviderStatus{};
  status.check = AccountCheck{ProviderAnswer{401, AnswerBody::Html}, std::nullopt};
  EXPECT_EQ(ProviderStatusText(status), u"The provider refused this account (HTTP 401)");
  SetCurrentLanguageCode(u"de");
  EXPECT_EQ(ProviderStatusText(status), u"Der Anbieter hat dieses Konto abgelehnt (HTTP 401)");
  SetCurrentLanguageCode(u"en");
}

struct AccountTest : NavigatorTest {
  void SetUp() override {
    state.settings.PlaylistUrl = u"http://b/get.php?username=u&password=p";
    state.settings.Extra = {{u"A", u"http://a/get.php?username=u&password=p"}, {u"B", state.settings.PlaylistUrl}};
    navigator.SetScreen(Screen::Account);
  }
};

TEST_F(AccountTest, APanelAnswerMovesTheHighlightOnlyWhenTheListChanged) {
  Press({Vk::Up});
  const std::vector<PlaylistEntry> shown = AccountScreenPlaylists(state);
  FollowActivePlaylist(state, shown);
  EXPECT_EQ(state.nav.AccountIndex, 0) << "the poll's unchanged answer keeps the user's highlight";
  state.panel.panelLists = {{u"P", u"http://p/get.php?username=u&password=p"}, {u"B", state.settings.PlaylistUrl}};
  FollowActivePlaylist(state, shown);
  EXPECT_EQ(state.nav.AccountIndex, 1) << "a new list highlights the active playlist";
}

TEST_F(AccountTest, EnterOrAClickSwitchesAndTheAddEntryAsksForAUrl) {
  EXPECT_EQ(state.nav.AccountIndex, 1);  // the active playlist
  Press({Vk::Down});
  EXPECT_EQ(state.nav.AccountIndex, 1);
  Press({Vk::Up, Vk::Return});
  EXPECT_EQ(actions.playlists, (std::vector<std::u16string>{u"http://a/get.php?username=u&password=p"}));

  Press({Vk::Up, Vk::Up});
  EXPECT_EQ(state.nav.AccountIndex, kAccountAddEntry);
  modalKeys = Typing(u"not a url");
  modalKeys.push_back(Vk::Return);
  Press({Vk::Return});
  EXPECT_EQ(actions.playlists.size(), 1u) << "refused before any request";
  EXPECT_NE(state.StatusText.find(u"Not a playlist URL"), std::u16string::npos);

  modalKeys = Typing(u"http://n:8080/get.php?username=x&password=y");
  modalKeys.push_back(Vk::Return);
  Press({Vk::Return});
  EXPECT_EQ(actions.playlists.back(), u"http://n:8080/get.php?username=x&password=y");

  Click(AccountRowRect(0, 1280, 720));
  EXPECT_EQ(state.nav.AccountIndex, 0);
  EXPECT_EQ(actions.playlists.size(), 3u) << "a click on a row switches to it";
}

}  // namespace
