#include "ui/modals/pin_gate.h"

#include "catalog/channel_choice.h"
#include "catalog/parental_rule.h"
#include "store/runtime_log.h"
#include "i18n/translate.h"
#include "ui/modals/text_prompt.h"

namespace {

bool ValidRow(const AppState& state, int row) { return row >= 0 && row < static_cast<int>(state.VisibleLive.size()); }

bool PinAccepted(AppState& state, const PinAsker& ask) {
  const std::optional<std::u16string> answer = ask ? ask() : std::nullopt;
  if (!answer) {
    WriteLog("parental PIN prompt cancelled");
    return false;
  }
  if (*answer == state.settings.ParentalPin) return true;
  ShowNotice(state, std::u16string(Translate("wrong_pin")), kFeedbackNoticeMs);
  WriteLog("parental PIN refused");
  return false;
}

}  // namespace

bool ChannelOpen(const AppState& state, const CatalogItem& channel) {
  if (state.ChannelPinPassed) return true;
  return !ParentalRule(state.settings, state.catalog.LiveCategories).Locks(channel);
}

bool AskChannelPin(AppState& state, const PinAsker& ask) {
  if (!PinAccepted(state, ask)) return false;
  state.ChannelPinPassed = true;
  return true;
}

bool UnlockAllowed(const PinAsker& ask, AppState& state) {
  return !state.settings.ParentalOn || PinAccepted(state, ask);
}

PinAsker PinPrompt(ModalSlot& slot) {
  return [&slot] {
    TextPrompt prompt{std::u16string(Translate("parental")), std::u16string(Translate("enter_pin")), u"", true};
    return AskTextOrCancel(slot, std::move(prompt));
  };
}

bool ChannelGate(const PinAsker& ask, AppState& state, const CatalogItem& channel, LiveStart start) {
  if (ChannelOpen(state, channel)) return true;
  return start == LiveStart::Chosen && AskChannelPin(state, ask);
}

bool GateSelectedChannel(const PinAsker& ask, AppState& state, LiveStart start) {
  const int row = state.nav.ChannelIndex;
  return ValidRow(state, row) && ChannelGate(ask, state, state.VisibleLive[size_t(row)], start);
}

bool StepToAllowedChannel(const PinAsker& ask, AppState& state, int direction) {
  NavState& nav = state.nav;
  const int next = StepChannelIndex(state.VisibleLive, nav.ChannelIndex, direction, state.settings,
                                    state.catalog.LiveCategories, nav.live);
  if (next < 0) return false;
  nav.ChannelIndex = next;
  if (GateSelectedChannel(ask, state, LiveStart::Chosen)) return true;
  const std::u16string& playing = state.Playing().lastChannelId;
  const int row = playing.empty() ? -1 : state.VisibleLive.find(playing);
  if (row >= 0) nav.ChannelIndex = row;
  return false;
}

bool GateExternalHandOff(const PinAsker& ask, AppState& state) {
  const PlaybackState& playback = state.Playing();
  const bool live = playback.itemKey.empty() && !playback.PlayingTrailer() && !playback.currentChannel.id().empty();
  return !live || ChannelGate(ask, state, playback.currentChannel, LiveStart::Chosen);
}
