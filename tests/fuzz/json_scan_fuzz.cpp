// The network JSON scanner: every entry point on arbitrary bytes.
#include <array>

#include "net/json_scan.h"
#include "tests/fuzz/fuzz_target.h"

VISTRA_FUZZ_TARGET(json_scan) {
  constexpr std::array<std::string_view, 4> kKeys = {"name", "id", "a", ""};
  std::array<JsonScan::RawValue, kKeys.size()> values;
  JsonScan::FindValues(input, kKeys, values);
  for (const auto& value : values) {
    if (!value.found) continue;
    // A located value lies inside the text.
    FUZZ_CHECK(value.raw.data() >= input.data() && value.raw.data() + value.raw.size() <= input.data() + input.size());
    JsonScan::Decoded(value);
    JsonScan::DecodedW(value);
  }
  JsonScan::Value(input, "name");
  JsonScan::ValueW(input, "id");
  JsonScan::TextValue(input, "a");
  const std::string array = JsonScan::Array(input, "a");
  FUZZ_CHECK(array.empty() || (array.front() == '[' && array.back() == ']'));
  for (const std::string_view object : JsonScan::Objects(input)) {
    FUZZ_CHECK(object.size() >= 2 && object.front() == '{' && object.back() == '}');
  }
  const JsonScan::ObjectList list = JsonScan::FindObjectList(input);
  if (list.state == JsonScan::ObjectList::State::Whole) {
    const size_t at = size_t(list.items.data() - input.data());
    FUZZ_CHECK(at >= 1 && at + list.items.size() < input.size());
    FUZZ_CHECK(input[at - 1] == '[' || input[at - 1] == '{');
  }
  JsonScan::Escape(input);
}
