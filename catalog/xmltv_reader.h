#pragma once
// Reads a whole provider's XMLTV guide (xmltv.php) while it downloads, into
// a compact WholeGuide (catalog/whole_guide.h).
//
// Fed the body piece by piece (Feed, then Finish; Sink() fits
// HttpClient::FetchGetInto). A body that starts with the gzip magic bytes
// (1f 8b) is inflated on the fly, one member after another when several are
// concatenated. Neither the body nor its text is ever held whole: only the
// programme being read, the builder's records and the interned texts.
//
// What is kept: <programme> elements whose channel attribute is in the
// channel set and that overlap [now - 7 days, now + 3 days) (see
// WholeGuideBuilder); per programme its start, stop, its first <title> and
// its first <desc>, entities and CDATA decoded, white space runs made one
// space, cut to 200 and 400 bytes at a character boundary. Times: see
// XmltvTimeSeconds, moved by the options' offset before the window test;
// a programme with an unreadable start is dropped, one with no or an
// unreadable stop ends where the next one on its channel starts (or after an
// hour). Asked to keep now for all, the reader also keeps the programmes of
// every other channel (at most GuideChannelInfo::kMostChannels of them)
// that overlap [now - 1 h, now + 12 h), without their descriptions, so
// that a list of the guide's channels can show what each has on now. That
// costs some 15 programmes and 425 bytes a channel (measured on the
// generated guide of bench/xmltv_bench.cpp): at 20,000 channels about
// 8.5 MB kept, and by estimate some 20 MB at the peak while the guide is
// built (32-byte records, then their placed copies).
//
// The <channel> elements make the guide's channel directory
// (GuideChannelInfo). Once they are read, before the first <programme>
// (at the end when none comes), the options' hook sees the directory and
// may add ids to the channel set: their programmes are kept as those of the
// ids it had. A document that lists programmes before channels has the
// hook called at its first programme with what was read by then; channels
// after that still reach the directory. Everything else is skipped.
//
// Faults that panels' hand-made XML often has are mended rather than
// costing the whole guide: a bare '&' ("Tom & Jerry") is read as "&amp;",
// a control character other than tab and line breaks as a space. HTML
// entities that XML does not define (&nbsp;, &eacute;, ...) are
// read as their characters, since many guides carry them. A document may be
// UTF-8, ISO-8859-1, ISO-8859-15, Windows-1252 or US-ASCII, as its
// declaration says (not UTF-16: such a body counts as not XMLTV).
//
// Errors are values. Not XMLTV: the text before the root element is not an
// XML prolog leading to <tv> (an HTML page, a PHP error, JSON, an empty
// body); decided from the first bytes (at most kHeadBytes of text), so a
// caller may fall back at once. A PHP notice in front of "<?xml" or "<tv" is
// skipped. Malformed: the XML breaks after <tv> began, or one piece of
// markup runs past kLongestMarkupBytes. Truncated: the body ended before
// </tv> (a transfer that broke off or was cut at its cap). After an error
// Feed consumes nothing more, and no guide comes of the body: a caller keeps
// the guide it had. Anything after </tv> (a trailing notice) is ignored.
//
// Thread contract: one reader per body, used by one thread at a time (the
// download job); the guide it returns may go to any thread.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/whole_guide.h"
#include "net/http_client.h"

enum class XmltvStatus : uint8_t {
  Reading,    // not finished yet
  Read,       // the whole document was read: `guide` holds what was kept
  NotXmltv,   // the answer is something else (the caller asks per channel)
  Malformed,  // broken XML or a broken gzip stream part-way
  Truncated,  // the body ended inside the document
};

// One <channel> element: its id, each <display-name> (entities decoded,
// white space runs made one space, none at either end, cut to kNameBytes at
// a character boundary; empty and repeated names left out, at most
// kMostNames) and the src of its first <icon>. Elements with the same id
// make one entry. A directory holds at most kMostChannels entries, in the
// order of the document; an id longer than kLongestIdBytes cannot be a
// catalog's and is left out, as is an icon address longer than
// kLongestIconBytes (cut, it would lead nowhere). 50,000 channels of three
// names and an icon each hold about 20 MB (measured: 413 bytes a channel).
struct GuideChannelInfo {
  static constexpr size_t kNameBytes = 200;
  static constexpr size_t kMostNames = 16;
  static constexpr size_t kMostChannels = 100000;
  static constexpr size_t kLongestIdBytes = 512;
  static constexpr size_t kLongestIconBytes = 2048;

  std::string id;
  std::vector<std::string> displayNames;
  std::string icon;
};
using GuideChannelDirectory = std::vector<GuideChannelInfo>;
using SharedGuideChannels = std::shared_ptr<const GuideChannelDirectory>;

struct XmltvOptions {
  // Added to every start and stop: a guide that is an hour late is read
  // with -3600.
  int64_t offsetSeconds = 0;
  // Keep the programme on now of every channel, not only those of the set
  // (see above).
  bool keepNowForAll = false;
  // Called at most once, on the reading thread, inside Feed or Finish: the
  // directory read so far, and the channel set, to which it may add ids.
  // It must not keep either reference.
  std::function<void(const GuideChannelDirectory& directory, GuideChannelSet& channels)> onChannels;
};

struct XmltvResult {
  XmltvStatus status = XmltvStatus::Reading;
  SharedWholeGuide guide;        // set only when status is Read
  SharedGuideChannels channels;  // likewise: the guide's channel directory
  std::string detail;      // what went wrong, for the log ("line 12: mismatched tag")
  uint64_t bodyBytes = 0;  // bytes fed
  uint64_t textBytes = 0;  // bytes of XML text (after inflating)
};

class XmltvReader {
 public:
  static constexpr size_t kHeadBytes = 64 * 1024;
  static constexpr size_t kLongestMarkupBytes = 16u * 1024 * 1024;

  // The reader keeps its own channel set, which the hook may grow.
  XmltvReader(GuideChannelSet channels, int64_t now, XmltvOptions options = {});
  ~XmltvReader();
  XmltvReader(const XmltvReader&) = delete;
  XmltvReader& operator=(const XmltvReader&) = delete;

  // Reads the next piece of the body. False once reading has stopped (an
  // error, or the document ended): further pieces are ignored.
  bool Feed(std::string_view bytes);
  // Ends the body and tells what came of it. Call once.
  XmltvResult Finish();

  // The status so far (Reading while nothing went wrong).
  XmltvStatus status() const;
  // A sink for HttpClient::FetchGetInto that feeds this reader (valid while
  // the reader lives). The sink cannot stop the transfer: once the reader
  // has stopped, the rest of the body is received and dropped unread. A
  // guide is whole only when Finish says Read; a transfer that broke off
  // leaves the document open, which Finish reports as Truncated.
  HttpClient::BodySink Sink();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// An XMLTV time as Unix seconds: "YYYYMMDDhhmmss" or "YYYYMMDDhhmm", then
// optionally (after spaces) a zone: "+hhmm", "-hhmm", "+hh:mm", or a name
// ("UTC", "GMT", "EST", ...), which is read as UTC, as is no zone at all.
// 0 for anything else (fields out of range, too few digits, a year before
// 1971).
int64_t XmltvTimeSeconds(std::string_view text);
