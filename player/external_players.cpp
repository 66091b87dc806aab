#include "player/external_players.h"

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
