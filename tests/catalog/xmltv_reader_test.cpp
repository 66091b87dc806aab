// The whole-provider guide: XMLTV read as it streams in, into the compact guide.
#include "catalog/xmltv_reader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "catalog/whole_guide.h"
#include "net/text.h"
#include "tests/fixtures/gzip_text.h"
#include "tests/scoped_env.h"

namespace {

// 2026-12-07 12:00:00 UTC.
constexpr int64_t kNow = 1796644800;

std::string Gzip(const std::string& text) { return GzipText(text); }

GuideChannelSet Channels() {
  GuideChannelSet set;
  set.Add(std::string_view("news.tv"));
  set.Add(u"sport.tv");  // as the catalog holds it
  set.Add(std::string_view("știri.ro"));
  return set;
}

struct Read {
  XmltvResult result;
  bool feedRefused = false;  // Feed returned false before the end
};

Read ReadBody(std::string_view body, size_t piece = 0, int64_t now = kNow) {
  const GuideChannelSet channels = Channels();
  XmltvReader reader(channels, now);
  Read read;
  if (piece == 0) piece = body.size() + 1;
  for (size_t at = 0; at < body.size(); at += piece)
    if (!reader.Feed(body.substr(at, piece))) read.feedRefused = true;
  read.result = reader.Finish();
  return read;
}

// Every programme as "channel start+stop title | description", one a line.
std::string Dump(const WholeGuide& guide) {
  std::string out;
  for (size_t c = 0; c < guide.Channels(); ++c) {
    const std::string_view id = guide.ChannelIdAt(c);
    for (const GuideSlot& slot : guide.ProgrammesOf(id)) {
      out += std::string(id) + " " + std::to_string(guide.StartOf(slot) - kNow) + "+" +
             std::to_string(guide.StopOf(slot) - guide.StartOf(slot)) + " " + std::string(guide.TitleOf(slot)) +
             " | " + std::string(guide.DescriptionOf(slot)) + "\n";
    }
  }
  return out;
}

// The body's guide as Dump writes it; when the body did not read, its
// status and detail instead, so a comparison names what went wrong.
std::string DumpOf(std::string_view body, size_t piece = 0) {
  const Read read = ReadBody(body, piece);
  if (read.result.status != XmltvStatus::Read || !read.result.guide)
    return "not read: status " + std::to_string(int(read.result.status)) + " " + read.result.detail;
  return Dump(*read.result.guide);
}

std::string Doc(std::string_view programmes) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n"
         "<tv generator-info-name=\"panel\">\n"
         "<channel id=\"news.tv\"><display-name>News</display-name></channel>\n" +
         std::string(programmes) + "</tv>\n";
}

std::string Programme(std::string_view channel, std::string_view start, std::string_view stop,
                      std::string_view title, std::string_view extra = "") {
  std::string p = "<programme start=\"" + std::string(start) + "\"";
  if (!stop.empty()) p += " stop=\"" + std::string(stop) + "\"";
  p += " channel=\"" + std::string(channel) + "\"><title lang=\"en\">" + std::string(title) + "</title>" +
       std::string(extra) + "</programme>\n";
  return p;
}

// A realistic document: both channel spellings, zones, a skipped channel,
// unsorted programmes, entities and CDATA.
std::string Sample() {
  return Doc(Programme("sport.tv", "20261207140000 +0100", "20261207150000 +0100", "Match &amp; Goals",
                       "<desc>Live\n   from the <![CDATA[<arena>]]></desc>") +
             Programme("news.tv", "20261207120000 +0000", "20261207123000 +0000", "Noon &#x219;tiri") +
             Programme("other.tv", "20261207120000 +0000", "20261207130000 +0000", "Not ours") +
             Programme("news.tv", "20261207060000 -0500", "20261207063000 -0500", "Repeat") +
             Programme("news.tv", "202612071300", "202612071330", "Twelve digits") +
             Programme("știri.ro", "20261207130000 GMT", "20261207140000 GMT", "Știrile orei"));
}

}  // namespace

