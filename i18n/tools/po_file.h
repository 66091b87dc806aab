#pragma once
// Reading the interface texts' gettext PO files (i18n/po/<code>.po).
//
// Build-time only: the text-table generator (po_compile_main.cpp) and the
// tests use this; the program itself never reads a PO file, it carries the
// generated tables.
//
// Two layers:
//   ParsePo      the PO syntax as ordinary PO tools write it: comments and
//                flags, the header entry, msgctxt, strings continued over
//                several lines, C escapes, obsolete ("#~") entries.
//   ReadTexts    the rules of our catalogs on top: msgctxt is the key the
//                program looks a text up by, msgid its English text, msgstr
//                the translation; every language has exactly the keys of
//                English with the same msgid.
// Errors name the line they were found on; a file is never half-read.
#include <string>
#include <string_view>
#include <vector>

struct PoEntry {
  std::string context;  // msgctxt
  std::string id;       // msgid
  std::string text;     // msgstr; empty: not translated
  bool hasContext = false;
  bool fuzzy = false;   // "#, fuzzy": a guess nobody checked yet
  int line = 0;         // of the entry's first keyword (1-based)
};

struct PoError {
  int line = 0;  // 0: the file as a whole
  std::string message;
};

struct PoFile {
  std::string header;            // the msgstr of the header entry (msgid "")
  std::vector<PoEntry> entries;  // in file order, without the header
};

// Parses PO text. False on the first syntax fault, described in `error`.
// Plural forms are refused: no interface text has them.
bool ParsePo(std::string_view text, PoFile& file, PoError& error);

// One language's texts, by the keys of the English catalog.
struct TextCatalog {
  std::vector<std::string> keys;   // sorted in byte order (the lookup's order)
  std::vector<std::string> ids;    // the msgid of keys[i]
  std::vector<std::string> texts;  // texts[i] belongs to keys[i]; "" = English shows
  std::vector<int> lines;          // where keys[i]'s entry starts; 0 = missing
};

// The English catalog: every entry's msgstr, or its msgid where the msgstr
// is empty or fuzzy. Every entry needs a msgctxt, keys are unique.
bool ReadEnglish(const PoFile& file, TextCatalog& english, std::vector<PoError>& errors);

// A translation checked against English: every key of English exactly once
// with English's msgid, no other key. A fuzzy or empty msgstr counts as not
// translated (the text stays "", so English shows), as gettext does.
bool ReadTranslation(const PoFile& file, const TextCatalog& english, TextCatalog& texts,
                     std::vector<PoError>& errors);

// Reads and parses a file; a fault is reported as "path:line: message".
bool LoadPoFile(const std::string& path, PoFile& file, std::string& error);
std::string FormatPoError(const std::string& path, const PoError& error);
