// Every overlay at the three window sizes the program is looked at in: each
// text inside the box it was given and clear of the others (read from the
// text-box record the painters write), and the highlighted item readable.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "tests/ui/render/painted_texts.h"
#include "tests/ui/render/test_pictures.h"
#include "i18n/translate.h"
#include "ui/modals/guide_picker.h"
#include "ui/modals/key_help_overlay.h"
#include "ui/modals/option_picker.h"
#include "ui/modals/question_dialog.h"
#include "ui/modals/speed_test_panel.h"
#include "ui/modals/text_prompt.h"
#include "ui/screens/player_screen.h"

namespace {

using Painter = std::function<void(RenderResources&)>;

// The Player's key help while a live channel plays (its longest), in the
// language `code`: it fills both columns.
Painter PlayerKeyHelp(const char16_t* code) {
  return [code](RenderResources& res) {
    SetCurrentLanguageCode(code);
    AppState state;
    PaintKeyHelp(res, MakeKeyHelpSheet(Screen::Player, PlayerScreen().Help(state)));
    SetCurrentLanguageCode(u"en");
  };
}

// The guide picker over a big guide, its rows with names longer than any
// row holds, suggestions and a highlighted current choice.
GuidePicker LongGuidePicker() {
  GuidePickerAsk ask;
  ask.channelName = u"UK: BBC ONE FHD";
  const std::u16string longName(100, u'W');
  for (int i = 0; i < 30; ++i) {
    ask.rows.push_back(GuidePickerRow{i % 3 ? u"BBC One " + std::u16string(1, char16_t(u'A' + i)) : longName,
                                      i % 2 ? u"20:00  " + longName : u"", i % 4 ? u"Provider" : longName, i < 2});
  }
  ask.current = 4;
  ask.hasChoice = true;
  return MakeGuidePicker(std::move(ask), 0);
}

TEST(ModalLayout, TextsStayInTheirBoxesAndClearOfEachOtherAtEverySize) {
  auto report = std::make_shared<SpeedReport>();
  report->AppendReportLine(u"Network: Ethernet");
  const std::vector<std::pair<std::string, Painter>> modals = {
      {"picker",
       [](RenderResources& res) {
         PaintOptionPicker(res, MakePicker(u"Change Language", {u"English", u"Română", u"Deutsch"}, 0, 0));
       }},
      {"hide categories",
       [](RenderResources& res) {
         OptionPicker picker = MakePicker(u"Hide Live Categories", {u"News", u"Sports"}, 0, 0);
         picker.checked = {true, false};
         PaintOptionPicker(res, picker);
       }},
      {"question", [](RenderResources& res) { PaintQuestion(res, MakeQuestion(u"Vistra", u"Exit Vistra 4.3?", 1)); }},
      {"prompt", [](RenderResources& res) { PaintTextPrompt(res, TextPrompt{u"New group", u"Name", u"Evening", false}); }},
      {"speed test", [&](RenderResources& res) { PaintSpeedTestPanel(res, *report, 1); }},
      {"key help", PlayerKeyHelp(u"en")},
      {"key help (fi)", PlayerKeyHelp(u"fi")},
      {"guide picker", [](RenderResources& res) { PaintGuidePicker(res, LongGuidePicker()); }},
  };
  constexpr double kSlack = 3;  // antialiasing and overhanging glyphs
  for (const auto& [width, height] : {std::pair{1280, 720}, {1920, 1080}, {3840, 2160}}) {
    for (const auto& [name, paint] : modals) {
      const std::vector<Drawn> texts = TextsOf(paint, width, height);
      ASSERT_GE(texts.size(), 3u) << name;
      for (size_t i = 0; i < texts.size(); ++i) {
        const Drawn& t = texts[i];
        EXPECT_TRUE(t.ink.left >= t.box.left - kSlack && t.ink.top >= t.box.top - kSlack &&
                    t.ink.right <= t.box.right + kSlack && t.ink.bottom <= t.box.bottom + kSlack)
            << name << " at " << height << ": \"" << t.text << "\" runs out of its box";
        for (size_t j = i + 1; j < texts.size(); ++j) {
          const Drawn& o = texts[j];
          const bool apart = t.ink.right <= o.ink.left || o.ink.right <= t.ink.left || t.ink.bottom <= o.ink.top ||
                             o.ink.bottom <= t.ink.top;
          EXPECT_TRUE(apart) << name << " at " << height << ": \"" << t.text << "\" over \"" << o.text << "\"";
        }
      }
    }
  }
}

// A modal's panel is opaque: painted over a white screen and over a black
// one, every pixel of it is the same, so no label behind reads through.
TEST(ModalLayout, PanelsHideTheScreenBehind) {
  constexpr int kW = 1280, kH = 720;
  const std::vector<std::tuple<std::string, Painter, RectF>> modals = {
      {"prompt", [](RenderResources& res) { PaintTextPrompt(res, TextPrompt{u"Parental", u"PIN", u"12", true}); },
       PromptPanelRect(kW, kH)},
      {"question", [](RenderResources& res) { PaintQuestion(res, MakeQuestion(u"Vistra", u"Exit?", 1)); },
       QuestionPanelRect(kW, kH)},
      {"picker", [](RenderResources& res) { PaintOptionPicker(res, MakePicker(u"Subtitles", {u"Off", u"eng"}, 0, 0)); },
       RectF{0, 0, kW, kH}},
      {"key help", PlayerKeyHelp(u"en"), RectF{0, 0, kW, kH}},
      {"guide picker", [](RenderResources& res) { PaintGuidePicker(res, LongGuidePicker()); }, RectF{0, 0, kW, kH}},
  };
  RenderResources res;
  for (const auto& [name, paint, panel] : modals) {
    std::vector<Pixel> seen[2];
    for (int behind = 0; behind < 2; ++behind) {
      OffscreenFrame frame(res, kW, kH);
      res.FillRect(RectF{0, 0, kW, kH}, behind ? Rgba{1, 1, 1, 1} : Rgba{0, 0, 0, 1});
      paint(res);
      // Inside the rounded corners.
      for (int y = int(panel.top) + 16; y < int(panel.bottom) - 16; y += 3) {
        for (int x = int(panel.left) + 16; x < int(panel.right) - 16; x += 3) seen[behind].push_back(frame.At(x, y));
      }
    }
    size_t differing = 0;
    for (size_t i = 0; i < seen[0].size(); ++i) differing += seen[0][i].Brightness() != seen[1][i].Brightness();
    EXPECT_EQ(differing, 0u) << name << ": the screen behind shows through the panel";
  }
}

TEST(ModalLayout, TheHighlightIsReadable) {
  RenderResources res;
  {
    OffscreenFrame frame(res, 1920, 1080);
    PaintOptionPicker(res, MakePicker(u"Audio", {u"eng", u"ron"}, 0, 0));
    EXPECT_GE(frame.TextContrast(PickerRowRect(0, 1920, 1080)), 4.5) << "the picker's highlighted row";
  }
  {
    OffscreenFrame frame(res, 1920, 1080);
    const GuidePicker picker = LongGuidePicker();
    PaintGuidePicker(res, picker);
    EXPECT_GE(frame.TextContrast(GuidePickerRowRect(picker.index - picker.first, 1920, 1080)), 4.5)
        << "the guide picker's highlighted row";
  }
  {
    OffscreenFrame frame(res, 1920, 1080);
    PaintQuestion(res, MakeQuestion(u"Vistra", u"Exit?", QuestionDialog::kNo));
    EXPECT_GE(frame.TextContrast(QuestionButtonRect(QuestionDialog::kNo, 1920, 1080)), 4.5)
        << "the question's highlighted button";
  }
}

}  // namespace
