#pragma once
// Key and character handling outside the Player screen, and screen changes.
// Main thread only; painters read the state these handlers write.
#include <cstdint>

#include "app/app_state.h"
#include "ui/nav/nav_actions.h"

class Navigator {
 public:
  Navigator(AppState& state, NavActions& actions) : state_(state), actions_(actions) {}

  void OnKey(int vk, uint64_t nowMs);
  void OnChar(char16_t ch);
  void SetScreen(Screen screen);
  // Home: activates tile `index` (keys and clicks share it).
  void ActivateHomeTile(int index);
  // Home: the bell and the information button open the panel.
  void OpenMessagesPanel(bool messagesMode);

 private:
  void ComposeEnterKey();
  bool HandleComposeKey(int vk);
  bool HandleMessagesKey(int vk);
  bool HandleVolumeKey(int vk);
  bool HandleBackKey(int vk);
  void HandleHomeKey(int vk);

  AppState& state_;
  NavActions& actions_;
};
