#pragma once
// The chart series kept between runs: one row per point, columns Abscissa (x) and Ordinate (y).

#include <QPointF>
#include <QSqlDatabase>
#include <QString>

#include <vector>

inline const QString FrequencyDistributionSeriesTable = QStringLiteral("FrequencyDistributionSeriesTable_");
inline const QString ActivityChartActivitySeriesTable = QStringLiteral("ActivityChartActivitySeriesTable_");
inline const QString ActivityChartSquelchSeriesTable = QStringLiteral("ActivityChartSquelchSeriesTable_");

// The points in stored order. Throws EDatabaseError.
std::vector<QPointF> LoadSeriesPoints(const QSqlDatabase& database, const QString& table);

// Replaces the table's rows by the points, in one transaction: a failure leaves the old rows. Throws
// EDatabaseError.
void SaveSeriesPoints(const QSqlDatabase& database, const QString& table, const std::vector<QPointF>& points);
