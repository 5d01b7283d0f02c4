// The activity chart's binning, the distribution bars and the saved series.

#include "monitor/ActivityBinsUnit.h"
#include "monitor/SeriesTableUnit.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

constexpr double Minute = 1.0 / 1440.0;
const TDateTime Day = 45352; // 2024-03-01

using TPoints = QList<QPointF>;

TPoints Points(const TActivitySeries& series)
{
    return TPoints(series.begin(), series.end());
}

// Points compared to 1 ms of x and exact y.
bool SamePoints(const TPoints& a, const TPoints& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (std::abs(a[i].x() - b[i].x()) > 1.0 / 86400000.0 || a[i].y() != b[i].y())
            return false;
    return true;
}

QString Describe(const TPoints& points)
{
    QStringList parts;
    for (const QPointF& p : points)
        parts.append(QStringLiteral("(%1 min, %2)").arg((p.x() - Day) * 1440.0, 0, 'f', 3).arg(p.y()));
    return parts.join(u' ');
}

} // namespace

class ActivityBinsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void binning_data();
    void binning();
    void bothSeriesAndTitle();
    void distributionBars();
    void barTitle();
    void seriesRoundTrip();
};

void ActivityBinsTest::binning_data()
{
    // Closings as (minutes after midnight, seconds open), then the expected points as (bin end in minutes,
    // y).
    QTest::addColumn<TPoints>("closings");
    QTest::addColumn<TPoints>("expected");
    QTest::newRow("first closing") << TPoints {{62, 7.5}} << TPoints {{65, 7.5}};
    QTest::newRow("bin boundary starts the next bin") << TPoints {{65, 2}} << TPoints {{70, 2}};
    QTest::newRow("same bin accumulates") << TPoints {{61, 3}, {64.5, 4}} << TPoints {{65, 7}};
    QTest::newRow("17 minutes later: zero bins in between")
        << TPoints {{62, 3}, {82, 1}} << TPoints {{65, 3}, {70, 0}, {75, 0}, {80, 0}, {85, 1}};
    QTest::newRow("next bin, no gap") << TPoints {{62, 3}, {66, 1}} << TPoints {{65, 3}, {70, 1}};
    // 13 hours later: everything older than 12 hours before the closing goes, the zero bins within stay.
    QTest::newRow("after 12 hours") << TPoints {{2, 9}, {782, 1}} << [] {
        TPoints p;
        for (double end = 65; end < 785; end += 5)
            p.append({end, 0});
        p.append({785, 1});
        return p;
    }();
    QTest::newRow("past midnight") << TPoints {{1437, 1}, {1442, 2}} << TPoints {{1440, 1}, {1445, 2}};
}

void ActivityBinsTest::binning()
{
    QFETCH(TPoints, closings);
    QFETCH(TPoints, expected);
    TActivitySeries series;
    for (const QPointF& closing : closings)
        AdvanceActivitySeries(series, 5, 720, closing.y(), Day + closing.x() * Minute);
    TPoints want;
    for (const QPointF& p : expected)
        want.append({Day + p.x() * Minute, p.y()});
    QVERIFY2(
        SamePoints(Points(series), want), qPrintable(Describe(Points(series)) + " != " + Describe(want)));
}

void ActivityBinsTest::bothSeriesAndTitle()
{
    TActivitySeries squelch;
    TActivitySeries activity;
    QCOMPARE(ActivityTitle(squelch, activity), QStringLiteral("0   0"));
    for (double at : {61.0, 63.0}) {
        AdvanceActivitySeries(squelch, 5, 720, 1234.25, Day + at * Minute);
        AdvanceActivitySeries(activity, 5, 720, 1, Day + at * Minute);
    }
    QCOMPARE(activity.size(), size_t(1));
    QCOMPARE(activity.back().y(), 2.0);
    QCOMPARE(ActivityTitle(squelch, activity), QStringLiteral("2,468.5   2"));
    QCOMPARE(FormatAxisValue(0.12345), QStringLiteral("0.123"));
}

void ActivityBinsTest::distributionBars()
{
    TDistributionBars bars;
    QCOMPARE(bars.Update(0, clRed, 1.0), -1);
    QCOMPARE(bars.Update(145500000, 0, 10 / 86400.0), 0);
    QCOMPARE(bars.Update(27555000, clRed, 5 / 86400.0), 0);
    QCOMPARE(bars.Update(430000000, 0, 1 / 86400.0), 2);
    QCOMPARE(bars.Count(), 3);
    QCOMPARE(bars.At(0).X, 27.555);
    QCOMPARE(bars.At(1).Colour, DistributionSeriesColour);
    QCOMPARE(bars.At(0).Colour, clRed);

    // Heard again: the bar grows to the new total and keeps its colour.
    QCOMPARE(bars.Update(27555000, clBlue, 20 / 86400.0), 0);
    QCOMPARE(bars.At(0).Y, 20 / 86400.0);
    QCOMPARE(bars.At(0).Colour, clRed);
    QCOMPARE(bars.Count(), 3);
}

void ActivityBinsTest::barTitle()
{
    const TDistributionBar bar {145.5, 75 / 86400.0, DistributionSeriesColour};
    QCOMPARE(DistributionBarTitle(bar, false, {}, {}), QStringLiteral(" 145.500000 MHz  00:01:15"));
    QCOMPARE(DistributionBarTitle(bar, true, "Tower", "Approach"),
        QStringLiteral(" 145.500000 MHz  00:01:15  Tower  Approach"));
    QCOMPARE(DurationText(26 * 3600 / 86400.0), QStringLiteral("26:00:00"));
}

void ActivityBinsTest::seriesRoundTrip()
{
    QTemporaryDir dir;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("series"));
        db.setDatabaseName(dir.filePath("series.db"));
        QVERIFY(db.open());
        QSqlQuery(db).exec(QStringLiteral("CREATE TABLE %1 (Abscissa REAL, Ordinate REAL)")
                               .arg(ActivityChartSquelchSeriesTable));
        const std::vector<QPointF> first {{Day + 0.5, 3}, {Day + 0.25, 1.5}};
        SaveSeriesPoints(db, ActivityChartSquelchSeriesTable, first);
        const std::vector<QPointF> second {{Day + 1, 7}};
        SaveSeriesPoints(db, ActivityChartSquelchSeriesTable, second);
        QCOMPARE(LoadSeriesPoints(db, ActivityChartSquelchSeriesTable), second);
        SaveSeriesPoints(db, ActivityChartSquelchSeriesTable, first);
        QCOMPARE(LoadSeriesPoints(db, ActivityChartSquelchSeriesTable), first); // stored order kept

        // A table that cannot be written keeps its rows and the failure is passed on.
        QVERIFY_THROWS_EXCEPTION(
            std::runtime_error, SaveSeriesPoints(db, QStringLiteral("NoSuchTable_"), first));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, LoadSeriesPoints(db, QStringLiteral("NoSuchTable_")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("series"));
}

QTEST_GUILESS_MAIN(ActivityBinsTest)
#include "ActivityBinsTest.moc"
