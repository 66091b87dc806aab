#include "ui/nav/navigator.h"

#include <algorithm>
#include <string>
#include <utility>

#include "net/text.h"
#include "platform/virtual_keys.h"
#include "i18n/translate.h"
#include "ui/modals/key_help_overlay.h"
#include "ui/screens/key_help.h"

namespace {

constexpr int kVolumeStep = 5;
constexpr int kDefaultVolume = 80;

// Keys that type a character (letters, digits, space, the numpad's and the
// punctuation keys); Enter, Esc, the arrows and the like type none.
bool TypesCharacter(int vk) {
  return vk == Vk::Space || vk == Vk::Record || (vk >= Vk::Digit0 && vk <= Vk::Digit(9)) || (vk >= Vk::LetterA && vk <= Vk::Letter('Z')) ||
         (vk >= Vk::Numpad0 && vk <= 0x6F) || (vk >= 0xBA && vk <= 0xE2);
}

std::u16string VolumeText(int volume) { return TranslateWith("volume_level", AsciiToWide(std::to_string(volume))); }

}  // namespace

ScreenContext Navigator::Context(int width, int height) {
  if (width < 0) width = width_;
  if (height < 0) height = height_;
  return ScreenContext{state_, services_.window, services_.content, services_.playback, services_.recording, services_.guides, *this, modal_, nowMs_, width, height};
}

void Navigator::OnKey(int vk, uint64_t nowMs) {
  nowMs_ = nowMs;
  echo_ = KeyEcho{TypesCharacter(vk), modal_.Openings()};
  if (Modal* modal = modal_.Current()) {
    modal->OnKey(vk);
    services_.window.Repaint();
    return;
  }
  if (vk == Vk::F1) {
    ShowKeyHelp();
    services_.window.Repaint();
    return;
  }
  ScreenContext ctx = Context();
  ScreenView& screen = screens_[state_.CurrentScreen];
  if (screen.TakeKeyFirst(ctx, vk)) {
  } else if (vk == Vk::F11) {
    services_.window.ToggleMaximized();
  } else if (!HandleVolumeKey(vk) && !screen.TakeKeyBeforeBack(ctx, vk) && !HandleBackKey(vk)) {
    screen.OnKey(ctx, vk);
  }
  services_.window.Repaint();
}

void Navigator::OnChar(char16_t ch, uint64_t nowMs) {
  nowMs_ = nowMs;
  const bool openedByItsKey = std::exchange(echo_.pending, false) && modal_.Openings() != echo_.openings;
  if (ch < 32 || ch == 127) return;
  if (Modal* modal = modal_.Current()) {
    if (openedByItsKey) return;
    modal->OnChar(ch);
    services_.window.Repaint();
    return;
  }
  ScreenContext ctx = Context();
  if (screens_[state_.CurrentScreen].OnChar(ctx, ch)) {
    services_.window.Repaint();
  } else if (ch == u'?') {  // where no text is typed
    ShowKeyHelp();
    services_.window.Repaint();
  }
}

void Navigator::ShowKeyHelp() {
  const Screen screen = state_.CurrentScreen;
  ::ShowKeyHelp(modal_, MakeKeyHelpSheet(screen, screens_[screen].Help(state_)), nowMs_);
}

void Navigator::OnPointer(const PointerEvent& event, int width, int height, uint64_t nowMs) {
  nowMs_ = nowMs;
  if (Modal* modal = modal_.Current()) {
    modal->OnPointer(event, width, height, nowMs);
    services_.window.Repaint();
    return;
  }
  ScreenContext ctx = Context(width, height);
  screens_[state_.CurrentScreen].OnPointer(ctx, event);
  if (event.kind != PointerEvent::Kind::Move) services_.window.Repaint();
}

bool Navigator::HandleVolumeKey(int vk) {
  int32_t& volume = state_.settings.Volume;
  if (vk == Vk::NumpadAdd || vk == Vk::OemPlus) {
    volume = std::min(100, volume + kVolumeStep);
  } else if (vk == Vk::NumpadSubtract || vk == Vk::OemMinus) {
    volume = std::max(0, volume - kVolumeStep);
  } else if (vk == Vk::Letter('M')) {
    if (volume >= 1) {
      state_.VolumeBeforeMute = volume;
      volume = 0;
      ShowNotice(state_, std::u16string(Translate("mute")), kFeedbackNoticeMs);
    } else {
      volume = state_.VolumeBeforeMute > 0 ? state_.VolumeBeforeMute : kDefaultVolume;
    }
  } else {
    return false;
  }
  services_.playback.ApplyVolume(volume);
  services_.window.SaveSettingsNow();
  if (vk != Vk::Letter('M') || volume > 0) ShowNotice(state_, VolumeText(volume), kFeedbackNoticeMs);
  return true;
}

// Where Esc and Backspace lead from each screen. The Search screen takes
// Backspace for its query itself; Home stays.
bool Navigator::HandleBackKey(int vk) {
  if (!Vk::IsBack(vk)) return false;
  switch (state_.CurrentScreen) {
    case Screen::Home: break;
    case Screen::Search:
      if (vk == Vk::Escape || state_.nav.SearchQuery.empty()) SetScreen(Screen::Live);
      else state_.nav.SearchQuery.pop_back();
      break;
    case Screen::Groups:
      state_.nav.live.ActiveGroup = -1;
      SetScreen(Screen::Live);
      break;
    case Screen::Catchup: SetScreen(Screen::Live); break;
    case Screen::Recordings: SetScreen(state_.nav.recordingsFrom); break;
    case Screen::Account:
      SetScreen(vk == Vk::Escape && !state_.nav.AccountFromHome ? Screen::Settings : Screen::Home);
      break;
    default: SetScreen(Screen::Home); break;
  }
  return true;
}

void Navigator::CatalogChanged(const CatalogChange& change) {
  ScreenContext ctx = Context();
  for (int i = 0; i < kScreenCount; ++i) screens_[Screen(i)].OnCatalogChanged(ctx, change);
}

void Navigator::GuidesUpdated() {
  ScreenContext ctx = Context();
  screens_[state_.CurrentScreen].OnGuidesUpdated(ctx);
}

void Navigator::SetScreen(Screen screen) {
  modal_.Cancel();
  const Screen from = state_.CurrentScreen;
  // A status belongs to the screen it was written on; a catalog load's
  // progress stays until the load ends.
  if (screen != from && !state_.flags.CatalogBusy) state_.StatusText.clear();
  ScreenContext ctx = Context();
  screens_[from].OnLeave(ctx, screen);
  if (screen != Screen::Player && screen != Screen::Live) state_.nav.fullVideo = false;
  state_.CurrentScreen = screen;
  services_.playback.LayoutVideo();
  screens_[screen].OnEnter(ctx, from);
}
