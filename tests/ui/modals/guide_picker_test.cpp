#include "ui/modals/guide_picker.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/virtual_keys.h"
#include "tests/ui/render/test_pictures.h"

namespace {

GuidePickerRow Row(std::u16string name, bool suggested = false) {
  return GuidePickerRow{std::move(name), u"20:00  News", u"Provider", suggested};
}

// Rows 0..4; 1 and 3 are suggested.
GuidePickerAsk SmallAsk(int current = -1, bool hasChoice = false) {
  GuidePickerAsk ask;
  ask.channelName = u"UK: BBC ONE FHD";
  ask.rows = {Row(u"Télé Québec"), Row(u"BBC One HD", true), Row(u"ČT1"), Row(u"BBC One London", true),
              Row(u"ΕΡΤ World")};
  ask.current = current;
  ask.hasChoice = hasChoice;
  return ask;
}

void Type(GuidePicker& picker, std::u16string_view text) {
  for (const char16_t ch : text) GuidePickerOnChar(picker, ch);
}

PointerEvent Click(const RectF& r) {
  return PointerEvent{PointerEvent::Kind::Up, int(r.left + 30), int(r.top + 10), 0};
}

void Paint(const GuidePicker& picker, int width, int height) {
  RenderResources res;
  OffscreenFrame frame(res, width, height);
  PaintGuidePicker(res, picker);
}

TEST(GuidePicker, ListsFixedRowsThenSuggestedThenTheRestAndHighlightsTheCurrentChoice) {
  const std::vector<int> withChoice = {kGuideEntryNoGuide, kGuideEntryByName, 1, 3, 0, 2, 4};
  EXPECT_EQ(MakeGuidePicker(SmallAsk(2, true), 0).shown, withChoice);
  const std::vector<int> automatic = {kGuideEntryNoGuide, 1, 3, 0, 2, 4};
  EXPECT_EQ(MakeGuidePicker(SmallAsk(), 0).shown, automatic) << "nothing to forget: no \"by name\" row";

  const auto highlighted = [](const GuidePickerAsk& ask) {
    const GuidePicker p = MakeGuidePicker(ask, 0);
    return p.shown[p.index];
  };
  EXPECT_EQ(highlighted(SmallAsk(2, true)), 2);
  EXPECT_EQ(highlighted(SmallAsk(4, false)), 4) << "a guide id or a match decided";
  EXPECT_EQ(highlighted(SmallAsk(-1, true)), kGuideEntryNoGuide) << "the user chose no guide";
  EXPECT_EQ(highlighted(SmallAsk(-1, false)), 1) << "no guide yet: the first suggestion";
}

TEST(GuidePicker, FilterIgnoresCaseAndAccentsAndKeepsTheListOrder) {
  GuidePicker p = MakeGuidePicker(SmallAsk(0, true), 0);
  EXPECT_EQ(GuidePickerOnKey(p, Vk::Back), PickerResult::Open) << "Backspace on an empty filter closes nothing";
  Type(p, u"TELE QUE");
  EXPECT_EQ(p.shown, std::vector<int>{0});
  for (int i = 0; i < 8; ++i) GuidePickerOnKey(p, Vk::Back);
  Type(p, u"ct1");
  EXPECT_EQ(p.shown, std::vector<int>{2});
  for (int i = 0; i < 3; ++i) GuidePickerOnKey(p, Vk::Back);
  Type(p, u"ερτ");
  EXPECT_EQ(p.shown, std::vector<int>{4}) << "Greek capitals fold too";
  for (int i = 0; i < 3; ++i) GuidePickerOnKey(p, Vk::Back);
  EXPECT_EQ(p.shown.size(), 7u) << "an empty filter shows everything again";
  EXPECT_EQ(p.shown[p.index], 4) << "the highlight stays on the row the filter left it on";

  Type(p, u"bbc one");
  EXPECT_EQ(p.shown, (std::vector<int>{1, 3})) << "suggested first, no fixed rows while filtering";
  Type(p, u" x");
  EXPECT_TRUE(p.shown.empty());
  EXPECT_EQ(GuidePickerOnKey(p, Vk::Return), PickerResult::Open) << "nothing to choose";
  Paint(p, 1280, 720);  // an empty list paints its note, and nothing breaks
  EXPECT_FALSE(GuidePickerOnChar(p, u'\r'));
}

TEST(GuidePicker, FiltersTwentyThousandRowsByTheirWholeNames) {
  GuidePickerAsk ask;
  for (int i = 0; i < 20000; ++i) {
    std::u16string name = u"Channel ";
    for (char c : std::to_string(100000 + i).substr(1)) name.push_back(char16_t(c));
    ask.rows.push_back(Row(std::move(name), i == 11999));
  }
  GuidePicker p = MakeGuidePicker(std::move(ask), 0);
  EXPECT_EQ(p.shown.size(), 20001u);
  Type(p, u"1999");
  // 01999, 11999 and 19990..19999, with the suggested 11999 first.
  std::vector<int> expected = {11999, 1999};
  for (int i = 19990; i < 20000; ++i) expected.push_back(i);
  EXPECT_EQ(p.shown, expected);
  Type(p, u"5");
  EXPECT_EQ(p.shown, std::vector<int>{19995});
  EXPECT_EQ(GuidePickerAnswerOf(p, GuidePickerOnKey(p, Vk::Return)).row, 19995);
}

TEST(GuidePicker, AnswersNameTheEntryChosen) {
  GuidePicker p = MakeGuidePicker(SmallAsk(2, true), 0);
  GuidePickerOnKey(p, Vk::Home);
  EXPECT_EQ(GuidePickerAnswerOf(p, GuidePickerOnKey(p, Vk::Return)).kind, GuidePickerAnswer::NoGuide);
  GuidePickerOnKey(p, Vk::Down);
  EXPECT_EQ(GuidePickerAnswerOf(p, GuidePickerOnKey(p, Vk::Return)).kind, GuidePickerAnswer::ByName);
  EXPECT_EQ(GuidePickerAnswerOf(p, GuidePickerOnKey(p, Vk::Escape)).kind, GuidePickerAnswer::Cancelled);

  ModalSlot* self = nullptr;
  ModalSlot slot(
      [&](const std::function<bool()>&) {
        for (const char16_t ch : std::u16string(u"tél")) self->Current()->OnChar(ch);
        self->Current()->OnKey(Vk::Return);
      },
      nullptr);
  self = &slot;
  const GuidePickerAnswer opened = OpenGuidePicker(slot, SmallAsk());
  EXPECT_EQ(opened.kind, GuidePickerAnswer::Row);
  EXPECT_EQ(opened.row, 0);
}

TEST(GuidePicker, ScrollingKeepsTheHighlightInViewAndClicksChooseOnlyAfterTheGuard) {
  GuidePickerAsk ask = SmallAsk();
  for (int i = 0; i < 40; ++i) ask.rows.push_back(Row(u"Extra " + std::u16string(1, char16_t(u'A' + i % 26))));
  GuidePicker p = MakeGuidePicker(std::move(ask), 1000);
  const int count = int(p.shown.size()), visible = GuidePickerVisibleRows(1080);
  GuidePickerOnKey(p, Vk::End);
  Paint(p, 1920, 1080);
  EXPECT_EQ(p.first, count - visible) << "the last page, highlight on its last row";
  GuidePickerOnKey(p, Vk::PageUp);
  GuidePickerOnKey(p, Vk::PageUp);
  EXPECT_EQ(p.index, count - 1 - 2 * visible) << "a page is what the painter showed";
  Paint(p, 1920, 1080);
  EXPECT_EQ(p.first, p.index);
  GuidePickerOnPointer(p, PointerEvent{PointerEvent::Kind::Wheel, 0, 0, 2}, 1920, 1080, 0);
  EXPECT_EQ(p.index, count - 1 - 2 * visible - 6) << "the wheel moves the highlight, up is up";

  const RectF second = GuidePickerRowRect(1, 1920, 1080);
  EXPECT_EQ(GuidePickerOnPointer(p, Click(second), 1920, 1080, 1399), PickerResult::Open) << "the opening click";
  const PointerEvent beside{PointerEvent::Kind::Up, 5, int(second.top + 10), 0};
  EXPECT_EQ(GuidePickerOnPointer(p, beside, 1920, 1080, 1400), PickerResult::Open);
  Paint(p, 1920, 1080);
  const int first = p.first;
  EXPECT_EQ(GuidePickerOnPointer(p, Click(second), 1920, 1080, 1400), PickerResult::Chosen);
  EXPECT_EQ(p.index, first + 1) << "the row drawn second";

  // A filter that leaves a few rows shows them all, not only the highlighted one.
  GuidePickerOnKey(p, Vk::End);
  Paint(p, 1920, 1080);
  Type(p, u"extra");  // the highlighted last row is still listed, now 40th
  Paint(p, 1920, 1080);
  EXPECT_EQ(p.first, 40 - visible);
  const RectF top = GuidePickerRowRect(0, 1920, 1080);
  EXPECT_EQ(GuidePickerHitTest(p, top.left + 30, top.top + 10, 1920, 1080), 40 - visible);
}

}  // namespace
