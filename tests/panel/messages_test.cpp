#include "panel/messages.h"

#include <gtest/gtest.h>

TEST(BuildThreadText, WritesAuthorTitleAndTextOrInvitesAMessage) {
  const std::vector<PanelMessage> messages{
      {u"1", u"Complaint", u"Hi", u"client", u""},
      {u"2", u"", u"Fixed", u"", u""},
      {u"3", u"Note", u"See you", u"reseller", u""},
  };
  EXPECT_EQ(BuildThreadText(messages),
            u"You \u00B7 Complaint\nHi\n\n"
            u"Panel\nFixed\n\n"
            u"reseller \u00B7 Note\nSee you\n\n");
  EXPECT_EQ(BuildThreadText({}), u"No complaints or option requests yet. Choose a type and write below.");
}

TEST(ComposeEnter, OpensRefusesBlankTextTwiceThenSendsItTrimmed) {
  ComposeState compose;
  ComposeStep step = ComposeEnter(compose);
  EXPECT_EQ(step.action, ComposeAction::Opened);
  EXPECT_EQ(step.statusKey, "type_msg");
  EXPECT_TRUE(compose.composeOpen);

  ComposeType(compose, u' ');
  ComposeType(compose, u' ');
  for (int press = 0; press < 2; ++press) {
    step = ComposeEnter(compose);
    EXPECT_EQ(step.action, ComposeAction::Refused);
    EXPECT_EQ(step.statusKey, "write_first");
    EXPECT_TRUE(step.text.empty());
  }

  compose.composeText = u"  Hello there \r\n  ";
  step = ComposeEnter(compose);
  EXPECT_EQ(step.action, ComposeAction::Send);
  EXPECT_EQ(step.statusKey, "sending");
  EXPECT_EQ(step.text, u"  Hello there");
  EXPECT_TRUE(compose.composeText.empty());
  EXPECT_TRUE(compose.composeOpen);
}

TEST(ComposeTyping, IgnoresControlsAndErasesWholeCharacters) {
  ComposeState compose{true, {}};
  for (char16_t c : std::u16string(u"a\tb\x7F\n")) ComposeType(compose, c);
  EXPECT_EQ(compose.composeText, u"ab");
  compose.composeText += u"\U0001F600";  // one character, two UTF-16 units
  ComposeBackspace(compose);
  EXPECT_EQ(compose.composeText, u"ab");
  ComposeBackspace(compose);
  ComposeBackspace(compose);
  ComposeBackspace(compose);
  EXPECT_TRUE(compose.composeText.empty());
}

TEST(RunSendJob, WithoutATokenNothingIsSent) {
  PanelState panel;
  panel.messages = {{u"", u"", u"last words", u"", u""}};
  const SendJobResult result = RunSendJob(panel, PanelSettings{}, u"Hello");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.statusKey, "send_fail");
  EXPECT_EQ(result.threadText, u"Panel\nlast words\n\n");
  ASSERT_TRUE(result.inboxSeenId);
  EXPECT_EQ(*result.inboxSeenId, u"last words");  // no id: the text stands in

  Settings settings;
  XtreamAccount account;
  EXPECT_TRUE(ApplySendResult(result, panel, settings, account));
  EXPECT_EQ(settings.InboxSeenId, u"last words");
  EXPECT_FALSE(ApplySendResult(result, panel, settings, account));
}
