#include "ui/nav/navigator.h"

#include <algorithm>

#include "catalog/categories.h"
#include "panel/messages.h"
#include "ui/i18n/translate.h"
#include "ui/nav/live_navigation.h"
#include "ui/nav/virtual_keys.h"

namespace {

constexpr int kHomeTiles = 8;
constexpr int kVolumeStep = 5;
constexpr int kDefaultVolume = 80;

bool IsBack(int vk) { return vk == Vk::Escape || vk == Vk::Back; }

}  // namespace

void Navigator::OnKey(int vk, uint64_t /*nowMs*/) {
  if (state_.nav.QuestionOpen) return;  // the question's own loop reads keys
  // The reply box is modal: it takes every key, F11 included.
  if (HandleComposeKey(vk)) {
    actions_.Repaint();
    return;
  }
  if (vk == Vk::F11) {
    actions_.ToggleMaximized();
  } else if (!HandleVolumeKey(vk) && !HandleMessagesKey(vk) && !HandleBackKey(vk) &&
             state_.CurrentScreen == Screen::Home) {
    HandleHomeKey(vk);
  }
  actions_.Repaint();
}

// Enter in the messages panel: opens the reply box, or sends what it holds.
void Navigator::ComposeEnterKey() {
  const ComposeStep step = ComposeEnter(state_.nav.compose);
  state_.StatusText = std::u16string(Translate(step.statusKey));
  if (step.action == ComposeAction::Send) actions_.SendReply(step.text);
}

bool Navigator::HandleComposeKey(int vk) {
  NavState& nav = state_.nav;
  if (!(nav.compose.composeOpen && nav.MessagesOpen && state_.CurrentScreen == Screen::Home)) return false;
  if (vk == Vk::Escape) {
    nav.compose = ComposeState{};
  } else if (vk == Vk::Back) {
    ComposeBackspace(nav.compose);
  } else if (vk == Vk::Return) {
    ComposeEnterKey();
  }
  return true;
}

bool Navigator::HandleMessagesKey(int vk) {
  NavState& nav = state_.nav;
  if (!(nav.MessagesOpen && state_.CurrentScreen == Screen::Home)) return false;
  if (IsBack(vk)) {
    nav.MessagesOpen = false;
    nav.compose.composeOpen = false;
  } else if (vk == Vk::Return && nav.MessagesMode) {
    ComposeEnterKey();
  }
  return true;
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
      state_.StatusText = u"Mute";
    } else {
      volume = state_.VolumeBeforeMute > 0 ? state_.VolumeBeforeMute : kDefaultVolume;
    }
  } else {
    return false;
  }
  actions_.ApplyVolume(volume);
  actions_.SaveSettingsNow();
  if (vk != Vk::Letter('M') || volume > 0) {
    std::u16string text = u"Vol ";
    for (char c : std::to_string(volume)) text.push_back(char16_t(c));
    state_.StatusText = text;
  }
  return true;
}

bool Navigator::HandleBackKey(int vk) {
  if (!IsBack(vk)) return false;
  switch (state_.CurrentScreen) {
    case Screen::Home: break;
    case Screen::Search:
      // Esc leaves; Backspace edits the query (search screen comes later).
      if (vk == Vk::Escape || state_.nav.SearchQuery.empty()) SetScreen(Screen::Live);
      else state_.nav.SearchQuery.pop_back();
      break;
    case Screen::Groups:
      state_.nav.live.ActiveGroup = -1;
      SetScreen(Screen::Live);
      break;
    case Screen::Catchup: SetScreen(Screen::Live); break;
    case Screen::Account:
      SetScreen(vk == Vk::Escape && !state_.nav.AccountFromHome ? Screen::Settings : Screen::Home);
      break;
    default: SetScreen(Screen::Home); break;
  }
  return true;
}

