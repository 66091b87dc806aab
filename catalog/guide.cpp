#include "catalog/guide.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <set>
#include <utility>

#include "net/base64.h"
#include "net/http_client.h"
#include "net/json_scan.h"
#include "net/text.h"
#include "platform/clock.h"

// Sections: text helpers; time values; titles; ParseGuide; fetching;
// choosing rows.

namespace {

constexpr size_t npos = std::string_view::npos;

// ------------------------------------------------------------ text helpers

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

size_t DigitRun(std::string_view s, size_t from) {
  size_t end = from;
  while (end < s.size() && IsDigit(s[end])) ++end;
  return end - from;
}

// The decimal number of at most `width` digits at `at`; -1 when no digit stands there.
int FieldAt(std::string_view s, size_t at, size_t width) {
  if (at >= s.size() || !IsDigit(s[at])) return -1;
  int value = 0;
  for (size_t i = at; i < s.size() && i < at + width && IsDigit(s[i]); ++i) value = value * 10 + (s[i] - '0');
  return value;
}

std::u16string TwoDigitPair(int a, int b) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d", a, b);
  return AsciiToWide(buffer);
}

// ------------------------------------------------------------- time values

// An epoch number: 10 or 11 digits (the years 2001 to 5138), optionally
// followed by a fraction. Longer digit runs are milliseconds or compact
// dates, which read as seconds would land thousands of years away.
bool IsEpochText(std::string_view v) {
  const size_t digits = DigitRun(v, 0);
  if (digits < 10 || digits > 11) return false;
  const std::string_view rest = v.substr(digits);
  if (rest.empty()) return true;
  return rest.size() > 1 && rest[0] == '.' && DigitRun(rest, 1) == rest.size() - 1;
}

int64_t EpochValue(std::string_view v) {
  int64_t value = 0;
  for (size_t i = 0; i < v.size() && IsDigit(v[i]); ++i) value = value * 10 + (v[i] - '0');
  return value;
}

// "YYYY-MM-DD HH:MM", seconds and anything after them optional.
bool IsDateText(std::string_view v) { return v.size() >= 16 && v[4] == '-'; }

int64_t DateTextSeconds(std::string_view v) {
  const int year = FieldAt(v, 0, 4), month = FieldAt(v, 5, 2), day = FieldAt(v, 8, 2);
  const int hour = FieldAt(v, 11, 2), minute = FieldAt(v, 14, 2);
  if (year < 1970 || month < 1 || month > 12 || day < 1 || day > 31) return 0;
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59) return 0;
  LocalTime local;
  local.year = year;
  local.month = month;
  local.day = day;
  local.hour = hour;
  local.minute = minute;
  local.second = 0;
  const int64_t seconds = FromLocalTime(local);
  return seconds > 0 ? seconds : 0;
}

// Decimal value: optional sign and digits; anything else gives 0. Clamped to
// the 32-bit range.
int64_t DecimalValue(std::string_view v) {
  bool negative = false;
  if (!v.empty() && (v[0] == '-' || v[0] == '+')) {
    negative = v[0] == '-';
    v.remove_prefix(1);
  }
  int64_t value = 0;
  for (size_t i = 0; i < v.size() && IsDigit(v[i]); ++i) {
    value = value * 10 + (v[i] - '0');
    if (value > INT32_MAX) return negative ? INT32_MIN : INT32_MAX;
  }
  return negative ? -value : value;
}

// ------------------------------------------------------------------ titles

// Decoded bytes count as text only without NUL and control bytes other
// than tab, line breaks, vertical tab and form feed.
bool HasControlBytes(std::string_view s) {
  for (const char c : s) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 9 || (b >= 14 && b <= 31) || b == 127) return true;
  }
  return false;
}

// Whether decoded text reads like words: at least half of its characters
// are letters, digits or spaces (any character beyond ASCII counts as a
// letter). A plain word can decode to valid but meaningless bytes ("Kids"
// gives "*'l"); real titles and descriptions are mostly words.
bool ReadsLikeWords(std::string_view s) {
  size_t total = 0, wordy = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if ((b & 0xC0) == 0x80) continue;  // continuation byte of a counted character
    ++total;
    const bool alnum = (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
    if (alnum || b == ' ' || b >= 0x80) ++wordy;
  }
  return wordy * 2 >= total;
}

