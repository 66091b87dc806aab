#include "catalog/guide_match.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "net/text.h"

namespace {

std::vector<GuideChannelName> GuideOf(std::initializer_list<std::string> names) {
  std::vector<GuideChannelName> guide;
  for (const std::string& name : names) guide.push_back(GuideChannelName{name + ".id", {name}});
  return guide;
}

std::string IdOf(const std::vector<GuideChannelName>& guide, const GuideMatch& match) {
  return match.channel == GuideMatch::kNoChannel ? "-" : guide[match.channel].id;
}

bool Applies(const GuideMatch& match) {
  return match.kind == GuideMatchKind::Exact || match.kind == GuideMatchKind::Confident;
}

TEST(NormaliseChannelName, ProviderDecorationsOfOneChannelReadAlike) {
  for (const char* name : {"BBC One HD", "UK: BBC ONE FHD \u1d34\u1d30", "|UK| BBC One (backup)", "UK | bbc one 1080p HEVC",
                           "[UK] BBC One RAW", "\u2605 UK BBC One", "\u0299\u0299\u1d04 \u1d0f\u0274\u1d07 \u029c\u1d05",
                           "BBC ONE\u029c\u1d05", "\uff22\uff22\uff23\u3000\uff2f\uff4e\uff45", "US: BBC One (WBBC) H265",
                           "AR-BBC One 50fps", "BBC\xff One \u2074\u1d37"}) {
    EXPECT_EQ(NormaliseChannelName(name), "bbc one") << name;
  }
}

TEST(NormaliseChannelName, KeepsWhatTellsChannelsApart) {
  const std::pair<const char*, const char*> cases[] = {
      {"5STAR+1", "5 star +1"},                     // glued digits split, the time shift kept
      {"Channel 4+1 London", "channel 4 london +1"},  // the time shift always last
      {"Channel 5 plus 1", "channel 5 +1"},
      {"E4 (+1)", "e 4 +1"},
      {"Movies24+", "movies 24 plus"},  // a '+' that is no time shift
      {"BBC UHD 1", "bbc uhd 1"},       // an ultra-HD channel with a number is not "BBC 1"
      {"R\u00c9 One \u00dcber Stra\u00dfe", "re one uber strasse"},
      {"That's TV & U&Dave", "thats tv and u and dave"},
      {"Al-Jazeera", "al jazeera"},  // a country code is written in capitals
      {"\u041f\u0435\u0440\u0432\u044b\u0439 \u041a\u0430\u043d\u0430\u043b HD", "\u043f\u0435\u0440\u0432\u044b\u0439 \u043a\u0430\u043d\u0430\u043b"},
      {"ITV1 Central (East) HD", "itv 1 central"},
      {"[ITV Gold]", "itv gold"},  // a name that is all brackets keeps them
      {"UK: HD (backup)", ""},
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(NormaliseChannelName(name), expected) << name;

  const ChannelNameForm east = FormOfChannelName("ITV1 Central (East) HD");
  EXPECT_EQ(east.detailedKey, "itv 1 central east");
  EXPECT_TRUE(east.qualityMarked);
  EXPECT_EQ(FormOfChannelName("BBC One").key, FormOfChannelName("BBC1").key);
  EXPECT_EQ(FormOfChannelName("The Box UK").coreKey, "box");
  EXPECT_EQ(FormOfChannelName("Channel 5").coreKey, "channel 5") << "no word with a letter would be left";
}

TEST(GuideNameMatcher, TimeShiftsAndNumbersAreNeverTakenForEachOther) {
  const auto guide = GuideOf({"5STAR", "5STAR+1", "ITV3", "Sky News", "BBC Red Button 1", "Dave"});
  const GuideNameMatcher matcher(guide);
  EXPECT_EQ(IdOf(guide, matcher.Match("UK: 5 STAR +1 HD")), "5STAR+1.id");
  EXPECT_EQ(IdOf(guide, matcher.Match("5 Star plus 1")), "5STAR+1.id");
  EXPECT_EQ(IdOf(guide, matcher.Match("|UK| 5STAR")), "5STAR.id");
  for (const char* other : {"Dave +1", "ITV2", "Sky News Extra 1", "BBC Red Button 12", "5STAR+2"}) {
    const GuideMatch match = matcher.Match(other);
    EXPECT_FALSE(Applies(match)) << other << " -> " << IdOf(guide, match);
  }
  EXPECT_EQ(matcher.Match("Dave +1").kind, GuideMatchKind::Unsure) << "close enough for the review list";
}

TEST(GuideNameMatcher, ConfidentOnlyWhenEveryWordPairs) {
  const auto guide = GuideOf({"Jewellery Maker", "BBC One Yorkshire", "BBC One Yorks & Lincs", "Box", "Ideal World"});
  const GuideNameMatcher matcher(guide);
  const GuideMatch slip = matcher.Match("Jewelery Maker (1080p)");
  EXPECT_EQ(slip.kind, GuideMatchKind::Confident);
  EXPECT_EQ(IdOf(guide, slip), "Jewellery Maker.id");
  EXPECT_EQ(matcher.Match("The Box UK").kind, GuideMatchKind::Confident) << "weak words aside, the same words";
  EXPECT_EQ(IdOf(guide, matcher.Match("Ideal World TV")), "Ideal World.id");
  const GuideMatch region = matcher.Match("BBC One East Yorkshire");
  EXPECT_EQ(region.kind, GuideMatchKind::Unsure) << "an extra word is another region";
  EXPECT_EQ(matcher.Match("Kool London Radio").kind, GuideMatchKind::None);

  const auto twins = GuideOf({"Cinemax Action Movies", "Cinemix Action Movies"});
  const GuideMatch between = GuideNameMatcher(twins).Match("Cinemex Action Movies");
  EXPECT_EQ(between.kind, GuideMatchKind::Unsure) << "one slip from either: " << between.score;
}

TEST(GuideNameMatcher, SharedKeysGoByTheHdMarkOrToReview) {
  const auto guide = GuideOf({"Film4", "Film4 HD", "ITV1 Central (East) HD", "ITV1 Central (West) HD", "BBC One London",
                              "BBC One Wales"});
  const GuideNameMatcher matcher(guide);
  EXPECT_EQ(IdOf(guide, matcher.Match("UK: FILM 4 FHD")), "Film4 HD.id");
  EXPECT_EQ(IdOf(guide, matcher.Match("Film 4")), "Film4.id");
  const GuideMatch west = matcher.Match("ITV1 Central West");
  EXPECT_EQ(west.kind, GuideMatchKind::Exact);
  EXPECT_EQ(IdOf(guide, west), "ITV1 Central (West) HD.id");
  EXPECT_EQ(matcher.Match("ITV1 Central HD").kind, GuideMatchKind::Unsure);
  const GuideMatch bbc = matcher.Match("BBC One HD");
  EXPECT_EQ(bbc.kind, GuideMatchKind::Unsure) << "no region named";
  EXPECT_NE(IdOf(guide, bbc).find("BBC One"), std::string::npos);
}

TEST(GuideNameMatcher, SuggestionsPutTheNameItselfFirst) {
  const auto guide = GuideOf({"More4", "Film4+1", "Film4", "Film4 HD", "Film4 ROI", "Food Network"});
  const GuideNameMatcher matcher(guide);
  const std::vector<GuideSuggestion> suggestions = matcher.Suggest(u"UK: Film4 HD", 4);
  ASSERT_EQ(suggestions.size(), 4u);
  EXPECT_EQ(guide[suggestions[0].channel].id, "Film4 HD.id");
  EXPECT_EQ(guide[suggestions[1].channel].id, "Film4.id");
  for (size_t i = 1; i < suggestions.size(); ++i) EXPECT_LE(suggestions[i].score, suggestions[i - 1].score);
  for (size_t i = 2; i < suggestions.size(); ++i) {
    EXPECT_EQ(guide[suggestions[i].channel].id.rfind("Film4", 0), 0u) << "similar names before other ones";
  }
  EXPECT_TRUE(matcher.Suggest("HD", 5).empty());
}

// A real UK guide's channel list and hand-labelled live channel names (see
// the notes at the top of the files).
std::vector<std::pair<std::string, std::string>> ReadTsv(const std::string& file) {
  std::ifstream in(std::string(VISTRA_SOURCE_DIR) + "/tests/data/" + file);
  std::vector<std::pair<std::string, std::string>> rows;
  std::string line;
  while (std::getline(in, line)) {
    const size_t tab = line.find('\t');
    if (line.empty() || line[0] == '#' || tab == std::string::npos) continue;
    rows.emplace_back(line.substr(0, tab), line.substr(tab + 1));
  }
  return rows;
}

TEST(GuideNameMatcher, LabelledUkChannelsGetNoWrongAutomaticMatch) {
  std::vector<GuideChannelName> guide;
  for (const auto& [name, id] : ReadTsv("uk_guide_channels.tsv")) guide.push_back(GuideChannelName{id, {name}});
  const auto labels = ReadTsv("uk_live_channel_labels.tsv");
  ASSERT_EQ(guide.size(), 284u);
  ASSERT_GE(labels.size(), 200u);
  const GuideNameMatcher matcher(guide);

  std::vector<std::u16string> wide;
  for (const auto& row : labels) wide.push_back(Utf8ToWide(row.first));
  const std::vector<std::u16string_view> views(wide.begin(), wide.end());
  const std::vector<GuideMatch> matches = matcher.MatchAll(views);
  size_t withGuide = 0, found = 0;
  for (size_t i = 0; i < labels.size(); ++i) {
    const auto& [name, label] = labels[i];
    const std::string got = IdOf(guide, matches[i]);
    const bool right = ("|" + label + "|").find("|" + got + "|") != std::string::npos;
    withGuide += label != "-";
    if (!Applies(matches[i])) continue;
    EXPECT_TRUE(right) << name << " -> " << got << ", labelled " << label;
    found += right;
  }
  // Measured: 74 of the 92 channels the guide has are found (80 %).
  EXPECT_GE(double(found) / double(withGuide), 0.75);
}

TEST(GuideNameMatcher, BatchOnTwoThreadsAgreesWithOneByOne) {
  std::vector<GuideChannelName> guide;
  for (const auto& [name, id] : ReadTsv("uk_guide_channels.tsv")) guide.push_back(GuideChannelName{id, {name}});
  const GuideNameMatcher matcher(guide);
  // Enough names for two threads, each met several times (the batch
  // remembers what it found for a name).
  const char* const dressings[] = {"UK: %s HD", "%s +1", "|UK| %s 4K", "%s Xtra (backup)", "%sz"};
  std::vector<std::string> names;
  for (size_t i = 0; names.size() < 6000; ++i) {
    std::string dressed = dressings[i % 5];
    dressed.replace(dressed.find("%s"), 2, guide[(i * 7) % guide.size()].displayNames[0]);
    names.push_back(dressed);
  }
  const std::vector<GuideMatch> batch = matcher.MatchAll(names, 2);
  ASSERT_EQ(batch.size(), names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    const GuideMatch one = matcher.Match(names[i]);
    EXPECT_EQ(batch[i].channel, one.channel) << names[i];
    EXPECT_EQ(batch[i].kind, one.kind) << names[i];
  }
}

}  // namespace
