#include "support/DateTimeUnit.h"

#include <cmath>

namespace {
const QDate Epoch(1899, 12, 30);
}

TDateTime DateTimeFromQDateTime(const QDateTime& moment)
{
    const QDateTime local = moment.toLocalTime();
    const double days = double(Epoch.daysTo(local.date()));
    const double fraction = double(local.time().msecsSinceStartOfDay()) / MillisecondsPerDay;
    return days >= 0 ? days + fraction : days - fraction;
}

QDateTime QDateTimeFromDateTime(TDateTime value)
{
    const double whole = std::trunc(value);
    const double fraction = std::fabs(value - whole);
    const QDate date = Epoch.addDays(qint64(whole));
    const auto msecs = qint64(std::llround(fraction * MillisecondsPerDay));
    return QDateTime(date, QTime(0, 0)).addMSecs(msecs);
}

TDateTime Now()
{
    return DateTimeFromQDateTime(QDateTime::currentDateTime());
}

QString FormatDateTime(TDateTime value)
{
    return QDateTimeFromDateTime(value).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
