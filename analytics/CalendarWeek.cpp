#include "analytics/CalendarWeek.h"

#include <unicode/gregocal.h>
#include <unicode/timezone.h>

namespace analytics {

int weekOfYear(const QDate& day, const QString& locale) {
  if (!day.isValid()) return -1;
  UErrorCode status = U_ZERO_ERROR;
  // The day is local already: the calendar only counts, in a zone without
  // daylight saving gaps.
  icu::GregorianCalendar calendar(*icu::TimeZone::getGMT(), icu::Locale(locale.toUtf8().constData()), status);
  if (U_FAILURE(status)) return -1;
  calendar.clear();
  calendar.set(day.year(), day.month() - 1, day.day(), 12, 0);
  const int week = calendar.get(UCAL_WEEK_OF_YEAR, status);
  return U_FAILURE(status) ? -1 : week;
}

}  // namespace analytics
