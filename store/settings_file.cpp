// settings.json: writing, the scanners, and the per-field reading rules.
//
// Sections: 1. text scanning helpers  2. the scanners  3. the field table
//           4. writing and reading the record  5. the file
#include "store/settings_file.h"

#include <climits>
#include <iterator>
#include <mutex>
#include <string>
#include <variant>

#include "net/json_scan.h"
#include "net/text.h"
#include "store/data_folder.h"
#include "store/file_io.h"

namespace {

constexpr size_t npos = std::string_view::npos;

// ---------------------------------------------------------------------------
// 1. Text scanning helpers

// Index of the quote that closes the string opened at text[open]: the next
// quote not taken by a backslash. npos when the string is not closed.
size_t StringEnd(std::string_view text, size_t open) {
  for (size_t i = open + 1; i < text.size(); ++i) {
    if (text[i] == '\\') {
      ++i;
    } else if (text[i] == '"') {
      return i;
    }
  }
  return npos;
}

// The settings file's string form read back: from just after an opening
// quote up to the next unescaped quote or the end of the text; a backslash
// contributes the byte after it (no \n or \u translation), and a backslash as
// the last byte is kept. `end` receives the closing quote's index (or npos).
std::string ReadString(std::string_view text, size_t from, size_t* end = nullptr) {
  std::string out;
  size_t i = from;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') break;
    if (c == '\\' && i + 1 < text.size()) ++i;
    out.push_back(text[i]);
  }
  if (end) *end = i < text.size() ? i : npos;
  return out;
}

// Finds the first string in `text` that equals `key` and stands as a key of
// the text's own object: outside every other string, not inside a nested
// list or object, followed (after optional spaces) by a colon. Returns the
// colon's index or npos. Garbage never stops the walk early except an
// unclosed string, after which nothing can stand as a key.
size_t FindKey(std::string_view text, std::string_view key) {
  long depth = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '{' || c == '[') {
      ++depth;
    } else if (c == '}' || c == ']') {
      --depth;
    } else if (c == '"') {
      const size_t close = StringEnd(text, i);
      if (close == npos) return npos;
      if (depth <= 1 && close - i - 1 == key.size() && text.compare(i + 1, key.size(), key) == 0) {
        size_t after = close + 1;
        while (after < text.size() && text[after] == ' ') ++after;
        if (after < text.size() && text[after] == ':') return after;
      }
      i = close;
    }
  }
  return npos;
}

// The index just past `"key":<opener>` written exactly so (no white space),
// or npos.
size_t FindOpening(std::string_view text, std::string_view key, char opener) {
  const size_t colon = FindKey(text, key);
  if (colon == npos || text[colon - 1] != '"' || colon + 1 >= text.size() || text[colon + 1] != opener) return npos;
  return colon + 2;
}

// The first index at or after `from` holding one of `stops`, strings skipped.
size_t FindOutsideStrings(std::string_view text, size_t from, std::string_view stops) {
  for (size_t i = from; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      i = StringEnd(text, i);
      if (i == npos) return npos;
    } else if (stops.find(c) != npos) {
      return i;
    }
  }
  return npos;
}

// The '}' that closes the object opened at text[open], strings skipped.
size_t ObjectEnd(std::string_view text, size_t open) {
  long depth = 0;
  for (size_t i = open; i < text.size(); ++i) {
    i = FindOutsideStrings(text, i, "{}");
    if (i == npos) return npos;
    depth += text[i] == '{' ? 1 : -1;
    if (depth == 0) return i;
  }
  return npos;
}

// Decimal conversion as the C library's: leading white space, an optional
// sign, digits; anything else gives 0. Out-of-range numbers saturate.
int32_t Decimal(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > int64_t{INT32_MAX} + 1) break;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

bool Contains(std::string_view text, std::string_view what) { return text.find(what) != npos; }

}  // namespace

// ---------------------------------------------------------------------------
// 2. The scanners

