#include "net/json_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <vector>

using JsonScan::Array;
using JsonScan::Objects;
using JsonScan::Value;

TEST(JsonScanValue, DecodesStringEscapesAndYieldsWhatIsThereOfACutText) {
  EXPECT_EQ(Value(R"({"k" :  "x\u00e9\n"})", "k"), "x\xC3\xA9\n");
  EXPECT_EQ(Value(R"({"k":"\u00E9\t\r"})", "k"), "\xC3\xA9\t\r");
  EXPECT_EQ(Value(R"({"k":"\/\"\\\b\f"})", "k"), "/\"\\bf");
  EXPECT_EQ(JsonScan::ValueW(R"({"k":"\u00e9\u20ac"})", "k"), u"\u00e9\u20ac");
  EXPECT_EQ(Value(R"({"k":"plain"})", "k"), "plain");

  EXPECT_EQ(Value(R"({"a":1})", "b"), "");
  EXPECT_EQ(Value("", "b"), "");
  EXPECT_EQ(Value(R"({"name":)", "name"), "");
  EXPECT_EQ(Value("{\"name\": \r\n\t", "name"), "");
  EXPECT_EQ(Value(R"({"name")", "name"), "");
  EXPECT_EQ(Value(R"({"name":"abc)", "name"), "abc");
  EXPECT_EQ(Value(R"({"name":"ab\)", "name"), "ab\\");  // a final backslash stays
  EXPECT_EQ(Value(R"({"name":"")", "name"), "");
}

TEST(JsonScanValue, BareTokensKeepTrailingSpaceAndStopAtDelimiters) {
  EXPECT_EQ(Value(R"({"n":12 ,"m":1})", "n"), "12 ");
  EXPECT_EQ(Value(R"({"n":1,"m":true})", "m"), "true");
  EXPECT_EQ(Value(R"([{"m":null}])", "m"), "null");
  EXPECT_EQ(Value(R"({"n": -3.5e2)", "n"), "-3.5e2");  // runs to the end of the text
  // An object or array value yields only its beginning.
  EXPECT_EQ(Value(R"({"a":{"b":1},"c":2})", "a"), R"({"b":1)");
  EXPECT_EQ(Value(R"({"a":[1,2]})", "a"), "[1");
}

TEST(JsonScanValue, MatchesKeysOnlyWhereTheyStandAsKeys) {
  // A value equal to the key name is not the key, and the colon after it is
  // not its colon.
  EXPECT_EQ(Value(R"({"a":"name","x":"B"})", "name"), "");
  EXPECT_EQ(Value(R"({"a":"name","name":"N"})", "name"), "N");
  // An escaped quote inside a string never opens a key.
  EXPECT_EQ(Value(R"({"t":"say \"name\":\"X\"","name":"N"})", "name"), "N");
  EXPECT_EQ(Value(R"({"t":"say \"name\":\"X\""})", "name"), "");
  // An escaped backslash right before the closing quote does not escape it.
  EXPECT_EQ(Value(R"({"t":"a\\","name":"N"})", "name"), "N");
  // The first occurrence as a key wins, nested or not; keys are case-sensitive.
  EXPECT_EQ(Value(R"({"o":{"name":"in"},"name":"out"})", "name"), "in");
  EXPECT_EQ(Value(R"({"Name":"A","name":"b"})", "name"), "b");
}

TEST(JsonScanValue, SurrogatePairsJoinAndAShortUnicodeEscapeYieldsLetterU) {
  EXPECT_EQ(Value(R"({"e":"\ud83d\ude00!"})", "e"), "\xF0\x9F\x98\x80!");
  EXPECT_EQ(Value(R"({"e":"\uD834\uDD1E"})", "e"), "\xF0\x9D\x84\x9E");
  EXPECT_EQ(JsonScan::ValueW(R"({"e":"\ud83d\ude00"})", "e"), (std::u16string{0xD83D, 0xDE00}));
  // A high half not followed by a low half is not joined with what follows.
  EXPECT_EQ(Value(R"({"e":"\ud83d\u0041"})", "e"), "\xED\xA0\xBD" "A");

  EXPECT_EQ(Value(R"({"k":"a\u12"})", "k"), "au12");
  EXPECT_EQ(Value(R"({"k":"\uZZZZ"})", "k"), "uZZZZ");
  EXPECT_EQ(Value(R"({"k":"\u00g9x"})", "k"), "u00g9x");
}

TEST(JsonScanObjects, CutsTopLevelObjectsKeepingNestedOnesInsideAsForEachObjectDoes) {
  const auto objects = Objects(R"([{"a":{"b":1}} , {"c":2}])");
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_EQ(objects[0], R"({"a":{"b":1}})");
  EXPECT_EQ(objects[1], R"({"c":2})");
  const auto single = Objects(R"({"x":{"y":{}},"z":[{}]})");
  ASSERT_EQ(single.size(), 1u);
  EXPECT_EQ(single[0], R"({"x":{"y":{}},"z":[{}]})");
  EXPECT_TRUE(Objects("").empty());
  EXPECT_TRUE(Objects("[1,2]").empty());
  // An object left open at the end is dropped.
  EXPECT_EQ(Objects(R"([{"a":1},{"b":)").size(), 1u);

  const std::string text = R"(}{"x":1}[{"a":"}"},{"b":{"c":"{"}}],{"d":)";
  std::vector<std::string_view> streamed;
  JsonScan::ForEachObject(text, [&](std::string_view object) { streamed.push_back(object); });
  EXPECT_EQ(streamed, Objects(text));
  ASSERT_EQ(streamed.size(), 2u);
  EXPECT_EQ(streamed[1], R"({"b":{"c":"{"}})");
}

TEST(JsonScanObjects, BracesInsideStringsDoNotCountAStrayOneHidesTheNextObject) {
  const auto objects = Objects(R"([{"name":"Kids {HD"},{"name":"B} \"{"},{"id":3}])");
  ASSERT_EQ(objects.size(), 3u);
  EXPECT_EQ(objects[0], R"({"name":"Kids {HD"})");
  EXPECT_EQ(Value(objects[1], "name"), "B} \"{");
  EXPECT_EQ(objects[2], R"({"id":3})");

  const auto stray = Objects(R"(}[{"a":1},{"b":2},{"c":3}])");
  EXPECT_EQ(stray, (std::vector<std::string_view>{R"({"b":2})", R"({"c":3})"}));
}

// Lists as PHP panels send them, taken whole whatever stands around them.
TEST(JsonScanFindObjectList, FindsTheListInTextAroundIt) {
  using State = JsonScan::ObjectList::State;
  const auto items = [](std::string_view text) {
    const JsonScan::ObjectList list = JsonScan::FindObjectList(text);
    return list.state == State::Whole ? Objects(list.items) : std::vector<std::string_view>{};
  };
  const std::vector<std::string_view> two = {R"({"num":1,"name":"A [HD]"})", R"({"num":2,"name":"B ]}"})"};
  // A notice (with brackets and braces of its own) before the list, a
  // comment after it, a byte-order mark.
  EXPECT_EQ(items("<br />\n<b>Notice</b>:  Undefined index: HTTP_X in <b>/var/www/player_api.php</b> on line "
                  "<b>12</b><br />\n[12-May-2026 10:00:01 UTC] in {closure}()\n"
                  R"([{"num":1,"name":"A [HD]"},{"num":2,"name":"B ]}"}])"),
            two);
  EXPECT_EQ(items(R"([{"num":1,"name":"A [HD]"},{"num":2,"name":"B ]}"}]
