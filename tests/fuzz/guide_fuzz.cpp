// The programme guide answers and their time and title values.
#include "catalog/guide.h"
#include "tests/fuzz/fuzz_target.h"

VISTRA_FUZZ_TARGET(guide) {
  std::vector<EpgEntry> rows;
  ParseGuide(rows, input);
  for (const EpgEntry& row : rows) FUZZ_CHECK(!row.title.empty() && row.start >= 0);
  const std::string_view head = input.substr(0, 64);
  GuideTimeSeconds(head);
  GuideDisplayTime(head);
  GuideDurationMinutes(GuideTimeSeconds(head), input.substr(head.size(), 32), head);
  DecodeGuideText(input);
  CurrentGuideRow(rows, 1'700'000'000);
}
