#pragma once
// The one-second tick of the application: a list of named steps run in
// order (the list itself is Application::MakeTickSteps, app/tick.cpp).
// Main thread only.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using TickStep = std::function<void(uint64_t nowMs)>;

// Runs `steps` in order. True when they changed `statusText` (read before
// and after): a status text is on screen wherever it is drawn, so a step
// that changes it (a lazy load's "Loading movies…", the automatic reload's
// notice) asks for the frame that shows it, as a key or a job result would.
bool RunTickSteps(const std::vector<TickStep>& steps, uint64_t nowMs, const std::u16string& statusText);