<!-- page generated in 0.0132 s -->)"),
            two);
  EXPECT_EQ(items("\xEF\xBB\xBF  [ {\"num\":1,\"name\":\"A [HD]\"},{\"num\":2,\"name\":\"B ]}\"} ]"), two);
  // An array whose keys are not 0, 1, 2, … in order: PHP writes an object.
  EXPECT_EQ(items(R"({"0":{"num":1,"name":"A [HD]"},"1":{"num":2,"name":"B ]}"}})"), two);
  EXPECT_EQ(items(R"(<br />Warning: x<br />{ "3" : {"num":1,"name":"A [HD]"}, "7":{"num":2,"name":"B ]}"}})"), two);
  EXPECT_EQ(JsonScan::FindObjectList(" [ ] ").state, State::Whole);

  // Cut answers, wherever they break off, and a close of the wrong kind.
  for (const std::string_view cut : {R"([{"num":1},{"num":2)", R"([{"num":1,"name":"A ]})", R"({"0":{"num":1})",
                                     "[", R"([{"num":1}})"}) {
    EXPECT_EQ(JsonScan::FindObjectList(cut).state, State::Cut) << cut;
  }
  // No list at all: an error page, an authentication failure, nothing.
  for (const std::string_view none :
       {"<html><style>h1 { color: red }</style><p>{\"request\"} failed</p></html>", R"({"user_info":{"auth":0}})",
        R"({"user_info":{"allowed_output_formats":[]}})", "{}", "", "null"}) {
    EXPECT_EQ(JsonScan::FindObjectList(none).state, State::None) << none;
  }
}

// What a ListReader reports, decoded: per object, each key's value (or "-"
// when absent), then the final state.
struct ReadList {
  std::vector<std::vector<std::string>> objects;
  JsonScan::ObjectList::State state = JsonScan::ObjectList::State::None;
  bool operator==(const ReadList&) const = default;
};
constexpr std::array<std::string_view, 4> kReadKeys = {"id", "name", "icon", "a_member_name_longer_than_thirty_two"};