// Whether decoded bytes that are not UTF-8 read as Latin-1 words: printable
// throughout (no C1 controls either), three quarters letters, digits or
// spaces (a byte from 0xC0 up, bar × and ÷, is a letter), and no more
// accented letters than half the ASCII ones. Stricter than for UTF-8, since
// the bytes of a plain word decoded by mistake rarely pass as UTF-8 but
// often as Latin-1 ("Wetter" gives "Yëmz").
bool ReadsLikeLatin1Words(std::string_view s) {
  size_t ascii = 0, high = 0, wordy = 0;
  for (const char c : s) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || (b >= 0x7F && b < 0xA0)) return false;
    const bool alnum = (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
    const bool accented = b >= 0xC0 && b != 0xD7 && b != 0xF7;
    ascii += alnum;
    high += b >= 0xA0;
    wordy += alnum || accented || b == ' ';
  }
  return high * 2 <= ascii && wordy * 4 >= s.size() * 3;
}

// A single word as people write one ("Replay", "news", "HD"): never taken
// for an encoding of Latin-1 text, whose encodings mix case and digits.
bool IsPlainWord(std::string_view s) {
  const auto lower = [](char c) { return c >= 'a' && c <= 'z'; };
  const auto upper = [](char c) { return c >= 'A' && c <= 'Z'; };
  const size_t rest = !s.empty() && upper(s[0]) ? 1 : 0;
  return std::all_of(s.begin() + rest, s.end(), lower) || std::all_of(s.begin(), s.end(), upper);
}

std::u16string Latin1ToWide(std::string_view bytes) {
  std::u16string out(bytes.size(), u'\0');
  for (size_t i = 0; i < bytes.size(); ++i) out[i] = static_cast<unsigned char>(bytes[i]);
  return out;
}

// A bare null token is an absent value, not the title "null".
std::string TextOf(const JsonScan::RawValue& value) {
  if (!value.found) return {};
  if (!value.quoted && Trim(value.raw) == "null") return {};
  return JsonScan::Decoded(value);
}

// --------------------------------------------------------------- ParseGuide

// The index of the '}' that closes the object which is `depth` levels open
// at `from`, or npos when the text ends first. Braces inside strings do not
// count.
size_t ObjectEnd(std::string_view text, size_t from, long depth) {
  for (size_t i = from; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      const size_t end = JsonScan::detail::StringEnd(text, i);
      if (end == npos) return npos;
      i = end;
    } else if (c == '{') {
      ++depth;
    } else if (c == '}' && --depth == 0) {
      return i;
    }
  }
  return npos;
}

// Whether the string from `open` to `close` (its quotes) is the key "title":
// the word itself, then optional white space and a colon.
bool IsTitleKey(std::string_view text, size_t open, size_t close) {
  if (close != open + 6 || text.compare(open, 7, "\"title\"") != 0) return false;
  size_t i = close + 1;
  while (i < text.size() && IsSpace(text[i])) ++i;
  return i < text.size() && text[i] == ':';
}

enum Key { kTitle, kName, kStartTimestamp, kStart, kStopTimestamp, kEnd, kDuration, kDescription, kKeyCount };
constexpr std::array<std::string_view, kKeyCount> kKeys = {
    "title", "name", "start_timestamp", "start", "stop_timestamp", "end", "duration", "description"};

void TakeProgramme(std::string_view object, std::vector<EpgEntry>& rows) {
  if (object.size() <= 8 || object.find("start") == npos) return;
  std::array<JsonScan::RawValue, kKeyCount> values;
  JsonScan::FindValues(object, kKeys, values);

  EpgEntry entry;
  entry.title = DecodeGuideText(TextOf(values[kTitle]));
  if (entry.title.empty()) entry.title = Utf8ToWide(TextOf(values[kName]));
  if (entry.title.empty()) return;

  std::string start = TextOf(values[kStartTimestamp]);
  if (Trim(start).empty()) start = TextOf(values[kStart]);
  std::string stop = TextOf(values[kStopTimestamp]);
  if (Trim(stop).empty()) stop = TextOf(values[kEnd]);

  entry.time = GuideDisplayTime(start);
  entry.start = GuideTimeSeconds(start);
  entry.durationMin = GuideDurationMinutes(entry.start, stop, TextOf(values[kDuration]));
  entry.description = DecodeGuideText(TextOf(values[kDescription]));
  rows.push_back(std::move(entry));
}

