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
// space, cut to 200 and 400 bytes at a character boundary. <channel>
// elements and everything else are skipped. Times: see XmltvTimeSeconds;
// a programme with an unreadable start is dropped, one with no or an
// unreadable stop ends where the next one on its channel starts (or after an
// hour). Faults that panels' hand-made XML often has are mended rather than
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
#include <memory>
#include <string>
#include <string_view>

#include "catalog/whole_guide.h"
#include "net/http_client.h"

enum class XmltvStatus : uint8_t {
  Reading,    // not finished yet
  Read,       // the whole document was read: `guide` holds what was kept
  NotXmltv,   // the answer is something else (the caller asks per channel)
  Malformed,  // broken XML or a broken gzip stream part-way
  Truncated,  // the body ended inside the document
};

struct XmltvResult {
  XmltvStatus status = XmltvStatus::Reading;
  SharedWholeGuide guide;  // set only when status is Read
  std::string detail;      // what went wrong, for the log ("line 12: mismatched tag")
  uint64_t bodyBytes = 0;  // bytes fed
  uint64_t textBytes = 0;  // bytes of XML text (after inflating)
};

class XmltvReader {
 public:
  static constexpr size_t kHeadBytes = 64 * 1024;
  static constexpr size_t kLongestMarkupBytes = 16u * 1024 * 1024;

  // `channels` must outlive the reader.
  XmltvReader(const GuideChannelSet& channels, int64_t now);
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
