#include "ui/modals/pin_gate.h"

#include <algorithm>

#include "catalog/categories.h"
#include "catalog/special_categories.h"
#include "store/runtime_log.h"
#include "ui/i18n/translate.h"
#include "ui/modals/text_prompt.h"

namespace {

const Category* FindLiveCategory(const AppState& state, std::u16string_view id) {
  for (const Category& category : state.catalog.LiveCategories) {
    if (category.id == id) return &category;
  }
  return nullptr;
}

bool InList(const IdList& list, std::u16string_view id) { return std::find(list.begin(), list.end(), id) != list.end(); }

}  // namespace

bool PinGateAsks(const AppState& state, std::u16string_view target) {
  if (!state.settings.ParentalOn || target.empty() || target == SpecialCategory::Lock) return false;
  if (target == kChannelPinTarget) return !state.ChannelPinPassed;
  const Category* category = FindLiveCategory(state, target);
  if (category && IsAdultCategory(*category)) return false;
  return InList(state.settings.LockLive, target);
}

bool PinGate(AppState& state, std::u16string_view target, const PinAsker& ask) {
  if (!PinGateAsks(state, target)) return true;
  const std::optional<std::u16string> answer = ask ? ask() : std::nullopt;
  if (answer && *answer == state.settings.ParentalPin) {
    if (target == kChannelPinTarget) state.ChannelPinPassed = true;
    return true;
  }
  ShowToast(state, std::u16string(Translate("wrong_pin")), kFeedbackNoticeMs);
  WriteLog(answer ? "parental PIN refused" : "parental PIN prompt cancelled");
  return false;
}

bool PinGate(ModalSlot& slot, AppState& state, std::u16string_view target) {
  return PinGate(state, target, [&slot] {
    TextPrompt prompt{std::u16string(Translate("parental")), std::u16string(Translate("enter_pin")), u"", true};
    return AskTextOrCancel(slot, std::move(prompt));
  });
}
