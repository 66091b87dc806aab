#include "i18n/tools/po_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

PoFile Parse(std::string_view text) {
  PoFile file;
  PoError error;
  EXPECT_TRUE(ParsePo(text, file, error)) << error.line << ": " << error.message;
  return file;
}

PoError ParseError(std::string_view text) {
  PoFile file;
  PoError error;
  EXPECT_FALSE(ParsePo(text, file, error)) << text;
  EXPECT_TRUE(file.entries.empty()) << "a refused file gives no texts";
  return error;
}

constexpr std::string_view kEnglish = R"(msgid ""
msgstr "Content-Type: text/plain; charset=UTF-8\n"

msgctxt "back"
msgid "Back"
msgstr "Back"

msgctxt "cancel"
msgid "Cancel"
msgstr "Cancel"

msgctxt "add"
msgid "Add"
msgstr ""
)";

TextCatalog English() {
  TextCatalog english;
  std::vector<PoError> errors;
  EXPECT_TRUE(ReadEnglish(Parse(kEnglish), english, errors));
  return english;
}

}  // namespace

// What PO editors and msgmerge write: translator and extracted comments,
// references, flags, previous msgids, obsolete entries, a wrapped header,
// strings continued over lines, C escapes, CRLF line ends.
TEST(ParsePo, ReadsWhatPoToolsWrite) {
  const PoFile file = Parse(
      "\xEF\xBB\xBF# German texts.\r\n"
      "#, fuzzy\n"
      "msgid \"\"\n"
      "msgstr \"\"\n"
      "\"Language: de\\n\"\n"
      "\"Content-Type: text/plain; charset=utf-8\\n\"\n"
      "\n"
      "#. shown on the exit question\n"
      "#: ui/nav/navigator.cpp:143\n"
      "#, c-format\n"
      "#| msgid \"Quit?\"\n"
      "msgctxt \"exit_ask\"\n"
      "msgid \"Exit \"\n"
      "  \"Vistra 4.3?\"\n"
      "msgstr \"\"\n"
      "\"Vistra 4.3 \"\n"
      "\"beenden?\"\n"
      "#, fuzzy, c-format\n"
      "msgctxt \"tab\"\n"
      "msgid \"A\\tB \\\"C\\\" \\\\ \\n\\101\\x42\"\n"
      "msgstr \"Rate\"\n"
      "\n"
      "#~ msgctxt \"gone\"\n"
      "#~ msgid \"Gone\"\n"
      "#~ msgstr \"Weg\"\n"
      "msgctxt \"last\"\n"
      "msgid \"Last\"\n"
      "msgstr \"Letzte\"");
  EXPECT_EQ(file.header, "Language: de\nContent-Type: text/plain; charset=utf-8\n");
  ASSERT_EQ(file.entries.size(), 3u);
  EXPECT_EQ(file.entries[0].context, "exit_ask");
  EXPECT_EQ(file.entries[0].id, "Exit Vistra 4.3?");
  EXPECT_EQ(file.entries[0].text, "Vistra 4.3 beenden?");
  EXPECT_FALSE(file.entries[0].fuzzy) << "the header's fuzzy flag is the header's";
  EXPECT_EQ(file.entries[0].line, 12);
  EXPECT_EQ(file.entries[1].id, "A\tB \"C\" \\ \nAB");
  EXPECT_TRUE(file.entries[1].fuzzy);
  EXPECT_EQ(file.entries[2].text, "Letzte");
  EXPECT_FALSE(file.entries[2].fuzzy);
}

