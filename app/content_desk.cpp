#include "app/content_desk.h"

#include <optional>

#include "app/catalog_jobs.h"
#include "app/content_jobs.h"
#include "app/guide_jobs.h"
#include "catalog/panel_clock.h"
#include "extras/cache_clear.h"
#include "extras/speed_test.h"
#include "net/text.h"
#include "panel/messages.h"
#include "platform/device_names.h"
#include "store/runtime_log.h"
#include "ui/render/icon_cache.h"

void ContentDesk::StartFullReload() { ::StartFullReload(state_, mailbox_); }

void ContentDesk::StartPanelCheck() { ::StartPanelCheck(state_, mailbox_); }

void ContentDesk::StartSportsFetch() { StartSportsJob(state_, mailbox_); }

void ContentDesk::SendReply(const std::u16string& text) {
  PanelState panel = state_.panel;
  PanelSettings settings = PanelSettings::From(state_.settings);
  StartJob([this, panel = std::move(panel), settings = std::move(settings), text]() mutable {
    mailbox_.Deliver(ReplySent{RunSendJob(std::move(panel), std::move(settings), text)});
  });
}

void ContentDesk::RequestSeriesInfo(const CatalogItem& series, bool autoPlay) {
  state_.SeriesShown = series;
  state_.AutoplayFirstEpisode = autoPlay;
  WriteLogF(512, "series info id=%s autoplay=%d", WideToUtf8(series.id()).c_str(), autoPlay ? 1 : 0);
  StartSeriesInfoJob(state_, mailbox_, std::u16string(series.id()));
}

void ContentDesk::RestartBoot() { StartBoot(state_, mailbox_); }

void ContentDesk::ReloadPlaylist(const std::u16string& url) { ReloadPlaylistUrl(state_, mailbox_, url); }

// The files go, and so do the pictures held from them: the icons are
// downloaded again when next shown, and Home has no backdrop until the next
// one arrives.
void ContentDesk::ClearCache() {
  ClearCacheIntoReport(*state_.speedReport);
  render_.Icons().Clear();
  render_.ForgetBackdrop();
  state_.BackdropUrlRequested.clear();
  ++state_.BackdropGeneration;
}

void ContentDesk::StartCatchupGuide(const std::u16string& streamId) {
  StartGuideJob(state_, mailbox_, streamId, true);
  StartPanelClockJob();
}

void ContentDesk::RequestGuides(const std::vector<GuideWish>& wishes) {
  AskForGuides(state_, mailbox_, wishes);
  StartPanelClockJob();
}

void ContentDesk::StartSpeedTest() {
  const DeviceIdentity& identity = state_.panel.identity;
  SpeedTestDevice device{ComputerName(), identity.ShownMac(), identity.deviceKey};
  ::StartSpeedTest(state_.speedReport, device);
}

void ContentDesk::StartPanelClockJob() {
  if (!state_.panelClocks.BeginAsking(state_.account)) return;
  StartJob([this, account = state_.account] {
    std::optional<int32_t> offset = FetchPanelUtcOffset(account);
    mailbox_.Deliver(PanelClockRead{account, offset});
  });
}