TEST(XmltvTime, ReadsZonesAndShortFormsAndRefusesTheRest) {
  EXPECT_EQ(XmltvTimeSeconds("20261207120000 +0000"), kNow);
  EXPECT_EQ(XmltvTimeSeconds("20261207130000 +0100"), kNow);
  EXPECT_EQ(XmltvTimeSeconds("20261207070000 -0500"), kNow);
  EXPECT_EQ(XmltvTimeSeconds("20261207133000 +01:30"), kNow);
  EXPECT_EQ(XmltvTimeSeconds("20261207120000"), kNow);
  EXPECT_EQ(XmltvTimeSeconds(" 202612071200 "), kNow);
  EXPECT_EQ(XmltvTimeSeconds("202612071200+0000"), kNow);
  for (const char* named : {"20261207120000 UTC", "20261207120000 GMT", "20261207120000 EST"})
    EXPECT_EQ(XmltvTimeSeconds(named), kNow) << named;
  EXPECT_EQ(XmltvTimeSeconds("20240229000000 +0000"), 1709164800);  // a leap day
  for (const char* bad : {"", "2026120712", "20261307120000", "20230229000000", "20261207246000",
                          "2026-12-07 12:00:00", "20261207120000 +01", "20261207120000 +2500", "20261207120000 1",
                          "19700101000000", "202612071200001"})
    EXPECT_EQ(XmltvTimeSeconds(bad), 0) << bad;
}

TEST(XmltvReader, KeepsTheChannelsOfTheSetWithTheirTextsDecoded) {
  const Read read = ReadBody(Sample());
  ASSERT_EQ(read.result.status, XmltvStatus::Read) << read.result.detail;
  const WholeGuide& guide = *read.result.guide;
  EXPECT_EQ(Dump(guide),
            "news.tv -3600+1800 Repeat | \n"
            "news.tv 0+1800 Noon știri | \n"
            "news.tv 3600+1800 Twelve digits | \n"
            "sport.tv 3600+3600 Match & Goals | Live from the <arena>\n"
            "știri.ro 3600+3600 Știrile orei | \n");
  EXPECT_TRUE(guide.ProgrammesOf(std::string_view("other.tv")).empty());
  EXPECT_EQ(guide.ProgrammesOf(u"sport.tv").size(), 1u);
  EXPECT_EQ(guide.ProgrammesOf(u"știri.ro").size(), 1u);
  EXPECT_GT(read.result.textBytes, 0u);
}

TEST(XmltvReader, FirstTitleHtmlEntitiesWhiteSpaceAndLongTextsCut) {
  std::string longDescription;
  for (int i = 0; i < 300; ++i) longDescription += "ă";  // two bytes each
  const std::string body =
      Doc("<programme start=\"20261207120000 +0000\" stop=\"20261207130000 +0000\" channel=\"news.tv\">"
          "<title lang=\"ro\">Primul&nbsp;titlu</title><title lang=\"en\">Second title</title>"
          "<sub-title>Not a title</sub-title><desc lang=\"ro\">  Caf&eacute; &unknown; "
          "\t\n" + longDescription + "</desc><desc>second</desc>"
          "<credits><title>nested, ignored</title></credits></programme>\n");
  const Read read = ReadBody(body);
  ASSERT_EQ(read.result.status, XmltvStatus::Read) << read.result.detail;
  const WholeGuide& guide = *read.result.guide;
  const auto slots = guide.ProgrammesOf(std::string_view("news.tv"));
  ASSERT_EQ(slots.size(), 1u);
  EXPECT_EQ(guide.TitleOf(slots[0]), "Primul titlu");
  const std::string_view description = guide.DescriptionOf(slots[0]);
  EXPECT_LE(description.size(), WholeGuideBuilder::kDescriptionBytes);
  EXPECT_EQ(description.substr(0, 8), "Café ă");  // "Café", the unknown entity dropped, one space
  EXPECT_TRUE(IsValidUtf8(description));
  // Without a document type too, an HTML entity is no error.
  EXPECT_EQ(DumpOf("<tv><programme start=\"20261207120000\" channel=\"news.tv\"><title>A&nbsp;B&amp;C</title>"
                   "</programme></tv>"),
            "news.tv 0+3600 A B&C | \n");
  // Hand-made XML: bare ampersands (in attributes too) and control characters.
  const std::string sloppy = "<tv><programme start=\"20261207120000\" channel=\"news.tv\"><title>Tom & Jerry &"
                             "amp; R&D &#38; &#x26;\x01\x0b</title><desc>&;&#;&#x;& a &&</desc></programme>"
                             "<programme start=\"20261207130000\" channel=\"a&b\"><title>x</title></programme></tv>";
  for (const size_t piece : {size_t{0}, size_t{1}, size_t{5}})
    EXPECT_EQ(DumpOf(sloppy, piece), "news.tv 0+3600 Tom & Jerry & R&D & & | &;&#;&#x;& a &&\n") << piece;
  // Single-byte encodings that panels declare.
  EXPECT_EQ(DumpOf("<?xml version=\"1.0\" encoding=\"Windows-1252\"?><tv><programme start=\"20261207120000\""
                   " channel=\"news.tv\"><title>Caf\xE9 \x80 \x96 \x81</title></programme></tv>"),
            "news.tv 0+3600 Café € – \uFFFD | \n");
  EXPECT_EQ(DumpOf("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><tv><programme start=\"20261207120000\""
                   " channel=\"news.tv\"><title>Caf\xE9</title></programme></tv>"),
            "news.tv 0+3600 Café | \n");
  EXPECT_EQ(CutUtf8("aăb", 2), "a");
  EXPECT_EQ(CutUtf8("aăb", 3), "aă");
}

