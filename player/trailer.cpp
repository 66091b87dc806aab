#include "player/trailer.h"

#include <chrono>
#include <system_error>
#include <vector>

#include "net/endpoints.h"
#include "net/text.h"
#include "platform/process.h"

namespace {

constexpr std::u16string_view kDomainMarkers[] = {u"youtube.com", u"youtu.be"};
constexpr char kToolName[] = "yt-dlp";
constexpr std::chrono::seconds kToolLimit(20);

std::u16string AsciiLower(std::u16string_view text) {
  std::u16string lower(text);
  for (char16_t& c : lower) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return lower;
}

std::u16string ResolveWithTool(const std::u16string& url, const std::filesystem::path& tool) {
  if (tool.empty()) return url;
  // "--" ends the options: the URL can come from a server, and one starting
  // with "-" must never be read as an option of the tool (some run commands).
  const std::vector<std::string> argv = {PathUtf8(tool), "-g", "--no-playlist", "--no-warnings", "--", WideToUtf8(url)};
  const CapturedRun run = RunAndCapture(argv, std::chrono::duration_cast<std::chrono::milliseconds>(kToolLimit));
  if (!run.finished) return url;  // not started, or killed at the time limit
  std::u16string media = FirstMediaUrlLine(run.output);
  return media.empty() ? url : media;
}

}  // namespace

bool IsWebVideoPage(std::u16string_view url) {
  const std::u16string lower = AsciiLower(url);
  // The watch pages the trailer lookup itself builds, wherever the watch
  // address is configured to be.
  if (lower.starts_with(AsciiLower(Endpoints::WatchUrl()) + u"/watch")) return true;
  for (std::u16string_view marker : kDomainMarkers) {
    if (lower.find(marker) != std::u16string::npos) return true;
  }
  return false;
}

std::filesystem::path FindYtDlp(const std::filesystem::path& programFolder) {
  if (!programFolder.empty()) {
    const std::filesystem::path beside = programFolder / ProgramFileName(kToolName);
    std::error_code error;
    if (std::filesystem::exists(beside, error)) return beside;
  }
  return FindOnPath(ProgramFileName(kToolName));
}

// With "-g" the tool prints one URL per line (video and audio may be
// separate streams); the first is the one to play. Only a line that starts
// with "http" counts: an error or warning message that mentions a web
// address is no media URL.
std::u16string FirstMediaUrlLine(std::string_view output) {
  while (!output.empty()) {
    const size_t end = output.find('\n');
    std::string_view line = output.substr(0, end);
    output = end == std::string_view::npos ? std::string_view() : output.substr(end + 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (line.size() >= 4 && line.substr(0, 4) == "http") return Utf8ToWide(line);
  }
  return {};
}

std::u16string ResolveMediaUrl(const std::u16string& url) {
  if (!IsWebVideoPage(url)) return url;
  return ResolveMediaUrlFrom(url, ExecutableFolder());
}

std::u16string ResolveMediaUrlFrom(const std::u16string& url, const std::filesystem::path& programFolder) {
  if (!IsWebVideoPage(url)) return url;
  return ResolveWithTool(url, FindYtDlp(programFolder));
}