std::vector<std::string> DecodedValues(std::span<const JsonScan::RawValue> values) {
  std::vector<std::string> out;
  for (const JsonScan::RawValue& v : values) {
    std::u16string wide;
    JsonScan::AppendDecodedWide(v, wide);
    EXPECT_EQ(wide, JsonScan::DecodedW(v));
    out.push_back(v.found ? JsonScan::Decoded(v) : "-");
  }
  return out;
}

// The text fed in pieces of `step` bytes, the first piece `first` bytes.
ReadList ReadInPieces(std::string_view text, size_t first, size_t step,
                      JsonScan::ListReader::Start start = JsonScan::ListReader::Start::List) {
  ReadList read;
  JsonScan::ListReader reader(start, kReadKeys, [](void* to, std::span<const JsonScan::RawValue> values) {
    static_cast<ReadList*>(to)->objects.push_back(DecodedValues(values));
  }, &read);
  reader.Feed(text.substr(0, first));
  for (size_t at = std::min(first, text.size()); at < text.size(); at += step) reader.Feed(text.substr(at, step));
  read.state = reader.Finish();
  if (start == JsonScan::ListReader::Start::List && read.state != JsonScan::ObjectList::State::Whole)
    read.objects.clear();  // what a loader does with a list that is not whole
  return read;
}

// FindObjectList, then FindValues on each object: the reader's reference.
ReadList ReadInPasses(std::string_view text) {
  ReadList read;
  const JsonScan::ObjectList list = JsonScan::FindObjectList(text);
  read.state = list.state;
  for (const std::string_view object : Objects(list.items)) {
    std::array<JsonScan::RawValue, kReadKeys.size()> values;
    JsonScan::FindValues(object, kReadKeys, values);
    read.objects.push_back(DecodedValues(values));
  }
  return read;
}

TEST(JsonScanListReader, ReadsInOnePassWhatTheThreePassesFindHoweverTheBytesArrive) {
  const std::string list =
      "<b>Notice</b>: Undefined index {x} [y] on line 3\n"
      R"([{"id":1,"name":"Kids {HD","icon":"http:\/\/logo.example\/a.png","sub":{"id":9}},)"
      R"({"name" : "Caf\u00e9 \"Night\" \ud83d\udcfa M)" "\xC3\xBC" R"(nchen ]}", "id" : "x7" , "icon":null},)"
      R"({"nested":{"name":"inner first"},"name":"outer","id":"n"}, {"icon":"only"}])"
      "\n<!-- 0.01 s -->";
  const std::string keyed = R"({"0":{"id":"a","name":"A"},"1":{"id":"b","name":"B [x]"}})";
  // A value that a colon makes a key; long keys that share a length bucket.
  const std::string odd = R"([{"name":"id" : "v","id":"x"},{"a_member_name_longer_than_thirty_three":1,)"
                          R"("a_member_name_longer_than_thirty_two":"yes","name":"icon"}])";
  for (const std::string& text : {list, keyed, odd, std::string(R"([{"id":1}}])"), std::string(R"({"user_info":{"auth":0}})"),
                                  std::string("<html><p>{\"request\"} failed</p></html>"), std::string("")}) {
    const ReadList expected = ReadInPasses(text);
    EXPECT_EQ(ReadInPieces(text, text.size(), 1), expected) << text;
    // Every split: inside strings, escapes, UTF-8 sequences, keys.
    for (size_t first = 0; first <= text.size(); ++first) {
      ASSERT_EQ(ReadInPieces(text, first, text.size()), expected) << text << " split at " << first;
    }
    EXPECT_EQ(ReadInPieces(text, 0, 1), expected) << text;
    EXPECT_EQ(ReadInPieces(text, 5, 3), expected) << text;
  }
  ASSERT_EQ(ReadInPasses(list).objects.size(), 4u);
  EXPECT_EQ(ReadInPasses(list).objects[1], (std::vector<std::string>{
                                               "x7", "Caf\xC3\xA9 \"Night\" \xF0\x9F\x93\xBA M\xC3\xBCnchen ]}", "null", "-"}));
  EXPECT_EQ(ReadInPasses(odd).objects, (std::vector<std::vector<std::string>>{{"v", "id", "-", "-"},
                                                                             {"-", "icon", "-", "yes"}}));
  // An answer cut anywhere never reads as a whole list.
  for (size_t size = 0; size < list.size() - 20; ++size) {
    const std::string_view cut = std::string_view(list).substr(0, size);
    ASSERT_EQ(ReadInPieces(cut, size / 2, 7).state, JsonScan::FindObjectList(cut).state) << cut;
  }
  // Items alone are cut as ForEachObject cuts them.
  const std::string items = R"({"id":"1"} } {"id":"hidden"} {"id":"3","name":"} {"})";
  const ReadList objects = ReadInPieces(items, 4, 4, JsonScan::ListReader::Start::Objects);
  EXPECT_EQ(objects.objects.size(), Objects(items).size());
  EXPECT_EQ(objects.objects.back()[1], "} {");
}

