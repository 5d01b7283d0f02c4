#include "support/AnalogueClockGeometryUnit.h"

#include <QTest>

#include <numbers>

namespace {

constexpr double Pi = std::numbers::pi;

TDateTime TimeOfDay(int hour, int minute, int second, int millisecond = 0)
{
    return 39521.0 + (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / MillisecondsPerDay;
}

const TClockLine& Hand(const TClockDrawing& drawing, const QString& name)
{
    const auto& hand = name == "hour" ? drawing.HourHand
        : name == "minute"            ? drawing.MinuteHand
                                      : drawing.SecondHand;
    if (!hand)
        throw std::logic_error("hand not drawn");
    return *hand;
}

} // namespace

Q_DECLARE_METATYPE(TClockBox)

class AnalogueClockGeometryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundHalfEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("0.5") << 0.5 << 0;
        QTest::newRow("1.5") << 1.5 << 2;
        QTest::newRow("2.5") << 2.5 << 2;
        QTest::newRow("-2.5") << -2.5 << -2;
        QTest::newRow("62.5") << 62.5 << 62;
        QTest::newRow("2.4999") << 2.4999 << 2;
        QTest::newRow("2.5001") << 2.5001 << 3;
    }
    void roundHalfEven()
    {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(RoundHalfEven(value), expected);
    }

    void handValues_data()
    {
        QTest::addColumn<TDateTime>("time");
        QTest::addColumn<double>("hour");
        QTest::addColumn<double>("minute");
        QTest::addColumn<double>("second");
        QTest::newRow("three o'clock") << TimeOfDay(3, 0, 0) << 3.0 << 0.0 << 0.0;
        QTest::newRow("half past three pm") << TimeOfDay(15, 30, 0) << 15.5 << 30.0 << 0.0;
        QTest::newRow("milliseconds carry") << TimeOfDay(0, 0, 59, 600) << 59.6 / 3600 << 59.6 / 60 << 59.6;
        QTest::newRow("last millisecond")
            << TimeOfDay(23, 59, 59, 999) << 23 + (59 + 59.999 / 60) / 60 << 59 + 59.999 / 60 << 59.999;
        QTest::newRow("before the epoch counts from midnight") << -1.25 << 6.0 << 0.0 << 0.0;
    }
    void handValues()
    {
        QFETCH(TDateTime, time);
        QFETCH(double, hour);
        QFETCH(double, minute);
        QFETCH(double, second);
        const TClockHandValues values = ClockHandValues(time);
        QCOMPARE(values.Hour, hour);
        QCOMPARE(values.Minute, minute);
        QCOMPARE(values.Second, second);
    }

    void hands_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<TDateTime>("time");
        QTest::addColumn<bool>("snapHour");
        QTest::addColumn<bool>("snapSecond");
        QTest::addColumn<QString>("hand");
        QTest::addColumn<double>("angle");
        QTest::addColumn<QPoint>("tip");
        const QSize square(80, 80);
        const QSize mainWindow(125, 153);
        const double hourAt1530 = 15.5 / 12 * 2 * Pi;
        QTest::newRow("03:00 hour at three")
            << square << TimeOfDay(3, 0, 0) << false << true << "hour" << Pi / 2 << QPoint(64, 40);
        QTest::newRow("03:00 minute at twelve")
            << square << TimeOfDay(3, 0, 0) << false << true << "minute" << 0.0 << QPoint(40, 4);
        QTest::newRow("03:00 second at twelve")
            << square << TimeOfDay(3, 0, 0) << false << true << "second" << 0.0 << QPoint(40, 2);
        QTest::newRow("15:30 hour between three and four")
            << square << TimeOfDay(15, 30, 0) << false << true << "hour" << hourAt1530 << QPoint(63, 46);
        QTest::newRow("15:30 snapped hour on three") << square << TimeOfDay(15, 30, 0) << true << true
                                                     << "hour" << 15.0 / 12 * 2 * Pi << QPoint(64, 40);
        QTest::newRow("15:30 minute at six")
            << square << TimeOfDay(15, 30, 0) << false << true << "minute" << Pi << QPoint(40, 76);
        QTest::newRow("59.6 s snaps to twelve")
            << square << TimeOfDay(0, 0, 59, 600) << false << true << "second" << 2 * Pi << QPoint(40, 2);
        QTest::newRow("59.6 s unsnapped") << square << TimeOfDay(0, 0, 59, 600) << false << false << "second"
                                          << 59.6 / 60 * 2 * Pi << QPoint(38, 2);
        QTest::newRow("snapped second leaves the minute")
            << square << TimeOfDay(0, 0, 59, 600) << false << true << "minute" << 59.6 / 3600 * 2 * Pi
            << QPoint(44, 4);
        QTest::newRow("30.5 s rounds to 30")
            << square << TimeOfDay(0, 0, 30, 500) << false << true << "second" << Pi << QPoint(40, 78);
        QTest::newRow("31.5 s rounds to 32") << square << TimeOfDay(0, 0, 31, 500) << false << true
                                             << "second" << 32.0 / 60 * 2 * Pi << QPoint(32, 78);
        QTest::newRow("125x153 hour of 37.5 px")
            << mainWindow << TimeOfDay(0, 0, 0) << false << true << "hour" << 0.0 << QPoint(62, 38);
        QTest::newRow("125x153 hour at six")
            << mainWindow << TimeOfDay(6, 0, 0) << false << true << "hour" << Pi << QPoint(62, 114);
        QTest::newRow("125x153 second of 60 px")
            << mainWindow << TimeOfDay(0, 0, 15) << false << true << "second" << Pi / 2 << QPoint(122, 76);
    }
    void hands()
    {
        QFETCH(QSize, size);
        QFETCH(TDateTime, time);
        QFETCH(bool, snapHour);
        QFETCH(bool, snapSecond);
        QFETCH(QString, hand);
        QFETCH(double, angle);
        QFETCH(QPoint, tip);
        TAnalogueClockSettings settings;
        settings.SnapHourHand = snapHour;
        settings.SnapSecondHand = snapSecond;
        const TClockDrawing drawing = ClockDrawing(size.width(), size.height(), time, settings);
        const TClockLine& line = Hand(drawing, hand);
        QCOMPARE(line.From, QPoint(size.width() / 2, size.height() / 2));
        QCOMPARE(line.Angle + 1.0, angle + 1.0);
        QCOMPARE(line.To, tip);
    }

    void snappedMinuteTruncates()
    {
        TAnalogueClockSettings settings;
        settings.SnapMinuteHand = true;
        const TClockDrawing drawing = ClockDrawing(80, 80, TimeOfDay(10, 14, 59, 999), settings);
        QCOMPARE(drawing.MinuteHand->Angle, 14.0 / 60 * 2 * Pi);
    }

    void ticks_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        // 125 x 153: the outer end lies at 62.5 px, which rounds to 62 at twelve and six.
        QTest::newRow("quarter at three is longest") << 15 << QPoint(106, 76) << QPoint(124, 76);
        QTest::newRow("quarter at six") << 30 << QPoint(62, 120) << QPoint(62, 138);
        QTest::newRow("quarter at twelve is last") << 60 << QPoint(62, 32) << QPoint(62, 14);
        QTest::newRow("five minutes middle") << 5 << QPoint(87, 33) << QPoint(93, 22);
        QTest::newRow("one minute short") << 1 << QPoint(68, 20) << QPoint(69, 14);
    }
    void ticks()
    {
        QFETCH(int, index);
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        const TClockDrawing drawing = ClockDrawing(125, 153, 0, TAnalogueClockSettings {});
        QCOMPARE(drawing.Ticks.size(), std::size_t(60));
        const TClockLine& tick = drawing.Ticks.at(std::size_t(index - 1));
        QCOMPARE(tick.From, from);
        QCOMPARE(tick.To, to);
        QCOMPARE(tick.Colour, clGray);
        QCOMPARE(tick.Width, 0);
    }

    void faceAndDisc_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("percent");
        QTest::addColumn<bool>("transparent");
        QTest::addColumn<TClockBox>("face");
        QTest::addColumn<TClockBox>("disc");
        QTest::newRow("default 80x80")
            << QSize(80, 80) << 8 << false << TClockBox {0, 0, 80, 80} << TClockBox {34, 34, 46, 46};
        QTest::newRow("main window clock")
            << QSize(125, 153) << 12 << false << TClockBox {0, 14, 124, 138} << TClockBox {47, 61, 77, 91};
        QTest::newRow("disc radius 2.5 rounds to 2")
            << QSize(125, 153) << 2 << false << TClockBox {0, 14, 124, 138} << TClockBox {60, 74, 64, 78};
        QTest::newRow("zero per cent is a point")
            << QSize(80, 80) << 0 << false << TClockBox {0, 0, 80, 80} << TClockBox {40, 40, 40, 40};
        QTest::newRow("wide control uses its height")
            << QSize(200, 51) << 8 << true << TClockBox {75, 0, 125, 50} << TClockBox {96, 21, 104, 29};
    }
    void faceAndDisc()
    {
        QFETCH(QSize, size);
        QFETCH(int, percent);
        QFETCH(bool, transparent);
        QFETCH(TClockBox, face);
        QFETCH(TClockBox, disc);
        TAnalogueClockSettings settings;
        settings.CentreDiscRadiusPerCent = percent;
        settings.Transparent = transparent;
        settings.Color = clYellow;
        const TClockDrawing drawing = ClockDrawing(size.width(), size.height(), 0, settings);
        QCOMPARE(drawing.Face, face);
        QCOMPARE(drawing.Disc, disc);
        QCOMPARE(drawing.FaceFilled, !transparent);
        QCOMPARE(drawing.FaceColour, clYellow);
        // Ticks and hands do not depend on the face being filled.
        QCOMPARE(drawing.Ticks.size(), std::size_t(60));
        QVERIFY(drawing.HourHand && drawing.MinuteHand && drawing.SecondHand);
    }

    void hiddenPartsAndDiscPen_data()
    {
        QTest::addColumn<int>("tickWidth");
        QTest::addColumn<int>("hourWidth");
        QTest::addColumn<int>("minuteWidth");
        QTest::addColumn<int>("secondWidth");
        QTest::addColumn<int>("discPenWidth");
        QTest::newRow("all drawn, second last") << 0 << 3 << 2 << 1 << 1;
        QTest::newRow("no second hand") << 0 << 3 << 2 << -1 << 2;
        QTest::newRow("only ticks") << 4 << -1 << -1 << -1 << 4;
        QTest::newRow("nothing drawn keeps the canvas pen") << -1 << -1 << -1 << -1 << 7;
    }
    void hiddenPartsAndDiscPen()
    {
        QFETCH(int, tickWidth);
        QFETCH(int, hourWidth);
        QFETCH(int, minuteWidth);
        QFETCH(int, secondWidth);
        QFETCH(int, discPenWidth);
        TAnalogueClockSettings settings;
        settings.TickPenWidth = tickWidth;
        settings.HourPenWidth = hourWidth;
        settings.MinutePenWidth = minuteWidth;
        settings.SecondPenWidth = secondWidth;
        const TClockDrawing drawing = ClockDrawing(80, 80, TimeOfDay(9, 41, 7), settings, 7);
        QCOMPARE(drawing.Ticks.empty(), tickWidth < 0);
        QCOMPARE(drawing.HourHand.has_value(), hourWidth >= 0);
        QCOMPARE(drawing.MinuteHand.has_value(), minuteWidth >= 0);
        QCOMPARE(drawing.SecondHand.has_value(), secondWidth >= 0);
        QCOMPARE(drawing.DiscPenWidth, discPenWidth);
    }
};

QTEST_GUILESS_MAIN(AnalogueClockGeometryTest)
#include "AnalogueClockGeometryTest.moc"
