#pragma once
// The user's say over the guides (GuideActions): a live channel's choice of
// guide kept in guide_map.json, and the guide sources and offsets kept in
// preferences.json. A choice shows at once: the channel's link changes in
// the guides held and its rows are taken from them anew; then every guide is
// read again on a job (from the kept copies), so the programmes the new link
// needs are all read. Main thread only.
#include <string>
#include <string_view>
#include <vector>

#include "app/jobs.h"
#include "ui/screens/screen_actions.h"

struct AppState;

class GuideChoices final : public GuideActions {
 public:
  GuideChoices(AppState& state, JobMailbox& mailbox) : state_(state), mailbox_(mailbox) {}

  void ChooseGuide(std::u16string_view streamId, const std::string& sourceKey, const std::string& guideId) override;
  void ChooseNoGuide(std::u16string_view streamId) override;
  void ForgetGuideChoice(std::u16string_view streamId) override;
  void SetGuideSources(std::vector<GuideSourcePreference> sources, int providerOffsetHours) override;

 private:
  // Saves the map, relinks the channel in the guides held, drops its review
  // entry and its rows, and reads the guides again.
  void Changed(std::u16string_view streamId, const GuideAssignment* choice);

  AppState& state_;
  JobMailbox& mailbox_;
};
