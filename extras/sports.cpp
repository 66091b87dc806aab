#include "extras/sports.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

#include "net/endpoints.h"
#include "net/http_client.h"
#include "net/json_scan.h"
#include "net/text.h"
#include "net/url_parts.h"
#include "i18n/translate.h"
#include "platform/clock.h"

namespace {

constexpr uint32_t kPanelTimeoutMs = 15000;
constexpr uint32_t kSourceTimeoutMs = 20000;
constexpr size_t kIframeSrcReach = 200;  // how far after "iframe" its src= may stand

// The public schedule service's API key: a single character in its path.
constexpr std::u16string_view kSportsDbKey = u"3";

std::string Field(std::string_view object, std::string_view key) { return JsonScan::TextValue(object, key); }

std::string FirstField(std::string_view object, std::initializer_list<std::string_view> keys) {
  for (std::string_view key : keys) {
    std::string value = Field(object, key);
    if (!value.empty()) return value;
  }
  return {};
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

// Leading control characters and blanks, and a UTF-8 byte-order mark, come
// before what tells the body's kind.
std::string_view SkipLeadingBlanks(std::string_view body) {
  for (;;) {
    while (!body.empty() && static_cast<unsigned char>(body.front()) <= 32) body.remove_prefix(1);
    if (!StartsWith(body, "\xEF\xBB\xBF")) return body;
    body.remove_prefix(3);
  }
}

bool LooksLikeJson(std::string_view body) { return !body.empty() && (body.front() == '{' || body.front() == '['); }

// The schedule service's host without "www.", so that a source written with
// or without it is recognised as the same service.
std::string ScheduleDomain() {
  const auto parts = SplitUrl(WideToUtf8(Endpoints::SportsUrl()));
  if (!parts) return {};
  std::string_view host = parts->host;
  if (StartsWith(host, "www.")) host.remove_prefix(4);
  return std::string(host);
}

std::string ToLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// Position after the end tag `</name ...>` at or after `from`, compared
// without regard to case; the body's end when the element never closes.
size_t AfterEndTag(std::string_view body, size_t from, std::string_view name) {
  const std::string wanted = "</" + std::string(name);
  for (size_t i = body.find('<', from); i != std::string_view::npos; i = body.find('<', i + 1)) {
    if (ToLower(body.substr(i, wanted.size())) != wanted) continue;
    const size_t close = body.find('>', i);
    return close == std::string_view::npos ? body.size() : close + 1;
  }
  return body.size();
}

bool IsEventText(std::string_view line) {
  for (std::string_view marker : {"vs", "VS", " v ", " - ", " vs. "})
    if (line.find(marker) != std::string_view::npos) return true;
  return false;
}

void AddObjectsOf(std::vector<std::u16string>& lines, std::string_view text) {
  JsonScan::ForEachObject(text, [&](std::string_view event) { AddEventLine(lines, EventLineFromJson(event)); });
}

}  // namespace

void AddEventLine(std::vector<std::u16string>& lines, std::string_view line) {
  if (lines.size() >= kMaxEventLines) return;
  std::string clean;
  clean.reserve(line.size());
  for (const char c : line) {
    if (c == '\r') continue;
    clean.push_back(c == '\t' || c == '\n' ? ' ' : c);
  }
  const size_t first = clean.find_first_not_of(' ');
  if (first == std::string::npos) return;
  const size_t last = clean.find_last_not_of(' ');
  const std::string_view trimmed = std::string_view(clean).substr(first, last - first + 1);
  if (trimmed.size() < kMinEventLineBytes || trimmed.size() > kMaxEventLineBytes) return;
  std::u16string wide = Utf8ToWide(trimmed);
  if (std::find(lines.begin(), lines.end(), wide) != lines.end()) return;
  lines.push_back(std::move(wide));
}

bool IsUsableSourceUrl(std::string_view url) {
  return url.size() > 8 && (StartsWith(url, "http://") || StartsWith(url, "https://"));
}

std::string IframeSource(std::string_view html) {
  const size_t iframe = html.find("iframe");
  if (iframe == std::string_view::npos) return {};
  const size_t after = iframe + 6;
  const size_t src = html.find("src=", after);
  if (src == std::string_view::npos || src - after > kIframeSrcReach) return {};
  size_t p = src + 4;
  while (p < html.size() && (html[p] == ' ' || html[p] == '\t')) ++p;
  if (p < html.size() && (html[p] == '"' || html[p] == '\'')) ++p;
  const size_t end = html.find_first_of("\"' \t\r\n>", p);
  return std::string(html.substr(p, end == std::string_view::npos ? std::string_view::npos : end - p));
}

std::string EventLineFromJson(std::string_view event) {
  std::string text = Field(event, "strEvent");
  if (text.empty()) {
    const std::string home = FirstField(event, {"strHomeTeam", "home"});
    const std::string away = FirstField(event, {"strAwayTeam", "away"});
    text = !home.empty() && !away.empty() ? home + " vs " + away : FirstField(event, {"title", "name"});
  }
  if (text.empty()) return {};

  const std::string date = FirstField(event, {"dateEvent", "date", "strTimestamp"});
  const std::string time = FirstField(event, {"strTime", "time"});
  const std::string league = FirstField(event, {"strLeague", "league"});
  std::string prefix = date;
  if (!time.empty()) prefix = prefix.empty() ? time : prefix + " " + time;
  std::string line = prefix.empty() ? text : prefix + "  " + text;
  if (!league.empty()) line += "  (" + league + ")";
  return line;
}

void AddJsonEvents(std::vector<std::u16string>& lines, std::string_view body) {
  for (std::string_view key : {"events", "event", "fixtures", "matches", "response", "data", "results"}) {
    const std::string array = JsonScan::Array(body, key);
    if (array.empty()) continue;  // absent, or not an array (e.g. "events": null)
    std::vector<std::string> found;
    JsonScan::ForEachObject(array, [&](std::string_view event) {
      std::string line = EventLineFromJson(event);
      if (!line.empty()) found.push_back(std::move(line));
    });
    if (found.empty()) continue;
    for (const std::string& line : found) AddEventLine(lines, line);
    return;
  }
  AddObjectsOf(lines, body);
}

void AddRssTitles(std::vector<std::u16string>& lines, std::string_view body) {
  size_t from = 0;
  for (;;) {
    const size_t item = body.find("<item", from);
    if (item == std::string_view::npos) return;
    const size_t itemEnd = body.find("</item>", item);
    if (itemEnd == std::string_view::npos) return;
    const std::string_view block = body.substr(item, itemEnd - item);
    const size_t title = block.find("<title");
    const size_t open = title == std::string_view::npos ? title : block.find('>', title);
    const size_t close = open == std::string_view::npos ? open : block.find("</title>", open);
    if (close != std::string_view::npos) AddEventLine(lines, block.substr(open + 1, close - open - 1));
    from = itemEnd + 7;
  }
}

void AddHtmlEventLines(std::vector<std::u16string>& lines, std::string_view body) {
  // Text outside tags, with a line break wherever a tag stood.
  std::string text;
  text.reserve(body.size());
  size_t i = 0;
  while (i < body.size()) {
    if (body[i] != '<') {
      text.push_back(body[i++]);
      continue;
    }
    text.push_back('\n');
    const size_t close = body.find('>', i);
    const size_t end = close == std::string_view::npos ? body.size() : close;
    const std::string_view tag = body.substr(i + 1, end - i - 1);
    const std::string name = ToLower(tag.substr(0, tag.find_first_of(" \t\r\n/>")));
    i = close == std::string_view::npos ? body.size() : close + 1;
    // Scripts and styles hold code, never fixtures; a self-closed one has no body.
    if ((name == "script" || name == "style") && (tag.empty() || tag.back() != '/')) i = AfterEndTag(body, i, name);
  }

  size_t start = 0;
  while (start <= text.size()) {
    size_t stop = text.find('\n', start);
    if (stop == std::string::npos) stop = text.size();
    const std::string_view line = std::string_view(text).substr(start, stop - start);
    if (IsEventText(line)) AddEventLine(lines, line);
    start = stop + 1;
  }
}

std::u16string DayScheduleUrl(std::u16string_view sport) {
  const LocalTime today = ToLocalTime(NowUnix());
  char date[16];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", today.year, today.month, today.day);
  return Endpoints::SportsUrl() + u"/api/v1/json/" + std::u16string(kSportsDbKey) + u"/eventsday.php?d=" +
         AsciiToWide(date) + u"&s=" + std::u16string(sport);
}

void FetchEventsFrom(std::u16string_view url, std::vector<std::u16string>& lines) {
  const HttpResult answer = HttpClient::Get(url, kSourceTimeoutMs);
  const std::string_view body = SkipLeadingBlanks(answer);
  if (body.empty()) return;
  if (LooksLikeJson(body)) return AddJsonEvents(lines, body);
  if (body.find("<rss") != std::string_view::npos || body.find("<item") != std::string_view::npos)
    return AddRssTitles(lines, body);

  // An HTML page often only wraps the real list in an iframe.
  const std::string frame = IframeSource(body);
  if (IsUsableSourceUrl(frame) && Utf8ToWide(frame) != url) {
    const HttpResult framed = HttpClient::Get(Utf8ToWide(frame), kSourceTimeoutMs);
    const std::string_view inner = SkipLeadingBlanks(framed);
    if (LooksLikeJson(inner)) return AddJsonEvents(lines, inner);
    return AddHtmlEventLines(lines, inner);
  }
  AddHtmlEventLines(lines, body);
}

SportsEvents FetchSports() {
  SportsEvents result;
  const std::u16string panel = Endpoints::PanelUrl();
  const HttpResult info = HttpClient::Get(panel + u"/api/info", kPanelTimeoutMs);
  const std::string sportApi = Field(info, "sportApi");
  const std::string widget = Field(info, "leagueWidgetId");
  const std::string header = Field(info, "sportHeader");
  if (!header.empty() && header != "Event") result.header = Utf8ToWide(header);

  std::string source;
  if (IsUsableSourceUrl(sportApi)) {
    source = sportApi;
  } else if (IsUsableSourceUrl(widget)) {
    source = widget;
  } else {
    const std::string frame = IframeSource(HttpClient::Get(panel + u"/vs4.3/api/sport.php", kPanelTimeoutMs));
    if (IsUsableSourceUrl(frame)) source = frame;
  }
  const std::u16string url = source.empty() ? DayScheduleUrl(u"Soccer") : Utf8ToWide(source);

  FetchEventsFrom(url, result.lines);
  const std::string domain = ScheduleDomain();
  if (result.lines.size() < 4 && !domain.empty() && WideToUtf8(url).find(domain) != std::string::npos)
    FetchEventsFrom(DayScheduleUrl(u"Basketball"), result.lines);

  if (result.lines.empty()) result.lines.emplace_back(Translate(kNoEventsKey));
  if (result.lines.size() > kMaxEventLines) result.lines.resize(kMaxEventLines);
  return result;
}
