#include "monitor/FrequencyTextUnit.h"

#include <QTest>

class FrequencyTextTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void formatFrequency_data()
    {
        QTest::addColumn<qint32>("hertz");
        QTest::addColumn<int>("trim");
        QTest::addColumn<QString>("expected");
        QTest::newRow("2m band") << 145500000 << 0 << " 145.500000 MHz";
        QTest::newRow("CB") << 27555000 << 0 << "  27.555000 MHz";
        QTest::newRow("23cm fills the field") << 1296000000 << 0 << "1296.000000 MHz";
        QTest::newRow("zero") << 0 << 0 << "   0.000000 MHz";
        QTest::newRow("negative keeps its sign in the field") << -145500000 << 0 << "-145.500000 MHz";
        QTest::newRow("single hertz") << 1 << 0 << "   0.000001 MHz";
        QTest::newRow("trim 3") << 145500000 << 3 << " 145.500 MHz";
        QTest::newRow("trim 3 stops at 500") << 145512500 << 3 << " 145.512500 MHz";
        QTest::newRow("trim 3 whole megahertz") << 1296000000 << 3 << "1296. MHz";
        QTest::newRow("trim 2 stops at 50") << 145500000 << 2 << " 145.50 MHz";
        QTest::newRow("trim 1 never passes the point") << 100000000 << 1 << " 100. MHz";
        QTest::newRow("negative trim means none") << 145500000 << -3 << " 145.500000 MHz";
    }
    void formatFrequency()
    {
        QFETCH(qint32, hertz);
        QFETCH(int, trim);
        QFETCH(QString, expected);
        QCOMPARE(FormatFrequency(hertz, trim), expected);
    }

    void parse_data()
    {
        QTest::addColumn<bool>("megahertz");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint32>("hertz");
        QTest::newRow("MHz") << true << "145.5 MHz" << 145500000;
        QTest::newRow("MHz without blank") << true << "145.5MHz" << 145500000;
        QTest::newRow("MHz with blanks around") << true << "  145.5  MHz  " << 145500000;
        QTest::newRow("no unit is hertz") << true << "145500000" << 145500000;
        QTest::newRow("formatted text reads back") << true << FormatFrequency(27555000) << 27555000;
        QTest::newRow("negative") << true << "-0.5 MHz" << -500000;
        QTest::newRow("half rounds down to even") << true << "2.5" << 2;
        QTest::newRow("half rounds up to even") << true << "3.5" << 4;
        QTest::newRow("largest frequency") << true << "2147.483647 MHz" << 2147483647;
        QTest::newRow("kHz") << false << "12.5 kHz" << 12500;
        QTest::newRow("kHz no unit is hertz") << false << "8330" << 8330;
        QTest::newRow("kHz without blank") << false << "6.25kHz" << 6250;
    }
    void parse()
    {
        QFETCH(bool, megahertz);
        QFETCH(QString, text);
        QFETCH(qint32, hertz);
        QCOMPARE(megahertz ? ParseMHzText(text) : ParseKHzText(text), hertz);
    }

    void parseRejects_data()
    {
        QTest::addColumn<bool>("megahertz");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        const QString invalid = QStringLiteral("Invalid Frequency String ");
        QTest::newRow("text after MHz") << true << "145.5 MHz x" << invalid + "145.5 MHz x";
        QTest::newRow("MHz twice") << true << "145.5 MHzMHz" << invalid + "145.5 MHzMHz";
        QTest::newRow("text after kHz") << false << "12.5 kHz/s" << invalid + "12.5 kHz/s";
        QTest::newRow("unit in other case is no number") << true << "145.5 mhz" << QString();
        QTest::newRow("kHz given to the MHz reader") << true << "12.5 kHz" << QString();
        QTest::newRow("empty") << true << "" << QString();
        QTest::newRow("unit alone") << false << "kHz" << QString();
        QTest::newRow("decimal comma") << true << "145,5 MHz" << QString();
        QTest::newRow("thousands separator") << false << "1,000" << QString();
        QTest::newRow("not finite") << true << "inf MHz" << QString();
        QTest::newRow("beyond a frequency") << true << "5000 MHz" << QString();
        QTest::newRow("below a frequency") << false << "-3000000 kHz" << QString();
    }
    void parseRejects()
    {
        QFETCH(bool, megahertz);
        QFETCH(QString, text);
        QFETCH(QString, message);
        try {
            megahertz ? ParseMHzText(text) : ParseKHzText(text);
            QFAIL("no error raised");
        } catch (const EInvalidFrequencyString& e) {
            QCOMPARE(QString::fromStdString(e.what()), message);
        } catch (const EConvertError& e) {
            QVERIFY2(message.isEmpty(), e.what());
        }
    }

    void scrollBarValueText_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("expected");
        QTest::newRow("off") << 0 << "AudioSquelch  Off";
        QTest::newRow("value") << 42 << "AudioSquelch  42";
    }
    void scrollBarValueText()
    {
        QFETCH(int, position);
        QFETCH(QString, expected);
        QCOMPARE(ScrollBarValueText(QStringLiteral("AudioSquelch"), position), expected);
    }
};

QTEST_GUILESS_MAIN(FrequencyTextTest)
#include "FrequencyTextTest.moc"
