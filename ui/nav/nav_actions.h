#pragma once
// What the key and click handlers ask of the application around them: the
// window, the jobs and the media engine. The application implements it;
// tests record the calls.
#include <string>

#include "ui/nav/screen.h"

class NavActions {
 public:
  virtual ~NavActions() = default;
  // A modal Yes/No question; returns true for Yes. Runs a nested loop.
  virtual bool AskYesNo(const std::u16string& title, const std::u16string& text, bool defaultYes) = 0;
  virtual void Quit() = 0;
  virtual void StartFullReload() = 0;
  virtual void StartPanelCheck() = 0;
  virtual void StartSportsFetch() = 0;
  virtual void SendReply(const std::u16string& text) = 0;
  virtual void ToggleMaximized() = 0;
  virtual void ApplyVolume(int volume) = 0;
  virtual void SaveSettingsNow() = 0;
  // Called after CurrentScreen changed, for layout (video rectangle) work.
  virtual void ScreenChanged(Screen from, Screen to) = 0;
  virtual void Repaint() = 0;
};
