#pragma once
// Reading and fetching the programme guide of live channels.
//
// A job fetches a channel's short guide from the Xtream server (with two
// fall-backs) and hands the rows back through the mailbox; the main thread
// keeps them in the guide store (catalog/guide_store.h), whose requests go
// through one queue (catalog/guide_requests.h).
//
// Sections: the row type; reading answers; fetching; choosing rows.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/account.h"
#include "catalog/catalog_item.h"

// ---------------------------------------------------------------- row type

struct EpgEntry {
  std::u16string time;   // start for display, normally "HH:MM" in local time
  std::u16string title;
  int64_t start = 0;     // Unix seconds; 0 when the answer held no usable time
  int32_t durationMin = 0;
  std::u16string description;  // decoded like the title; empty when absent
  bool operator==(const EpgEntry&) const = default;
};

// ---------------------------------------------------------- reading answers
// All of these are pure, thread-safe and never fail: unreadable input gives
// the empty or zero result documented below.

// Appends one row per programme object of `answer` (any JSON shape: each
// object holding a "title" key and the word start is a programme). Rows keep
// the answer's order. An object cut off by the end of the text (a capped
// answer) is not read, since its values may be cut too. A programme nested
// in another (its title before the outer one's) is a row of its own, and
// the outer one's values are read around it. Linear in the answer's size.
void ParseGuide(std::vector<EpgEntry>& rows, std::string_view answer);

// A time value of an answer as Unix seconds: an epoch number (10 or 11
// digits, an optional fraction ignored), or a date text
// "YYYY-MM-DD HH:MM[:SS]" (16 characters or more) read as LOCAL time (seconds taken as 0, daylight
// saving decided by the time zone). Anything else, including out-of-range
// date fields, gives 0.
int64_t GuideTimeSeconds(std::string_view value);

// The start time for display: an epoch number as local "HH:MM"; a date text
// of 16 or more characters with '-' as its fifth gives its "HH:MM" part;
// another text of 16 or more characters is read as the compact form
// YYYYMMDDHHMM... ; any other value is shown as it is.
std::u16string GuideDisplayTime(std::string_view value);

// A programme's length in minutes: from the stop time when it is readable
// (epoch or date text) and after a known start; otherwise from `duration`
// (empty: 60; a number above 24 counts seconds; a result below 5 becomes 60).
int32_t GuideDurationMinutes(int64_t start, std::string_view stop, std::string_view duration);

// A title or description as sent: Base64 of UTF-8 text is decoded, and so
// is Base64 of Latin-1 text (decoded bytes that are not UTF-8, read as
// Latin-1 when they make words: mostly ASCII letters, no C1 controls, and
// the sent text not a plain word). Anything else is kept as it is: text with
// spaces or other characters outside the alphabet, and words that only look
// like Base64 ("News", "Kids", "Wetter") because their decoding holds
// control bytes or mostly punctuation.
std::u16string DecodeGuideText(std::string_view value);

// ----------------------------------------------------------------- fetching

// What a guide job needs, copied on the main thread when it starts: the job
// never reads AppState. The live list is shared and immutable, so holding it
// is safe while the main thread swaps in a newer catalog.
struct GuideSource {
  XtreamAccount account;
  std::u16string streamId;
  SharedItems liveChannels;
  // Short guides list the programme on now and those to come; the past
  // programmes that catch-up plays are only in the full table. Set for the
  // catch-up screen's fetch: the table is then read even after a long short
  // guide.
  bool withArchive = false;
};

// Request limits of the three tries.
constexpr uint32_t kShortGuideTimeoutMs = 20000;
constexpr uint64_t kShortGuideCap = 4ull * 1024 * 1024;
constexpr uint32_t kGuideTableTimeoutMs = 25000;
constexpr uint64_t kGuideTableCap = 8ull * 1024 * 1024;
constexpr uint32_t kSiblingGuideTimeoutMs = 15000;
constexpr uint64_t kSiblingGuideCap = 4ull * 1024 * 1024;
// A short guide with fewer rows than this is topped up from the full table.
constexpr size_t kShortGuideMinRows = 4;
constexpr size_t kMaxSiblingTries = 3;