TEST(JsonScanArray, ReturnsTheWholeArrayRightAfterKeyAndColon) {
  EXPECT_EQ(Array(R"({"list":[[1,2],[3]],"x":1})", "list"), "[[1,2],[3]]");
  EXPECT_EQ(Array("{\"list\": \r\n\t[1]}", "list"), "[1]");
  EXPECT_EQ(Array(R"({"l":["a]b",{"c":"["}],"m":[]})", "l"), R"(["a]b",{"c":"["}])");
  EXPECT_EQ(Array(R"({"x":"l","l":[2]})", "l"), "[2]");

  EXPECT_EQ(Array(R"({"list" :[1]})", "list"), "");
  EXPECT_EQ(Array(R"({"list":1})", "list"), "");
  EXPECT_EQ(Array(R"({"list":[1,[2])", "list"), "");
  EXPECT_EQ(Array(R"({"other":[1]})", "list"), "");
}

TEST(JsonScanEscape, QuoteWEscapesQuotesAndBackslashesEscapeAlsoLineControls) {
  EXPECT_EQ(JsonScan::QuoteW(u"a\"b"), "\"a\\\"b\"");
  EXPECT_EQ(JsonScan::QuoteW(u"a\nb\\"), "\"a\nb\\\\\"");
  EXPECT_EQ(JsonScan::QuoteW(u"\u00e9"), "\"\xC3\xA9\"");
  EXPECT_EQ(JsonScan::QuoteW(u""), "\"\"");

  EXPECT_EQ(JsonScan::Escape("a\"b\\c\nd\re\tf\xC3\xA9"), "a\\\"b\\\\c\\nd\\re\\tf\xC3\xA9");
  EXPECT_EQ(JsonScan::Escape(""), "");
  // What Escape writes, Value reads back unchanged.
  const std::string tricky = "say \"name\": \\ \n\t\xF0\x9F\x98\x80 {[";
  EXPECT_EQ(Value("{\"k\":\"" + JsonScan::Escape(tricky) + "\",\"name\":1}", "k"), tricky);
}

TEST(JsonScanFindValues, EqualsValuePerKeyAndTextValueShowsNothingForNullNestedOrAbsent) {
  std::string text = R"({"id":"7","name":"A \"q\"","n":12 ,"o":{"id":"inner","deep":"d\u00e9"},"t":"name",)"
                     R"("e":"\ud83d\ude00","end":)";
  std::vector<std::string> names = {"id", "name", "n", "deep", "missing", "e", "end", "t", "o", "id"};
  // More keys than the small fast path holds.
  for (int i = 0; i < 40; ++i) {
    names.push_back("k" + std::to_string(i));
    text.insert(1, "\"k" + std::to_string(i) + "\":" + std::to_string(i) + ",");
  }
  std::vector<std::string_view> keys(names.begin(), names.end());
  std::vector<JsonScan::RawValue> found(keys.size());
  JsonScan::FindValues(text, keys, found);
  for (size_t i = 0; i < keys.size(); ++i) {
    EXPECT_EQ(JsonScan::Decoded(found[i]), Value(text, keys[i])) << keys[i];
    EXPECT_EQ(JsonScan::DecodedW(found[i]), JsonScan::ValueW(text, keys[i])) << keys[i];
  }
  EXPECT_EQ(JsonScan::Decoded(found[0]), "7");
  EXPECT_EQ(JsonScan::Decoded(found[1]), "A \"q\"");
  EXPECT_FALSE(found[4].found);
  EXPECT_EQ(JsonScan::Decoded(found[12]), "2");

  const std::string_view object = R"({"a":null ,"b":{"x":1},"c":[1],"d":12 ,"e":"t\"x","f":""})";
  EXPECT_EQ(JsonScan::TextValue(object, "a"), "");
  EXPECT_EQ(JsonScan::TextValue(object, "b"), "");
  EXPECT_EQ(JsonScan::TextValue(object, "c"), "");
  EXPECT_EQ(JsonScan::TextValue(object, "d"), "12");
  EXPECT_EQ(JsonScan::TextValue(object, "e"), "t\"x");
  EXPECT_EQ(JsonScan::TextValue(object, "f"), "");
  EXPECT_EQ(JsonScan::TextValue(object, "zz"), "");
}