// ----------------------------------------------------------------- fetching

std::u16string ShortGuideUrl(const XtreamAccount& account, std::u16string_view streamId) {
  std::u16string url = PlayerApiUrl(account, u"get_short_epg");
  url.append(u"&stream_id=").append(streamId).append(u"&limit=80");
  return url;
}

std::u16string GuideTableUrl(const XtreamAccount& account, std::u16string_view streamId) {
  std::u16string url = PlayerApiUrl(account, u"get_simple_data_table");
  url.append(u"&stream_id=").append(streamId);
  return url;
}

// The full table usually repeats the few programmes the short guide gave;
// a programme listed twice would show twice in the catch-up list.
// Looked up in a set: a short guide and a table of thousands of rows each
// must not cost their product.
void AppendUnlisted(std::vector<EpgEntry>& rows, std::vector<EpgEntry> more) {
  std::set<std::pair<int64_t, std::u16string>> listed;
  for (const EpgEntry& held : rows)
    if (held.start > 0) listed.emplace(held.start, held.title);
  for (auto& entry : more) {
    if (entry.start > 0 && listed.count({entry.start, entry.title})) continue;
    rows.push_back(std::move(entry));
  }
}

}  // namespace

// ------------------------------------------------------ public: time values

int64_t GuideTimeSeconds(std::string_view value) {
  const std::string_view v = Trim(value);
  if (IsEpochText(v)) return EpochValue(v);
  if (IsDateText(v)) return DateTextSeconds(v);
  return 0;
}

std::u16string GuideDisplayTime(std::string_view value) {
  const std::string_view v = Trim(value);
  if (IsEpochText(v)) {
    const LocalTime local = ToLocalTime(EpochValue(v));
    return TwoDigitPair(local.hour, local.minute);
  }
  if (v.size() >= 16 && v[4] == '-') return Utf8ToWide(v.substr(11, 5));
  if (v.size() >= 16) {
    std::u16string time = Utf8ToWide(v.substr(8, 2));
    time.push_back(u':');
    time.append(Utf8ToWide(v.substr(10, 2)));
    return time;
  }
  return Utf8ToWide(v);
}

int32_t GuideDurationMinutes(int64_t start, std::string_view stop, std::string_view duration) {
  const int64_t end = GuideTimeSeconds(stop);
  if (start > 0 && end > start) return static_cast<int32_t>(std::min<int64_t>((end - start) / 60, INT32_MAX));
  const std::string_view d = Trim(duration);
  if (d.empty()) return 60;
  int64_t minutes = DecimalValue(d);
  if (minutes > 24) minutes /= 60;  // a value in seconds
  if (minutes < 5) return 60;
  return static_cast<int32_t>(minutes);
}

std::u16string DecodeGuideText(std::string_view value) {
  if (value.empty()) return {};
  if (LooksLikeBase64(value)) {
    const std::string bytes = Base64Decode(value);
    const bool text = !bytes.empty() && !HasControlBytes(bytes);
    if (text && IsValidUtf8(bytes) && ReadsLikeWords(bytes)) return Utf8ToWide(bytes);
    if (text && !IsValidUtf8(bytes) && !IsPlainWord(value) && ReadsLikeLatin1Words(bytes)) return Latin1ToWide(bytes);
  }
  return Utf8ToWide(value);
}