std::string SettingsValue(std::string_view text, std::string_view key) {
  size_t i = FindKey(text, key);
  if (i == npos) return {};
  ++i;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i >= text.size()) return {};
  if (text[i] == '"') return ReadString(text, i + 1);
  const size_t end = text.find_first_of(",}]", i);
  return std::string(text.substr(i, end == npos ? npos : end - i));
}

std::vector<std::u16string> SettingsList(std::string_view text, std::string_view key) {
  std::vector<std::u16string> list;
  const size_t begin = FindOpening(text, key, '[');
  if (begin == npos) return list;
  const size_t close = FindOutsideStrings(text, begin, "]");
  if (close == npos) return list;
  const std::string_view stretch = text.substr(0, close);
  for (size_t i = stretch.find('"', begin); i != npos; i = stretch.find('"', i + 1)) {
    size_t end = npos;
    std::string element = ReadString(stretch, i + 1, &end);
    if (end == npos) break;
    list.push_back(Utf8ToWide(element));
    i = end;
  }
  return list;
}

namespace {

// Calls fn(objectText) for each object of the list `"key":[{...},{...}]`,
// braces included, until the list's ']' or a malformed entry.
template <typename Fn>
void ForEachListObject(std::string_view text, std::string_view key, Fn&& fn) {
  size_t i = FindOpening(text, key, '[');
  while (i != npos && i < text.size() && text[i] != ']') {
    const size_t open = FindOutsideStrings(text, i, "{]");
    if (open == npos || text[open] == ']') return;
    const size_t close = ObjectEnd(text, open);
    if (close == npos) return;
    fn(text.substr(open, close - open + 1));
    i = close + 1;
  }
}

}  // namespace

std::vector<PlaylistEntry> SettingsExtra(std::string_view text) {
  std::vector<PlaylistEntry> entries;
  ForEachListObject(text, "Extra", [&](std::string_view object) {
    PlaylistEntry entry{Utf8ToWide(SettingsValue(object, "name")), Utf8ToWide(SettingsValue(object, "url"))};
    if (!entry.url.empty()) entries.push_back(std::move(entry));
  });
  return entries;
}

std::vector<ChannelGroup> SettingsGroups(std::string_view text) {
  std::vector<ChannelGroup> groups;
  ForEachListObject(text, "Groups", [&](std::string_view object) {
    ChannelGroup group{Utf8ToWide(SettingsValue(object, "name")), SettingsList(object, "ids")};
    if (!group.name.empty()) groups.push_back(std::move(group));
  });
  return groups;
}

std::map<std::u16string, int32_t> SettingsResumeMs(std::string_view text) {
  std::map<std::u16string, int32_t> resume;
  const size_t begin = FindOpening(text, "ResumeMs", '{');
  if (begin == npos) return resume;
  const size_t close = FindOutsideStrings(text, begin, "}");
  const std::string_view stretch = text.substr(0, close);
  size_t i = begin;
  while (true) {
    const size_t open = stretch.find('"', i);
    if (open == npos) break;
    size_t keyEnd = npos;
    std::string key = ReadString(stretch, open + 1, &keyEnd);
    if (keyEnd == npos) break;
    const size_t colon = stretch.find(':', keyEnd + 1);
    if (colon == npos) break;
    const int32_t ms = Decimal(stretch.substr(colon + 1));
    if (!key.empty() && ms >= 1) resume[Utf8ToWide(key)] = ms;
    const size_t comma = stretch.find(',', colon + 1);
    if (comma == npos) break;
    i = comma + 1;
  }
  return resume;
}

// ---------------------------------------------------------------------------
// 3. The field table: one row per member, in file order, with the rule that
//    reads it back.

