#include "support/CompareMemoryAreasUnit.h"
#include "support/MiscellaneousRoutines2Unit.h"

#include <QTest>

#include <array>

class SupportRoutinesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void filterCharsInSet_data()
    {
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("scan letters of a link string") << "ABCDEFGHIJ"
                                                       << "A-C--b"
                                                       << "AC";
        QTest::newRow("order kept, repeats kept") << "ab"
                                                  << "babxa"
                                                  << "baba";
        QTest::newRow("empty set") << ""
                                   << "ABC"
                                   << "";
        QTest::newRow("empty text") << "AB"
                                    << ""
                                    << "";
        QTest::newRow("beyond 255 never a member") << "A" << QString::fromUtf8("A\u0141A") << "AA";
    }
    void filterCharsInSet()
    {
        QFETCH(QString, set);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const TCharSet chars = CharSetOf(set.toStdString());
        QCOMPARE(FilterCharsInSet(chars, text), expected);
        if (text.toLatin1() == text.toUtf8())
            QCOMPARE(QString::fromStdString(FilterCharsInSet(chars, text.toStdString())), expected);
    }

    void charRange()
    {
        QCOMPARE(FilterCharsInSet(CharRange('A', 'J'), QStringLiteral("A-C--bJK")), QStringLiteral("ACJ"));
        QCOMPARE(CharRange(0, 255).count(), std::size_t(256));
        QCOMPARE(FilterCharsInSet(CharRange(0x80, 0xFF), std::string("a\xE9z")), std::string("\xE9"));
    }

    void compareMemoryAreas_data()
    {
        QTest::addColumn<int>("differingByte");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("expected");
        QTest::newRow("equal records") << -1 << 36 << 0;
        QTest::newRow("last byte differs") << 35 << 36 << 1;
        QTest::newRow("first byte differs") << 0 << 36 << 36;
        QTest::newRow("difference in the middle") << 10 << 36 << 26;
        QTest::newRow("difference beyond the length") << 20 << 20 << 0;
        QTest::newRow("zero length") << 0 << 0 << 0;
    }
    void compareMemoryAreas()
    {
        QFETCH(int, differingByte);
        QFETCH(int, length);
        QFETCH(int, expected);
        std::array<unsigned char, 36> first {};
        for (std::size_t i = 0; i < first.size(); ++i)
            first[i] = static_cast<unsigned char>(i * 7);
        std::array<unsigned char, 36> second = first;
        if (differingByte >= 0)
            second[std::size_t(differingByte)] ^= 0x80;
        QCOMPARE(CompareMemoryAreas(first.data(), second.data(), std::size_t(length)), std::size_t(expected));
    }
};

QTEST_GUILESS_MAIN(SupportRoutinesTest)
#include "SupportRoutinesTest.moc"