void ParseGuide(std::vector<EpgEntry>& rows, std::string_view answer) {
  // One pass that keeps the open braces, so the object around each "title"
  // key is known without searching backwards (a '{' inside a string before
  // the key would mislead a backward search).
  std::vector<size_t> open;
  // Programmes taken so far that no later one encloses, as [first, last]
  // byte spans in answer order. A programme whose title follows a nested
  // programme (taken first) encloses it.
  std::vector<std::pair<size_t, size_t>> taken;
  std::string holed;
  size_t i = 0;
  while (i < answer.size()) {
    const char c = answer[i];
    if (c == '{') {
      open.push_back(i);
    } else if (c == '}') {
      if (!open.empty()) open.pop_back();
    } else if (c == '"') {
      const size_t close = JsonScan::detail::StringEnd(answer, i);
      if (close == npos) return;
      if (!open.empty() && IsTitleKey(answer, i, close)) {
        // Every brace opened since the object's own has closed again, so the
        // search for its end goes on from here: nothing is read twice, and
        // titles after deeply nested objects cost no rescan.
        const size_t start = open.back();
        const size_t end = ObjectEnd(answer, close + 1, 1);
        if (end == npos) return;
        // The programmes nested in this one are rows of their own already:
        // its keys are read around them (each stands in as "{}"), so that
        // no byte is searched twice and their titles are not taken for its.
        size_t inside = taken.size();
        while (inside > 0 && taken[inside - 1].first > start) --inside;
        if (inside == taken.size()) {
          TakeProgramme(answer.substr(start, end - start + 1), rows);
        } else {
          holed.clear();
          size_t from = start;
          for (size_t k = inside; k < taken.size(); ++k) {
            holed.append(answer.substr(from, taken[k].first - from)).append("{}");
            from = taken[k].second + 1;
          }
          holed.append(answer.substr(from, end + 1 - from));
          TakeProgramme(holed, rows);
        }
        taken.resize(inside);
        taken.emplace_back(start, end);
        // Objects nested in a programme are part of it, not programmes.
        open.pop_back();
        i = end + 1;
        continue;
      }
      i = close;
    }
    ++i;
  }
}

// --------------------------------------------------------- public: fetching

std::vector<std::u16string> GuideSiblingIds(const ItemList& liveChannels, std::u16string_view streamId) {
  std::vector<std::u16string> siblings;
  if (streamId.empty()) return siblings;
  const auto self = std::find_if(liveChannels.begin(), liveChannels.end(),
                                 [&](const CatalogItem& item) { return item.id() == streamId; });
  if (self == liveChannels.end()) return siblings;
  const std::u16string_view guideId = self->epgChannelId();
  if (guideId.empty() || guideId == u"null") return siblings;
  for (const auto& item : liveChannels) {
    if (siblings.size() >= kMaxSiblingTries) break;
    const std::u16string_view id = item.id();
    if (id.empty() || id == streamId || item.epgChannelId() != guideId) continue;
    if (std::find(siblings.begin(), siblings.end(), id) != siblings.end()) continue;
    siblings.emplace_back(id);
  }
  return siblings;
}

bool IsGuideListing(std::string_view body) { return body.find("\"epg_listings\"") != npos; }

GuideFetch FetchGuide(const GuideSource& source) {
  GuideFetch fetch;
  if (source.streamId.empty() || !source.account.IsXtream) return fetch;
  const auto read = [&fetch](std::vector<EpgEntry>& into, const std::u16string& url, uint32_t timeoutMs,
                             uint64_t cap) {
    HttpClient::HttpReply reply = HttpClient::FetchGet(url, timeoutMs, cap);
    // A provider that asks us to slow down gets no further request now.
    if (reply.status == 429 || reply.status == 503) {
      fetch.throttled = reply.status;
      fetch.retryAfterSeconds = reply.retryAfterSeconds;
      return false;
    }
    if (reply.end == HttpClient::BodyEnd::Broken) return true;  // a transfer that broke off is no answer
    const size_t before = into.size();
    ParseGuide(into, reply.body);
    if (into.size() > before || IsGuideListing(reply.body)) fetch.answered = true;
    return true;
  };
  std::vector<EpgEntry>& rows = fetch.rows;
  if (!read(rows, ShortGuideUrl(source.account, source.streamId), kShortGuideTimeoutMs, kShortGuideCap))
    return fetch;
  if (rows.size() < kShortGuideMinRows || source.withArchive) {
    std::vector<EpgEntry> table;
    if (!read(table, GuideTableUrl(source.account, source.streamId), kGuideTableTimeoutMs, kGuideTableCap))
      return fetch;
    AppendUnlisted(rows, std::move(table));
  }
  if (!rows.empty() || !source.liveChannels) return fetch;
  // Channels that share a guide id (HD and SD of one programme) often have
  // the guide only under one of their stream ids.
  for (const auto& sibling : GuideSiblingIds(*source.liveChannels, source.streamId)) {
    if (!read(rows, ShortGuideUrl(source.account, sibling), kSiblingGuideTimeoutMs, kSiblingGuideCap)) break;
    if (!rows.empty()) break;
  }
  return fetch;
}

