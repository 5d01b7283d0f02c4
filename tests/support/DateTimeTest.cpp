#include "support/DateTimeUnit.h"
#include "support/ProgramFilesUnit.h"

#include <QTest>

class DateTimeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<double>("days");
        QTest::newRow("epoch") << QDateTime(QDate(1899, 12, 30), QTime(0, 0)) << 0.0;
        QTest::newRow("noon next day") << QDateTime(QDate(1899, 12, 31), QTime(12, 0)) << 1.5;
        QTest::newRow("2008") << QDateTime(QDate(2008, 3, 14), QTime(6, 0)) << 39521.25;
    }
    void roundTrip()
    {
        QFETCH(QDateTime, moment);
        QFETCH(double, days);
        QCOMPARE(DateTimeFromQDateTime(moment), days);
        QCOMPARE(QDateTimeFromDateTime(days), moment);
    }

    void changeFileExt_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no extension") << "/p/Varnock"
                                      << "/p/Varnock.ABS";
        QTest::newRow("extension replaced") << "/p/Varnock.exe"
                                            << "/p/Varnock.ABS";
        QTest::newRow("dot in folder") << "/p.q/Varnock"
                                       << "/p.q/Varnock.ABS";
    }
    void changeFileExt()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(ChangeFileExt(path, ".ABS"), expected);
    }
};

QTEST_GUILESS_MAIN(DateTimeTest)
#include "DateTimeTest.moc"
