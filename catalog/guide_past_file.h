#pragma once
// The kept past programmes on disk: one gzip file per account in the data
// folder's "guide/" ("past-<key>.gz"), written whole and crash-safe.
//
// The text inside: one record a line, fields parted by tabs, and in the
// stream ids and texts backslash, tab, CR and LF written as \\ \t \r \n.
// A head line, then each channel's line followed by its programmes' lines:
//   vistra-past 1 <TAB> <account key>
//   C <TAB> <archive days> <TAB> <stream id>
//   P <TAB> <start> <TAB> <minutes> <TAB> <title> <TAB> <description>
// Times are Unix seconds (UTC), so the rows show right after a change of
// time zone. Reading never fails: a file that is not one whole gzip stream
// of this text for this account (damaged, cut short, another program's,
// another account's) gives no listings; within it, a line that does not
// read is skipped.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "catalog/account.h"
#include "catalog/guide_past.h"

// The largest text a file may inflate to: well beyond what the byte budget
// lets the listings write.
constexpr size_t kPastFileMaxTextBytes = 4 * kPastByteBudget;

// 16 lower-case hex digits of the SHA-256 of the server and the user: which
// account a file belongs to, without naming it.
std::string PastAccountKey(const XtreamAccount& account);

// Data folder + "guide/past-<PastAccountKey>.gz"; creates the folder.
std::filesystem::path PastListingsPath(const XtreamAccount& account);

// The file's text (before gzip). Pure; on the thread that owns `listings`
// (a job that got a copy of them).
std::string PastListingsText(const PastListings& listings, std::string_view accountKey);

// The listings a text of PastListingsText holds for `accountKey`, pruned to
// each channel's archive at `now`, within `byteBudget`. Pure.
PastListings ReadPastListingsText(std::string_view text, std::string_view accountKey, int64_t now,
                                  size_t byteBudget = kPastByteBudget);

// The same from the file's bytes (gzip). Pure.
PastListings ParsePastListingsFile(std::string_view bytes, std::string_view accountKey, int64_t now,
                                   size_t byteBudget = kPastByteBudget);

// Compresses `text` and puts it in place of the file at `path` (private, see
// WriteFileAtomically). False (file unchanged) on any failure. Any thread:
// a job may write what the main thread made.
bool WritePastListingsFile(const std::filesystem::path& path, std::string_view text);

// The account's listings from its file at `now`; none when it is missing or
// unreadable. Any thread.
PastListings LoadPastListings(const XtreamAccount& account, int64_t now, size_t byteBudget = kPastByteBudget);
