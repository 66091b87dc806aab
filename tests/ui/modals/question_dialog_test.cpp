#include "ui/modals/question_dialog.h"

#include <gtest/gtest.h>

#include "tests/ui/render/test_pictures.h"
#include "platform/virtual_keys.h"
#include "i18n/translate.h"

namespace {

TEST(QuestionDialog, KeysMoveAndAnswer) {
  QuestionDialog q = MakeQuestion(u"Vistra", u"Exit Vistra 4.3?", QuestionDialog::kNo);
  EXPECT_EQ(q.highlighted, QuestionDialog::kNo);
  EXPECT_EQ(QuestionOnKey(q, Vk::Right), QuestionAnswer::Pending);  // already at the right end
  EXPECT_EQ(q.highlighted, QuestionDialog::kNo);
  EXPECT_EQ(QuestionOnKey(q, Vk::Left), QuestionAnswer::Pending);
  EXPECT_EQ(q.highlighted, QuestionDialog::kYes);
  EXPECT_EQ(QuestionOnKey(q, Vk::Down), QuestionAnswer::Pending);  // ignored
  EXPECT_EQ(QuestionOnKey(q, Vk::Letter('Y')), QuestionAnswer::Pending);
  EXPECT_EQ(q.highlighted, QuestionDialog::kYes);
  EXPECT_EQ(QuestionOnKey(q, Vk::Return), QuestionAnswer::Yes);

  EXPECT_EQ(QuestionOnKey(q, Vk::Tab), QuestionAnswer::Pending);
  EXPECT_EQ(q.highlighted, QuestionDialog::kNo);
  EXPECT_EQ(QuestionOnKey(q, Vk::Return), QuestionAnswer::No);
}

TEST(QuestionDialog, ButtonsSpeakTheInterfaceLanguage) {
  EXPECT_EQ(MakeQuestion(u"T", u"Q", QuestionDialog::kNo).yesText, u"Yes");
  SetCurrentLanguageCode(u"de");
  const QuestionDialog q = MakeQuestion(u"T", u"Q", QuestionDialog::kNo);
  SetCurrentLanguageCode(u"en");
  EXPECT_EQ(q.yesText, u"Ja");
  EXPECT_EQ(q.noText, u"Nein");
}

TEST(QuestionDialog, EscapeIsNoWhateverIsHighlighted) {
  QuestionDialog q = MakeQuestion(u"T", u"Q", QuestionDialog::kYes);
  EXPECT_EQ(q.highlighted, QuestionDialog::kYes);
  EXPECT_EQ(QuestionOnKey(q, Vk::Escape), QuestionAnswer::No);
  EXPECT_EQ(QuestionOnKey(q, Vk::Back), QuestionAnswer::No);
  EXPECT_EQ(MakeQuestion(u"T", u"Q", 7).highlighted, QuestionDialog::kNo);
}

TEST(QuestionDialog, ClicksAnswerOnlyOnTheButtons) {
  QuestionDialog q = MakeQuestion(u"T", u"Q", QuestionDialog::kNo);
  const RectF yes = QuestionButtonRect(QuestionDialog::kYes, 1280, 720);
  const RectF no = QuestionButtonRect(QuestionDialog::kNo, 1280, 720);
  EXPECT_LT(yes.right, no.left);
  EXPECT_EQ(QuestionOnClick(q, 5, 5, 1280, 720), QuestionAnswer::Pending);
  EXPECT_EQ(QuestionOnClick(q, (yes.left + yes.right) / 2, (yes.top + yes.bottom) / 2, 1280, 720), QuestionAnswer::Yes);
  EXPECT_EQ(QuestionOnClick(q, no.left + 1, no.top + 1, 1280, 720), QuestionAnswer::No);
  EXPECT_EQ(QuestionHitTest(no.right + 1, no.top + 1, 1280, 720), -1);
}

TEST(QuestionDialog, TheHighlightedButtonIsTheGoldOne) {
  RenderResources res;
  OffscreenFrame frame(res, 1920, 1080);
  PaintQuestion(res, MakeQuestion(u"Vistra", u"Exit?", QuestionDialog::kNo));
  const RectF yes = QuestionButtonRect(QuestionDialog::kYes, 1920, 1080);
  const RectF no = QuestionButtonRect(QuestionDialog::kNo, 1920, 1080);
  const Pixel gold = frame.At(static_cast<int>(no.left) + 12, static_cast<int>(no.bottom) - 12);
  const Pixel dark = frame.At(static_cast<int>(yes.left) + 12, static_cast<int>(yes.bottom) - 12);
  EXPECT_NEAR(gold.r, 191, 2);
  EXPECT_NEAR(gold.g, 158, 2);
  EXPECT_LT(dark.Brightness(), 120);
}

}  // namespace
