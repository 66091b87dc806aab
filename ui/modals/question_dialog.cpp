#include "ui/modals/question_dialog.h"

#include <algorithm>

#include "platform/virtual_keys.h"
#include "i18n/translate.h"

// The panel sits where the text-entry dialog sits (x in the 2400-wide design
// space), so every modal question of the program looks alike.

QuestionDialog MakeQuestion(std::u16string title, std::u16string text, int defaultButton) {
  QuestionDialog dialog;
  dialog.title = std::move(title);
  dialog.text = std::move(text);
  // A system message box speaks the system's language; this one is drawn by
  // the program, so its buttons follow the interface language.
  dialog.yesText = Translate("yes");
  dialog.noText = Translate("no");
  dialog.highlighted = defaultButton == QuestionDialog::kYes ? QuestionDialog::kYes : QuestionDialog::kNo;
  return dialog;
}

QuestionAnswer QuestionOnKey(QuestionDialog& dialog, int vk) {
  switch (vk) {
    case Vk::Left:
      dialog.highlighted = QuestionDialog::kYes;
      return QuestionAnswer::Pending;
    case Vk::Right:
      dialog.highlighted = QuestionDialog::kNo;
      return QuestionAnswer::Pending;
    case Vk::Tab:
      dialog.highlighted = dialog.highlighted == QuestionDialog::kYes ? QuestionDialog::kNo : QuestionDialog::kYes;
      return QuestionAnswer::Pending;
    case Vk::Return:
      return dialog.highlighted == QuestionDialog::kYes ? QuestionAnswer::Yes : QuestionAnswer::No;
    case Vk::Escape:
    case Vk::Back:
      return QuestionAnswer::No;
    default:
      return QuestionAnswer::Pending;
  }
}

QuestionAnswer QuestionOnClick(QuestionDialog& dialog, double x, double y, double width, double height) {
  const int button = QuestionHitTest(x, y, width, height);
  if (button < 0) return QuestionAnswer::Pending;
  dialog.highlighted = button;
  return button == QuestionDialog::kYes ? QuestionAnswer::Yes : QuestionAnswer::No;
}

RectF QuestionPanelRect(double width, double height) { return WideRect(625, 320, 1775, 720, width, height); }

RectF QuestionTitleRect(double width, double height) { return WideRect(675, 340, 1725, 410, width, height); }

RectF QuestionTextRect(double width, double height) { return WideRect(675, 420, 1725, 560, width, height); }

RectF QuestionButtonRect(int button, double width, double height) {
  if (button == QuestionDialog::kYes) return WideRect(880, 590, 1180, 680, width, height);
  return WideRect(1220, 590, 1520, 680, width, height);
}

int QuestionHitTest(double x, double y, double width, double height) {
  for (int button : {QuestionDialog::kYes, QuestionDialog::kNo}) {
    if (QuestionButtonRect(button, width, height).Contains(x, y)) return button;
  }
  return -1;
}

void PaintQuestion(RenderResources& res, const QuestionDialog& dialog) {
  if (!res.Drawing()) return;
  const double W = res.Width(), H = res.Height();
  const Brushes& brush = res.Brush();
  res.FillRect(RectF{0, 0, W, H}, Rgba{0.02, 0.02, 0.03, 0.72});
  res.FillRounded(QuestionPanelRect(W, H), 16, brush.Panel);
  // Font sizes do not follow the window: on a low one the title's box grows
  // to hold its line, and the text starts below it.
  RectF title = QuestionTitleRect(W, H);
  title.bottom = std::max(title.bottom, title.top + res.MeasureText(FontId::Title, u"Ag").second);
  RectF text = QuestionTextRect(W, H);
  text.top = std::max(text.top, title.bottom + 4);
  res.DrawTrimmed(FontId::Title, dialog.title, title, brush.Accent);
  res.DrawTrimmed(FontId::Label, dialog.text, text, brush.White);
  for (int button : {QuestionDialog::kYes, QuestionDialog::kNo}) {
    const bool selected = dialog.highlighted == button;
    res.DrawButton(QuestionButtonRect(button, W, H), button == QuestionDialog::kYes ? dialog.yesText : dialog.noText,
                   selected, selected);
  }
}

void QuestionModal::OnPointer(const PointerEvent& event, int width, int height, uint64_t /*nowMs*/) {
  if (event.kind != PointerEvent::Kind::Up) return;
  Answer(QuestionOnClick(dialog_, event.x, event.y, width, height));
}

bool AskYesNo(ModalSlot& slot, std::u16string title, std::u16string text, bool defaultYes) {
  QuestionModal modal(MakeQuestion(std::move(title), std::move(text), defaultYes ? QuestionDialog::kYes : QuestionDialog::kNo));
  if (!slot.Run(modal)) return false;
  return modal.answer() == QuestionAnswer::Yes;
}
