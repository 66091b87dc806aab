#include "player/tracks.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>

#include "net/text.h"
#include "player/media_engine.h"

namespace {

constexpr int kExtraTries = 20;

std::optional<int32_t> ParseId(const std::u16string& text) {
  const std::string narrow = WideToUtf8(text);
  int32_t value = 0;
  const auto [end, error] = std::from_chars(narrow.data(), narrow.data() + narrow.size(), value);
  if (error != std::errc() || end != narrow.data() + narrow.size() || narrow.empty()) return std::nullopt;
  return value;
}

std::u16string TrackValue(const MediaEngine& engine, int index, const char* field) {
  return engine.GetProperty("track-list/" + std::to_string(index) + "/" + field);
}

}  // namespace

std::u16string TrackLabel(int32_t id, const std::u16string& lang, const std::u16string& title) {
  if (!lang.empty() && !title.empty() && lang != title) return lang + u" \u2014 " + title;
  if (!lang.empty()) return lang;
  if (!title.empty()) return title;
  return u"#" + Utf8ToWide(std::to_string(id));
}

std::vector<TrackEntry> ListTracks(const MediaEngine& engine, TrackKind kind) {
  std::vector<TrackEntry> entries;
  if (!engine.Ready()) return entries;
  const int count = std::clamp(ParseId(engine.GetProperty("track-list/count")).value_or(0), 0, kMaxTracks);
  const std::u16string wanted = kind == TrackKind::Audio ? u"audio" : u"sub";
  for (int i = 0; i < count; ++i) {
    if (TrackValue(engine, i, "type") != wanted) continue;
    const int32_t id = ParseId(TrackValue(engine, i, "id")).value_or(0);
    entries.push_back({id, TrackLabel(id, TrackValue(engine, i, "lang"), TrackValue(engine, i, "title"))});
  }
  return entries;
}

std::vector<TrackEntry> ListTracksWaiting(const MediaEngine& engine, TrackKind kind,
                                          const std::function<void()>& waitBetween) {
  std::vector<TrackEntry> entries = ListTracks(engine, kind);
  for (int i = 0; i < kExtraTries && entries.empty() && engine.Ready(); ++i) {
    if (waitBetween) waitBetween();
    entries = ListTracks(engine, kind);
  }
  return entries;
}

int HighlightedTrack(const std::vector<TrackEntry>& entries, const std::u16string& current) {
  const std::optional<int32_t> id = ParseId(current);
  if (!id) return 0;
  const auto it = std::find_if(entries.begin(), entries.end(), [&](const TrackEntry& e) { return e.id == *id; });
  return it == entries.end() ? 0 : static_cast<int>(it - entries.begin());
}

std::vector<TrackEntry> SubtitleChoices(std::vector<TrackEntry> tracks, std::u16string offLabel) {
  if (tracks.empty()) return tracks;
  tracks.insert(tracks.begin(), TrackEntry{kTrackOff, std::move(offLabel)});
  return tracks;
}

const char* TrackProperty(TrackKind kind) { return kind == TrackKind::Audio ? "aid" : "sid"; }
