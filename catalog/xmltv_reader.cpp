#include "catalog/xmltv_reader.h"

#include <expat.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <unordered_map>
#include <vector>

#include "net/text.h"

// Sections: times; HTML entities; single-byte encodings; the reader's state; the expat callbacks;
// feeding (gzip, the head, the XML); the public interface.

// ------------------------------------------------------------------- times

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

int Number(std::string_view digits) {
  int value = 0;
  for (const char c : digits) value = value * 10 + (c - '0');
  return value;
}

// Days from 1970-01-01 to a proleptic Gregorian date (Howard Hinnant's
// days_from_civil): the guide's times are absolute, the local zone plays no
// part in reading them.
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// The zone's offset east of UTC in seconds; false when it is unreadable.
bool ZoneOffset(std::string_view zone, int64_t& offset) {
  offset = 0;
  if (zone.empty() || std::all_of(zone.begin(), zone.end(), IsLetter)) return true;
  if (zone[0] != '+' && zone[0] != '-') return false;
  std::string digits;
  for (const char c : zone.substr(1)) {
    if (c == ':') continue;
    if (!IsDigit(c)) return false;
    digits.push_back(c);
  }
  if (digits.size() != 4) return false;
  const int hours = Number(std::string_view(digits).substr(0, 2)), minutes = Number(std::string_view(digits).substr(2));
  if (hours > 14 || minutes > 59) return false;
  offset = (int64_t{hours} * 3600 + minutes * 60) * (zone[0] == '-' ? -1 : 1);
  return true;
}

}  // namespace

