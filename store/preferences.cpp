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

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\n' || text.back() == '\r' || text.back() == '\t'))
    text.remove_suffix(1);
  return text;
}

// A hand-edited file may quote the number; anything else keeps the default.
int BufferMinutes(std::string_view raw, int fallback) {
  raw = Trimmed(raw);
  int value = 0;
  const auto [end, error] = std::from_chars(raw.data(), raw.data() + raw.size(), value);
  if (error != std::errc() || end != raw.data() + raw.size()) return fallback;
  const auto* choice = std::find(std::begin(kLiveBufferChoices), std::end(kLiveBufferChoices), value);
  return choice == std::end(kLiveBufferChoices) ? fallback : value;
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
  text += std::string("\": ") + (p.startOnLastChannel ? "true" : "false") + "\n}\n";
  return text;
}

Preferences ParsePreferences(std::string_view text) {
  Preferences p;
  p.liveBufferMinutes = BufferMinutes(JsonScan::Value(text, kLiveBufferKey), p.liveBufferMinutes);
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
