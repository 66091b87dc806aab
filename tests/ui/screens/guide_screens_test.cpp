#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "i18n/translate.h"
#include "net/text.h"
#include "platform/offscreen_canvas.h"
#include "platform/virtual_keys.h"
#include "catalog/special_categories.h"
#include "tests/catalog/test_items.h"
#include "tests/ui/nav/navigator_fixture.h"
#include "ui/screens/guide_review_screen.h"
#include "ui/screens/guide_sources_screen.h"
#include "ui/screens/guide_text.h"
#include "ui/screens/settings_cells.h"

namespace {

const std::string kFeed = "https://epg.example.org/uk.xml.gz";
const std::string kBroken = "http://guide.example.net:8080/xmltv.php?u=a&p=b";

GuideReviewItem Unsure(std::u16string id, std::string guideId, uint8_t source, float score) {
  return GuideReviewItem{id, u"Channel " + id, source, guideId, "Guide " + guideId, score};
}

struct GuideScreensTest : NavigatorTest {
  void SetUp() override {
    SetCurrentLanguageCode(u"en");
    state.preferences.guideSources = {{kFeed, 0}, {kBroken, 1}};
    state.wholeGuide.sources.resize(2);
    state.wholeGuide.sources[1].key = kFeed;
  }
  // Enter on `row` of the sources screen, the modals answered by `answer`.
  void On(int row, std::vector<int> answer) {
    while (Sources().Selected() > row) Press({Vk::Up});
    while (Sources().Selected() < row) Press({Vk::Down});
    modalKeys = std::move(answer);
    Press({Vk::Return});
  }
  const std::vector<GuideSourcePreference>& Listed() const { return state.preferences.guideSources; }
  GuideSourcesScreen& Sources() { return dynamic_cast<GuideSourcesScreen&>(screens[Screen::GuideSources]); }
  GuideReviewScreen& Review() { return dynamic_cast<GuideReviewScreen&>(screens[Screen::GuideReview]); }
  // The add row's prompt answered with `typed`, then the `then` keys.
  static std::vector<int> Typed(std::u16string_view typed, std::initializer_list<int> then) {
    std::vector<int> steps = Typing(typed);
    steps.insert(steps.end(), then);
    return steps;
  }
};

}  // namespace

TEST_F(GuideScreensTest, StatusLinesSayWhatTheLastReadingGave) {
  EXPECT_EQ(GuideSourceStatus(state, kFeed), u"Not read yet");
  state.wholeGuideBusy = true;
  EXPECT_EQ(GuideSourceStatus(state, kFeed), u"Reading…");
  state.guideSourceReports = {{"", true, false, 12345, 300, 41, ""}, {kBroken, false, false, 0, 0, 0, "HTTP 404"}};
  EXPECT_EQ(GuideSourceStatus(state, ""), u"12345 programmes · 300 channels · 41 linked");
  EXPECT_EQ(GuideSourceStatus(state, kBroken), u"Failed: HTTP 404");
  EXPECT_EQ(GuideSourceStatus(state, kFeed), u"Reading…") << "a source added since is read now";
  EXPECT_EQ(GuideOffsetText(1) + u"|" + GuideOffsetText(0) + u"|" + GuideOffsetText(-2), u"+1 h|0 h|\u22122 h");
  EXPECT_EQ(UrlHost(kBroken), u"guide.example.net");
  EXPECT_EQ(UrlHost("https://user:pw@[::1]:81/x"), u"[::1]");
  EXPECT_EQ(GuideReviewSourceText(state, Unsure(u"7", "bbc1", 1, 0.866f)), u"epg.example.org  ·  87 %");
  EXPECT_EQ(GuideReviewSourceText(state, Unsure(u"7", "bbc1", 0, 0.5f)), u"Provider  ·  50 %");
}