TEST(XmltvReader, SortsAndMendsStopsPerChannel) {
  const std::string body = Doc(
      // Listed out of order; the 14:00 one overlaps the 14:30 one.
      Programme("news.tv", "20261207143000 +0000", "20261207150000 +0000", "C") +
      Programme("news.tv", "20261207140000 +0000", "20261207160000 +0000", "B overlaps C") +
      // No stop: ends where the next starts.
      Programme("news.tv", "20261207130000 +0000", "", "A no stop") +
      // An unreadable stop counts as none; the last one gets an hour.
      Programme("news.tv", "20261207170000 +0000", "soon", "D last") +
      // An unreadable start drops the programme.
      Programme("news.tv", "tomorrow", "20261207180000 +0000", "Dropped") +
      // Two with the same start: the later listed stays.
      Programme("sport.tv", "20261207120000 +0000", "20261207130000 +0000", "First listed") +
      Programme("sport.tv", "20261207120000 +0000", "20261207130000 +0000", "Second listed"));
  EXPECT_EQ(DumpOf(body),
            "news.tv 3600+3600 A no stop | \n"
            "news.tv 7200+1800 B overlaps C | \n"
            "news.tv 9000+1800 C | \n"
            "news.tv 18000+3600 D last | \n"
            "sport.tv 0+3600 Second listed | \n");
}

TEST(XmltvReader, KeepsOnlyTheWindowAndFindsRangesAndRows) {
  const TimeZoneGuard zone("Europe/Bucharest");
  const std::string body = Doc(
      Programme("news.tv", "20261130100000 +0000", "20261130110000 +0000", "Eight days back") +
      Programme("news.tv", "20261130113000 +0000", "20261130130000 +0000", "Across the window start") +
      Programme("news.tv", "20261207120000 +0000", "20261207124500 +0000", "Now") +
      Programme("news.tv", "20261207124500 +0000", "20261207130000 +0000", "Now") +
      Programme("news.tv", "20261210113000 +0000", "20261210123000 +0000", "Across the window end") +
      Programme("news.tv", "20261210130000 +0000", "20261210140000 +0000", "Four days ahead") +
      Programme("news.tv", "19800101000000 +0000", "20300101000000 +0000", "Bogus span"));
  const Read read = ReadBody(body);
  ASSERT_EQ(read.result.status, XmltvStatus::Read) << read.result.detail;
  const WholeGuide& guide = *read.result.guide;
  EXPECT_EQ(Dump(guide),
            "news.tv -606600+5400 Across the window start | \n"
            "news.tv 0+2700 Now | \n"
            "news.tv 2700+900 Now | \n"
            "news.tv 257400+3600 Across the window end | \n");
  EXPECT_EQ(guide.Texts(), 3u);  // "Now" once

  EXPECT_EQ(guide.Overlapping(u"news.tv", kNow, kNow + 1).size(), 1u);
  EXPECT_EQ(guide.Overlapping(u"news.tv", kNow + 2699, kNow + 2701).size(), 2u);
  EXPECT_EQ(guide.Overlapping(u"news.tv", kNow + 3600, kNow + 7200).size(), 0u);
  EXPECT_EQ(guide.Overlapping(u"news.tv", kNow, kNow).size(), 0u);
  EXPECT_EQ(guide.Overlapping(u"missing.tv", 0, INT64_MAX).size(), 0u);

  const std::vector<EpgEntry> rows = WholeGuideRows(guide, u"news.tv", kNow - 60, kNow + 4 * 86400);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].time, u"14:00");  // Bucharest is UTC+2 in December
  EXPECT_EQ(rows[0].start, kNow);
  EXPECT_EQ(rows[0].durationMin, 45);
  EXPECT_EQ(rows[0].title, u"Now");
  EXPECT_EQ(rows[2].title, u"Across the window end");
}

