#include "platform/date_format.h"

#include <gtest/gtest.h>

namespace {

const LocalTime kSeventeenthSeptember{2026, 9, 17, 0, 30, 0, 4};

TEST(DateFormat, MonthAndYearInTheLanguagesWords) {
  EXPECT_EQ(MonthYearText("en-US", kSeventeenthSeptember), u"September - 2026");
  EXPECT_EQ(MonthYearText("ro-RO", kSeventeenthSeptember), u"septembrie - 2026");
  // The stand-alone (nominative) month, not the form used inside a full date.
  EXPECT_EQ(MonthYearText("el-GR", kSeventeenthSeptember), u"Σεπτέμβριος - 2026");
  EXPECT_EQ(MonthYearText("pl-PL", LocalTime{2026, 5, 2, 12, 0, 0, 6}), u"maj - 2026");
  // Script-tagged locale names of the language list.
  EXPECT_EQ(MonthYearText("sr-Latn-RS", kSeventeenthSeptember), u"septembar - 2026");
}

TEST(DateFormat, FieldsAreTakenAsLocalTime) {
  // Just after midnight the day must not move to the previous one, whatever
  // the machine's zone.
  EXPECT_EQ(WeekdayDayMonthText("en-US", kSeventeenthSeptember), u"Thu  17/09");
  EXPECT_EQ(FormatLocalDate("en-US", u"yyyy-MM-dd HH:mm", LocalTime{2026, 3, 29, 2, 30, 0, 0}), u"2026-03-29 02:30");
}

TEST(DateFormat, UnusableLocaleOrPatternGivesEmpty) {
  EXPECT_EQ(MonthYearText("", kSeventeenthSeptember), u"");
  EXPECT_EQ(MonthYearText("not a locale!", kSeventeenthSeptember), u"");
  EXPECT_EQ(FormatLocalDate("en-US", u"", kSeventeenthSeptember), u"");
}

}  // namespace
