// The kept past programmes' file: its text as it is and the input as the
// gzip file itself, with a budget small enough that reading must trim.
#include "catalog/guide_past_file.h"
#include "tests/fuzz/fuzz_target.h"

namespace {

constexpr int64_t kNow = 1'800'000'000;
constexpr size_t kBudget = 64 * 1024;

void Check(const PastListings& listings) {
  FUZZ_CHECK(listings.Bytes() <= kBudget);
  size_t programmes = 0;
  listings.ForEachChannel([&](std::u16string_view id, int32_t days, std::span<const PastListings::Programme> rows) {
    FUZZ_CHECK(!id.empty() && days > 0 && days <= kPastMaxArchiveDays && !rows.empty());
    int64_t previous = 0;
    for (const PastListings::Programme& p : rows) {
      FUZZ_CHECK(p.start >= previous && p.start >= kNow - int64_t{days} * 86400 && p.start <= kNow);
      FUZZ_CHECK(p.minutes >= 0 && p.minutes <= kPastLongestMinutes);
      FUZZ_CHECK(p.title.size() <= kPastTitleBytes && p.description.size() <= kPastDescriptionBytes);
      previous = p.start;
    }
    programmes += rows.size();
  });
  FUZZ_CHECK(programmes == listings.Programmes());
}

}  // namespace

VISTRA_FUZZ_TARGET(guide_past) {
  const std::string_view key = "0123456789abcdef";
  const PastListings listings = ReadPastListingsText(input, key, kNow, kBudget);
  Check(listings);
  // What was read writes out and reads back the same.
  const PastListings again = ReadPastListingsText(PastListingsText(listings, key), key, kNow, kBudget);
  FUZZ_CHECK(again.Channels() == listings.Channels() && again.Programmes() == listings.Programmes());
  Check(ParsePastListingsFile(input, key, kNow, kBudget));
}
