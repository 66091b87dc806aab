#include "ui/modals/text_prompt.h"

#include <gtest/gtest.h>

#include "platform/virtual_keys.h"
#include "tests/ui/render/test_pictures.h"

namespace {

TEST(TextPrompt, TypingDeletingAndAnswering) {
  TextPrompt p{u"Title", u"Label", u"ab", false};
  EXPECT_TRUE(PromptOnChar(p, u'c'));
  EXPECT_FALSE(PromptOnChar(p, u'\n'));
  EXPECT_FALSE(PromptOnChar(p, 127));
  EXPECT_EQ(p.text, u"abc");
  EXPECT_EQ(PromptOnKey(p, Vk::Back, nullptr), PromptState::Open);
  EXPECT_EQ(p.text, u"ab");
  p.text += u"\U0001F600";  // a surrogate pair goes as one character
  PromptOnKey(p, Vk::Back, nullptr);
  EXPECT_EQ(p.text, u"ab");
  PromptOnKey(p, Vk::Back, nullptr);
  PromptOnKey(p, Vk::Back, nullptr);
  PromptOnKey(p, Vk::Back, nullptr);  // on an empty text: nothing
  EXPECT_EQ(p.text, u"");
  EXPECT_EQ(PromptOnKey(p, Vk::Letter('A'), nullptr), PromptState::Open);  // letters come as characters
  EXPECT_EQ(PromptOnKey(p, Vk::Return, nullptr), PromptState::Accepted);
  EXPECT_EQ(PromptOnKey(p, Vk::Escape, nullptr), PromptState::Cancelled);

  std::u16string longText(kPromptMaxLength, u'x');
  TextPrompt full{u"", u"", longText, false};
  EXPECT_FALSE(PromptOnChar(full, u'y'));
}

TEST(TextPrompt, PasteTakesTheFirstLineTrimmed) {
  EXPECT_EQ(PastedLine(u"  \r\n http://h:8080/get.php?username=u&password=p \r\nsecond"),
            u"http://h:8080/get.php?username=u&password=p");
  EXPECT_EQ(PastedLine(u"a\tb\x01" u"c"), u"a bc");
  EXPECT_EQ(PastedLine(u"\n\n"), u"");

  TextPrompt p{u"", u"", u"x", false};
  PromptOnKey(p, Vk::Paste, [] { return std::u16string(u"http://a/\n"); });
  EXPECT_EQ(p.text, u"xhttp://a/");
  PromptOnKey(p, Vk::Paste, nullptr);  // no clipboard: nothing
  EXPECT_EQ(p.text, u"xhttp://a/");
  TextPrompt nearlyFull{u"", u"", std::u16string(kPromptMaxLength - 1, u'x'), false};
  PromptOnKey(nearlyFull, Vk::Paste, [] { return std::u16string(u"\U0001F600yz"); });  // never half a pair
  EXPECT_EQ(nearlyFull.text.size(), kPromptMaxLength - 1);
}

TEST(TextPrompt, AskTextReturnsTheTextOnlyWhenAccepted) {
  auto run = [](std::vector<int> keys, std::u16string chars) {
    ModalSlot* slotPtr = nullptr;
    ModalSlot slot(
        [&](const std::function<bool()>& done) {
          for (char16_t ch : chars) slotPtr->Current()->OnChar(ch);
          for (int vk : keys) {
            if (done()) break;
            slotPtr->Current()->OnKey(vk);
          }
        },
        nullptr);
    slotPtr = &slot;
    return AskText(slot, u"T", u"L", u"in");
  };
  EXPECT_EQ(run({Vk::Return}, u"put"), u"input");
  EXPECT_EQ(run({Vk::Escape}, u"put"), u"");
  EXPECT_EQ(run({Vk::Back, Vk::Back, Vk::Return}, u""), u"");

  TextPrompt pin{u"", u"", u"", true};
  ModalSlot* slotPtr = nullptr;
  ModalSlot slot([&](const std::function<bool()>&) { slotPtr->Cancel(); }, nullptr);
  slotPtr = &slot;
  EXPECT_EQ(AskTextOrCancel(slot, pin), std::nullopt);  // a screen change cancels
}

TEST(TextPrompt, MaskedTextIsDrawnInTheWhiteBox) {
  RenderResources res;
  OffscreenFrame frame(res, 1280, 720);
  PaintTextPrompt(res, TextPrompt{u"Parental", u"Enter PIN", u"1234", true});
  const RectF box = PromptInputRect(1280, 720);
  const Pixel inside = frame.At(static_cast<int>(box.right) - 20, static_cast<int>(box.top) + 6);
  EXPECT_GT(inside.Brightness(), 740);  // white input box
  const Pixel veil = frame.At(5, 5);
  EXPECT_GT(veil.a, 150);
}

}  // namespace
