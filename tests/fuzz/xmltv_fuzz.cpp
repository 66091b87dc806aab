// The whole-provider guide: XMLTV bodies (plain or gzip), fed in two pieces
// split where the input's first byte says, and the guide built of them;
// then read again with an offset, a hook and every channel's now kept.
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
  // Every option at once: they change what is kept, never whether the body
  // reads, and the channel directory stays within its bounds.
  XmltvOptions options;
  options.offsetSeconds = (int64_t(input.empty() ? 0 : static_cast<unsigned char>(input[0])) % 25 - 12) * 3600;
  options.keepNowForAll = true;
  options.onChannels = [](const GuideChannelDirectory& directory, GuideChannelSet& set) {
    for (const GuideChannelInfo& info : directory) set.Add(std::string_view(info.id));
  };
  XmltvReader wide(channels, kNow, options);
  wide.Feed(input.substr(0, split));
  wide.Feed(input.substr(split));
  const XmltvResult wideResult = wide.Finish();
  FUZZ_CHECK(wideResult.status == result.status);
  FUZZ_CHECK((wideResult.status == XmltvStatus::Read) == bool(wideResult.channels));
  if (wideResult.channels)
    for (const GuideChannelInfo& info : *wideResult.channels) {
      FUZZ_CHECK(!info.id.empty() && info.displayNames.size() <= GuideChannelInfo::kMostNames);
      for (const std::string& name : info.displayNames)
        FUZZ_CHECK(!name.empty() && name.size() <= GuideChannelInfo::kNameBytes);
    }
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
