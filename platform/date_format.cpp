#include "platform/date_format.h"

#include <unicode/calendar.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <memory>

namespace {

// BCP 47 names ("sr-Latn-RS") are what the language list holds; ICU reads
// them as language tags.
icu::Locale LocaleFromName(std::string_view name, UErrorCode& status) {
  return icu::Locale::forLanguageTag(icu::StringPiece(name.data(), static_cast<int32_t>(name.size())), status);
}

}  // namespace

std::u16string FormatLocalDate(std::string_view localeName, std::u16string_view pattern, const LocalTime& local) {
  if (localeName.empty() || pattern.empty()) return {};
  UErrorCode status = U_ZERO_ERROR;
  const icu::Locale locale = LocaleFromName(localeName, status);
  if (U_FAILURE(status) || locale.isBogus()) return {};

  const icu::UnicodeString icuPattern(pattern.data(), static_cast<int32_t>(pattern.size()));
  icu::SimpleDateFormat format(icuPattern, locale, status);
  if (U_FAILURE(status)) return {};

  // The fields are already local; format them in UTC so that no zone rule
  // moves them (a day that starts at a daylight-saving change stays that day).
  std::unique_ptr<icu::TimeZone> utc(icu::TimeZone::createTimeZone(u"UTC"));
  std::unique_ptr<icu::Calendar> calendar(new icu::GregorianCalendar(*utc, locale, status));
  if (U_FAILURE(status)) return {};
  calendar->clear();
  calendar->set(local.year, local.month - 1, local.day, local.hour, local.minute, local.second);
  const UDate when = calendar->getTime(status);
  if (U_FAILURE(status)) return {};
  format.setTimeZone(*utc);

  icu::UnicodeString text;
  format.format(when, text);
  if (text.isBogus() || text.isEmpty()) return {};
  return std::u16string(text.getBuffer(), static_cast<size_t>(text.length()));
}

// "MMMM" is the month's name in the form used inside a full date, which many
// languages decline (Greek "Μαΐου", Polish "maja"); a month shown with only
// its year takes the stand-alone form "LLLL" ("Μάιος", "maj"), as the
// system date formatters of desktop platforms do for a pattern without a day.
std::u16string MonthYearText(std::string_view localeName, const LocalTime& local) {
  return FormatLocalDate(localeName, u"LLLL - yyyy", local);
}

std::u16string WeekdayDayMonthText(std::string_view localeName, const LocalTime& local) {
  return FormatLocalDate(localeName, u"EEE  dd/MM", local);
}
