#pragma once
#include <QDate>
#include <QString>

namespace analytics {

// The week of the year that `day` falls in, by the week rules of `locale`
// ("en_US", "de_DE", ...): its first weekday and the fewest days a first
// week needs, as the Gregorian calendar of that locale counts them. So
// 2026-03-01, a Sunday, is in week 10 in the United States and week 9 in
// Germany. -1 when the calendar cannot say.
int weekOfYear(const QDate& day, const QString& locale);

}  // namespace analytics
