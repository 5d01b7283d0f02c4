#pragma once
// Date-times are days since 1899-12-30 00:00 local time, the time of day being the fraction.

#include <QDateTime>

using TDateTime = double;

constexpr double MillisecondsPerDay = 86400000.0;

TDateTime DateTimeFromQDateTime(const QDateTime& moment);
QDateTime QDateTimeFromDateTime(TDateTime value);
TDateTime Now();
// "yyyy-mm-dd hh:nn:ss" in the local time zone.
QString FormatDateTime(TDateTime value);
