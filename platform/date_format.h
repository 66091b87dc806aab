#pragma once
// Dates in the words of a language: month names, weekday names and their
// order come from the system's data for a locale name such as "ro-RO" or
// "sr-Latn-RS" (the names the language list carries): ICU's on Linux,
// GetDateFormatEx's on Windows.
#include <string>
#include <string_view>

#include "platform/clock.h"

// Formats the calendar fields of `local` (taken as they are: no time-zone
// conversion happens here) with an ICU date pattern ("LLLL - yyyy",
// "EEE  dd/MM"; on Windows only the fields y, M, L, d, E, H, m, s and quoted
// text). Empty when the locale or the pattern cannot be used; callers
// then show their numeric fallback. Any thread may call it.
std::u16string FormatLocalDate(std::string_view localeName, std::u16string_view pattern, const LocalTime& local);

// The clock block's month and year: the month's stand-alone name, " - " and
// the four-digit year ("May - 2026", "mai - 2026", "Μάιος - 2026").
std::u16string MonthYearText(std::string_view localeName, const LocalTime& local);

// A guide day: abbreviated weekday, two blanks, day/month ("Tue  05/05").
std::u16string WeekdayDayMonthText(std::string_view localeName, const LocalTime& local);