void Navigator::HandleHomeKey(int vk) {
  int& index = state_.nav.HomeIndex;
  if (vk == Vk::Down) index = std::min(kHomeTiles - 1, index + 1);
  else if (vk == Vk::Up) index = std::max(0, index - 1);
  else if (vk == Vk::Return) ActivateHomeTile(index);
}

void Navigator::ActivateHomeTile(int index) {
  switch (index) {
    case 0:
      state_.nav.live.LiveCategoryIndex = 2;
      state_.nav.LiveCategoryScroll = 0;
      SetScreen(Screen::Live);
      break;
    case 1: SetScreen(Screen::Movies); break;
    case 2: SetScreen(Screen::Series); break;
    case 3: SetScreen(Screen::Sports); break;
    case 4:
      state_.nav.AccountFromHome = true;
      SetScreen(Screen::Account);
      actions_.StartPanelCheck();
      break;
    case 5: SetScreen(Screen::Settings); break;
    case 6: actions_.StartFullReload(); break;
    case 7:
      if (actions_.AskYesNo(u"Vistra", std::u16string(Translate("exit_ask")), false)) actions_.Quit();
      break;
    default: break;
  }
}

void Navigator::OpenMessagesPanel(bool messagesMode) {
  NavState& nav = state_.nav;
  nav.MessagesOpen = true;
  nav.MessagesMode = messagesMode;
  nav.compose.composeOpen = false;
  if (messagesMode) {
    nav.PanelBody = BuildThreadText(state_.panel.messages);
    if (!state_.panel.messages.empty()) {
      const PanelMessage& newest = state_.panel.messages.back();
      state_.settings.InboxSeenId = newest.id.empty() ? newest.text : newest.id;
      actions_.SaveSettingsNow();
    }
  } else if (!state_.trending.empty()) {
    const TrendingMovie& movie = state_.trending.front();
    nav.PanelBody = movie.title + u" (" + movie.year + u")\n" + movie.genreLine + u"  ★ " + movie.rating + u"\n\n" +
                    movie.overview;
  } else {
    nav.PanelBody.clear();
  }
  actions_.Repaint();
}

void Navigator::OnChar(char16_t ch) {
  if (ch < 32 || ch == 127) return;
  NavState& nav = state_.nav;
  if (nav.compose.composeOpen && nav.MessagesOpen && state_.CurrentScreen == Screen::Home) {
    ComposeType(nav.compose, ch);
    actions_.Repaint();
  }
}

void Navigator::SetScreen(Screen screen) {
  const Screen from = state_.CurrentScreen;
  if (screen != Screen::Player && screen != Screen::Live) state_.nav.fullVideo = false;
  state_.CurrentScreen = screen;
  NavState& nav = state_.nav;
  switch (screen) {
    case Screen::Live: {
      RebuildLiveList(state_.catalog, state_.settings, nav.live, state_.VisibleLive);
      const bool locked = CurrentLiveCategoryLocked(state_.catalog.LiveCategories, nav.live.LiveCategoryIndex);
      nav.ChannelIndex = DefaultChannelIndex(state_.VisibleLive, state_.settings, locked);
      break;
    }
    case Screen::Movies:
    case Screen::Series: {
      const VodKind kind = screen == Screen::Movies ? VodKind::Movies : VodKind::Series;
      const SharedItems& items = ItemsOf(state_.catalog, kind);
      if (!items || items->empty()) (kind == VodKind::Movies ? state_.flags.MoviesWanted : state_.flags.SeriesWanted) = true;
      nav.ItemFocus = 0;
      nav.ItemCategoryIndex = 1;
      RebuildItemList(state_.catalog, kind, state_.settings, nav.ItemCategoryIndex, state_.VisibleItems);
      break;
    }
    case Screen::Sports:
      nav.ListIndex = 0;
      actions_.StartSportsFetch();
      break;
    case Screen::Settings: nav.SettingsIndex = 0; break;
    default: break;
  }
  actions_.ScreenChanged(from, screen);
  actions_.Repaint();
}