namespace {

enum class ReadRule : uint8_t {
  Always,          // assigned whatever the file holds (absent reads empty / 0)
  UnlessEmpty,     // an empty value keeps the current one
  UnlessZero,      // 0 keeps the current one (Volume, SubSize)
  OneWhenAbsent,   // without the key the value is 1 (PipSize)
  NotRead,         // written, but every start begins at 0 / empty
  FalseOnlyIfExactFalse,   // `"Key":false` exactly gives false, anything else true
  TrueOnlyIfExactTrue,     // `"Key":true` exactly gives true, anything else false
  ClearedOnlyByExactFalse, // `"Key":false` exactly gives false, anything else keeps
};

using Member = std::variant<std::u16string Settings::*, bool Settings::*, int32_t Settings::*, IdList Settings::*,
                            std::vector<PlaylistEntry> Settings::*, std::vector<ChannelGroup> Settings::*,
                            std::map<std::u16string, int32_t> Settings::*>;

struct Field {
  std::string_view key;
  Member member;
  ReadRule rule;
};

using enum ReadRule;
const Field kFields[] = {
    {"PlaylistUrl", &Settings::PlaylistUrl, Always},
    {"IsGrid", &Settings::IsGrid, FalseOnlyIfExactFalse},
    {"LiveFormat", &Settings::LiveFormat, UnlessEmpty},
    {"LiveSort", &Settings::LiveSort, NotRead},
    {"VodSort", &Settings::VodSort, Always},
    {"TimeFormat", &Settings::TimeFormat, Always},
    {"ParentalPin", &Settings::ParentalPin, UnlessEmpty},
    {"ParentalOn", &Settings::ParentalOn, TrueOnlyIfExactTrue},
    {"Volume", &Settings::Volume, UnlessZero},
    {"DashColor", &Settings::DashColor, Always},
    {"Lang", &Settings::Lang, UnlessEmpty},
    {"AutoHours", &Settings::AutoHours, Always},
    {"DeviceType", &Settings::DeviceType, UnlessEmpty},
    {"ExternalPlayer", &Settings::ExternalPlayer, NotRead},
    {"InternalPlayer", &Settings::InternalPlayer, Always},
    {"PipSize", &Settings::PipSize, OneWhenAbsent},
    {"PipPos", &Settings::PipPos, Always},
    {"SubSize", &Settings::SubSize, UnlessZero},
    {"SubColor", &Settings::SubColor, Always},
    {"ExternalKind", &Settings::ExternalKind, NotRead},
    {"SubVisible", &Settings::SubVisible, ClearedOnlyByExactFalse},
    {"HideLive", &Settings::HideLive, Always},
    {"HideVod", &Settings::HideVod, Always},
    {"HideSeries", &Settings::HideSeries, Always},
    {"FavLive", &Settings::FavLive, Always},
    {"FavVod", &Settings::FavVod, Always},
    {"FavSeries", &Settings::FavSeries, Always},
    {"LockLive", &Settings::LockLive, Always},
    {"LockCh", &Settings::LockCh, Always},
    {"HistoryLive", &Settings::HistoryLive, Always},
    {"HistoryMovies", &Settings::HistoryMovies, Always},
    {"HistorySeries", &Settings::HistorySeries, Always},
    {"Extra", &Settings::Extra, Always},
    {"Groups", &Settings::Groups, Always},
    {"ResumeMs", &Settings::ResumeMs, Always},
    {"InboxSeenId", &Settings::InboxSeenId, Always},
};
static_assert(std::size(kFields) == 36);

// ---------------------------------------------------------------------------
// 4. Writing and reading the record

void AppendQuoted(std::string& out, std::u16string_view text) { out += JsonScan::QuoteW(text); }

void AppendStrings(std::string& out, const IdList& list) {
  out.push_back('[');
  for (size_t i = 0; i < list.size(); ++i) {
    if (i) out.push_back(',');
    AppendQuoted(out, list[i]);
  }
  out.push_back(']');
}

void AppendValue(std::string& out, const std::u16string& value) { AppendQuoted(out, value); }
void AppendValue(std::string& out, bool value) { out += value ? "true" : "false"; }
void AppendValue(std::string& out, int32_t value) { out += std::to_string(value); }
void AppendValue(std::string& out, const IdList& value) { AppendStrings(out, value); }

void AppendValue(std::string& out, const std::vector<PlaylistEntry>& entries) {
  out.push_back('[');
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i) out.push_back(',');
    out += "{\"name\":";
    AppendQuoted(out, entries[i].name);
    out += ",\"url\":";
    AppendQuoted(out, entries[i].url);
    out.push_back('}');
  }
  out.push_back(']');
}

