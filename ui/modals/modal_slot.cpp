#include "ui/modals/modal_slot.h"

bool ModalSlot::Run(Modal& modal) {
  if (current_) return false;
  current_ = &modal;
  ++openings_;
  if (repaint_) repaint_();
  loop_([&modal] { return modal.Done(); });
  current_ = nullptr;
  if (repaint_) repaint_();
  return true;
}

void ModalSlot::Cancel() {
  if (current_) current_->Cancel();
}
