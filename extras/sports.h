#pragma once
// Today's sports fixtures as plain display lines. The panel may name a
// source (a JSON API, an RSS feed or an HTML page, possibly wrapping an
// iframe); without one, the public day schedule for football is used, and
// basketball is added when football gives little.
//
// The fetch runs on the sports job's thread and builds its result
// privately; the main thread swaps it in when the SportsLoaded result merges.
// Nothing here keeps state: every function is safe on any thread.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct SportsEvents {
  std::vector<std::u16string> lines;  // at most kMaxEventLines, no duplicates
  std::u16string header;  // the screen's title as the panel names it; empty: the menu word
};

inline constexpr size_t kMaxEventLines = 200;
inline constexpr size_t kMinEventLineBytes = 8;
inline constexpr size_t kMaxEventLineBytes = 220;

// The key of the line shown when no source gave anything.
inline constexpr std::string_view kNoEventsKey = "sports_failed";

// The whole fetch: panel configuration, source choice, the source itself and
// the basketball top-up. Blocks on the network; background threads only.
SportsEvents FetchSports();

// Fetches one source (20 s) and appends its event lines to `lines`.
void FetchEventsFrom(std::u16string_view url, std::vector<std::u16string>& lines);

// The single door for a line (UTF-8 in): carriage returns dropped, tabs and
// line feeds made blanks, blanks trimmed; kept only at 8 to 220 bytes and
// when not already listed. Lines past kMaxEventLines are never shown, so
// they are not added either.
void AddEventLine(std::vector<std::u16string>& lines, std::string_view line);

// The public day schedule for today's local date and one sport ("Soccer",
// "Basketball").
std::u16string DayScheduleUrl(std::u16string_view sport);

// --- extraction from one body, exposed for tests ---

// The src of the first iframe, or empty.
std::string IframeSource(std::string_view html);

// A source URL as the panel gives it is usable when longer than 8
// characters and starting with http:// or https://.
bool IsUsableSourceUrl(std::string_view url);

// The display line of one event object ("2024-05-01 19:45  A vs B  (League)"),
// or empty when the event has no text.
std::string EventLineFromJson(std::string_view event);

void AddJsonEvents(std::vector<std::u16string>& lines, std::string_view body);
void AddRssTitles(std::vector<std::u16string>& lines, std::string_view body);
void AddHtmlEventLines(std::vector<std::u16string>& lines, std::string_view body);
