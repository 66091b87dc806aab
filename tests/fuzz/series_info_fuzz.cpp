// Series info: the one-pass episode walk, checked against the plain
// definition (enter every object that is no episode, take an episode whole)
// on inputs small enough for the plain walk's quadratic cost.
#include <optional>

#include "catalog/xtream_client.h"
#include "net/json_scan.h"
#include "tests/fuzz/fuzz_target.h"

namespace {

constexpr size_t npos = std::string_view::npos;

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

size_t NextObjectStart(std::string_view text, size_t from) {
  for (size_t i = from; i < text.size(); ++i) {
    if (text[i] == '{') return i;
    if (text[i] == '"' && (i = JsonScan::detail::StringEnd(text, i)) == npos) return npos;
  }
  return npos;
}

size_t ObjectEnd(std::string_view text, size_t open) {
  long depth = 0;
  for (size_t i = open; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      if ((i = JsonScan::detail::StringEnd(text, i)) == npos) return npos;
    } else if (c == '{') {
      ++depth;
    } else if (c == '}' && --depth == 0) {
      return i;
    }
  }
  return npos;
}

// An own member of the object, on well-formed nesting: lists and objects
// inside it are skipped whole.
bool HasOwnEpisodeKey(std::string_view object) {
  for (size_t i = 1; i + 1 < object.size(); ++i) {
    const char c = object[i];
    if (c == '{') {
      i = ObjectEnd(object, i);
      if (i == npos) return false;
    } else if (c == '[') {
      long depth = 0;
      for (; i + 1 < object.size(); ++i) {
        if (object[i] == '"' && (i = JsonScan::detail::StringEnd(object, i)) == npos) return false;
        if (object[i] == '[' || object[i] == '{') ++depth;
        if ((object[i] == ']' || object[i] == '}') && --depth == 0) break;
      }
    } else if (c == '"') {
      const size_t close = JsonScan::detail::StringEnd(object, i);
      if (close == npos) return false;
      const std::string_view name = object.substr(i + 1, close - i - 1);
      i = close;
      size_t p = close + 1;
      while (p < object.size() && IsSpace(object[p])) ++p;
      if ((name == "container_extension" || name == "episode_num") && p < object.size() && object[p] == ':')
        return true;
    }
  }
  return false;
}

// Whether brackets and braces pair up properly, strings skipped.
bool WellNested(std::string_view text) {
  std::string open;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      if ((i = JsonScan::detail::StringEnd(text, i)) == npos) return true;  // the rest is one string
    } else if (c == '{' || c == '[') {
      open.push_back(c);
    } else if (c == '}' || c == ']') {
      if (open.empty() || open.back() != (c == '}' ? '{' : '[')) return false;
      open.pop_back();
    }
  }
  return true;
}

// The plain walk's episodes, or nothing when the scanned text is not well
// nested (where the two walks may differ: they close lists differently).
std::optional<std::vector<Episode>> PlainEpisodes(std::string_view json) {
  size_t start = 0;
  for (size_t at = json.find("\"episodes\""); at != npos; at = json.find("\"episodes\"", at + 1)) {
    size_t p = at + 10;
    while (p < json.size() && IsSpace(json[p])) ++p;
    if (p < json.size() && json[p] == ':') {
      start = at;
      break;
    }
  }
  const std::string_view scan = json.substr(start);
  if (!WellNested(scan)) return std::nullopt;
  std::vector<Episode> episodes;
  size_t p = 0;
  while ((p = NextObjectStart(scan, p)) != npos) {
    const size_t end = ObjectEnd(scan, p);
    if (end == npos) break;
    const std::string_view object = scan.substr(p, end - p + 1);
    if (!HasOwnEpisodeKey(object)) {
      p += 1;
      continue;
    }
    SeriesInfo one;
    // The object alone, as the only episode candidate of a text.
    const std::string alone = "{\"episodes\":[" + std::string(object) + "]}";
    ParseSeriesInfo(alone, one);
    episodes.insert(episodes.end(), one.Episodes.begin(), one.Episodes.end());
    p = end + 1;
  }
  return episodes;
}

}  // namespace

VISTRA_FUZZ_TARGET(series_info) {
  SeriesInfo info;
  const bool found = ParseSeriesInfo(input, info);
  FUZZ_CHECK(found == !info.Episodes.empty());
  for (const Episode& episode : info.Episodes) {
    FUZZ_CHECK(!episode.id.empty() && !episode.containerExt.empty() && !episode.season.empty());
  }
  if (input.size() > 4096) return;
  if (const auto plain = PlainEpisodes(input)) FUZZ_CHECK(*plain == info.Episodes);
}
