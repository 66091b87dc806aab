#include "i18n/tools/po_file.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <utility>

namespace {

// ---------------------------------------------------------------------------
// Text helpers

// Position of the first byte that breaks UTF-8 (overlong forms, surrogates
// and code points above U+10FFFF included), or npos.
size_t FirstInvalidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    int extra = 0;
    char32_t code = 0, minimum = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1, code = c & 0x1F, minimum = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2, code = c & 0x0F, minimum = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3, code = c & 0x07, minimum = 0x10000;
    } else {
      return i;
    }
    if (i + extra >= text.size()) return i;
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return i;
      code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return i;
    i += extra + 1;
  }
  return std::string_view::npos;
}

int LineOfOffset(std::string_view text, size_t offset) {
  return 1 + static_cast<int>(std::count(text.begin(), text.begin() + offset, '\n'));
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

std::string_view TrimBoth(std::string_view s) {
  s = TrimLeft(s);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes one quoted PO string (`s` starts at its opening quote) and appends
// it to `out`. Returns an error message, empty on success.
std::string DecodeQuoted(std::string_view s, std::string& out) {
  if (s.empty() || s.front() != '"') return "expected a string in double quotes";
  size_t i = 1;
  for (;;) {
    if (i >= s.size()) return "the string has no closing quote";
    const char c = s[i++];
    if (c == '"') break;
    if (c != '\\') {
      out.push_back(c);
      continue;
    }
    if (i >= s.size()) return "the string has no closing quote";
    const char e = s[i++];
    switch (e) {
      case 'n': out.push_back('\n'); continue;
      case 't': out.push_back('\t'); continue;
      case 'r': out.push_back('\r'); continue;
      case 'a': out.push_back('\a'); continue;
      case 'b': out.push_back('\b'); continue;
      case 'f': out.push_back('\f'); continue;
      case 'v': out.push_back('\v'); continue;
      case '"': case '\\': case '\'': case '?': out.push_back(e); continue;
      default: break;
    }
    if (IsOctal(e)) {
      int value = e - '0';
      for (int k = 0; k < 2 && i < s.size() && IsOctal(s[i]); ++k) value = value * 8 + (s[i++] - '0');
      if (value > 0xFF) return "octal escape above \\377";
      out.push_back(static_cast<char>(value));
      continue;
    }
    if (e == 'x') {
      int value = 0, digits = 0;
      for (; i < s.size() && HexValue(s[i]) >= 0; ++digits) value = value * 16 + HexValue(s[i++]);
      if (digits == 0 || digits > 2) return "\\x needs one or two hexadecimal digits";
      out.push_back(static_cast<char>(value));
      continue;
    }
    return std::string("unknown escape \\") + e + " (use \\n, \\t, \\\" or \\\\)";
  }
  if (!TrimBoth(s.substr(i)).empty()) return "text after the closing quote";
  return {};
}

// ---------------------------------------------------------------------------
// The PO syntax

enum class Field { None, Context, Id, Str };

class PoParser {
 public:
  PoParser(PoFile& file, PoError& error) : file_(file), error_(error) {}

  bool Parse(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    if (size_t bad = FirstInvalidUtf8(text); bad != std::string_view::npos) {
      return Fail(LineOfOffset(text, bad), "not valid UTF-8 (PO files are written in UTF-8)");
    }
    int number = 0;
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(start, end - start);
      if (line.ends_with('\r')) line.remove_suffix(1);
      ++number;
      if (!Line(TrimLeft(line), number)) return false;
      if (end == text.size()) break;
      start = end + 1;
    }
    return Finish() && CheckHeader();
  }

 private:
  bool Fail(int line, std::string message) {
    error_ = PoError{line, std::move(message)};
    return false;
  }

  bool Started() const { return hasContext_ || hasId_; }

  bool Line(std::string_view line, int number) {
    if (line.empty()) {
      field_ = Field::None;
      return true;
    }
    if (line.front() == '#') return Comment(line);
    if (line.front() == '"') return Continue(line, number);
    return Keyword(line, number);
  }

  bool Comment(std::string_view line) {
    if (hasStr_ && !Finish()) return false;
    field_ = Field::None;
    if (line.starts_with("#~")) return true;  // an obsolete entry: tools keep it, nobody uses it
    if (!line.starts_with("#,")) return true;
    std::string_view flags = line.substr(2);
    while (!flags.empty()) {
      const size_t comma = flags.find(',');
      if (TrimBoth(flags.substr(0, comma)) == "fuzzy") fuzzy_ = true;
      if (comma == std::string_view::npos) break;
      flags.remove_prefix(comma + 1);
    }
    return true;
  }

  bool Continue(std::string_view line, int number) {
    std::string* target = Target();
    if (!target) return Fail(number, "a string that continues no msgctxt, msgid or msgstr");
    if (std::string message = DecodeQuoted(TrimBoth(line), *target); !message.empty()) return Fail(number, message);
    return true;
  }

  std::string* Target() {
    switch (field_) {
      case Field::Context: return &entry_.context;
      case Field::Id: return &entry_.id;
      case Field::Str: return &entry_.text;
      case Field::None: return nullptr;
    }
    return nullptr;
  }

  bool Keyword(std::string_view line, int number) {
    const size_t space = line.find_first_of(" \t\"");
    const std::string_view word = line.substr(0, space);
    const std::string_view rest = space == std::string_view::npos ? std::string_view{} : TrimLeft(line.substr(space));
    if (word == "msgid_plural" || word.starts_with("msgstr[")) {
      return Fail(number, "plural forms (msgid_plural, msgstr[n]) are not used by the interface texts");
    }
    if (word == "msgctxt") {
      if (hasStr_ && !Finish()) return false;
      if (Started()) return Fail(number, "msgctxt must come first in an entry, before msgid");
      hasContext_ = true;
      entry_.line = number;
      field_ = Field::Context;
    } else if (word == "msgid") {
      if (hasStr_ && !Finish()) return false;
      if (hasId_) return Fail(number, "msgid without msgstr before it (each entry needs a msgstr)");
      hasId_ = true;
      if (!hasContext_) entry_.line = number;
      field_ = Field::Id;
    } else if (word == "msgstr") {
      if (!hasId_) return Fail(number, "msgstr without a msgid before it");
      if (hasStr_) return Fail(number, "a second msgstr in one entry");
      hasStr_ = true;
      field_ = Field::Str;
    } else {
      return Fail(number, "unexpected text: expected msgctxt, msgid, msgstr, a quoted string or a # comment");
    }
    if (std::string message = DecodeQuoted(rest, *Target()); !message.empty()) return Fail(number, message);
    return true;
  }

  // Ends the entry being read (if any) and starts a fresh one.
  bool Finish() {
    if (!Started()) {
      fuzzy_ = false;
      return true;
    }
    if (!hasStr_) return Fail(entry_.line, "entry without msgstr");
    entry_.hasContext = hasContext_;
    entry_.fuzzy = fuzzy_;
    for (const std::string* s : {&entry_.context, &entry_.id, &entry_.text}) {
      if (FirstInvalidUtf8(*s) != std::string_view::npos) {
        return Fail(entry_.line, "an escape makes the text invalid UTF-8");
      }
    }
    if (!Store()) return false;
    entry_ = PoEntry{};
    hasContext_ = hasId_ = hasStr_ = fuzzy_ = false;
    field_ = Field::None;
    return true;
  }

  bool Store() {
    auto key = std::make_pair(entry_.hasContext ? "\x04" + entry_.context : std::string(), entry_.id);
    auto [it, added] = seen_.emplace(std::move(key), entry_.line);
    if (!added) {
      return Fail(entry_.line, "duplicate message definition (first defined at line " + std::to_string(it->second) + ")");
    }
    if (!entry_.hasContext && entry_.id.empty()) {
      file_.header = entry_.text;
      headerLine_ = entry_.line;
      return true;
    }
    file_.entries.push_back(std::move(entry_));
    return true;
  }

  // The texts are read as UTF-8; a file that declares another charset would
  // be shown as garbage.
  bool CheckHeader() {
    const size_t at = Lower(file_.header).find("charset=");
    if (at == std::string::npos) return true;
    std::string_view value = std::string_view(file_.header).substr(at + 8);
    value = value.substr(0, value.find_first_of(" ;\n"));
    const std::string charset = Lower(value);
    if (charset == "utf-8" || charset == "utf8") return true;
    return Fail(headerLine_, "the header declares charset=" + std::string(value) + "; the texts must be UTF-8");
  }

  PoFile& file_;
  PoError& error_;
  PoEntry entry_;
  bool hasContext_ = false, hasId_ = false, hasStr_ = false, fuzzy_ = false;
  Field field_ = Field::None;
  int headerLine_ = 0;
  std::map<std::pair<std::string, std::string>, int> seen_;
};

// ---------------------------------------------------------------------------
// The catalog rules

bool IsKeyName(std::string_view key) {
  if (key.empty()) return false;
  return std::all_of(key.begin(), key.end(),
                     [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'; });
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// The entry of every key, checked for a well-formed, unique msgctxt.
std::map<std::string, const PoEntry*> EntriesByKey(const PoFile& file, std::vector<PoError>& errors) {
  std::map<std::string, const PoEntry*> byKey;
  for (const PoEntry& entry : file.entries) {
    if (!entry.hasContext) {
      errors.push_back({entry.line, "entry without msgctxt: the program finds every text by its msgctxt key"});
      continue;
    }
    if (!IsKeyName(entry.context)) {
      errors.push_back({entry.line, "msgctxt " + Quoted(entry.context) + " is not a key (a-z, 0-9 and _ only)"});
      continue;
    }
    auto [it, added] = byKey.emplace(entry.context, &entry);
    if (!added) {
      errors.push_back({entry.line, "key " + Quoted(entry.context) + " again (first at line " +
                                        std::to_string(it->second->line) + ")"});
    }
  }
  return byKey;
}

}  // namespace

bool ParsePo(std::string_view text, PoFile& file, PoError& error) {
  file = PoFile{};
  PoParser parser(file, error);
  if (parser.Parse(text)) return true;
  file = PoFile{};
  return false;
}

bool ReadEnglish(const PoFile& file, TextCatalog& english, std::vector<PoError>& errors) {
  const size_t before = errors.size();
  english = TextCatalog{};
  for (const auto& [key, entry] : EntriesByKey(file, errors)) {  // a map: sorted by key
    if (entry->id.empty()) errors.push_back({entry->line, "empty msgid: it is the English text"});
    english.keys.push_back(key);
    english.ids.push_back(entry->id);
    english.texts.push_back(!entry->fuzzy && !entry->text.empty() ? entry->text : entry->id);
    english.lines.push_back(entry->line);
  }
  if (english.keys.empty()) errors.push_back({0, "no texts"});
  return errors.size() == before;
}

bool ReadTranslation(const PoFile& file, const TextCatalog& english, TextCatalog& texts,
                     std::vector<PoError>& errors) {
  const size_t before = errors.size();
  const std::map<std::string, const PoEntry*> byKey = EntriesByKey(file, errors);
  texts = TextCatalog{english.keys, english.ids, std::vector<std::string>(english.keys.size()),
                      std::vector<int>(english.keys.size(), 0)};
  std::string missing;
  for (size_t i = 0; i < english.keys.size(); ++i) {
    auto it = byKey.find(english.keys[i]);
    if (it == byKey.end()) {
      missing += (missing.empty() ? "" : ", ") + english.keys[i];
      continue;
    }
    const PoEntry& entry = *it->second;
    texts.lines[i] = entry.line;
    if (entry.id != english.ids[i]) {
      errors.push_back({entry.line, "msgid of " + Quoted(entry.context) + " differs from English " +
                                        Quoted(english.ids[i]) + ": update it and check the translation"});
    }
    if (!entry.fuzzy) texts.texts[i] = entry.text;
  }
  for (const auto& [key, entry] : byKey) {
    if (!std::binary_search(english.keys.begin(), english.keys.end(), key)) {
      errors.push_back({entry->line, "key " + Quoted(key) + " is not in the English file"});
    }
  }
  if (!missing.empty()) errors.push_back({0, "keys of the English file missing here: " + missing});
  return errors.size() == before;
}

bool LoadPoFile(const std::string& path, PoFile& file, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": error: cannot read the file";
    return false;
  }
  std::ostringstream content;
  content << in.rdbuf();
  PoError fault;
  if (ParsePo(content.str(), file, fault)) return true;
  error = FormatPoError(path, fault);
  return false;
}

std::string FormatPoError(const std::string& path, const PoError& error) {
  if (error.line <= 0) return path + ": error: " + error.message;
  return path + ":" + std::to_string(error.line) + ": error: " + error.message;
}
