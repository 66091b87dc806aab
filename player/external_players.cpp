#include "player/external_players.h"

#include "net/text.h"
#include "platform/process.h"

std::filesystem::path FindExternalPlayer(ExternalPlayerKind kind) {
  const char* name = kind == ExternalPlayerKind::Vlc ? "vlc" : kind == ExternalPlayerKind::MxPlayer ? "mxplayer" : nullptr;
  if (!name) return {};
  for (const std::filesystem::path& candidate : UsualInstallPaths(name)) {
    if (IsProgramFile(candidate)) return candidate;
  }
  return FindOnPath(ProgramFileName(name));
}

const char* ExternalPlayerDownloadUrl(ExternalPlayerKind kind) {
  return kind == ExternalPlayerKind::Vlc ? "https://www.videolan.org/vlc/"
                                         : "https://play.google.com/store/apps/details?id=com.mxtech.videoplayer.ad";
}

std::vector<std::string> ExternalPlayerArgs(const std::filesystem::path& player, const std::u16string& url) {
  return {PathUtf8(player), WideToUtf8(url)};
}

ExternalPlayerKind ExternalKindOf(int32_t setting) {
  if (setting < 1) return ExternalPlayerKind::None;
  return setting == 2 ? ExternalPlayerKind::MxPlayer : ExternalPlayerKind::Vlc;
}

bool LaunchExternal(const std::u16string& url, int32_t externalKind, const ExternalLaunchHooks& hooks) {
  const ExternalPlayerKind kind = ExternalKindOf(externalKind);
  if (url.empty() || kind == ExternalPlayerKind::None) return false;
  constexpr uint64_t kNoticeMs = 2500;
  auto notice = [&](const char* key) {
    if (hooks.notice) hooks.notice(key, kNoticeMs);
  };
  const std::filesystem::path player = hooks.find ? hooks.find(kind) : FindExternalPlayer(kind);
  if (player.empty()) {
    if (hooks.offerDownload) hooks.offerDownload(kind);
    notice("ext_fail");
    return false;
  }
  const bool started = url.front() != u'-' && (hooks.launch ? hooks.launch(ExternalPlayerArgs(player, url))
                                                            : LaunchDetached(ExternalPlayerArgs(player, url)));
  notice(started ? "ext_ok" : "ext_fail");
  return started;
}
