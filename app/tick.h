#pragma once
// The one-second tick of the application: a list of named steps run in
// order (the list itself is Application::MakeTickSteps, app/tick.cpp).
// Main thread only.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One row of the tick: its name, what it runs, and whether it runs while a
// handler waits on a modal (ui/modals/modal_slot.h). Under a waiting handler
// only steps that paint (and take away a notice whose time is over) may
// run: a step that changes what a handler reads (a reload, a lazy load, the
// Player's supervision, the guides a screen asks for) would change it under
// the handler.
struct TickStep {
  const char* name;
  std::function<void(uint64_t nowMs)> run;
  bool whileHandlerWaits = false;
};

// Runs `steps` in order, only those marked whileHandlerWaits when
// `handlerWaiting`; a step left out is not made up later, the next tick
// runs it. True when the steps changed `statusText` (read before and
// after): a status text is on screen wherever it is drawn, so a step that
// changes it (a lazy load's "Loading movies…", the automatic reload's
// notice) asks for the frame that shows it, as a key or a job result would.
bool RunTickSteps(const std::vector<TickStep>& steps, uint64_t nowMs, bool handlerWaiting,
                  const std::u16string& statusText);