TEST(XmltvReader, PiecesOfAnySizeAndGzipGiveTheSameGuide) {
  const std::string body = Sample();
  const std::string whole = DumpOf(body);
  ASSERT_FALSE(whole.starts_with("not read")) << whole;
  for (const size_t piece : {size_t{1}, size_t{2}, size_t{7}, size_t{4096}}) {
    EXPECT_EQ(DumpOf(body, piece), whole) << piece;
    EXPECT_EQ(DumpOf(Gzip(body), piece), whole) << "gzip " << piece;
  }
  // Two gzip members one after the other, split inside the document.
  const size_t half = body.size() / 2;
  EXPECT_EQ(DumpOf(Gzip(body.substr(0, half)) + Gzip(body.substr(half)), 5), whole);
}

TEST(XmltvReader, OtherAnswersAreNotXmltvFromTheirFirstBytes) {
  const std::string padding(1 << 20, ' ');
  struct Case {
    const char* name;
    std::string body;
  };
  const Case cases[] = {
      {"html 404", "<!DOCTYPE html>\n<html><head><title>404 Not Found</title></head><body>" + padding},
      {"html", "  <HTML><body>Forbidden</body></HTML>" + padding},
      {"json", "{\"user_info\":{\"auth\":0}}" + padding},
      {"json list", "[]" + padding},
      {"xhtml", "<?xml version=\"1.0\"?><html xmlns=\"http://www.w3.org/1999/xhtml\"><body>" + padding},
      {"php notice", "<br />\n<b>Warning</b>:  mysqli_connect(): Too many connections in <b>/var/www/xmltv.php</b>"
                     " on line <b>12</b><br />\n" + std::string(70000, 'x')},
      {"plain text", "Access denied" + std::string(70000, '.')},
      {"gzip json", Gzip("{\"error\":\"disabled\"}" + padding)},
  };
  for (const Case& c : cases) {
    const Read read = ReadBody(c.body, 4096);
    EXPECT_EQ(read.result.status, XmltvStatus::NotXmltv) << c.name;
    EXPECT_TRUE(read.feedRefused) << c.name;
    EXPECT_FALSE(read.result.guide) << c.name;
    EXPECT_LE(read.result.textBytes, XmltvReader::kHeadBytes + 256 * 1024) << c.name;
  }
  for (const std::string body : {"", "x", "<b>Notice</b>: Undefined index"})
    EXPECT_EQ(ReadBody(body).result.status, XmltvStatus::NotXmltv) << body;
  // A notice in front of the document is only a notice.
  const Read noticed = ReadBody("<br />\n<b>Notice</b>: Undefined index: tz<br />\n" + Sample(), 3);
  EXPECT_EQ(noticed.result.status, XmltvStatus::Read) << noticed.result.detail;
}

TEST(XmltvReader, BrokenBodiesKeepNothing) {
  const std::string body = Sample();
  const std::string cut = body.substr(0, body.size() * 2 / 3);
  const Read truncated = ReadBody(cut);
  EXPECT_EQ(truncated.result.status, XmltvStatus::Truncated);
  EXPECT_FALSE(truncated.result.guide);
  const std::string zipped = Gzip(body);
  EXPECT_EQ(ReadBody(zipped.substr(0, zipped.size() - 20)).result.status, XmltvStatus::Truncated);
  EXPECT_EQ(ReadBody(Gzip(cut)).result.status, XmltvStatus::Truncated);

  std::string mismatched = body;
  mismatched.replace(mismatched.find("</title>"), 8, "</titel>");
  const Read malformed = ReadBody(mismatched, 64);
  EXPECT_EQ(malformed.result.status, XmltvStatus::Malformed);
  EXPECT_TRUE(malformed.feedRefused);
  EXPECT_NE(malformed.result.detail.find("line"), std::string::npos);
  EXPECT_FALSE(malformed.result.guide);

  std::string corrupt = zipped;
  corrupt[corrupt.size() / 2] ^= 0x55;
  corrupt[corrupt.size() / 2 + 1] ^= 0x55;
  EXPECT_NE(ReadBody(corrupt).result.status, XmltvStatus::Read);

  // What follows the document (a trailing notice, padding) is not read.
  const Read trailing = ReadBody(body + "<br />\n<b>Notice</b>: done" + std::string(100, '\0'));
  EXPECT_EQ(trailing.result.status, XmltvStatus::Read) << trailing.result.detail;
  // A start tag that never closes stops the reading instead of growing.
  const Read endless = ReadBody("<tv><programme title=\"" + std::string(17 << 20, 'a'), 1 << 20);
  EXPECT_EQ(endless.result.status, XmltvStatus::Malformed);
}

