// Linking live channels to the guides read in order: the user's choice,
// then the guide id, then the name; the first source that links a channel
// wins, and one whose guide channel turns out empty leaves it to the next.
#include "catalog/guide_links.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/catalog/test_items.h"

namespace {

constexpr int64_t kNow = 1'800'000'000;

CatalogItem Channel(std::u16string_view id, std::u16string_view name, std::u16string_view epg = u"", int archive = 0) {
  return TestItem(ItemKind::Live, {.id = id, .name = name, .categoryId = u"1", .epgChannelId = epg}, archive);
}

GuideChannelInfo Info(std::string id, std::string name) { return {std::move(id), {std::move(name)}, ""}; }

// A guide with one programme on now for each id of the set.
SharedWholeGuide GuideOf(const GuideChannelSet& channels) {
  WholeGuideBuilder builder(channels, kNow);
  for (uint32_t i = 0; i < channels.size(); ++i) builder.Add(i, kNow - 600, kNow + 600, "On now", "");
  return builder.Build();
}

// Reads one source the way the reader does: the hook, then the programmes
// of the ids it added that the document lists (minus those `empty` names),
// then Settle.
void ReadSource(GuideLinker& linker, size_t source, const GuideChannelDirectory& directory,
                std::vector<std::string> empty = {}) {
  GuideChannelSet channels;
  linker.LinkSource(source, directory, channels);
  GuideChannelSet kept;
  for (uint32_t i = 0; i < channels.size(); ++i)
    if (std::find(empty.begin(), empty.end(), channels.IdAt(i)) == empty.end() &&
        std::any_of(directory.begin(), directory.end(), [&](const GuideChannelInfo& c) { return c.id == channels.IdAt(i); }))
      kept.Add(channels.IdAt(i));
  linker.Settle(source, GuideOf(kept).get());
}

const GuideLink* LinkOf(const GuideLinksOfStream& links, std::u16string_view id) {
  const auto it = links.find(std::u16string(id));
  return it == links.end() ? nullptr : &it->second;
}

}  // namespace

TEST(GuideLinker, ChoiceThenIdThenNameAndTheFirstSourceWins) {
  auto live = std::make_shared<ItemList>(ItemList{
      Channel(u"1", u"UK: BBC ONE FHD ᴴᴰ"),                // no id: by name
      Channel(u"2", u"Whatever", u"itv1.uk"),              // by id
      Channel(u"3", u"BBC Two", u"bbc2.uk"),               // chosen in the second source
      Channel(u"4", u"Channel 4", u"null"),                // chosen: no guide
      Channel(u"5", u"5STAR+1"),                           // never the plain channel
      Channel(u"6", u"Film Four", u"film4.old", 1),        // id known, no programmes: the next source by name
      Channel(u"7", u"Obscure 24"),                        // nothing anywhere
  });
  GuideMapFile map;
  map.Set({"acc", u"3", "http://epg/x.xml", "BBCTwo"});
  map.Set({"acc", u"4", "", ""});
  map.Set({"other", u"1", "", "itv1.uk"});  // another account's choice counts for nothing here
  GuideLinker linker(live, map, "acc", {"", "http://epg/x.xml"});
  ReadSource(linker, 0,
             {Info("bbc1.uk", "BBC One HD"), Info("itv1.uk", "ITV1"), Info("bbc2.uk", "BBC Two"),
              Info("5star.uk", "5STAR"), Info("film4.old", "Film4"), Info("c4.uk", "Channel 4")},
             {"film4.old"});
  ReadSource(linker, 1, {Info("BBCTwo", "BBC 2"), Info("Film4", "Film 4"), Info("5StarPlus1", "5STAR +1")});
  const auto links = linker.Links();
  ASSERT_TRUE(LinkOf(*links, u"1"));
  EXPECT_EQ(LinkOf(*links, u"1")->guideId, u"bbc1.uk");
  EXPECT_EQ(LinkOf(*links, u"1")->kind, GuideLinkKind::SameName);
  EXPECT_EQ(LinkOf(*links, u"2")->kind, GuideLinkKind::GuideId);
  EXPECT_EQ(LinkOf(*links, u"3")->source, 1);
  EXPECT_EQ(LinkOf(*links, u"3")->kind, GuideLinkKind::Chosen) << "a choice wins over the provider's own id";
  EXPECT_FALSE(LinkOf(*links, u"4")) << "no guide, though the provider's guide has the name";
  ASSERT_TRUE(LinkOf(*links, u"5"));
  EXPECT_EQ(LinkOf(*links, u"5")->guideId, u"5StarPlus1") << "the time shift is kept apart";
  ASSERT_TRUE(LinkOf(*links, u"6"));
  EXPECT_EQ(LinkOf(*links, u"6")->guideId, u"Film4");
  EXPECT_EQ(LinkOf(*links, u"6")->archiveDays, 7) << "the archive flag alone reaches a week";
  EXPECT_FALSE(LinkOf(*links, u"7"));
  const GuideLinkCounts counts = linker.Counts();
  EXPECT_EQ(counts.chosen, 1u);
  EXPECT_EQ(counts.noGuide, 1u);
  EXPECT_EQ(counts.byId, 1u);
  EXPECT_EQ(counts.byName, 3u);
}

TEST(GuideLinker, UnsureMatchesWaitForReviewAndASourceReadAgainStartsOver) {
  auto live = std::make_shared<ItemList>(ItemList{Channel(u"1", u"Sky Sports Premier League"), Channel(u"2", u"ITV 1")});
  GuideLinker linker(live, GuideMapFile{}, "acc", {"", "http://b"});
  // The copy read first names the channel; the download read instead does not.
  GuideChannelSet unused;
  linker.LinkSource(0, {Info("itv1", "ITV1")}, unused);
  ReadSource(linker, 0, {Info("other", "Something Else")});
  ReadSource(linker, 1, {Info("skypl", "Sky Sports Prem League")});
  EXPECT_TRUE(linker.Links()->empty()) << "the second reading of a source replaces the first";
  const std::vector<GuideReviewItem> review = linker.Review();
  ASSERT_EQ(review.size(), 1u);
  EXPECT_EQ(review[0].streamId, u"1");
  EXPECT_EQ(review[0].source, 1);
  EXPECT_EQ(review[0].guideId, "skypl");
  EXPECT_EQ(review[0].guideName, "Sky Sports Prem League");
}
