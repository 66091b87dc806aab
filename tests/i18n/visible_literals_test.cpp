// Every text a user can read comes from a translation key. The folders whose
// code paints, writes status texts or shows notices are scanned for wide
// literals (u"..."); a literal that holds a word must be in the table of
// technical strings below, with the reason it is not translated.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The folders (and single files) whose texts reach the screen.
constexpr std::string_view kScanned[] = {"ui/screens", "ui/modals", "ui/nav", "app", "player", "panel", "extras",
                                         "catalog/account.cpp"};

// Literals that are not interface texts. `file` empty: anywhere in the
// scanned code; otherwise only in that file.
struct Technical {
  std::string_view file;
  std::string_view text;
  std::string_view why;
};
constexpr Technical kTechnical[] = {
    {"", "Vistra", "the product's name, the title of its questions"},
    {"", "VS", "the product's mark"},
    {"ui/screens/home_screen.cpp", "PLAYER", "the wordmark under the product's mark"},
    {"", "Ag", "measures a line's height, never drawn"},
    {"player/catchup.cpp", "timeshift", "a path of the provider's archive URL"},
    {"", "yes", "the media engine's property values"},
    {"", "ts", "a stream container, stored in the settings"},
    {"", "mp4", "a stream container"},
    {"app/playback_control.h", "rec:", "the resume key of a recording, never shown"},
    {"app/recording_desk.cpp", ").ts", "the end of a recording's file name beside one of the same name"},
    {"ui/screens/settings_cells.cpp", "Auto", "device types as stored and sent to the panel"},
    {"ui/screens/settings_cells.cpp", "TV", "device types as stored and sent to the panel"},
    {"ui/screens/settings_cells.cpp", "Stick", "device types as stored and sent to the panel"},
    {"ui/screens/settings_cells.cpp", "Phone", "device types as stored and sent to the panel"},
    {"ui/screens/settings_cells.cpp", "Tablet", "device types as stored and sent to the panel"},
    {"ui/screens/settings_cells.cpp", "PC", "device types as stored and sent to the panel"},
    {"panel/panel_client.cpp", "TV", "the device type sent to the panel"},
    {"catalog/account.cpp", "live", "stream URL folders"},
    {"catalog/account.cpp", "movie", "stream URL folders"},
    {"catalog/account.cpp", "series", "stream URL folders"},
    {"panel/panel_client.cpp", "Authorization: Bearer ", "an HTTP header"},
    {"panel/panel_client.cpp", "POST", "HTTP methods"},
    {"panel/panel_client.cpp", "GET", "HTTP methods"},
    {"panel/panel_client.cpp", "vistra-desk-043", "the application id sent to the panel"},
    {"panel/panel_client.cpp", "get.php", "URL parts"},
    {"panel/panel_client.cpp", "Playlist ", "the name stored for a panel list without one"},
    {"panel/device_identity.cpp", "0123456789abcdef", "digits"},
    {"panel/device_identity.cpp", "|vistra-desk-043|", "the device key's seed"},
    {"panel/messages.cpp", "client", "the panel's author field"},
    {"panel/messages.cpp", "Reply", "the subject sent with a reply"},
    {"app/playback_control.cpp", "Aspect Auto", "the English name the aspect log line carries"},
    {"player/tracks.cpp", "audio", "the engine's track types"},
    {"player/tracks.cpp", "sub", "the engine's track types"},
    {"player/trailer.cpp", "youtube.com", "host names"},
    {"player/trailer.cpp", "youtu.be", "host names"},
    {"extras/sports.cpp", "Soccer", "the public schedule's sport names"},
    {"extras/sports.cpp", "Basketball", "the public schedule's sport names"},
    {"extras/speed_test.cpp", "Linux", "the platform's name"},
    {"extras/speed_test.cpp", "Cloudflare", "the edge service's name"},
    {"extras/speed_test.cpp", "POST", "HTTP methods"},
    {"extras/speed_test.cpp", "HTTP:", "the protocol, named the same in every language"},
};