TEST(XmltvReader, AHugeTitleIsCutAndCostsNothingLater) {
  const std::string huge(2 << 20, 'T');
  const std::string body = Doc(Programme("news.tv", "20261207120000 +0000", "20261207130000 +0000", huge,
                                         "<desc>" + std::string(2 << 20, 'D') + "</desc>"));
  const Read read = ReadBody(body, 16384);
  ASSERT_EQ(read.result.status, XmltvStatus::Read) << read.result.detail;
  const WholeGuide& guide = *read.result.guide;
  const auto slots = guide.ProgrammesOf(std::string_view("news.tv"));
  ASSERT_EQ(slots.size(), 1u);
  EXPECT_EQ(guide.TitleOf(slots[0]).size(), WholeGuideBuilder::kTitleBytes);
  EXPECT_EQ(guide.DescriptionOf(slots[0]).size(), WholeGuideBuilder::kDescriptionBytes);
  EXPECT_LT(guide.Bytes(), 4096u);
}

namespace {

struct Hooked {
  XmltvResult result;
  int hookCalls = 0;
  std::vector<std::string> seenIds;  // the directory as the hook saw it
};

// Reads `body` in pieces of 3 bytes with the news/sport/știri set; the hook
// records the directory it sees and adds `addedId`.
Hooked ReadHooked(std::string_view body, XmltvOptions options, std::string addedId = "") {
  Hooked hooked;
  options.onChannels = [&hooked, addedId](const GuideChannelDirectory& directory, GuideChannelSet& set) {
    ++hooked.hookCalls;
    for (const GuideChannelInfo& info : directory) hooked.seenIds.push_back(info.id);
    set.Add(std::string_view(addedId));
  };
  XmltvReader reader(Channels(), kNow, std::move(options));
  for (size_t at = 0; at < body.size(); at += 3) reader.Feed(body.substr(at, 3));
  hooked.result = reader.Finish();
  return hooked;
}

std::string DumpOf(const Hooked& hooked) {
  if (hooked.result.status != XmltvStatus::Read) return "not read: " + hooked.result.detail;
  return Dump(*hooked.result.guide);
}

std::string DumpWithOffset(const std::string& body, int64_t offsetSeconds, bool keepNowForAll = false) {
  XmltvOptions options;
  options.offsetSeconds = offsetSeconds;
  options.keepNowForAll = keepNowForAll;
  return DumpOf(ReadHooked(body, options, "added.tv"));
}

}  // namespace

TEST(XmltvReader, ReadsTheChannelDirectoryOfAnUglyGuide) {
  const std::string body =
      "<br />\n<b>Notice</b>: Undefined variable: tz<br />\n<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<tv>"
      "<channel id=\"bbc1.uk\"><display-name lang=\"en\">  BBC\n One </display-name><display-name>BBC One"
      "</display-name><display-name></display-name><display-name>101</display-name>"
      "<icon src=\"http://logo/bbc1.png\"/><icon src=\"http://logo/other.png\"/></channel>\n"
      "<channel id=\"tf1.fr\"><display-name>TF1 &amp; Caf\xE9 &eacute;t&#233; \x80</display-name></channel>\n"
      "<channel><display-name>No id</display-name></channel>\n"
      "<channel id=\"long.tv\"><display-name>" + std::string(300, 'L') + "</display-name></channel>\n"
      "<channel id=\"bbc1.uk\"><display-name>BBC 1</display-name><display-name>BBC One</display-name></channel>"
      "</tv>\n";
  for (const std::string& form : {body, Gzip(body)}) {
    const XmltvResult result = ReadBody(form, 5).result;
    ASSERT_EQ(result.status, XmltvStatus::Read) << result.detail;
    ASSERT_TRUE(result.channels && result.channels->size() == 3u);
    const GuideChannelDirectory& directory = *result.channels;
    EXPECT_EQ(directory[0].id, "bbc1.uk");
    EXPECT_EQ(directory[0].displayNames, (std::vector<std::string>{"BBC One", "101", "BBC 1"}));
    EXPECT_EQ(directory[0].icon, "http://logo/bbc1.png");
    EXPECT_EQ(directory[1].displayNames, (std::vector<std::string>{"TF1 & Café été €"}));
    EXPECT_EQ(directory[2].displayNames[0].size(), GuideChannelInfo::kNameBytes);
  }
  // Nothing of the directory comes of a guide that did not read whole.
  EXPECT_FALSE(ReadBody(body.substr(0, body.size() - 20)).result.channels);
}

