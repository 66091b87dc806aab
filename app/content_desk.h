#pragma once
// The content jobs the screens ask for (ContentActions): reloads, the panel,
// sports, series episodes, the catch-up guide, the grid's guides, the speed
// test and the cache.
// Each starts a job or changes state the main thread owns; results come
// back through the job mailbox. Main thread only.
#include "app/jobs.h"
#include "state/app_state.h"
#include "ui/render/render_resources.h"
#include "ui/screens/screen_actions.h"

class ContentDesk final : public ContentActions {
 public:
  ContentDesk(AppState& state, JobMailbox& mailbox, RenderResources& render)
      : state_(state), mailbox_(mailbox), render_(render) {}

  void StartFullReload() override;
  void StartPanelCheck() override;
  void StartSportsFetch() override;
  void SendReply(const std::u16string& text) override;
  void RequestSeriesInfo(const CatalogItem& series, bool autoPlay) override;
  void RestartBoot() override;
  void ReloadPlaylist(const std::u16string& url) override;
  void ClearCache() override;
  void StartSpeedTest() override;
  void StartCatchupGuide(const std::u16string& streamId) override;
  void RequestGuides(const std::vector<GuideWish>& wishes) override;

 private:
  // Reads the provider panel's clock once per account, on a job (catch-up
  // needs the panel's UTC offset).
  void StartPanelClockJob();

  AppState& state_;
  JobMailbox& mailbox_;
  RenderResources& render_;
};
