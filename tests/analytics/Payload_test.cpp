#include <gtest/gtest.h>

#include <QDateTime>
#include <cstdio>

#include "analytics/CalendarWeek.h"
#include "analytics/DefaultSignalPayload.h"
#include "tests/support/TestEnv.h"

using analytics::DefaultSignalPayload::timeZoneText;

namespace {

analytics::TimePoint localInstant(QDate day, QTime time) {
  const std::chrono::milliseconds ms(QDateTime(day, time, Qt::LocalTime).toMSecsSinceEpoch());
  return analytics::TimePoint(std::chrono::duration_cast<analytics::WallClock::duration>(ms));
}

analytics::Parameters payloadAt(analytics::TimePoint instant) {
  return analytics::DefaultSignalPayload::parameters({}, {}, instant, {});
}

// The payload's week at noon on Sunday 2026-03-01, under the locale its parent chose.
int weekChild() {
  std::printf("%s", qPrintable(payloadAt(localInstant(QDate(2026, 3, 1), QTime(12, 0))).value("Analytics.Calendar.weekOfYear")));
  return 0;
}

const bool registered = (testenv::registerChild("week", weekChild), true);

}  // namespace

TEST(AnalyticsPayload, TimeZoneSignHoursAndMinutes) {
  for (const auto& [offset, text] : std::vector<std::pair<int, QString>>{{0, "UTC+0"},
                                                                          {3600, "UTC+1"},
                                                                          {19800, "UTC+5:30"},
                                                                          {45900, "UTC+12:45"},
                                                                          {-18000, "UTC-5"},
                                                                          {-12600, "UTC-3:30"},
                                                                          {-1800, "UTC-0:30"}}) {
    EXPECT_EQ(timeZoneText(offset), text) << offset;
  }
}

// Each day of one week late in the evening: Monday 1 to Sunday 7, the weekend
// on Saturday and Sunday, and the last hour of the day as 24.
TEST(AnalyticsPayload, CalendarEntriesForEachDayOfAWeek) {
  const QStringList weekdays{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  for (int i = 0; i < 7; ++i) {
    SCOPED_TRACE(weekdays[i].toStdString());
    const analytics::Parameters p = payloadAt(localInstant(QDate(2026, 3, 2 + i), QTime(23, 30)));
    EXPECT_EQ(p.value("Analytics.Calendar.dayOfWeek"), QString::number(i + 1));
    EXPECT_EQ(p.value("Analytics.Calendar.isWeekend"), i >= 5 ? "true" : "false");
    EXPECT_EQ(p.value("Analytics.Calendar.dayOfMonth"), QString::number(2 + i));
    EXPECT_EQ(p.value("Analytics.Calendar.dayOfYear"), QString::number(61 + i));
    EXPECT_EQ(p.value("Analytics.Calendar.monthOfYear"), "3");
    EXPECT_EQ(p.value("Analytics.Calendar.quarterOfYear"), "1");
    EXPECT_EQ(p.value("Analytics.Calendar.hourOfDay"), "24");
  }
  const analytics::Parameters newYearsEve = payloadAt(localInstant(QDate(2026, 12, 31), QTime(0, 10)));
  EXPECT_EQ(newYearsEve.value("Analytics.Calendar.hourOfDay"), "1");
  EXPECT_EQ(newYearsEve.value("Analytics.Calendar.dayOfYear"), "365");
  EXPECT_EQ(newYearsEve.value("Analytics.Calendar.quarterOfYear"), "4");
}

// Weeks start on the locale's first weekday, and the first week of a year
// needs the locale's fewest days: ISO weeks in Germany, Sunday weeks from
// the one with January 1st in the United States, Saturday weeks in Egypt.
TEST(AnalyticsPayload, WeekOfYearFollowsTheWeekRulesOfTheLocale) {
  struct Case {
    QDate day;
    const char* locale;
    int week;
  };
  const Case cases[] = {
      {{2026, 3, 1}, "en_US", 10},  {{2026, 3, 1}, "de_DE", 9},    {{2026, 3, 1}, "en_GB", 9},
      {{2026, 3, 7}, "en_US", 10},  {{2026, 3, 7}, "de_DE", 10},   {{2026, 3, 7}, "ar_EG", 11},
      {{2026, 12, 31}, "en_US", 1}, {{2026, 12, 31}, "de_DE", 53}, {{2027, 1, 1}, "de_DE", 53},
      {{2027, 1, 3}, "en_US", 2},   {{2027, 1, 4}, "de_DE", 1},    {{2026, 1, 1}, "fr_FR", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(analytics::weekOfYear(c.day, QLatin1String(c.locale)), c.week)
        << c.day.toString(Qt::ISODate).toStdString() << " " << c.locale;
  }
  EXPECT_EQ(analytics::weekOfYear(QDate(), "en_US"), -1);
}

// The payload takes the rules of the user's locale, not always ISO's.
TEST(AnalyticsPayload, ThePayloadsWeekIsTheUsersLocales) {
  ASSERT_TRUE(registered);
  for (const auto& [locale, week] : std::vector<std::pair<QString, QByteArray>>{{"en_US", "10"}, {"de_DE", "9"}}) {
    const QString full = locale + ".UTF-8";
    const auto child = testenv::runChild("week", {{"LC_ALL", full}, {"LANG", full}, {"LANGUAGE", locale}});
    EXPECT_EQ(child.exitCode, 0);
    EXPECT_EQ(child.out, week) << locale.toStdString();
  }
}