TEST(XmltvReader, TheHookAddsChannelsOnceBeforeTheFirstProgramme) {
  const std::string channels = "<channel id=\"bbc1.uk\"><display-name>BBC One</display-name></channel>"
                               "<channel id=\"news.tv\"><display-name>News</display-name></channel>";
  const std::string programmes =
      Programme("bbc1.uk", "20261207120000 +0000", "20261207130000 +0000", "Added by name", "<desc>kept</desc>") +
      Programme("news.tv", "20261207120000 +0000", "20261207130000 +0000", "In the set") +
      Programme("itv1.uk", "20261207120000 +0000", "20261207130000 +0000", "Nobody's");
  const Hooked inOrder = ReadHooked("<tv>" + channels + programmes + "</tv>", {}, "bbc1.uk");
  EXPECT_EQ(inOrder.hookCalls, 1);
  EXPECT_EQ(inOrder.seenIds, (std::vector<std::string>{"bbc1.uk", "news.tv"}));
  EXPECT_EQ(DumpOf(inOrder), "bbc1.uk 0+3600 Added by name | kept\nnews.tv 0+3600 In the set | \n");
  // Programmes first: the hook comes at the first of them, and the channels
  // listed later still reach the directory.
  const Hooked backwards = ReadHooked("<tv>" + programmes + channels + "</tv>", {}, "bbc1.uk");
  EXPECT_EQ(backwards.hookCalls, 1);
  EXPECT_TRUE(backwards.seenIds.empty());
  EXPECT_EQ(DumpOf(backwards), DumpOf(inOrder));
  EXPECT_EQ(backwards.result.channels->size(), 2u);
  // No programme at all: the hook comes at the end; a broken guide never calls it.
  EXPECT_EQ(ReadHooked("<tv>" + channels + "</tv>", {}).hookCalls, 1);
  EXPECT_EQ(ReadHooked("<html><body>404</body></html>", {}).hookCalls, 0);
}

TEST(XmltvReader, AnOffsetMovesEveryTimeBeforeTheWindowTests) {
  // An hour later the first is whole and the third out; two hours earlier
  // the first is out and the fourth in.
  const std::string body = Doc(Programme("news.tv", "20261130110000", "20261130123000", "Window start") +
                               Programme("news.tv", "20261207120000 +0100", "20261207130000 +0100", "Zoned") +
                               Programme("news.tv", "20261210113000", "20261210123000", "Window end") +
                               Programme("news.tv", "20261210130000", "20261210140000", "After the end"));
  EXPECT_EQ(DumpWithOffset(body, 3600), "news.tv -604800+5400 Window start | \nnews.tv 0+3600 Zoned | \n");
  EXPECT_EQ(DumpWithOffset(body, -7200),
            "news.tv -10800+3600 Zoned | \nnews.tv 250200+3600 Window end | \nnews.tv 255600+3600 After the end | \n");
  // Kept for their programme on now: [now - 1 h, now + 12 h) after the
  // offset, titles only; the set's and the hook's channels keep the whole window.
  const std::string others = Doc(
      Programme("other.tv", "20261207080000", "20261207093000", "Ended long ago") +
      Programme("other.tv", "20261207103000", "20261207113000", "Ended just now", "<desc>not kept</desc>") +
      Programme("other.tv", "20261207113000", "", "On now, no stop") +
      Programme("other.tv", "20261208010000", "20261208020000", "Thirteen hours ahead") +
      Programme("third.tv", "20261207105000", "20261207111000", "Third, on now") +
      Programme("news.tv", "20261205120000", "20261205130000", "Ours, two days ago", "<desc>kept</desc>") +
      Programme("added.tv", "20261206120000", "20261206130000", "Added, a day ago"));
  EXPECT_EQ(DumpWithOffset(others, 3600, true),
            "added.tv -82800+3600 Added, a day ago | \n"
            "news.tv -169200+3600 Ours, two days ago | kept\n"
            "other.tv -1800+3600 Ended just now | \n"
            "other.tv 1800+3600 On now, no stop | \n"
            "third.tv -600+1200 Third, on now | \n");
  EXPECT_EQ(DumpWithOffset(others, 3600, false),
            "added.tv -82800+3600 Added, a day ago | \nnews.tv -169200+3600 Ours, two days ago | kept\n");
}