TEST(ParsePo, NamesTheLineOfEachFault) {
  struct Case {
    std::string_view text;
    int line;
    std::string_view says;
  };
  const Case cases[] = {
      {"msgid \"a\"\nmsgstr \"b\n", 2, "no closing quote"},
      {"msgid \"a\"\nmsgstr \"\\q\"\n", 2, "unknown escape \\q"},
      {"msgid \"a\"\nmsgstr \"b\" x\n", 2, "after the closing quote"},
      {"msgid \"a\"\nmsgstr \"b\"\nmsgid \"a\"\nmsgstr \"c\"\n", 3, "duplicate message definition (first defined at line 1)"},
      {"\nmsgstr \"b\"\n", 2, "msgstr without a msgid"},
      {"msgid \"a\"\nmsgid \"b\"\nmsgstr \"\"\n", 2, "msgid without msgstr"},
      {"msgid \"a\"\nmsgstr \"b\"\nmsgstr \"c\"\n", 3, "a second msgstr"},
      {"msgid \"a\"\nmsgctxt \"k\"\nmsgstr \"\"\n", 2, "msgctxt must come first"},
      {"msgctxt \"k\"\nmsgid \"a\"\n\n", 1, "entry without msgstr"},
      {"msgid \"a\"\nmsgid_plural \"as\"\nmsgstr[0] \"\"\n", 2, "plural forms"},
      {"msgid \"a\"\nmsgstr \"b\"\nmsgstr_x \"c\"\n", 3, "unexpected text"},
      {"msgid \"a\"\nmsgstr\n", 2, "expected a string"},
      {"\"orphan\"\n", 1, "continues no msgctxt"},
      {"msgid \"a\"\nmsgstr \"b\"\n\n\"more\"\n", 4, "continues no msgctxt"},
      {"msgid \"a\"\nmsgstr \"b\xC3\"\n", 2, "not valid UTF-8"},
      {"msgid \"a\"\nmsgstr \"\\303\"\n", 1, "invalid UTF-8"},
      {"msgid \"a\"\nmsgstr \"\\xZZ\"\n", 2, "hexadecimal"},
      {"msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n", 1, "charset=ISO-8859-1"},
  };
  for (const Case& c : cases) {
    const PoError error = ParseError(c.text);
    EXPECT_EQ(error.line, c.line) << c.text;
    EXPECT_NE(error.message.find(c.says), std::string::npos) << c.text << " -> " << error.message;
  }
  EXPECT_EQ(FormatPoError("po/de.po", {7, "bad"}), "po/de.po:7: error: bad");
  EXPECT_EQ(FormatPoError("po/de.po", {0, "bad"}), "po/de.po: error: bad");
}

TEST(ReadEnglish, KeysSortedTextFromMsgstrOrMsgid) {
  const TextCatalog english = English();
  EXPECT_EQ(english.keys, (std::vector<std::string>{"add", "back", "cancel"}));
  EXPECT_EQ(english.texts, (std::vector<std::string>{"Add", "Back", "Cancel"}));
  EXPECT_EQ(english.lines, (std::vector<int>{12, 4, 8}));

  TextCatalog refused;
  std::vector<PoError> errors;
  EXPECT_FALSE(ReadEnglish(Parse("msgid \"No key\"\nmsgstr \"\"\n"
                                 "msgctxt \"Bad Key\"\nmsgid \"x\"\nmsgstr \"\"\n"
                                 "msgctxt \"a\"\nmsgid \"A\"\nmsgstr \"\"\n"
                                 "msgctxt \"a\"\nmsgid \"A2\"\nmsgstr \"\"\n"
                                 "msgctxt \"e\"\nmsgid \"\"\nmsgstr \"\"\n"),
                           refused, errors));
  ASSERT_EQ(errors.size(), 4u);
  EXPECT_EQ(errors[0].line, 1);   // no msgctxt
  EXPECT_EQ(errors[1].line, 3);   // not a key name
  EXPECT_EQ(errors[2].line, 9);   // the key again
  EXPECT_EQ(errors[3].line, 12);  // no English text
}

TEST(ReadTranslation, UntranslatedAndFuzzyShowEnglishAndBadKeysAreRefused) {
  TextCatalog texts;
  std::vector<PoError> errors;
  ASSERT_TRUE(ReadTranslation(Parse("msgctxt \"cancel\"\nmsgid \"Cancel\"\nmsgstr \"Abbrechen\"\n"
                                    "#, fuzzy\nmsgctxt \"back\"\nmsgid \"Back\"\nmsgstr \"Zurück\"\n"
                                    "msgctxt \"add\"\nmsgid \"Add\"\nmsgstr \"\"\n"),
                              English(), texts, errors));
  EXPECT_EQ(texts.texts, (std::vector<std::string>{"", "", "Abbrechen"}));

  errors.clear();
  EXPECT_FALSE(ReadTranslation(Parse("msgctxt \"cancel\"\nmsgid \"Cancel\"\nmsgstr \"Abbrechen\"\n"
                                     "msgctxt \"cancle\"\nmsgid \"Cancel\"\nmsgstr \"Abbrechen\"\n"
                                     "msgctxt \"back\"\nmsgid \"Go back\"\nmsgstr \"Zurück\"\n"
                                     "msgctxt \"back\"\nmsgid \"Back\"\nmsgstr \"Zurück\"\n"),
                               English(), texts, errors));
  std::vector<std::string> said;
  for (const PoError& error : errors) said.push_back(std::to_string(error.line) + " " + error.message);
  ASSERT_EQ(said.size(), 4u) << testing::PrintToString(said);
  EXPECT_EQ(said[0], "10 key \"back\" again (first at line 7)");
  EXPECT_NE(said[1].find("7 msgid of \"back\" differs from English \"Back\""), std::string::npos) << said[1];
  EXPECT_EQ(said[2], "4 key \"cancle\" is not in the English file");
  EXPECT_EQ(said[3], "0 keys of the English file missing here: add");
}

