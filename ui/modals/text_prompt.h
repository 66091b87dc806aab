#pragma once
// The one-line text prompt: a modal dialog over the current screen (a veil,
// a panel with a title, a label line, a white input box and the Enter/Esc
// hint) that every single-line input uses: playlist URLs, PINs, group names.
// Characters arrive through OnChar; Backspace deletes the last one; Ctrl+V
// pastes the clipboard's first line. Main thread only.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ui/modals/modal_slot.h"
#include "ui/render/render_resources.h"

struct TextPrompt {
  std::u16string title;
  std::u16string label;
  std::u16string text;  // what has been typed
  bool masked = false;  // drawn as one "*" per character (a PIN)
};

// Longer input is cut here: a prompt holds one line, and a runaway paste
// should not become a megabyte of settings.
constexpr size_t kPromptMaxLength = 2048;

enum class PromptState { Open, Accepted, Cancelled };

// Where a paste comes from (the desktop clipboard in the program).
using ClipboardSource = std::function<std::u16string()>;

// Esc cancels, Enter accepts, Backspace deletes the last character (a whole
// surrogate pair), Vk::Paste appends the clipboard's text; other keys change
// nothing.
PromptState PromptOnKey(TextPrompt& prompt, int vk, const ClipboardSource& clipboard);
// Appends a printable character (32 and above, except 127) while the text
// is shorter than kPromptMaxLength. True when it was taken.
bool PromptOnChar(TextPrompt& prompt, char16_t ch);
// What a paste adds to a one-line box: the first non-blank line of the
// text, trimmed, with tabs as blanks and other control characters dropped.
std::u16string PastedLine(std::u16string_view clipboard);

RectF PromptPanelRect(double width, double height);
RectF PromptInputRect(double width, double height);
void PaintTextPrompt(RenderResources& res, const TextPrompt& prompt);

class TextPromptModal final : public Modal {
 public:
  TextPromptModal(TextPrompt prompt, ClipboardSource clipboard)
      : prompt_(std::move(prompt)), clipboard_(std::move(clipboard)) {}
  void OnKey(int vk) override;
  void OnChar(char16_t ch) override { PromptOnChar(prompt_, ch); }
  void Paint(RenderResources& res) const override { PaintTextPrompt(res, prompt_); }
  bool Done() const override { return state_ != PromptState::Open; }
  void Cancel() override { state_ = PromptState::Cancelled; }
  PromptState state() const { return state_; }
  const TextPrompt& prompt() const { return prompt_; }

 private:
  TextPrompt prompt_;
  ClipboardSource clipboard_;
  PromptState state_ = PromptState::Open;
};

// Shows `prompt` and returns the typed text when it was answered with Enter;
// nothing when it was cancelled (Esc, a screen change, the program quitting)
// or could not be shown.
std::optional<std::u16string> AskTextOrCancel(ModalSlot& slot, TextPrompt prompt);

// The typed text when answered with Enter, otherwise an empty text.
std::u16string AskText(ModalSlot& slot, std::u16string title, std::u16string label, std::u16string initial);
