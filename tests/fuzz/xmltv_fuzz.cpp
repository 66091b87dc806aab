// The whole-provider guide: XMLTV bodies (plain or gzip), fed in two pieces
// split where the input's first byte says, and the guide built of them.
#include "catalog/xmltv_reader.h"
#include "tests/fuzz/fuzz_target.h"

VISTRA_FUZZ_TARGET(xmltv) {
  constexpr int64_t kNow = 1796644800;
  GuideChannelSet channels;
  channels.Add(std::string_view("news.tv"));
  channels.Add(std::string_view("sport.tv"));
  XmltvReader reader(channels, kNow);
  const size_t split = input.empty() ? 0 : static_cast<unsigned char>(input[0]) * input.size() / 256;
  reader.Feed(input.substr(0, split));
  reader.Feed(input.substr(split));
  const XmltvResult result = reader.Finish();
  FUZZ_CHECK(result.status != XmltvStatus::Reading);
  FUZZ_CHECK((result.status == XmltvStatus::Read) == bool(result.guide));
  FUZZ_CHECK(!reader.Feed("<tv>"));
  XmltvTimeSeconds(input.substr(0, 32));
  if (!result.guide) return;
  const WholeGuide& guide = *result.guide;
  for (size_t c = 0; c < guide.Channels(); ++c) {
    int64_t previousStop = INT64_MIN;
    for (const GuideSlot& slot : guide.ProgrammesOf(guide.ChannelIdAt(c))) {
      FUZZ_CHECK(guide.StartOf(slot) >= previousStop && slot.seconds > 0);
      FUZZ_CHECK(guide.StopOf(slot) > kNow - WholeGuideBuilder::kSecondsBack);
      FUZZ_CHECK(guide.StartOf(slot) < kNow + WholeGuideBuilder::kSecondsAhead);
      FUZZ_CHECK(guide.TitleOf(slot).size() <= WholeGuideBuilder::kTitleBytes);
      FUZZ_CHECK(guide.DescriptionOf(slot).size() <= WholeGuideBuilder::kDescriptionBytes);
      previousStop = guide.StopOf(slot);
    }
  }
}
