#include "catalog/guide_reading.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int64_t kHour = 3600;

GuideSourceReport ReportOf(std::string key, bool read, bool fromCopy, const SharedWholeGuide& guide,
                           const SharedGuideChannels& channels, std::string detail) {
  GuideSourceReport report;
  report.key = std::move(key);
  report.read = read;
  report.fromCopy = fromCopy;
  report.programmes = guide ? guide->Programmes() : 0;
  report.channels = channels ? channels->size() : 0;
  report.detail = read ? std::string() : std::move(detail);
  return report;
}

// The provider's answer in the words the guide settings show.
std::string ProviderDetail(const WholeGuideLoad& load) {
  if (load.status == XmltvStatus::NotXmltv) return load.httpStatus >= 400 ? "HTTP " + std::to_string(load.httpStatus) : "no guide";
  if (load.status == XmltvStatus::Truncated) return "cut off";
  if (load.status == XmltvStatus::Malformed) return "broken XML";
  return load.detail;
}

}  // namespace

bool WholeGuideHeld::Any() const {
  return std::any_of(sources.begin(), sources.end(), [](const GuideSourceHeld& s) { return s.guide != nullptr; });
}

const GuideLink* WholeGuideHeld::LinkOf(std::u16string_view streamId) const {
  if (!links) return nullptr;
  const auto it = links->find(std::u16string(streamId));
  return it == links->end() ? nullptr : &it->second;
}

std::optional<std::vector<EpgEntry>> WholeGuideHeld::RowsFor(std::u16string_view streamId, int64_t now) const {
  const GuideLink* link = LinkOf(streamId);
  if (!link || link->source >= sources.size() || !sources[link->source].guide) return std::nullopt;
  return WholeGuideRows(*sources[link->source].guide, link->guideId, now - WholeGuideBuilder::kSecondsBack,
                        now + WholeGuideBuilder::kSecondsAhead);
}

GuideReading ReadGuides(const GuideReadingAsk& ask) {
  GuideReading reading;
  std::vector<std::string> keys{std::string()};
  for (const GuideSourceSpec& spec : ask.sources) keys.push_back(spec.url);
  // The copies of sources the user removed are no longer wanted.
  ForgetOtherGuideSources(std::vector<std::string>(keys.begin() + 1, keys.end()));
  GuideLinker linker(ask.liveChannels, ask.map, AccountKey(ask.account), keys);
  const auto optionsFor = [&linker](size_t source, int offsetHours) {
    XmltvOptions options;
    options.offsetSeconds = int64_t{offsetHours} * kHour;
    options.keepNowForAll = true;
    options.onChannels = [&linker, source](const GuideChannelDirectory& directory, GuideChannelSet& channels) {
      linker.LinkSource(source, directory, channels);
    };
    return options;
  };

  reading.provider = LoadWholeGuide(ask.account, ask.liveChannels, ask.now, ask.timeoutMs, ask.capBytes,
                                    optionsFor(0, ask.providerOffsetHours));
  linker.Settle(0, reading.provider.guide.get());
  reading.sources.push_back({keys[0], ask.providerOffsetHours, reading.provider.guide, reading.provider.channels});
  reading.reports.push_back(ReportOf(keys[0], reading.provider.guide != nullptr, reading.provider.fromCopy,
                                     reading.provider.guide, reading.provider.channels, ProviderDetail(reading.provider)));

  for (size_t i = 0; i < ask.sources.size(); ++i) {
    const GuideSourceSpec& spec = ask.sources[i];
    GuideSourceLoad load =
        LoadGuideSource(spec, GuideChannelSet{}, optionsFor(i + 1, spec.offsetHours), ask.now, ask.timeoutMs, ask.capBytes);
    linker.Settle(i + 1, load.guide.get());
    reading.reports.push_back(ReportOf(spec.url, load.guide != nullptr, load.fromCopy, load.guide, load.channels,
                                       load.detail));
    reading.sources.push_back({spec.url, spec.offsetHours, std::move(load.guide), std::move(load.channels)});
  }

  reading.links = linker.Links();
  reading.review = linker.Review();
  reading.counts = linker.Counts();
  for (const auto& [streamId, link] : *reading.links)
    if (link.source < reading.reports.size()) ++reading.reports[link.source].linked;
  return reading;
}

bool GuideCopiesStale(const GuideReadingAsk& ask) {
  if (!WholeGuideCopyFresh(ask.account, ask.now)) return true;
  for (const GuideSourceSpec& spec : ask.sources)
    if (!GuideSourceCopyFresh(spec.url, ask.now)) return true;
  return false;
}