bool GetGuide(const GuideSource& source, std::vector<EpgEntry>& rows) {
  GuideFetch fetch = FetchGuide(source);
  for (EpgEntry& entry : fetch.rows) rows.push_back(std::move(entry));
  return !rows.empty();
}

// ---------------------------------------------------- public: choosing rows

std::u16string GuideClockText(int64_t unixSeconds) {
  const LocalTime local = ToLocalTime(unixSeconds);
  char time[16];
  std::snprintf(time, sizeof time, "%02d:%02d", local.hour, local.minute);
  return AsciiToWide(time);
}

void ShiftGuideRows(std::vector<EpgEntry>& rows, int64_t seconds) {
  if (seconds == 0) return;
  for (EpgEntry& row : rows) {
    if (row.start <= 0) continue;
    row.start += seconds;
    row.time = GuideClockText(row.start);
  }
}

int32_t CurrentGuideRow(const std::vector<EpgEntry>& rows, int64_t now) {
  const auto count = static_cast<int32_t>(rows.size());
  for (int32_t i = 0; i < count; ++i) {
    const auto& e = rows[static_cast<size_t>(i)];
    if (e.start >= 1 && e.start <= now && now < GuideRowEnd(e)) return i;
  }
  for (int32_t i = count - 1; i >= 0; --i) {
    const auto& e = rows[static_cast<size_t>(i)];
    if (e.start > 0 && e.start <= now) return i;
  }
  for (int32_t i = 0; i < count; ++i)
    if (rows[static_cast<size_t>(i)].start >= now) return i;
  return 0;
}

int64_t GuideRowEnd(const EpgEntry& entry) {
  return entry.start + int64_t{std::max(entry.durationMin, 1)} * 60;
}

GuideLines GuideLinesAt(const std::vector<EpgEntry>& rows, int64_t now) {
  GuideLines lines;
  lines.current = CurrentGuideRow(rows, now);
  const auto index = static_cast<size_t>(lines.current);
  if (index < rows.size()) lines.now = GuideLine(rows[index]);
  if (index + 1 < rows.size()) lines.next = GuideLine(rows[index + 1]);
  return lines;
}

std::u16string GuideLine(const EpgEntry& entry) {
  std::u16string line = entry.time;
  line.append(u"  ").append(entry.title);
  return line;
}

LocalDate LocalDateDaysBack(int64_t now, int32_t daysBack) {
  LocalTime local = ToLocalTime(now);
  // Noon of the wanted day, normalised by the platform: far from any
  // daylight-saving switch, so the date cannot slip.
  local.day -= daysBack;
  local.hour = 12;
  local.minute = 0;
  local.second = 0;
  const LocalTime day = ToLocalTime(FromLocalTime(local));
  return LocalDate{day.year, day.month, day.day};
}

std::vector<int32_t> RowsForDay(const std::vector<EpgEntry>& rows, int32_t dayOffset, int64_t now) {
  std::vector<int32_t> indices;
  const LocalDate wanted = LocalDateDaysBack(now, dayOffset);
  for (size_t i = 0; i < rows.size(); ++i) {
    const int64_t start = rows[i].start;
    bool take = false;
    if (start > 0) {
      const LocalTime local = ToLocalTime(start);
      take = LocalDate{local.year, local.month, local.day} == wanted;
    } else {
      take = dayOffset == 0;
    }
    if (take) indices.push_back(static_cast<int32_t>(i));
  }
  const auto order = [&rows](int32_t index) {
    const int64_t start = rows[static_cast<size_t>(index)].start;
    return start > 0 ? start : INT64_MAX;
  };
  std::stable_sort(indices.begin(), indices.end(), [&](int32_t a, int32_t b) { return order(a) < order(b); });
  return indices;
}
