// The held-frequency sentence and its schedule on the 200 ms clock.

#include "audio/HeldAnnouncementUnit.h"

#include <QTest>

class HeldAnnouncementTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sentence_data();
    void sentence();
    void interval_data();
    void interval();
    void speaksEveryIntervalWhileClosed();
    void openSquelchSkipsOneAnnouncement();
};

void HeldAnnouncementTest::sentence_data()
{
    QTest::addColumn<int>("frequency");
    QTest::addColumn<QString>("expected");
    QTest::newRow("145.5") << 145500000 << "Frequency held.. 145.5 megahertz";
    QTest::newRow("145.5125") << 145512500 << "Frequency held.. 145.5125 megahertz";
    QTest::newRow("whole") << 1296000000 << "Frequency held.. 1296 megahertz";
    QTest::newRow("50 Hz steps") << 27555050 << "Frequency held.. 27.55505 megahertz";
}

void HeldAnnouncementTest::sentence()
{
    QFETCH(int, frequency);
    QFETCH(QString, expected);
    QCOMPARE(HeldAnnouncementText(frequency), expected);
}

void HeldAnnouncementTest::interval_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<int>("seconds");
    QTest::newRow("absent") << 0 << 23;
    QTest::newRow("negative") << -4 << 23;
    QTest::newRow("set") << 30 << 30;
}

void HeldAnnouncementTest::interval()
{
    QFETCH(int, option);
    QFETCH(int, seconds);
    QCOMPARE(AnnouncementIntervalSeconds(option), seconds);
}

namespace {

constexpr TDateTime Noon = 45000.5;
constexpr double Second = 1.0 / 86400;

// Ticks every 200 ms from noon (held at noon) for the given seconds; returns the seconds after noon at which
// the sentence was spoken. openFrom/openTo give a squelch period (seconds) during which CurrentFrequency is
// set.
QList<double> SpokenSeconds(double duration, double openFrom = -1, double openTo = -1)
{
    THeldFrequencyState state {true, HeldAnnouncementText(145500000), 0};
    QList<double> spoken;
    for (int tick = 0; tick * 0.2 <= duration; ++tick) {
        const double seconds = tick * 0.2 + 0.05;
        const qint32 current = seconds >= openFrom && seconds < openTo ? 145500000 : 0;
        AnnounceHeldFrequency(state, Noon + seconds * Second, current, 23, [&](const QString& text) {
            QCOMPARE(text, QString("Frequency held.. 145.5 megahertz"));
            spoken.append(seconds);
        });
    }
    return spoken;
}

// Each announcement comes at the first tick at or after its due time.
void CompareAnnouncements(const QList<double>& spoken, const QList<double>& due)
{
    QCOMPARE(spoken.size(), due.size());
    for (int i = 0; i < due.size(); ++i) {
        QVERIFY2(
            spoken[i] >= due[i] && spoken[i] < due[i] + 0.2 + 1e-6, qPrintable(QString::number(spoken[i])));
    }
}

} // namespace

void HeldAnnouncementTest::speaksEveryIntervalWhileClosed()
{
    // The tick at 12:00:00.05 only schedules.
    CompareAnnouncements(SpokenSeconds(70), {23.05, 46.05, 69.05});

    THeldFrequencyState notHeld;
    int calls = 0;
    QVERIFY(!AnnounceHeldFrequency(notHeld, Noon, 0, 23, [&](const QString&) { ++calls; }));
    QCOMPARE(notHeld.NextAnnouncementTime, 0.0);
    QCOMPARE(calls, 0);
}

void HeldAnnouncementTest::openSquelchSkipsOneAnnouncement()
{
    // Open around the first due tick: nothing said then, and the next comes a whole interval later.
    CompareAnnouncements(SpokenSeconds(75, 20, 25), {46.05, 69.05});
}

QTEST_GUILESS_MAIN(HeldAnnouncementTest)
#include "HeldAnnouncementTest.moc"
