// The man page's key sections for Live and the Player name exactly the
// keys of those screens' key tables: a key added to or dropped from a table
// without the page (or the other way round) fails here.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "platform/virtual_keys.h"
#include "ui/screens/live_screen.h"
#include "ui/screens/player_screen.h"

namespace {

// The man page's word for a key, as its ".B" lines write them.
int KeyOfWord(const std::string& word) {
  if (word.size() == 1 && word[0] >= 'A' && word[0] <= 'Z') return Vk::Letter(word[0]);
  if (word == "`") return Vk::Grave;
  if (word == "0\\(en9") return kAnyDigit;
  if (word == "Shift+R") return Vk::Record;
  const std::pair<const char*, int> named[] = {
      {"Up", Vk::Up},       {"Down", Vk::Down},         {"Left", Vk::Left}, {"Right", Vk::Right},
      {"PageUp", Vk::PageUp}, {"PageDown", Vk::PageDown}, {"Enter", Vk::Return}, {"Space", Vk::Space},
      {"Tab", Vk::Tab},     {"End", Vk::End},           {"Esc", Vk::Escape}, {"Backspace", Vk::Back}};
  for (const auto& [name, vk] : named)
    if (word == name) return vk;
  ADD_FAILURE() << "a key word the test does not know: " << word;
  return 0;
}

// The keys of the ".B" lines of the section ".SS <title>".
std::set<int> ManPageKeys(const std::string& title) {
  std::ifstream in(VISTRA_SOURCE_DIR "/packaging/vistra.1");
  EXPECT_TRUE(in) << "packaging/vistra.1";
  std::set<int> keys;
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(".SS ", 0) == 0 || line.rfind(".SH ", 0) == 0) inside = line == ".SS " + title;
    if (!inside || line.rfind(".B ", 0) != 0) continue;
    std::istringstream words(line.substr(3));
    for (std::string word; std::getline(words, word, ',');) {
      word.erase(0, word.find_first_not_of(' '));
      word.erase(word.find_last_not_of(' ') + 1);
      if (!word.empty()) keys.insert(KeyOfWord(word));
    }
  }
  return keys;
}

std::set<int> TableKeys(std::span<const KeyRow> rows) {
  std::set<int> keys;
  for (const KeyRow& row : rows)
    for (const int key : row.keys)
      if (key != 0) keys.insert(key);
  return keys;
}

}  // namespace

TEST(ManPageKeys, LiveAndThePlayerListExactlyTheKeysOfTheirTables) {
  EXPECT_EQ(ManPageKeys("Live"), TableKeys(LiveKeyRows()));
  // The back keys go before the Player's table (they close the open row
  // first); the page lists them with the rest.
  std::set<int> player = TableKeys(PlayerKeyRows());
  player.insert({Vk::Escape, Vk::Back});
  EXPECT_EQ(ManPageKeys("Player"), player);
}