int64_t XmltvTimeSeconds(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  size_t digits = 0;
  while (digits < text.size() && IsDigit(text[digits])) ++digits;
  if (digits != 12 && digits != 14) return 0;
  const int year = Number(text.substr(0, 4)), month = Number(text.substr(4, 2)), day = Number(text.substr(6, 2));
  const int hour = Number(text.substr(8, 2)), minute = Number(text.substr(10, 2));
  const int second = digits == 14 ? Number(text.substr(12, 2)) : 0;
  if (year < 1971 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return 0;
  if (hour > 23 || minute > 59 || second > 60) return 0;
  std::string_view zone = text.substr(digits);
  while (!zone.empty() && IsSpace(zone.front())) zone.remove_prefix(1);
  int64_t offset = 0;
  if (!ZoneOffset(zone, offset)) return 0;
  const int64_t local = DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
  return local - offset;
}

namespace {

// ----------------------------------------------------------- HTML entities

// HTML's names that guides written by web panels use where XML has none.
struct NamedCharacter {
  std::string_view name, utf8;
};
constexpr NamedCharacter kHtmlEntities[] = {
    {"nbsp", " "},      {"eacute", "é"}, {"egrave", "è"}, {"ecirc", "ê"},  {"euml", "ë"},   {"aacute", "á"},
    {"agrave", "à"},    {"acirc", "â"},  {"auml", "ä"},   {"aring", "å"},  {"iacute", "í"}, {"icirc", "î"},
    {"iuml", "ï"},      {"oacute", "ó"}, {"ocirc", "ô"},  {"ouml", "ö"},   {"uacute", "ú"}, {"ugrave", "ù"},
    {"ucirc", "û"},     {"uuml", "ü"},   {"ccedil", "ç"}, {"ntilde", "ñ"}, {"szlig", "ß"},  {"Eacute", "É"},
    {"Auml", "Ä"},      {"Ouml", "Ö"},   {"Uuml", "Ü"},   {"copy", "©"},   {"reg", "®"},    {"deg", "°"},
    {"ndash", "–"},     {"mdash", "—"},  {"hellip", "…"}, {"laquo", "«"},  {"raquo", "»"},  {"lsquo", "‘"},
    {"rsquo", "’"},     {"ldquo", "“"},  {"rdquo", "”"},  {"bdquo", "„"},  {"euro", "€"},   {"middot", "·"},
    {"trade", "™"},
};

std::string_view HtmlEntity(std::string_view name) {
  for (const NamedCharacter& entity : kHtmlEntities)
    if (entity.name == name) return entity.utf8;
  return {};
}

// ---------------------------------------------- single-byte encodings

// Windows-1252 where it differs from Latin-1 (0x80-0x9F; the five bytes it
// leaves undefined read as U+FFFD), which panels in Western Europe declare
// and expat does not know.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
// ISO-8859-15 where it differs from Latin-1.
constexpr std::pair<unsigned char, char16_t> kLatin9[] = {{0xA4, 0x20AC}, {0xA6, 0x0160}, {0xA8, 0x0161},
                                                          {0xB4, 0x017D}, {0xB8, 0x017E}, {0xBC, 0x0152},
                                                          {0xBD, 0x0153}, {0xBE, 0x0178}};

bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

int OnUnknownEncoding(void*, const XML_Char* name, XML_Encoding* info) {
  const std::string_view encoding = name;
  const bool windows = SameNoCase(encoding, "windows-1252") || SameNoCase(encoding, "cp1252");
  const bool latin9 = SameNoCase(encoding, "iso-8859-15") || SameNoCase(encoding, "latin-9");
  if (!windows && !latin9) return XML_STATUS_ERROR;
  for (int b = 0; b < 256; ++b) info->map[b] = b;
  if (windows)
    for (int b = 0; b < 32; ++b) info->map[0x80 + b] = kWindows1252High[b];
  if (latin9)
    for (const auto& [byte, character] : kLatin9) info->map[byte] = character;
  info->data = nullptr;
  info->convert = nullptr;
  info->release = nullptr;
  return XML_STATUS_OK;
}

}  // namespace

// ------------------------------------------------------- the reader's state

struct XmltvReader::State {
  enum class Body : uint8_t { Unknown, Plain, Gzip };
  enum class Field : uint8_t { None, Title, Description, Name };

  // Keeping now for all: the window of the other channels' programmes.
  static constexpr int64_t kNowBackSeconds = 3600;
  static constexpr int64_t kNowAheadSeconds = 12 * 3600;

  State(GuideChannelSet set, int64_t now, XmltvOptions options)
      : channels(std::move(set)), builder(channels, now), options(std::move(options)), now(now) {}
  ~State() {
    if (parser) XML_ParserFree(parser);
    if (inflating) inflateEnd(&zip);
  }

  GuideChannelSet channels;  // before the builder, which refers to it
  WholeGuideBuilder builder;
  XmltvOptions options;
  int64_t now;
  XmltvResult result;
  bool ended = false;  // </tv> was read

  // The body's first bytes decide whether it is gzip.
  Body body = Body::Unknown;
  std::string magic;
  z_stream zip{};
  bool inflating = false;
  bool memberOpen = false;  // inside a gzip member (its end not read yet)
  std::vector<unsigned char> inflated;

  // The text before the XML prolog is searched for its start.
  bool prologFound = false;
  std::string head;
  size_t headSearched = 0;

  // Bare ampersands and control characters are mended on the way to the
  // parser; a reference cut by the end of a piece waits in `carry`.
  std::string carry, repaired;
  XML_Parser parser = nullptr;
  uint64_t xmlBytes = 0;   // fed to expat
  uint64_t lastEvent = 0;  // byte index of the latest callback
  int depth = 0;
  bool rootSeen = false;

  // The programme being read.
  bool inProgramme = false;
  uint32_t channel = 0;
  int64_t start = 0, stop = 0;
  Field field = Field::None;
  bool haveTitle = false, haveDescription = false;
  bool pendingSpace = false;
  std::string title, description;

  // The channel directory; the entry being read (SIZE_MAX: none).
  GuideChannelDirectory directory;
  std::unordered_map<std::string, size_t> directoryIndex;
  size_t entry = SIZE_MAX;
  std::string name;
  bool hookCalled = false;
  // Channels of the set numbered from here on were added for their
  // programme on now only.
  uint32_t nowOnlyFrom = UINT32_MAX;

  void Fail(XmltvStatus status, std::string detail) {
    if (result.status != XmltvStatus::Reading) return;
    result.status = status;
    result.detail = std::move(detail);
  }
  bool Stopped() const { return ended || result.status != XmltvStatus::Reading; }
  void NoteEvent() { lastEvent = uint64_t(XML_GetCurrentByteIndex(parser)); }
  std::string ParserDetail() const {
    return "line " + std::to_string(XML_GetCurrentLineNumber(parser)) + ": " + XML_ErrorString(XML_GetErrorCode(parser));
  }

  void Append(std::string_view text);
  void CallHook();
  void StartChannel(const XML_Char** attributes);
  void StartInChannel(std::string_view tag, const XML_Char** attributes);
  void EndName();
  uint32_t NowOnlyChannel(std::string_view id, int64_t start, int64_t stop);
  void Start(std::string_view tag, const XML_Char** attributes);
  void End();
  void Text(std::string_view text);
  void Xml(std::string_view text, bool final);
  void Parse(std::string_view text, bool final);
  void Inflate(std::string_view bytes);
  void Feed(std::string_view bytes);
  bool MakeParser();

  static void OnStart(void* user, const XML_Char* name, const XML_Char** attributes);
  static void OnEnd(void* user, const XML_Char* name);
  static void OnText(void* user, const XML_Char* text, int length);
  static void OnSkippedEntity(void* user, const XML_Char* name, int isParameterEntity);
  static void OnComment(void* user, const XML_Char* text);
};

// ---------------------------------------------------- the expat callbacks

void XmltvReader::State::Append(std::string_view text) {
  std::string& into = field == Field::Title ? title : field == Field::Name ? name : description;
  const size_t limit = (field == Field::Title         ? WholeGuideBuilder::kTitleBytes
                        : field == Field::Name        ? GuideChannelInfo::kNameBytes
                                                      : WholeGuideBuilder::kDescriptionBytes) +
                       4;
  // White space runs become one space, none at either end; the text stops
  // growing a little past its limit (the builder cuts it at a character).
  for (const char c : text) {
    if (into.size() >= limit) return;
    if (IsSpace(c)) {
      pendingSpace = !into.empty();
      continue;
    }
    if (pendingSpace) into.push_back(' ');
    pendingSpace = false;
    into.push_back(c);
  }
}

void XmltvReader::State::CallHook() {
  if (hookCalled) return;
  hookCalled = true;
  if (options.onChannels) options.onChannels(directory, channels);
  // Whatever joins the set from now on is there for keeping now for all.
  nowOnlyFrom = static_cast<uint32_t>(channels.size());
  builder.NarrowFrom(nowOnlyFrom, now - kNowBackSeconds, now + kNowAheadSeconds);
}

void XmltvReader::State::StartChannel(const XML_Char** attributes) {
  entry = SIZE_MAX;
  std::string_view id;
  for (size_t i = 0; attributes[i]; i += 2)
    if (std::string_view(attributes[i]) == "id") id = attributes[i + 1];
  if (id.empty() || id.size() > GuideChannelInfo::kLongestIdBytes) return;
  const auto [it, added] = directoryIndex.try_emplace(std::string(id), directory.size());
  if (added && directory.size() >= GuideChannelInfo::kMostChannels) {
    directoryIndex.erase(it);
    return;
  }
  if (added) directory.push_back(GuideChannelInfo{std::string(id), {}, {}});
  entry = it->second;
}

void XmltvReader::State::StartInChannel(std::string_view tag, const XML_Char** attributes) {
  GuideChannelInfo& info = directory[entry];
  if (tag == "display-name" && info.displayNames.size() < GuideChannelInfo::kMostNames) {
    field = Field::Name;
    name.clear();
    pendingSpace = false;
    return;
  }
  if (tag != "icon" || !info.icon.empty()) return;
  for (size_t i = 0; attributes[i]; i += 2) {
    const std::string_view value = attributes[i + 1];
    if (std::string_view(attributes[i]) == "src" && value.size() <= GuideChannelInfo::kLongestIconBytes)
      info.icon = value;
  }
}

void XmltvReader::State::EndName() {
  field = Field::None;
  std::vector<std::string>& names = directory[entry].displayNames;
  const std::string_view cut = CutUtf8(name, GuideChannelInfo::kNameBytes);
  if (cut.empty() || std::find(names.begin(), names.end(), cut) != names.end()) return;
  names.emplace_back(cut);
}

// A number in the set for a channel outside it whose programme of
// [start, stop) is on now, when keeping now for all; kNone otherwise.
uint32_t XmltvReader::State::NowOnlyChannel(std::string_view id, int64_t start, int64_t stop) {
  if (!options.keepNowForAll || !builder.InWindow(nowOnlyFrom, start, stop)) return GuideChannelSet::kNone;
  if (channels.size() - nowOnlyFrom >= GuideChannelInfo::kMostChannels) return GuideChannelSet::kNone;
  channels.Add(id);
  return channels.Find(id);
}

void XmltvReader::State::Start(std::string_view tag, const XML_Char** attributes) {
  NoteEvent();
  ++depth;
  if (depth == 1) {
    rootSeen = true;
    if (tag != "tv") {
      Fail(XmltvStatus::NotXmltv, "the document is <" + std::string(tag) + ">, not <tv>");
      XML_StopParser(parser, XML_FALSE);
    }
    return;
  }
  if (depth == 3 && inProgramme) {
    if (tag == "title" && !haveTitle) field = Field::Title;
    if (tag == "desc" && !haveDescription) field = Field::Description;
    pendingSpace = false;
    return;
  }
  if (depth == 3 && entry != SIZE_MAX) return StartInChannel(tag, attributes);
  if (depth != 2) return;
  if (tag == "channel") return StartChannel(attributes);
  if (tag != "programme") return;
  CallHook();
  std::string_view channelId, startText, stopText;
  for (size_t i = 0; attributes[i]; i += 2) {
    const std::string_view key = attributes[i];
    if (key == "channel") channelId = attributes[i + 1];
    else if (key == "start") startText = attributes[i + 1];
    else if (key == "stop") stopText = attributes[i + 1];
  }
  // Most programmes of a large guide are of channels nobody asked for: the
  // set is asked before any time is read.
  channel = channels.Find(channelId);
  if (channel == GuideChannelSet::kNone && !options.keepNowForAll) return;
  start = XmltvTimeSeconds(startText);
  if (start == 0) return;
  stop = XmltvTimeSeconds(stopText);
  start += options.offsetSeconds;
  if (stop != 0) stop += options.offsetSeconds;
  if (channel == GuideChannelSet::kNone) channel = NowOnlyChannel(channelId, start, stop);
  if (channel == GuideChannelSet::kNone || !builder.InWindow(channel, start, stop)) return;
  inProgramme = true;
  haveTitle = false;
  // What is kept for its programme on now only is for a list that shows titles.
  haveDescription = channel >= nowOnlyFrom;
  title.clear();
  description.clear();
}

void XmltvReader::State::End() {
  NoteEvent();
  if (depth == 3 && field == Field::Name) {
    EndName();
  } else if (depth == 3 && field != Field::None) {
    (field == Field::Title ? haveTitle : haveDescription) = true;
    field = Field::None;
  } else if (depth == 2 && inProgramme) {
    builder.Add(channel, start, stop, title, description);
    inProgramme = false;
  } else if (depth == 2) {
    entry = SIZE_MAX;
  } else if (depth == 1) {
    CallHook();
    ended = true;
    XML_StopParser(parser, XML_FALSE);
  }
  --depth;
}

void XmltvReader::State::OnStart(void* user, const XML_Char* name, const XML_Char** attributes) {
  static_cast<State*>(user)->Start(name, attributes);
}

void XmltvReader::State::OnEnd(void* user, const XML_Char*) { static_cast<State*>(user)->End(); }

void XmltvReader::State::OnText(void* user, const XML_Char* text, int length) {
  auto& state = *static_cast<State*>(user);
  state.NoteEvent();
  if (state.field != Field::None) state.Append(std::string_view(text, size_t(length)));
}

void XmltvReader::State::OnSkippedEntity(void* user, const XML_Char* name, int isParameterEntity) {
  auto& state = *static_cast<State*>(user);
  if (isParameterEntity || state.field == Field::None) return;
  state.Append(HtmlEntity(name));
}

void XmltvReader::State::OnComment(void* user, const XML_Char*) { static_cast<State*>(user)->NoteEvent(); }

// --------------------------------------- feeding (gzip, the head, the XML)

namespace {

constexpr size_t npos = std::string_view::npos;
constexpr size_t kInflatedPieceBytes = 256 * 1024;

// Where the XML document starts in `head` (searched from `from`): its
// declaration, its document type or the <tv> element itself.
size_t PrologStart(std::string_view head, size_t from) {
  for (size_t at = head.find('<', from); at != npos; at = head.find('<', at + 1)) {
    const std::string_view rest = head.substr(at);
    if (StartsWithNoCase(rest, "<?xml") || StartsWithNoCase(rest, "<!doctype tv")) return at;
    if (rest.size() >= 4 && rest.substr(0, 3) == "<tv" && (IsSpace(rest[3]) || rest[3] == '>' || rest[3] == '/'))
      return at;
  }
  return npos;
}

// The length of the entity or character reference at text[0] ('&'): 0 when
// it is none (a bare ampersand, as in "Tom & Jerry"), npos when the text
// ends before that is known.
size_t ReferenceLength(std::string_view text) {
  constexpr size_t kLongestName = 40;
  size_t i = 1;
  if (i < text.size() && text[i] == '#') {
    const bool hex = ++i < text.size() && text[i] == 'x';
    if (hex) ++i;
    const size_t first = i;
    for (; i < text.size() && i < 16; ++i) {
      const char c = text[i];
      if (c == ';') return i > first ? i + 1 : 0;
      const bool digit = IsDigit(c) || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
      if (!digit) return 0;
    }
    return i >= 16 ? 0 : npos;
  }
  for (; i < text.size() && i < kLongestName; ++i) {
    const char c = text[i];
    if (c == ';') return i > 1 ? i + 1 : 0;
    const bool nameStart = IsLetter(c) || c == '_' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
    if (!nameStart && (i == 1 || !(IsDigit(c) || c == '.' || c == '-'))) return 0;
  }
  return i >= kLongestName ? 0 : npos;
}

// Whether the head is plainly another kind of answer: JSON, or an HTML page.
bool IsOtherAnswer(std::string_view head) {
  if (head.substr(0, 3) == "\xEF\xBB\xBF") head.remove_prefix(3);
  while (!head.empty() && IsSpace(head.front())) head.remove_prefix(1);
  if (head.empty()) return false;
  if (head[0] == '{' || head[0] == '[') return true;
  return StartsWithNoCase(head, "<!doctype html") || StartsWithNoCase(head, "<html");
}

}  // namespace

bool XmltvReader::State::MakeParser() {
  parser = XML_ParserCreate(nullptr);
  if (!parser) return false;
  XML_SetUserData(parser, this);
  XML_SetElementHandler(parser, OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser, OnText);
  XML_SetCommentHandler(parser, OnComment);
  // As if the document named a DTD: an entity XML does not define is then
  // no error but handed to OnSkippedEntity (no DTD is ever loaded).
  XML_UseForeignDTD(parser, XML_TRUE);
  XML_SetSkippedEntityHandler(parser, OnSkippedEntity);
  XML_SetUnknownEncodingHandler(parser, OnUnknownEncoding, nullptr);
  return true;
}

void XmltvReader::State::Xml(std::string_view text, bool final) {
  if (Stopped()) return;
  std::string_view input = text;
  if (!carry.empty()) {
    carry.append(text);
    input = carry;
  }
  repaired.clear();
  std::string held;
  size_t from = 0, end = input.size();
  for (size_t i = 0; i < input.size(); ++i) {
    const auto c = static_cast<unsigned char>(input[i]);
    if ((c >= 0x20 && c != '&') || c == '\t' || c == '\n' || c == '\r') continue;
    if (c == '&') {
      const size_t length = ReferenceLength(input.substr(i));
      if (length == npos && !final) {
        // Decided by the next piece.
        held.assign(input.substr(i));
        end = i;
        break;
      }
      if (length != 0 && length != npos) {
        i += length - 1;
        continue;
      }
    }
    repaired.append(input.substr(from, i - from)).append(c == '&' ? "&amp;" : " ");
    from = i + 1;
  }
  if (from == 0) {
    Parse(input.substr(0, end), final);
  } else {
    repaired.append(input.substr(from, end - from));
    Parse(repaired, final);
  }
  carry = std::move(held);
}

void XmltvReader::State::Parse(std::string_view text, bool final) {
  if (Stopped()) return;
  xmlBytes += text.size();
  const XML_Status status = XML_Parse(parser, text.data(), static_cast<int>(text.size()), final ? XML_TRUE : XML_FALSE);
  if (status == XML_STATUS_ERROR) {
    if (Stopped()) return;  // stopped from a callback: the document ended, or is no guide
    if (!rootSeen) Fail(XmltvStatus::NotXmltv, ParserDetail());
    else if (final) Fail(XmltvStatus::Truncated, ParserDetail());
    else Fail(XmltvStatus::Malformed, ParserDetail());
    return;
  }
  // The parser holds a piece of markup until it closes: one that never does
  // would grow it without end.
  if (xmlBytes - lastEvent > kLongestMarkupBytes)
    Fail(XmltvStatus::Malformed, "line " + std::to_string(XML_GetCurrentLineNumber(parser)) +
                                     ": markup longer than 16 MiB");
}

void XmltvReader::State::Text(std::string_view text) {
  result.textBytes += text.size();
  if (prologFound) return Xml(text, false);
  head.append(text);
  const size_t at = PrologStart(head, headSearched);
  if (at == npos) {
    if (IsOtherAnswer(head)) Fail(XmltvStatus::NotXmltv, "the answer is JSON or an HTML page");
    else if (head.size() >= kHeadBytes) Fail(XmltvStatus::NotXmltv, "no XML document in the first 64 KiB");
    // A marker may straddle two pieces: search its possible start again.
    headSearched = head.size() > 16 ? head.size() - 16 : 0;
    return;
  }
  prologFound = true;
  const std::string held = std::move(head);
  head = {};
  Xml(std::string_view(held).substr(at), false);
}

void XmltvReader::State::Inflate(std::string_view bytes) {
  if (!inflating) {
    if (inflateInit2(&zip, 15 + 16) != Z_OK) return Fail(XmltvStatus::Malformed, "gzip: no memory");
    inflating = true;
    memberOpen = true;
    inflated.resize(kInflatedPieceBytes);
  }
  zip.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  zip.avail_in = static_cast<uInt>(bytes.size());
  while (!Stopped()) {
    if (!memberOpen) {
      // Another member follows the one that ended (concatenated gzip files).
      if (zip.avail_in == 0) return;
      inflateReset(&zip);
      memberOpen = true;
    }
    zip.next_out = inflated.data();
    zip.avail_out = static_cast<uInt>(inflated.size());
    const int rc = inflate(&zip, Z_NO_FLUSH);
    const size_t produced = inflated.size() - zip.avail_out;
    if (produced > 0) Text(std::string_view(reinterpret_cast<const char*>(inflated.data()), produced));
    if (rc == Z_STREAM_END) {
      memberOpen = false;
      continue;
    }
    if (rc == Z_BUF_ERROR || (rc == Z_OK && zip.avail_in == 0 && zip.avail_out != 0)) return;
    if (rc != Z_OK) return Fail(XmltvStatus::Malformed, std::string("gzip: ") + (zip.msg ? zip.msg : "broken stream"));
  }
}

void XmltvReader::State::Feed(std::string_view bytes) {
  result.bodyBytes += bytes.size();
  const auto route = [this](std::string_view piece) { body == Body::Gzip ? Inflate(piece) : Text(piece); };
  if (body == Body::Unknown) {
    if (magic.size() + bytes.size() < 2) {
      magic.append(bytes);
      return;
    }
    const char first = magic.empty() ? bytes[0] : magic[0];
    const char second = magic.empty() ? bytes[1] : bytes[0];
    body = first == '\x1f' && second == '\x8b' ? Body::Gzip : Body::Plain;
    const std::string held = std::move(magic);
    if (!held.empty()) route(held);
  }
  // zlib counts its input in 32-bit units.
  constexpr size_t kLargestPiece = size_t{1} << 30;
  for (size_t at = 0; at < bytes.size() && !Stopped(); at += kLargestPiece) route(bytes.substr(at, kLargestPiece));
}

// ------------------------------------------------------ public interface

XmltvReader::XmltvReader(GuideChannelSet channels, int64_t now, XmltvOptions options)
    : state_(std::make_unique<State>(std::move(channels), now, std::move(options))) {
  if (!state_->MakeParser()) state_->Fail(XmltvStatus::Malformed, "no memory for the XML parser");
}

XmltvReader::~XmltvReader() = default;

bool XmltvReader::Feed(std::string_view bytes) {
  if (state_->Stopped()) return false;
  state_->Feed(bytes);
  return !state_->Stopped();
}

XmltvResult XmltvReader::Finish() {
  State& s = *state_;
  if (s.body == State::Body::Unknown && !s.magic.empty()) {
    s.body = State::Body::Plain;
    s.Text(s.magic);
  }
  if (!s.Stopped()) {
    if (s.result.bodyBytes == 0) s.Fail(XmltvStatus::NotXmltv, "empty answer");
    else if (!s.prologFound) s.Fail(XmltvStatus::NotXmltv, "no XML document in the answer");
    else s.Xml({}, true);
  }
  if (s.ended && s.result.status == XmltvStatus::Reading) {
    s.result.status = XmltvStatus::Read;
    s.result.guide = s.builder.Build();
    s.result.channels = std::make_shared<const GuideChannelDirectory>(std::move(s.directory));
  }
  s.Fail(XmltvStatus::Truncated, "the answer ended before </tv>");
  XmltvResult result = std::move(s.result);
  // Whatever comes after is refused.
  s.result = XmltvResult{};
  s.result.status = result.status == XmltvStatus::Reading ? XmltvStatus::Truncated : result.status;
  s.ended = true;
  return result;
}

XmltvStatus XmltvReader::status() const { return state_->result.status; }

HttpClient::BodySink XmltvReader::Sink() {
  return [this](std::string_view bytes) { Feed(bytes); };
}