// The other channels (at most kMaxSiblingTries, in list order, each id once)
// that carry the same guide id as `streamId`. A guide id of "null" (what a
// JSON null becomes in the catalog) is no guide id: it would make every
// channel without a guide a sibling of every other.
std::vector<std::u16string> GuideSiblingIds(const ItemList& liveChannels, std::u16string_view streamId);

// Fills `rows` (expected empty) with the channel's guide: the short guide;
// when it has fewer than 4 rows (or withArchive is set), the full table appended (programmes already
// listed are not repeated); when still empty, the short guide of up to three
// sibling channels, stopping at the first that has rows. Returns whether
// rows were found. Blocks for up to about 90 s: job threads only.
bool GetGuide(const GuideSource& source, std::vector<EpgEntry>& rows);

// What one fetch came to. `answered` means some request of it was read as a
// guide listing (even an empty one): a PHP notice alone, an HTML error page,
// an empty body or a failed connection are no answer, and the rows already
// held must then stay as they are. `throttled` is the status 429 or 503 that
// ended the fetch at once (no further request is sent after it), with the
// Retry-After it carried (seconds, 0 when none).
struct GuideFetch {
  std::vector<EpgEntry> rows;
  bool answered = false;
  int throttled = 0;
  int64_t retryAfterSeconds = 0;
};

// GetGuide's tries, telling how they ended. Job threads only.
GuideFetch FetchGuide(const GuideSource& source);

// Whether an answer body is a guide listing: it holds the key
// "epg_listings" (whatever its value: servers send [] or false for none),
// with anything before it (a PHP notice) allowed.
bool IsGuideListing(std::string_view body);

// ------------------------------------------------------------ choosing rows

// The programme on at `now`: the first row whose time span (at least one
// minute) holds it; else the last row that has started; else the first row
// still to come; else row 0 (also for an empty list).
int32_t CurrentGuideRow(const std::vector<EpgEntry>& rows, int64_t now);

// The local "HH:MM" of a Unix time: how a row's start is shown.
std::u16string GuideClockText(int64_t unixSeconds);

// Moves every row with a known start by `seconds` (a guide that runs early
// or late), its shown time with it. Rows without a start keep their text.
void ShiftGuideRows(std::vector<EpgEntry>& rows, int64_t seconds);

// Time, two spaces, title: the "now" and "next" lines.
std::u16string GuideLine(const EpgEntry& entry);

// The "now" and "next" lines at `now` (CurrentGuideRow and the row after
// it), both empty for no rows. Read at painting time, so they move on when
// a programme ends without another fetch.
struct GuideLines {
  int32_t current = 0;
  std::u16string now, next;
};
GuideLines GuideLinesAt(const std::vector<EpgEntry>& rows, int64_t now);

// When a programme ends (start plus at least one minute).
int64_t GuideRowEnd(const EpgEntry& entry);

struct LocalDate {
  int year = 0, month = 0, day = 0;
  bool operator==(const LocalDate&) const = default;
};

// The local calendar date `daysBack` days before the date of `now`. Counted
// in calendar days, so a 23- or 25-hour day at a daylight-saving change
// neither skips nor repeats a date (the days column of the catch-up screen
// should use this too).
LocalDate LocalDateDaysBack(int64_t now, int32_t daysBack);

// Indices of the rows that start on that local date, in order of their start
// times (a guide topped up from the full table lists today's upcoming
// programmes before its earlier ones). Rows without a start time belong to
// today only and come last.
std::vector<int32_t> RowsForDay(const std::vector<EpgEntry>& rows, int32_t dayOffset, int64_t now);
