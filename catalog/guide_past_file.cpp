#include "catalog/guide_past_file.h"

#include <charconv>
#include <deque>
#include <system_error>
#include <utility>
#include <vector>

#include "net/text.h"
#include "platform/sha256.h"
#include "store/data_folder.h"
#include "store/file_io.h"
#include "store/gzip.h"

namespace {

constexpr std::string_view kMagic = "vistra-past 1";

void AppendEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
}

// A backslash before any other character (or at the end) stands for
// itself: a hand-edited file still reads.
std::string Unescaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    switch (text[++i]) {
      case '\\': out += '\\'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      default: out += '\\', out += text[i];
    }
  }
  return out;
}

// The next field up to a tab (or the end); `rest` moves past it.
std::string_view NextField(std::string_view& rest) {
  const size_t tab = rest.find('\t');
  const std::string_view field = rest.substr(0, tab);
  rest = tab == std::string_view::npos ? std::string_view() : rest.substr(tab + 1);
  return field;
}

template <typename Number>
bool ReadNumber(std::string_view text, Number& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// One channel's lines while they are read; its texts in a deque, so the
// views the programmes hold never move.
struct ChannelBeingRead {
  std::u16string streamId;
  int32_t archiveDays = 0;
  std::deque<std::string> texts;
  std::vector<PastListings::Programme> programmes;
};

void Finish(ChannelBeingRead& channel, PastListings& listings, int64_t now) {
  if (!channel.streamId.empty() && !channel.programmes.empty())
    listings.Restore(channel.streamId, channel.archiveDays, std::move(channel.programmes), now);
  channel = ChannelBeingRead{};
}

bool ReadChannelLine(std::string_view rest, ChannelBeingRead& channel) {
  const std::string_view days = NextField(rest);
  const std::string id = Unescaped(rest);
  if (!ReadNumber(days, channel.archiveDays) || id.empty() || !IsValidUtf8(id)) return false;
  channel.streamId = Utf8ToWide(id);
  return true;
}

void ReadProgrammeLine(std::string_view rest, ChannelBeingRead& channel) {
  PastListings::Programme p;
  const std::string_view start = NextField(rest);
  const std::string_view minutes = NextField(rest);
  const std::string_view title = NextField(rest);
  if (!ReadNumber(start, p.start) || !ReadNumber(minutes, p.minutes)) return;
  // Texts become UTF-16 on their way to a screen: only valid UTF-8 is kept.
  const std::string& t = channel.texts.emplace_back(Unescaped(title));
  const std::string& d = channel.texts.emplace_back(Unescaped(rest));
  if (!IsValidUtf8(t) || !IsValidUtf8(d)) return;
  p.title = t;
  p.description = d;
  channel.programmes.push_back(p);
}

}  // namespace

std::string PastAccountKey(const XtreamAccount& account) {
  const Sha256Digest digest = Sha256(WideToUtf8(account.Server) + "\n" + WideToUtf8(account.User));
  static constexpr char kHex[] = "0123456789abcdef";
  std::string key;
  for (size_t i = 0; i < 8; ++i) {
    key += kHex[digest[i] >> 4];
    key += kHex[digest[i] & 0x0F];
  }
  return key;
}

std::filesystem::path PastListingsPath(const XtreamAccount& account) {
  auto dir = EnsureDataFolder() / "guide";
  std::error_code ignored;
  std::filesystem::create_directories(dir, ignored);
  return dir / ("past-" + PastAccountKey(account) + ".gz");
}

std::string PastListingsText(const PastListings& listings, std::string_view accountKey) {
  std::string text;
  text.reserve(listings.Bytes());
  text.append(kMagic).append("\t").append(accountKey).append("\n");
  listings.ForEachChannel([&](std::u16string_view streamId, int32_t archiveDays,
                              std::span<const PastListings::Programme> programmes) {
    text.append("C\t").append(std::to_string(archiveDays)).append("\t");
    AppendEscaped(text, WideToUtf8(streamId));
    text += '\n';
    for (const PastListings::Programme& p : programmes) {
      text.append("P\t").append(std::to_string(p.start)).append("\t").append(std::to_string(p.minutes)).append("\t");
      AppendEscaped(text, p.title);
      text += '\t';
      AppendEscaped(text, p.description);
      text += '\n';
    }
  });
  return text;
}

PastListings ReadPastListingsText(std::string_view text, std::string_view accountKey, int64_t now,
                                  size_t byteBudget) {
  PastListings listings(byteBudget);
  const size_t firstEnd = text.find('\n');
  std::string_view head = text.substr(0, firstEnd);
  if (NextField(head) != kMagic || head != accountKey || firstEnd == std::string_view::npos) return listings;
  ChannelBeingRead channel;
  std::string_view rest = text.substr(firstEnd + 1);
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    const std::string_view kind = NextField(line);
    if (kind == "C") {
      Finish(channel, listings, now);
      if (!ReadChannelLine(line, channel)) channel = ChannelBeingRead{};
    } else if (kind == "P" && !channel.streamId.empty()) {
      ReadProgrammeLine(line, channel);
    }
  }
  Finish(channel, listings, now);
  listings.MarkSaved();
  return listings;
}

PastListings ParsePastListingsFile(std::string_view bytes, std::string_view accountKey, int64_t now,
                                   size_t byteBudget) {
  const std::optional<std::string> text = GunzipBytes(bytes, kPastFileMaxTextBytes);
  if (!text) return PastListings(byteBudget);
  return ReadPastListingsText(*text, accountKey, now, byteBudget);
}

bool WritePastListingsFile(const std::filesystem::path& path, std::string_view text) {
  const std::optional<std::string> bytes = GzipBytes(text);
  return bytes && WriteFileAtomically(path, *bytes);
}

PastListings LoadPastListings(const XtreamAccount& account, int64_t now, size_t byteBudget) {
  const std::optional<std::string> bytes = ReadWholeFile(PastListingsPath(account), kPastFileMaxTextBytes);
  if (!bytes) return PastListings(byteBudget);
  return ParsePastListingsFile(*bytes, PastAccountKey(account), now, byteBudget);
}
