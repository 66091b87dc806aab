#include "ui/modals/text_prompt.h"

#include <algorithm>

#include "platform/clipboard.h"
#include "platform/virtual_keys.h"
#include "i18n/translate.h"

namespace {

bool IsLowSurrogate(char16_t ch) { return ch >= 0xDC00 && ch <= 0xDFFF; }
bool IsBlank(char16_t ch) { return ch == u' ' || ch == u'\t' || ch == 0xA0; }
bool IsLineBreak(char16_t ch) { return ch == u'\n' || ch == u'\r' || ch == 0x2028 || ch == 0x2029; }

void DeleteLastCharacter(std::u16string& text) {
  if (text.empty()) return;
  const bool pair = text.size() >= 2 && IsLowSurrogate(text.back());
  text.resize(text.size() - (pair ? 2 : 1));
}

// Appends without splitting a surrogate pair at the length limit.
void AppendLimited(std::u16string& text, std::u16string_view more) {
  for (size_t i = 0; i < more.size() && text.size() < kPromptMaxLength; ++i) {
    const bool startsPair = more[i] >= 0xD800 && more[i] <= 0xDBFF;
    if (startsPair && text.size() + 2 > kPromptMaxLength) break;
    text.push_back(more[i]);
  }
}

}  // namespace

std::u16string PastedLine(std::u16string_view clipboard) {
  size_t start = 0;
  while (start < clipboard.size() && (IsBlank(clipboard[start]) || IsLineBreak(clipboard[start]))) ++start;
  std::u16string line;
  for (size_t i = start; i < clipboard.size() && !IsLineBreak(clipboard[i]); ++i) {
    const char16_t ch = clipboard[i];
    if (ch == u'\t') line.push_back(u' ');
    else if (ch >= 32 && ch != 127) line.push_back(ch);
  }
  while (!line.empty() && IsBlank(line.back())) line.pop_back();
  return line;
}

PromptState PromptOnKey(TextPrompt& prompt, int vk, const ClipboardSource& clipboard) {
  switch (vk) {
    case Vk::Escape: return PromptState::Cancelled;
    case Vk::Return: return PromptState::Accepted;
    case Vk::Back: DeleteLastCharacter(prompt.text); break;
    case Vk::Paste:
      if (clipboard) AppendLimited(prompt.text, PastedLine(clipboard()));
      break;
    default: break;
  }
  return PromptState::Open;
}

bool PromptOnChar(TextPrompt& prompt, char16_t ch) {
  if (ch < 32 || ch == 127 || prompt.text.size() >= kPromptMaxLength) return false;
  prompt.text.push_back(ch);
  return true;
}

// The panel shares its place with the Yes/No question (x in the 2400-wide space).
RectF PromptPanelRect(double width, double height) { return WideRect(625, 320, 1775, 720, width, height); }
RectF PromptInputRect(double width, double height) { return WideRect(675, 490, 1725, 590, width, height); }

void PaintTextPrompt(RenderResources& res, const TextPrompt& prompt) {
  if (!res.Drawing()) return;
  const double W = res.Width(), H = res.Height();
  const Brushes& brush = res.Brush();
  res.FillRect(RectF{0, 0, W, H}, Rgba{0.02, 0.02, 0.03, 0.72});
  res.FillRounded(PromptPanelRect(W, H), 16, brush.Panel);
  // As on the question: a title's box holds its line, the label comes after.
  RectF title = res.Wide(675, 340, 1725, 410);
  title.bottom = std::max(title.bottom, title.top + res.MeasureText(FontId::Title, u"Ag").second);
  RectF label = res.Wide(675, 420, 1725, 470);
  label.top = std::max(label.top, title.bottom + 4);
  label.bottom = std::min(std::max(label.bottom, label.top + res.MeasureText(FontId::Hint, u"Ag").second),
                          PromptInputRect(W, H).top);
  res.DrawTrimmed(FontId::Title, prompt.title, title, brush.Accent);
  res.DrawTrimmed(FontId::Hint, prompt.label, label, brush.White);
  res.FillRounded(PromptInputRect(W, H), 10, brush.White);

  std::u16string shown = prompt.masked ? std::u16string(prompt.text.size(), u'*') : prompt.text;
  shown.push_back(u'|');
  // A text wider than the box shows its end, where the caret is.
  const RectF textRect = res.Wide(700, 505, 1700, 575);
  const bool overflows = res.MeasureText(FontId::Hint, shown).first > textRect.Width();
  res.Target().PushClip(textRect);
  res.DrawSingleLine(FontId::Hint, shown, textRect, Rgba{0.05, 0.05, 0.07, 1},
                     TextAlign{overflows ? HAlign::Trailing : HAlign::Leading, VAlign::Center});
  res.Target().PopClip();
  res.DrawTrimmed(FontId::Hint, Translate("ok_esc"), res.Wide(675, 610, 1725, 680), brush.Dim);
}

void TextPromptModal::OnKey(int vk) {
  const PromptState next = PromptOnKey(prompt_, vk, clipboard_);
  if (next != PromptState::Open) state_ = next;
}

std::optional<std::u16string> AskTextOrCancel(ModalSlot& slot, TextPrompt prompt) {
  TextPromptModal modal(std::move(prompt), ClipboardText);
  if (!slot.Run(modal) || modal.state() != PromptState::Accepted) return std::nullopt;
  return modal.prompt().text;
}

std::u16string AskText(ModalSlot& slot, std::u16string title, std::u16string label, std::u16string initial) {
  TextPrompt prompt{std::move(title), std::move(label), std::move(initial), false};
  return AskTextOrCancel(slot, std::move(prompt)).value_or(std::u16string());
}
