// Sports answers: JSON schedules, RSS feeds, HTML pages.
#include "extras/sports.h"
#include "tests/fuzz/fuzz_target.h"

VISTRA_FUZZ_TARGET(sports) {
  for (auto add : {AddJsonEvents, AddRssTitles, AddHtmlEventLines}) {
    std::vector<std::u16string> lines;
    add(lines, input);
    FUZZ_CHECK(lines.size() <= kMaxEventLines);
  }
  IframeSource(input);
  EventLineFromJson(input);
}
