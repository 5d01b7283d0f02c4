#include "receiver/AOR8200Unit.h"
#include "receiver/ChangeThisByteToThatByteUnit.h"

#include <QTest>

#include <cstring>

class AOR8200RecordsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void memoryName_data()
    {
        QTest::addColumn<char>("bank");
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("name");
        QTest::newRow("a07") << 'a' << 7 << "a07";
        QTest::newRow("J49") << 'J' << 49 << "J49";
        QTest::newRow("A00") << 'A' << 0 << "A00";
        QTest::newRow("three digits") << 'B' << 123 << "B123";
    }
    void memoryName()
    {
        QFETCH(char, bank);
        QFETCH(int, channel);
        QFETCH(QString, name);
        QCOMPARE(MemoryName(bank, channel), name);
    }

    void fillReceiveModeList()
    {
        FillReceiveModeList(nullptr);
        QStringList list {"old", "entries"};
        FillReceiveModeList(&list);
        QCOMPARE(list, QStringList({"WFM", "NFM", "AM", "USB", "LSB", "CW", "SFM", "WAM", "NAM"}));
        QCOMPARE(RxModeName(AOR8200RxModeType(9)), QString());
    }

    void bankLetters()
    {
        for (int c = 0; c < 256; ++c) {
            const char letter = char(c);
            const bool scan = (c >= 'A' && c <= 'J') || (c >= 'a' && c <= 'j');
            const bool search = (c >= 'A' && c <= 'T') || (c >= 'a' && c <= 't');
            QCOMPARE(IsScanBankLetter(letter), scan);
            QCOMPARE(IsSearchBankLetter(letter), search);
        }
    }

    void linkGroupPatterns()
    {
        const BankLetterSet group = BankLetterSet::FromLetters("bAJ");
        QCOMPARE(group.MembersIn(ScanBankLetters), QStringLiteral("AJb"));
        QCOMPARE(group.Pattern(ScanBankLetters), QStringLiteral("A--------J-b--------"));
        QCOMPARE(BankLetterSet().Pattern(SearchBankLetters), QString(40, QLatin1Char('-')));
        QVERIFY(!(group == BankLetterSet::FromLetters("AJ")));
        QVERIFY(group == BankLetterSet::FromLetters("JbA"));
    }

    void recordsCompareAsMemoryAreas()
    {
        MemoryChannelRecord a;
        MemoryChannelRecord b;
        a.Text = QStringLiteral("Tower 118.100 extra"); // cut to 12
        b.Text = QStringLiteral("Tower 118.10");
        QCOMPARE(a.Text.ToString(), QStringLiteral("Tower 118.10"));
        QCOMPARE(std::memcmp(&a, &b, sizeof a), 0);
        b.Attenuator = true;
        QVERIFY(std::memcmp(&a, &b, sizeof a) != 0);
        QVERIFY(!(a == b));
    }

    void changeThisByteToThatByte()
    {
        char text[] = "  12 4";
        QCOMPARE(ChangeThisByteToThatByte(text, 6, ' ', '0'), 3);
        QCOMPARE(QByteArray(text), QByteArray("001204"));
        QCOMPARE(ChangeThisByteToThatByte(text, 0, '0', 'x'), 0);
        QCOMPARE(ChangeThisByteToThatByte(nullptr, 5, '0', 'x'), 0);
    }

    void formatFields_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("frequency");
        QTest::addColumn<QString>("step");
        QTest::newRow("145.5 MHz") << 145500000 << "0145500000"
                                   << "145500";
        QTest::newRow("cut to 50 and 5") << 118100049 << "0118100000"
                                         << "118100045";
        QTest::newRow("25 kHz step") << 25000 << "0000025000"
                                     << "025000";
        QTest::newRow("zero") << 0 << "0000000000"
                              << "000000";
    }
    void formatFields()
    {
        QFETCH(int, value);
        QFETCH(QString, frequency);
        QFETCH(QString, step);
        QCOMPARE(TAOR8200::FormatFrequencyField(value), frequency);
        if (value < 1000000)
            QCOMPARE(TAOR8200::FormatStepField(value), step);
    }

    void strToInt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("digits") << "0145" << true << 145;
        QTest::newRow("leading blanks") << "  12" << true << 12;
        QTest::newRow("sign") << "-7" << true << -7;
        QTest::newRow("plus") << "+7" << true << 7;
        QTest::newRow("trailing blank") << "12 " << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("blanks only") << "   " << false << 0;
        QTest::newRow("letter") << "1a" << false << 0;
        QTest::newRow("overflow") << "9999999999" << false << 0;
        QTest::newRow("lowest") << "-2147483648" << true << int(-2147483648LL);
    }
    void strToInt()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, value);
        std::int32_t parsed = 0;
        QCOMPARE(TAOR8200::StrToInt(text, parsed), valid);
        if (valid)
            QCOMPARE(parsed, value);
    }

    void replyParsers()
    {
        QString text = QStringLiteral("MW A:60 a:4");
        QString part;
        std::int32_t value = 0;
        QVERIFY(!TAOR8200::TakePrefix(text, "MX"));
        QVERIFY(TAOR8200::TakePrefixedInteger(text, "MW A:", 2, value));
        QCOMPARE(value, 60);
        QVERIFY(!TAOR8200::TakePrefixedChars(text, " a:", 2, part)); // one character left
        QCOMPARE(part, QStringLiteral("4"));
        QCOMPARE(text, QStringLiteral("4"));
        QVERIFY(TAOR8200::TakeInteger(text, 1, value));
        QCOMPARE(value, 4);
        QVERIFY(text.isEmpty());
        text = QStringLiteral("x1");
        QVERIFY(!TAOR8200::TakeInteger(text, 2, value)); // a failure, never an exception
    }
};
QTEST_GUILESS_MAIN(AOR8200RecordsTest)
#include "AOR8200RecordsTest.moc"
