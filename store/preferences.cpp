#include "store/preferences.h"

#include <algorithm>
#include <charconv>
#include <mutex>

#include "net/json_scan.h"
#include "store/data_folder.h"
#include "store/file_io.h"

namespace {

constexpr char kLiveBufferKey[] = "liveBufferMinutes";
constexpr char kStartOnLastKey[] = "startOnLastChannel";
constexpr char kFolderKey[] = "recordingsFolder";
constexpr char kPaddingBeforeKey[] = "paddingBeforeMinutes";
constexpr char kPaddingAfterKey[] = "paddingAfterMinutes";
constexpr char kGuideSourcesKey[] = "guideSources";
constexpr char kProviderOffsetKey[] = "providerGuideOffsetHours";

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\n' || text.back() == '\r' || text.back() == '\t'))
    text.remove_suffix(1);
  return text;
}

// One of `choices`; a hand-edited file may quote the number; anything else
// keeps the default.
template <size_t N>
int Choice(std::string_view raw, const int (&choices)[N], int fallback) {
  raw = Trimmed(raw);
  int value = 0;
  const auto [end, error] = std::from_chars(raw.data(), raw.data() + raw.size(), value);
  if (error != std::errc() || end != raw.data() + raw.size()) return fallback;
  const auto* choice = std::find(std::begin(choices), std::end(choices), value);
  return choice == std::end(choices) ? fallback : value;
}

int OffsetHours(std::string_view raw) {
  raw = Trimmed(raw);
  if (!raw.empty() && raw.front() == '+') raw.remove_prefix(1);
  int value = 0;
  const auto [end, error] = std::from_chars(raw.data(), raw.data() + raw.size(), value);
  if (error != std::errc() || end != raw.data() + raw.size()) return 0;
  return std::clamp(value, -kGuideOffsetLimitHours, kGuideOffsetLimitHours);
}

std::vector<GuideSourcePreference> GuideSources(std::string_view text) {
  std::vector<GuideSourcePreference> sources;
  const std::string list = JsonScan::Array(text, kGuideSourcesKey);
  if (list.size() < 2) return sources;
  for (const std::string_view object : JsonScan::Objects(std::string_view(list).substr(1, list.size() - 2))) {
    GuideSourcePreference source{JsonScan::TextValue(object, "url"), OffsetHours(JsonScan::Value(object, "offsetHours"))};
    if (source.url.empty() || sources.size() == kMaxGuideSources) continue;
    sources.push_back(std::move(source));
  }
  return sources;
}

bool Flag(std::string_view raw, bool fallback) {
  raw = Trimmed(raw);
  if (raw == "true") return true;
  if (raw == "false") return false;
  return fallback;
}

std::mutex& SaveLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

std::filesystem::path PreferencesPath() { return EnsureDataFolder() / "preferences.json"; }

std::string SerializePreferences(const Preferences& p) {
  std::string text = "{\n  \"";
  text += kLiveBufferKey;
  text += "\": " + std::to_string(p.liveBufferMinutes) + ",\n  \"";
  text += kStartOnLastKey;
  text += std::string("\": ") + (p.startOnLastChannel ? "true" : "false") + ",\n  \"";
  text += kFolderKey;
  text += "\": " + JsonScan::Quoted(p.recordingsFolder) + ",\n  \"";
  text += kPaddingBeforeKey;
  text += "\": " + std::to_string(p.paddingBeforeMinutes) + ",\n  \"";
  text += kPaddingAfterKey;
  text += "\": " + std::to_string(p.paddingAfterMinutes) + ",\n  \"";
  text += kGuideSourcesKey;
  text += "\": [";
  for (size_t i = 0; i < p.guideSources.size(); ++i) {
    text += i ? ",\n    {\"url\": " : "\n    {\"url\": ";
    text += JsonScan::Quoted(p.guideSources[i].url) + ", \"offsetHours\": " + std::to_string(p.guideSources[i].offsetHours) + "}";
  }
  text += p.guideSources.empty() ? "],\n  \"" : "\n  ],\n  \"";
  text += kProviderOffsetKey;
  text += "\": " + std::to_string(p.providerGuideOffsetHours) + "\n}\n";
  return text;
}

Preferences ParsePreferences(std::string_view text) {
  Preferences p;
  p.liveBufferMinutes = Choice(JsonScan::Value(text, kLiveBufferKey), kLiveBufferChoices, p.liveBufferMinutes);
  p.recordingsFolder = JsonScan::TextValue(text, kFolderKey);
  p.paddingBeforeMinutes = Choice(JsonScan::Value(text, kPaddingBeforeKey), kPaddingBeforeChoices, p.paddingBeforeMinutes);
  p.paddingAfterMinutes = Choice(JsonScan::Value(text, kPaddingAfterKey), kPaddingAfterChoices, p.paddingAfterMinutes);
  p.guideSources = GuideSources(text);
  p.providerGuideOffsetHours = OffsetHours(JsonScan::Value(text, kProviderOffsetKey));
  p.startOnLastChannel = Flag(JsonScan::Value(text, kStartOnLastKey), p.startOnLastChannel);
  return p;
}

Preferences LoadPreferences() {
  const std::optional<std::string> text = ReadWholeFile(PreferencesPath(), 64 * 1024);
  return text ? ParsePreferences(*text) : Preferences{};
}

bool SavePreferences(const Preferences& preferences) {
  const std::lock_guard<std::mutex> hold(SaveLock());
  return WriteFileAtomically(PreferencesPath(), SerializePreferences(preferences));
}
