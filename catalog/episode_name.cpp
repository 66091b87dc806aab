#include "catalog/episode_name.h"

#include <algorithm>

namespace {

bool Digit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool AllDigits(std::u16string_view text) { return !text.empty() && std::all_of(text.begin(), text.end(), Digit); }

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c; }

// "1" as "01"; a longer number as it is, without leading zeros beyond two
// digits ("007" as "07").
std::u16string TwoDigits(std::u16string_view number) {
  while (number.size() > 2 && number.front() == u'0') number.remove_prefix(1);
  std::u16string text(number);
  if (text.size() < 2) text.insert(0, 2 - text.size(), u'0');
  return text;
}

// An "S<digits>E<digits>" (any case, an optional blank before the E) that
// stands as a word of the title.
struct Marker {
  size_t begin = std::u16string_view::npos, end = 0;
  std::u16string_view season, number;
};

size_t DigitsFrom(std::u16string_view text, size_t at) {
  size_t end = at;
  while (end < text.size() && Digit(text[end])) ++end;
  return end;
}

Marker FindMarker(std::u16string_view title) {
  for (size_t i = 0; i < title.size(); ++i) {
    if (Lower(title[i]) != u's' || (i > 0 && std::u16string_view(u" -([._").find(title[i - 1]) == std::u16string_view::npos)) continue;
    const size_t seasonEnd = DigitsFrom(title, i + 1);
    if (seasonEnd == i + 1) continue;
    size_t e = seasonEnd;
    if (e < title.size() && title[e] == u' ') ++e;
    if (e >= title.size() || Lower(title[e]) != u'e') continue;
    const size_t numberEnd = DigitsFrom(title, e + 1);
    if (numberEnd == e + 1) continue;
    return Marker{i, numberEnd, title.substr(i + 1, seasonEnd - i - 1), title.substr(e + 1, numberEnd - e - 1)};
  }
  return {};
}

bool Separator(char16_t c) { return std::u16string_view(u" -\u2013\u2014:|\u00b7._)]").find(c) != std::u16string_view::npos; }

std::u16string_view Trimmed(std::u16string_view text) {
  while (!text.empty() && Separator(text.front())) text.remove_prefix(1);
  while (!text.empty() && (text.back() == u' ' || text.back() == u'-' || text.back() == u'(' || text.back() == u'[')) text.remove_suffix(1);
  return text;
}

bool StartsWithIgnoringCase(std::u16string_view text, std::u16string_view prefix) {
  if (prefix.empty() || text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (Lower(text[i]) != Lower(prefix[i])) return false;
  }
  return true;
}

}  // namespace

std::u16string EpisodeHeading(const Episode& episode, std::u16string_view seriesName) {
  std::u16string_view title = episode.title;
  std::u16string_view season = AllDigits(episode.season) ? std::u16string_view(episode.season) : std::u16string_view();
  std::u16string_view number = AllDigits(episode.number) ? std::u16string_view(episode.number) : std::u16string_view();
  const Marker marker = FindMarker(title);
  if (marker.begin != std::u16string_view::npos) {
    if (season.empty()) season = marker.season;
    if (number.empty()) number = marker.number;
    // What follows the marker is the episode's title; what precedes it is
    // the series name, unless nothing follows.
    const std::u16string_view after = Trimmed(title.substr(marker.end));
    title = after.empty() ? Trimmed(title.substr(0, marker.begin)) : after;
  }
  seriesName = Trimmed(seriesName);
  if (StartsWithIgnoringCase(title, seriesName)) title = Trimmed(title.substr(seriesName.size()));

  std::u16string heading;
  if (!season.empty()) heading = u"S" + TwoDigits(season);
  if (!number.empty()) heading += (heading.empty() ? u"E" : u" E") + TwoDigits(number);
  if (!title.empty()) heading += (heading.empty() ? u"" : u" \u00b7 ") + std::u16string(title);
  return heading;
}
