#include "panel/messages.h"

#include <utility>

#include "store/settings_file.h"
#include "i18n/translate.h"

std::u16string BuildThreadText(const std::vector<PanelMessage>& messages) {
  if (messages.empty()) return std::u16string(Translate("no_messages"));
  std::u16string text;
  for (const PanelMessage& message : messages) {
    if (message.from == u"client") {
      text.append(Translate("you"));
    } else if (message.from.empty()) {
      text.append(Translate("panel_author"));
    } else {
      text.append(message.from);
    }
    if (!message.title.empty()) text.append(u" \u00B7 ").append(message.title);
    text.append(u"\n").append(message.text).append(u"\n\n");
  }
  return text;
}

void ComposeType(ComposeState& compose, char16_t character) {
  if (character < 32 || character == 127) return;
  compose.composeText.push_back(character);
}

void ComposeBackspace(ComposeState& compose) {
  std::u16string& text = compose.composeText;
  if (text.empty()) return;
  const bool lowSurrogate = text.back() >= 0xDC00 && text.back() <= 0xDFFF;
  text.pop_back();
  if (lowSurrogate && !text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
}

ComposeStep ComposeEnter(ComposeState& compose) {
  if (!compose.composeOpen) {
    compose.composeOpen = true;
    return {ComposeAction::Opened, "type_msg", {}};
  }
  std::u16string text = compose.composeText;
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\n' || text.back() == u'\r')) text.pop_back();
  if (text.empty()) return {ComposeAction::Refused, "write_first", {}};
  compose.composeText.clear();
  return {ComposeAction::Send, "sending", std::move(text)};
}

SendJobResult RunSendJob(PanelState panel, PanelSettings settings, std::u16string text) {
  PanelClient client(std::move(panel), std::move(settings));
  SendJobResult result;
  result.ok = client.SendMessage(u"Reply", text);
  const std::vector<PanelMessage>& messages = client.State().messages;
  result.threadText = BuildThreadText(messages);
  if (!messages.empty()) {
    const PanelMessage& newest = messages.back();
    result.inboxSeenId = newest.id.empty() ? newest.text : newest.id;
  }
  result.statusKey = result.ok ? "sent" : "send_fail";
  result.panel = client.Result();
  return result;
}

bool ApplySendResult(const SendJobResult& result, PanelState& panel, Settings& settings, XtreamAccount& account) {
  bool changed = ApplyPanelResult(result.panel, panel, settings, account);
  if (result.inboxSeenId && *result.inboxSeenId != settings.InboxSeenId) {
    settings.InboxSeenId = *result.inboxSeenId;
    changed = true;
  }
  return changed;
}

bool MergeSendResult(const SendJobResult& result, PanelState& panel, Settings& settings, XtreamAccount& account) {
  if (!ApplySendResult(result, panel, settings, account)) return false;
  SaveSettings(settings);
  return true;
}
