#include "store/guide_map.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "net/json_scan.h"
#include "net/text.h"
#include "store/data_folder.h"
#include "store/file_io.h"

namespace {

std::mutex& SaveLock() {
  static std::mutex lock;
  return lock;
}

bool SameChannel(const GuideAssignment& a, std::string_view account, std::u16string_view streamId) {
  return a.account == account && a.streamId == streamId;
}

}  // namespace

const GuideAssignment* GuideMapFile::Find(std::string_view account, std::u16string_view streamId) const {
  const auto it = std::find_if(assignments.begin(), assignments.end(),
                               [&](const GuideAssignment& a) { return SameChannel(a, account, streamId); });
  return it == assignments.end() ? nullptr : &*it;
}

void GuideMapFile::Set(GuideAssignment assignment) {
  Forget(assignment.account, assignment.streamId);
  assignments.push_back(std::move(assignment));
}

bool GuideMapFile::Forget(std::string_view account, std::u16string_view streamId) {
  return std::erase_if(assignments, [&](const GuideAssignment& a) { return SameChannel(a, account, streamId); }) > 0;
}

std::filesystem::path GuideMapPath() { return EnsureDataFolder() / "guide_map.json"; }

std::string SerializeGuideMap(const GuideMapFile& file) {
  std::string text = "{\n  \"assignments\": [";
  for (size_t i = 0; i < file.assignments.size(); ++i) {
    const GuideAssignment& a = file.assignments[i];
    text += i ? ",\n    {" : "\n    {";
    text += "\"account\": " + JsonScan::Quoted(a.account);
    text += ", \"streamId\": " + JsonScan::Quoted(WideToUtf8(a.streamId));
    text += ", \"source\": " + JsonScan::Quoted(a.source);
    text += ", \"guideId\": " + JsonScan::Quoted(a.guideId) + "}";
  }
  text += file.assignments.empty() ? "]" : "\n  ]";
  text += "\n}\n";
  return text;
}

GuideMapFile ParseGuideMap(std::string_view text) {
  GuideMapFile file;
  // Later entries for a channel replace earlier ones without a search each.
  std::unordered_map<std::string, size_t> at;
  const std::string list = JsonScan::Array(text, "assignments");
  const std::string_view inside =
      list.size() >= 2 ? std::string_view(list).substr(1, list.size() - 2) : std::string_view();
  for (const std::string_view object : JsonScan::Objects(inside)) {
    GuideAssignment a;
    a.account = JsonScan::TextValue(object, "account");
    a.streamId = Utf8ToWide(JsonScan::TextValue(object, "streamId"));
    // Without its channel an entry means nothing.
    if (a.account.empty() || a.streamId.empty()) continue;
    a.source = JsonScan::TextValue(object, "source");
    a.guideId = JsonScan::TextValue(object, "guideId");
    const auto [it, added] = at.emplace(a.account + '\n' + WideToUtf8(a.streamId), file.assignments.size());
    if (added)
      file.assignments.push_back(std::move(a));
    else
      file.assignments[it->second] = std::move(a);
  }
  return file;
}

GuideMapFile LoadGuideMap() {
  const std::optional<std::string> text = ReadWholeFile(GuideMapPath(), 32 * 1024 * 1024);
  return text ? ParseGuideMap(*text) : GuideMapFile{};
}

bool SaveGuideMap(const GuideMapFile& file) {
  const std::lock_guard<std::mutex> hold(SaveLock());
  return WriteFileAtomically(GuideMapPath(), SerializeGuideMap(file));
}