// Every edit hands the whole new list once; refused or cancelled ones hand
// nothing.
TEST_F(GuideScreensTest, SourcesAreAddedMovedRemovedAndOffsetEachAsOneList) {
  navigator.SetScreen(Screen::Settings);
  navigator.SetScreen(Screen::GuideSources);
  On(3, Typed(u"ftp://epg.example.org/a.xml", {Vk::Return}));
  EXPECT_EQ(state.toast.text, u"Needs http:// or https://");
  On(3, Typed(u" " + Utf8ToWide(kFeed) + u" ", {Vk::Return}));
  EXPECT_EQ(state.toast.text, u"Listed already");
  On(3, Typed(u"https://new.example.org/g.xml", {Vk::Return, Vk::Escape}));  // the offset cancelled
  EXPECT_TRUE(actions.guideCalls.empty());

  On(3, Typed(u"HTTPS://new.example.org/g.xml", {Vk::Return, Vk::Up, Vk::Up, Vk::Return}));
  ASSERT_EQ(Listed().size(), 3u);
  EXPECT_EQ(Listed()[2], (GuideSourcePreference{"HTTPS://new.example.org/g.xml", -2}));
  EXPECT_EQ(Sources().Selected(), 3) << "the new source stays highlighted";

  On(0, {Vk::Return, Vk::Down, Vk::Return});  // the provider's: its only option, then +1
  On(2, {Vk::Return, Vk::Up, Vk::Up, Vk::Return});  // the second: +1 -> -1
  EXPECT_EQ(Listed()[1].offsetHours, -1);
  On(2, {Vk::Down, Vk::Return});  // moved up
  EXPECT_EQ(Sources().Selected(), 1);
  On(1, {Vk::Down, Vk::Return});  // already first: nothing
  On(3, {Vk::Down, Vk::Down, Vk::Return});  // already last: nothing
  On(3, {Vk::Down, Vk::Down, Vk::Down, Vk::Return, Vk::Return});  // remove? No is the default
  On(3, {Vk::Down, Vk::Down, Vk::Down, Vk::Return, Vk::Left, Vk::Return});
  EXPECT_EQ(actions.guideCalls,
            (std::vector<std::string>{"sources 3 0", "sources 3 1", "sources 3 1", "sources 3 1", "sources 2 1"}));
  EXPECT_EQ(Listed(), (std::vector<GuideSourcePreference>{{kBroken, -1}, {kFeed, 0}}));
  EXPECT_EQ(state.preferences.providerGuideOffsetHours, 1);
  EXPECT_EQ(Sources().Selected(), 3) << "the add row took the removed one's place";

  // A full list has no add row.
  state.preferences.guideSources.resize(kMaxGuideSources);
  EXPECT_EQ(GuideSourceRowCount(state), int(kMaxGuideSources) + 1);
  modalKeys = {Vk::Escape};
  Press({Vk::PageDown, Vk::Return});
  EXPECT_EQ(Sources().Selected(), int(kMaxGuideSources));
  EXPECT_EQ(actions.guideCalls.size(), 5u);
}

TEST_F(GuideScreensTest, SettingsOpenTheSourcesAndBackLeadsTheWayItCame) {
  navigator.SetScreen(Screen::Settings);
  state.nav.SettingsIndex = kLiveTvCell;
  for (size_t i = 0; i < std::size(kLiveBufferChoices); ++i) modalKeys.push_back(Vk::Down);
  modalKeys.push_back(Vk::Return);
  Press({Vk::Return});
  ASSERT_EQ(state.CurrentScreen, Screen::GuideSources);
  EXPECT_EQ(modalsShown, 1) << "the start on the last channel is not asked then";
  Press({Vk::Letter('V')});
  EXPECT_EQ(state.CurrentScreen, Screen::GuideReview);
  Press({Vk::Escape});
  EXPECT_EQ(state.CurrentScreen, Screen::GuideSources);
  Press({Vk::Back});
  EXPECT_EQ(state.CurrentScreen, Screen::Settings);
  navigator.SetScreen(Screen::Live);
  navigator.SetScreen(Screen::GuideReview);
  Press({Vk::Escape});
  EXPECT_EQ(state.CurrentScreen, Screen::Live);
}

