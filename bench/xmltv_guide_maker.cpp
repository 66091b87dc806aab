#include "bench/xmltv_guide_maker.h"

#include <ctime>

namespace {

constexpr int kShows = 3000;
constexpr int kDescriptions = 40000;
constexpr int kLengthsMin[] = {15, 30, 30, 45, 60, 60, 90, 120};
// About what one channel's fourteen days take (measured), so the channel
// count for a size is known before writing.
constexpr uint64_t kBytesPerChannel = 14 * 24 * 60 / 55 * 330;

std::string ChannelId(uint64_t channel) { return "ch" + std::to_string(channel) + ".gen.tv"; }

std::string XmltvTime(int64_t t) {
  const time_t seconds = static_cast<time_t>(t);
  tm utc{};
  gmtime_r(&seconds, &utc);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y%m%d%H%M%S +0000", &utc);
  return buffer;
}

}  // namespace

uint64_t WriteGeneratedXmltv(uint64_t bytes, int64_t now, const std::function<void(std::string_view)>& write) {
  uint64_t written = 0;
  std::string piece;
  const auto flush = [&] {
    write(piece);
    written += piece.size();
    piece.clear();
  };
  piece = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n"
          "<tv generator-info-name=\"bench\" generator-info-url=\"http://example.invalid/\">\n";
  const uint64_t channels = bytes / kBytesPerChannel + 1;
  for (uint64_t c = 0; c < channels; ++c)
    piece += "  <channel id=\"" + ChannelId(c) + "\">\n    <display-name lang=\"en\">Channel " + std::to_string(c) +
             "</display-name>\n    <icon src=\"http://example.invalid/logo/" + std::to_string(c) + ".png\"/>\n  </channel>\n";
  uint32_t state = 12345;
  const auto next = [&state] {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  for (uint64_t c = 0; written + piece.size() < bytes || c == 0; ++c) {
    const std::string id = ChannelId(c);
    for (int64_t start = now - 10 * 86400 - int64_t(next() % 3600); start < now + 4 * 86400;) {
      const int64_t stop = start + int64_t{kLengthsMin[next() % std::size(kLengthsMin)]} * 60;
      const uint32_t show = next() % kShows, description = next() % kDescriptions;
      piece += "  <programme start=\"" + XmltvTime(start) + "\" stop=\"" + XmltvTime(stop) + "\" channel=\"" + id +
               "\">\n    <title lang=\"en\">Show " + std::to_string(show) + (show % 7 == 0 ? " &amp; Friends" : "") +
               "</title>\n    <desc lang=\"en\">Episode " + std::to_string(description) +
               ": the story goes on, with guests, music and the news of the week. Repeated later.</desc>\n"
               "    <category lang=\"en\">Entertainment</category>\n  </programme>\n";
      start = stop;
      if (piece.size() > 1 << 20) flush();
    }
  }
  piece += "</tv>\n";
  flush();
  return written;
}

GuideChannelSet GeneratedXmltvChannels(uint64_t bytes) {
  GuideChannelSet set;
  const uint64_t channels = bytes / kBytesPerChannel + 1;
  for (uint64_t c = 0; c < channels; ++c)
    if (c % 10 != 9) set.Add(std::string_view(ChannelId(c)));
  return set;
}
