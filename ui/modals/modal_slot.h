#pragma once
// The one modal slot. An overlay that takes every key (the Yes/No question,
// the pickers, the text and PIN prompts, the speed test) is a Modal; while
// one sits in the slot, keys, characters and clicks go to it and to nothing
// else, and it is painted over the current screen.
//
// Asking is a call that returns the answer: Run puts the modal in the slot
// and serves the window's events in a nested loop until the modal is done
// (or the program quits, which leaves it unanswered, that is cancelled),
// then empties the slot. Main thread only; at most one modal at a time.
//
// One pass per handler: the handler that called Run finds the state as it
// left it. The nested loop serves input (to the modal), painting, and only
// the job results the modal itself shows (app/jobs.h,
// kMergesWhileHandlerWaits: the speed report, arrived icons); every other
// result waits in the mailbox until the handler has returned, then merges
// in its order. The one-second tick runs only its clock and toast steps
// meanwhile. So a row, a list or a setting read before asking is still
// valid after the answer.
#include <cstdint>
#include <functional>

#include "platform/host_window.h"
#include "ui/render/render_resources.h"

class Modal {
 public:
  virtual ~Modal() = default;
  virtual void OnKey(int vk) = 0;
  virtual void OnChar(char16_t /*ch*/) {}
  // Pointer events in window pixels of a width x height client area.
  virtual void OnPointer(const PointerEvent& /*event*/, int /*width*/, int /*height*/, uint64_t /*nowMs*/) {}
  virtual void Paint(RenderResources& res) const = 0;
  virtual bool Done() const = 0;
  // A screen change closes the modal as Esc would.
  virtual void Cancel() = 0;
};

// Serves the window's events until `done` returns true after one of them,
// or the program quits, holding back job results as Run's contract says.
using NestedLoop = std::function<void(const std::function<bool()>& done)>;

class ModalSlot {
 public:
  ModalSlot(NestedLoop loop, std::function<void()> repaint) : loop_(std::move(loop)), repaint_(std::move(repaint)) {}

  // Shows `modal` until it is done; false (nothing shown) when the slot is
  // taken. The caller reads the answer from its modal afterwards.
  bool Run(Modal& modal);

  bool Open() const { return current_ != nullptr; }
  Modal* Current() const { return current_; }
  void Cancel();
  // How many modals have been shown so far: a change tells that a modal
  // opened since the count was read (the same address may hold another).
  uint64_t Openings() const { return openings_; }

 private:
  NestedLoop loop_;
  std::function<void()> repaint_;
  Modal* current_ = nullptr;
  uint64_t openings_ = 0;
};