TEST_F(GuideScreensTest, ReviewAnswersLeaveTheListAndTheHighlightStaysOnARow) {
  state.guideReview = {Unsure(u"1", "a1", 0, 0.8f), Unsure(u"2", "b2", 1, 0.7f), Unsure(u"3", "c3", 1, 0.6f),
                       Unsure(u"4", "d4", 7, 0.6f)};
  navigator.SetScreen(Screen::GuideSources);
  Press({Vk::Letter('V'), Vk::Return});
  EXPECT_EQ(Review().Selected(), 0);
  Press({Vk::Letter('A')});  // "Assign guide", with no guide held yet
  EXPECT_EQ(state.toast.text, u"No guide loaded yet");
  Press({Vk::Down, Vk::Delete});
  EXPECT_EQ(Review().Selected(), 1);
  Press({Vk::Return});  // a guide no longer held cannot be taken
  Press({Vk::Letter('N')});
  EXPECT_EQ(Review().Selected(), 0) << "the last row went: the one before it";
  Press({Vk::Return, Vk::Return, Vk::Delete, Vk::Down});
  EXPECT_EQ(actions.guideCalls,
            (std::vector<std::string>{"guide 1  a1", "noguide 3", "noguide 4", "guide 2 " + kFeed + " b2"}));
  EXPECT_TRUE(state.guideReview.empty());
  EXPECT_EQ(Review().Selected(), 0);
}

// Long addresses are cut in the middle to the room they have, at every size
// the window takes.
TEST(GuideSourcesLayout, LongAddressesFitTheirRowBesideTheOffset) {
  const std::string url = "https://" + std::string(84, 'x') + "/guide.xml";  // 100 characters
  for (const auto& [w, h] : {std::pair{1280, 720}, {1920, 1080}, {3840, 2160}}) {
    OffscreenCanvas image(w, h);
    RenderResources res;
    res.BeginFrame(image.Draw(), w, h, 0);
    const GuideSourcesLayout l = GuideSourcesLayoutOf(20, 22, w, h);
    EXPECT_GT(l.rows.visible, 5) << w;
    EXPECT_GE(l.rows.top, l.back.bottom);
    EXPECT_LE(l.rows.RowTop(l.rows.visible), h);
    EXPECT_GE(l.RowRect(0, w).top, l.reviewButton.bottom);
    const double room = w * (1640.0 - 64.0) / 1920;
    const std::u16string cut = CutInTheMiddle(res, FontId::Row, Utf8ToWide(url), room);
    EXPECT_LE(res.MeasureText(FontId::Row, cut).first, room) << w;
    EXPECT_TRUE(cut.starts_with(u"https://x") && cut.ends_with(u"guide.xml")) << w;
    EXPECT_EQ(CutInTheMiddle(res, FontId::Row, u"http://a.b/c", room), u"http://a.b/c");
    res.EndFrame();
  }
}

// Live's O opens the selected channel's menu: Assign guide (with nothing
// read yet a notice says so; with a guide, the picker opens on the likely
// match of the channel's name), the review and the sources.
TEST_F(GuideScreensTest, TheChannelMenuAssignsAndLeadsToTheGuideScreens) {
  auto live = std::make_shared<ItemList>();
  live->push_back(TestItem(ItemKind::Live, {.id = u"7", .name = u"Seven", .categoryId = u"n", .num = u"1"}));
  state.catalog.LiveChannels = live;
  state.catalog.LiveCategories = {{u"News", u"n"}};
  int index = kLiveAllIndex;
  RebuildLiveCategories(state.catalog.LiveCategories, index);
  navigator.SetScreen(Screen::Live);
  state.nav.LiveFocus = 1;
  state.nav.ChannelIndex = 0;

  modalKeys = {Vk::Return};
  Press({Vk::Letter('O')});
  EXPECT_EQ(state.toast.text, Translate("no_guide_held"));
  EXPECT_EQ(modalsShown, 1) << "no picker without a guide";

  state.wholeGuide.sources[0].channels =
      std::make_shared<GuideChannelDirectory>(GuideChannelDirectory{{"seven.uk", {"Seven HD"}, ""}});
  modalKeys = {Vk::Return, Vk::Return};
  Press({Vk::Letter('O')});
  EXPECT_EQ(actions.guideCalls, (std::vector<std::string>{"guide 7  seven.uk"})) << "the provider's, suggested";

  modalKeys = {Vk::Down, Vk::Return};
  Press({Vk::Letter('O')});
  EXPECT_EQ(state.CurrentScreen, Screen::GuideReview);
  Press({Vk::Escape});
  modalKeys = {Vk::Down, Vk::Down, Vk::Return};
  Press({Vk::Letter('O')});
  EXPECT_EQ(state.CurrentScreen, Screen::GuideSources);
}