void AppendValue(std::string& out, const std::vector<ChannelGroup>& groups) {
  out.push_back('[');
  for (size_t i = 0; i < groups.size(); ++i) {
    if (i) out.push_back(',');
    out += "{\"name\":";
    AppendQuoted(out, groups[i].name);
    out += ",\"ids\":";
    AppendStrings(out, groups[i].ids);
    out.push_back('}');
  }
  out.push_back(']');
}

void AppendValue(std::string& out, const std::map<std::u16string, int32_t>& resume) {
  out.push_back('{');
  bool first = true;
  for (const auto& [key, ms] : resume) {
    if (!first) out.push_back(',');
    first = false;
    AppendQuoted(out, key);
    out.push_back(':');
    AppendValue(out, ms);
  }
  out.push_back('}');
}

void ReadField(std::string_view text, const Field& field, std::u16string& value) {
  if (field.rule == NotRead) {
    value.clear();
    return;
  }
  std::u16string read = Utf8ToWide(SettingsValue(text, field.key));
  if (field.rule == UnlessEmpty && read.empty()) return;
  value = std::move(read);
}

void ReadField(std::string_view text, const Field& field, bool& value) {
  std::string exact = "\"" + std::string(field.key) + "\":";
  switch (field.rule) {
    case FalseOnlyIfExactFalse: value = !Contains(text, exact + "false"); break;
    case TrueOnlyIfExactTrue: value = Contains(text, exact + "true"); break;
    case ClearedOnlyByExactFalse:
      if (Contains(text, exact + "false")) value = false;
      break;
    default: break;
  }
}

void ReadField(std::string_view text, const Field& field, int32_t& value) {
  switch (field.rule) {
    case NotRead: value = 0; return;
    case OneWhenAbsent: value = FindKey(text, field.key) == npos ? 1 : Decimal(SettingsValue(text, field.key)); return;
    case UnlessZero:
      if (const int32_t read = Decimal(SettingsValue(text, field.key)); read != 0) value = read;
      return;
    default: value = Decimal(SettingsValue(text, field.key)); return;
  }
}

void ReadField(std::string_view text, const Field& field, IdList& value) { value = SettingsList(text, field.key); }
void ReadField(std::string_view text, const Field&, std::vector<PlaylistEntry>& value) { value = SettingsExtra(text); }
void ReadField(std::string_view text, const Field&, std::vector<ChannelGroup>& value) { value = SettingsGroups(text); }
void ReadField(std::string_view text, const Field&, std::map<std::u16string, int32_t>& value) {
  value = SettingsResumeMs(text);
}

}  // namespace

std::string SerializeSettings(const Settings& settings) {
  std::string out;
  out.reserve(1024);
  for (const Field& field : kFields) {
    out += out.empty() ? "{\"" : ",\"";
    out += field.key;
    out += "\":";
    std::visit([&](auto member) { AppendValue(out, settings.*member); }, field.member);
  }
  out.push_back('}');
  return out;
}

void ParseSettingsText(std::string_view text, Settings& settings) {
  for (const Field& field : kFields) {
    std::visit([&](auto member) { ReadField(text, field, settings.*member); }, field.member);
  }
}

// ---------------------------------------------------------------------------
// 5. The file

std::filesystem::path SettingsPath() { return EnsureDataFolder() / "settings.json"; }

void LoadSettings(Settings& settings) {
  // The default bound (64 MiB) is far beyond any real record: thousands of
  // favourites and resume positions take a few hundred kilobytes.
  const auto text = ReadWholeFile(SettingsPath());
  if (!text) return;
  ParseSettingsText(*text, settings);
}

bool SaveSettings(const Settings& settings) {
  // Jobs save too; one lock keeps two saves from racing on the file, and
  // serialising inside it makes the last caller's record the one that stays.
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  // Private: the playlist URLs carry the account's password.
  return WriteFileAtomically(SettingsPath(), SerializeSettings(settings), kPrivateFileMode);
}
