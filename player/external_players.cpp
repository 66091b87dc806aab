#include "player/external_players.h"

#include "net/text.h"
#include "platform/process.h"

namespace {

bool IsExecutableFile(const std::filesystem::path& path) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::is_regular_file(status)) return false;
  using std::filesystem::perms;
  return (status.permissions() & (perms::owner_exec | perms::group_exec | perms::others_exec)) != perms::none;
}

}  // namespace

std::filesystem::path FindExternalPlayer(ExternalPlayerKind kind) {
  if (kind == ExternalPlayerKind::Vlc) {
    for (const char* candidate : {"/usr/bin/vlc", "/usr/local/bin/vlc", "/snap/bin/vlc"}) {
      if (IsExecutableFile(candidate)) return candidate;
    }
    return FindOnPath("vlc");
  }
  if (kind == ExternalPlayerKind::MxPlayer) return FindOnPath("mxplayer");
  return {};
}

const char* ExternalPlayerDownloadUrl(ExternalPlayerKind kind) {
  return kind == ExternalPlayerKind::Vlc ? "https://www.videolan.org/vlc/"
                                         : "https://play.google.com/store/apps/details?id=com.mxtech.videoplayer.ad";
}

std::vector<std::string> ExternalPlayerArgs(const std::filesystem::path& player, const std::u16string& url) {
  return {player.string(), WideToUtf8(url)};
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
