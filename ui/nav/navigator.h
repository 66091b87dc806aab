#pragma once
// The global part of input: the order in which a key, a character or a
// pointer event is offered (the modal slot first, then F1, the key help,
// the current screen's own text box, F11, the volume keys, the screen's
// overlays, the back keys, and finally the screen; a "?" that the screen
// does not take as text opens the key help too), and SetScreen with the side effects every screen
// change shares. What a key does on one screen is that screen's own
// (ui/screens/). Main thread only; painters read the state written here.
#include <cstdint>

#include "platform/host_window.h"
#include "state/app_state.h"
#include "ui/modals/modal_slot.h"
#include "ui/screens/screen_actions.h"
#include "ui/screens/screen_table.h"

class Navigator {
 public:
  Navigator(AppState& state, ScreenServices services, const ScreenTable& screens, ModalSlot& modal)
      : state_(state), services_(services), screens_(screens), modal_(modal) {}

  void OnKey(int vk, uint64_t nowMs);
  void OnChar(char16_t ch, uint64_t nowMs);
  void OnPointer(const PointerEvent& event, int width, int height, uint64_t nowMs);

  // Leaves the current screen, cancels an open modal, enters `screen` and
  // places the video for it. The caller repaints.
  void SetScreen(Screen screen);
  // The catalog's lists in `change` were replaced: every screen rebuilds
  // what it owns (ScreenView::OnCatalogChanged).
  void CatalogChanged(const CatalogChange& change);
  // Guides arrived or time passed: the shown screen asks for what it lacks.
  void GuidesUpdated();
  // The interface surface's size, for key handlers that keep a selection
  // in view (they scroll by the layout the painter uses).
  void SetSurfaceSize(int width, int height) {
    width_ = width;
    height_ = height;
  }

 private:
  ScreenContext Context(int width = -1, int height = -1);
  bool HandleVolumeKey(int vk);
  bool HandleBackKey(int vk);
  // The current screen's key help, in the modal slot.
  void ShowKeyHelp();

  AppState& state_;
  ScreenServices services_;
  const ScreenTable& screens_;
  ModalSlot& modal_;
  uint64_t nowMs_ = 0;  // tick of the event being handled
  // The window sends a key's character right after the key. When that key
  // opened a modal (a PIN prompt on "5" or "E", a name prompt on "N"), the
  // character arrives inside it and is not the first thing typed there.
  struct KeyEcho {
    bool pending = false;   // the last key types a character not yet arrived
    uint64_t openings = 0;  // ModalSlot::Openings() when the key came
  } echo_;
  int width_ = 1280, height_ = 720;
};