// A literal as written in the source: its text (escapes kept) and line.
struct Literal {
  std::string text;
  int line = 0;
};

// The u"..." literals of a C++ source, outside comments; u8, U and L
// literals and raw strings are not interface texts of ours.
std::vector<Literal> WideLiterals(const std::string& source) {
  std::vector<Literal> found;
  int line = 1;
  for (size_t i = 0; i < source.size(); ++i) {
    const char c = source[i];
    if (c == '\n') ++line;
    if (c == '/' && i + 1 < source.size() && source[i + 1] == '/') {
      i = std::min(source.find('\n', i), source.size()) - 1;
    } else if (c == '/' && i + 1 < source.size() && source[i + 1] == '*') {
      const size_t end = std::min(source.find("*/", i + 2), source.size());
      line += static_cast<int>(std::count(source.begin() + i, source.begin() + end, '\n'));
      i = end + 1;
    } else if (c == '"' || c == '\'') {
      const bool wide = c == '"' && i > 0 && source[i - 1] == 'u' &&
                        (i < 2 || !(std::isalnum(static_cast<unsigned char>(source[i - 2])) || source[i - 2] == '_'));
      Literal literal{{}, line};
      for (++i; i < source.size() && source[i] != c && source[i] != '\n'; ++i) {
        if (source[i] == '\\' && i + 1 < source.size()) literal.text += source[i++];
        literal.text += source[i];
      }
      if (wide) found.push_back(std::move(literal));
    }
  }
  return found;
}

// Letters of any script the translations use: ASCII, Latin, Greek, Cyrillic.
bool IsLetter(char32_t c) {
  return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7) ||
         (c >= 0x370 && c <= 0x4FF) || (c >= 0x1E00 && c <= 0x1EFF);
}

// True when the literal holds a word: two letters in a row. Separators,
// digits, one-letter glyphs ("|<", "v", "x") and escapes are not; a unit
// ("KB") is a word, since languages write units their own way ("Ko").
bool HoldsWord(std::string_view text) {
  int run = 0;
  for (size_t i = 0; i < text.size();) {
    char32_t c = static_cast<unsigned char>(text[i]);
    size_t length = 1;
    if (c == '\\' && i + 1 < text.size()) {
      length = text[i + 1] == 'u' ? 6 : 2;
      c = text[i + 1] == 'u' ? static_cast<char32_t>(std::stoul(std::string(text.substr(i + 2, 4)), nullptr, 16)) : 0;
    } else if (c >= 0x80) {
      length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
      c &= 0x3F >> (length - 1);
      for (size_t k = 1; k < length && i + k < text.size(); ++k) c = (c << 6) | (text[i + k] & 0x3F);
    }
    run = IsLetter(c) ? run + 1 : 0;
    if (run >= 2) return true;
    i += length;
  }
  return false;
}

// Pieces of URLs and queries (never a blank in them) and HTTP header lines.
// A sentence that quotes a URL has blanks, so it is a text.
bool IsUrlOrHeaderPiece(std::string_view text) {
  if (text.empty() || text.find("\\r\\n") != std::string_view::npos) return true;
  if (text.find(' ') != std::string_view::npos) return false;
  return text.find("://") != std::string_view::npos || text.find('=') != std::string_view::npos ||
         std::string_view("/&?.").find(text.front()) != std::string_view::npos;
}

// The entry of kTechnical that lets the literal pass, or -1.
int TechnicalEntry(const std::string& file, std::string_view text) {
  for (size_t i = 0; i < std::size(kTechnical); ++i) {
    if (kTechnical[i].text == text && (kTechnical[i].file.empty() || kTechnical[i].file == file)) return int(i);
  }
  return -1;
}

bool IsTechnical(const std::string& file, std::string_view text) {
  return !HoldsWord(text) || IsUrlOrHeaderPiece(text) || TechnicalEntry(file, text) >= 0;
}

