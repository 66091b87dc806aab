#pragma once
// The Yes/No question: a modal overlay drawn over the current screen (a
// veil, a panel with a title, the question and two buttons), answered with
// the keys of a TV remote or the pointer. AskYesNo serves it from the modal
// slot; this file holds its state, its key and pointer rules and its
// painter. Main thread only.
#include <string>
#include <string_view>

#include "ui/modals/modal_slot.h"
#include "ui/render/render_resources.h"

struct QuestionDialog {
  enum Button : int { kYes = 0, kNo = 1 };

  std::u16string title;
  std::u16string text;
  std::u16string yesText;  // MakeQuestion puts the interface language's words
  std::u16string noText;
  int highlighted = kNo;  // the default button is highlighted first
};

// A question with `defaultButton` highlighted, its buttons labelled in the
// current interface language.
QuestionDialog MakeQuestion(std::u16string title, std::u16string text, int defaultButton);

enum class QuestionAnswer { Pending, Yes, No };

// Left/Right (and Tab) move between the buttons, Enter answers with the
// highlighted one, Esc and Backspace answer No; other keys are ignored.
QuestionAnswer QuestionOnKey(QuestionDialog& dialog, int vk);

// A pointer click: on a button it answers with that button; elsewhere it
// does nothing (the question stays until it is answered).
QuestionAnswer QuestionOnClick(QuestionDialog& dialog, double x, double y, double width, double height);

RectF QuestionPanelRect(double width, double height);
RectF QuestionTitleRect(double width, double height);
RectF QuestionTextRect(double width, double height);
RectF QuestionButtonRect(int button, double width, double height);
// kYes, kNo, or -1 when the point is on no button.
int QuestionHitTest(double x, double y, double width, double height);

void PaintQuestion(RenderResources& res, const QuestionDialog& dialog);

// The question in the modal slot.
class QuestionModal final : public Modal {
 public:
  explicit QuestionModal(QuestionDialog dialog) : dialog_(std::move(dialog)) {}
  void OnKey(int vk) override { Answer(QuestionOnKey(dialog_, vk)); }
  void OnPointer(const PointerEvent& event, int width, int height, uint64_t nowMs) override;
  void Paint(RenderResources& res) const override { PaintQuestion(res, dialog_); }
  bool Done() const override { return answer_ != QuestionAnswer::Pending; }
  void Cancel() override { answer_ = QuestionAnswer::No; }
  QuestionAnswer answer() const { return answer_; }

 private:
  void Answer(QuestionAnswer answer) {
    if (answer != QuestionAnswer::Pending) answer_ = answer;
  }
  QuestionDialog dialog_;
  QuestionAnswer answer_ = QuestionAnswer::Pending;
};

// Asks a Yes/No question with `defaultYes` choosing the button highlighted
// first; true for Yes. A question that cannot be shown, or is left
// unanswered because the program quits, counts as No.
bool AskYesNo(ModalSlot& slot, std::u16string title, std::u16string text, bool defaultYes);