// "file:line: u"text"" for each literal of a scanned file that is a word
// outside the table; marks the table entries that let a literal pass.
std::vector<std::string> Offenders(const fs::path& root, const std::string& file, std::vector<bool>& used) {
  std::ifstream in(root / file, std::ios::binary);
  std::stringstream source;
  source << in.rdbuf();
  std::vector<std::string> bad;
  for (const Literal& literal : WideLiterals(source.str())) {
    if (!HoldsWord(literal.text) || IsUrlOrHeaderPiece(literal.text)) continue;
    const int entry = TechnicalEntry(file, literal.text);
    if (entry >= 0) used[size_t(entry)] = true;
    else bad.push_back(file + ":" + std::to_string(literal.line) + ": u\"" + literal.text + "\"");
  }
  return bad;
}

std::vector<std::string> ScannedFiles(const fs::path& root) {
  std::vector<std::string> files;
  for (std::string_view entry : kScanned) {
    const fs::path path = root / entry;
    if (fs::is_regular_file(path)) files.emplace_back(entry);
    if (!fs::is_directory(path)) continue;
    for (const auto& item : fs::recursive_directory_iterator(path)) {
      const std::string ext = item.path().extension().string();
      if (ext == ".cpp" || ext == ".h") files.push_back(fs::relative(item.path(), root).generic_string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

TEST(VisibleTexts, EveryWordOnScreenComesFromATranslationKey) {
  const fs::path root = VISTRA_SOURCE_DIR;
  const std::vector<std::string> files = ScannedFiles(root);
  ASSERT_GT(files.size(), 50u) << "the scanned folders moved";
  std::vector<bool> used(std::size(kTechnical), false);
  for (const std::string& file : files) {
    for (const std::string& offender : Offenders(root, file, used)) {
      ADD_FAILURE() << offender
                    << ": a text the user can see; give it a key in i18n/po/*.po and Translate it, or, when it is "
                       "technical, add it to kTechnical with the reason";
    }
  }
  // An entry nothing needs any more would let a new text of the same words
  // through unseen.
  for (size_t i = 0; i < used.size(); ++i) {
    EXPECT_TRUE(used[i]) << "kTechnical lets u\"" << kTechnical[i].text << "\" pass"
                         << (kTechnical[i].file.empty() ? std::string() : " in " + std::string(kTechnical[i].file))
                         << ", but no scanned literal is that any more: remove the entry";
  }
}

// The scanner itself: what counts as a word, what as a technical piece, and
// that comments and other literals are passed over.
TEST(VisibleTexts, TheScannerFindsWordsAndPassesOverGlue) {
  const std::string source =
      "// u\"In a comment\"\n"
      "/* u\"In a block\n u\"still\" */ auto a = u\"No channels\";\n"
      "auto b = u\" / \" + u\"\\u2014\" + u\"|<\" + u\"x\" + u\"5 KB\";\n"
      "auto c = u8\"Narrow\" + \"plain\" + menu\"\" + L\"Long\";\n"
      "auto d = u\"Căutare\" + u\"Фільми\" + u\"say \\\"hi\\\"\";\n";
  std::vector<std::string> words;
  for (const Literal& l : WideLiterals(source)) {
    if (HoldsWord(l.text)) words.push_back(std::to_string(l.line) + " " + l.text);
  }
  EXPECT_EQ(words, (std::vector<std::string>{"3 No channels", "4 5 KB", "6 Căutare", "6 Фільми", "6 say \\\"hi\\\""}));
  EXPECT_TRUE(IsUrlOrHeaderPiece("/player_api.php?username="));
  EXPECT_TRUE(IsUrlOrHeaderPiece("&password="));
  EXPECT_TRUE(IsUrlOrHeaderPiece("Content-Type: application/json\\r\\n"));
  EXPECT_FALSE(IsUrlOrHeaderPiece("Enter = open"));
  EXPECT_FALSE(IsUrlOrHeaderPiece("Not a playlist URL (http://host/get.php?username=…)"));
  EXPECT_TRUE(IsTechnical("panel/panel_client.cpp", "POST"));
  EXPECT_FALSE(IsTechnical("ui/screens/live_screen.cpp", "POST"));
}
