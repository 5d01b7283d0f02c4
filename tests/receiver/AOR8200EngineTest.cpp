#include "ErrorOf.h"
#include "PtyReceiver.h"
#include "receiver/AOR8200Unit.h"

#include <QElapsedTimer>
#include <QTest>

#include <map>
#include <memory>

namespace {

const char* CRLF = "\r\n";

// A driver on a pseudo-terminal whose answers the test chooses: pairs of command and reply, "*" for any.
struct Rig {
    explicit Rig(const QByteArrayList& replies = {})
        : receiver([replies](const QByteArray& command) {
            for (qsizetype i = 0; i + 1 < replies.size(); i += 2)
                if (replies[i] == command || replies[i] == "*")
                    return replies[i + 1];
            return QByteArray();
        })
    {
        SetSerialPortTable({receiver.DevicePath()});
        driver = std::make_unique<TAOR8200>();
        driver->SetCommPortNumber(1);
    }
    ~Rig()
    {
        driver.reset();
        SetSerialPortTable({});
    }
    PtyReceiver receiver;
    std::unique_ptr<TAOR8200> driver;
};

QString Number(int value)
{
    return QString::number(value);
}

using Operation = std::function<QString(TAOR8200&)>;

const std::map<QString, Operation>& Operations()
{
    static const std::map<QString, Operation> operations {
        {"GetSquelchReporting", [](TAOR8200& d) { return Number(d.GetSquelchReporting()); }},
        {"SetSquelchReporting 1",
            [](TAOR8200& d) {
                d.SetSquelchReporting(1);
                return QString();
            }},
        {"GetFirmwareVersion", [](TAOR8200& d) { return Number(d.GetFirmwareVersion()); }},
        {"GetScanGroupIndex", [](TAOR8200& d) { return Number(d.GetScanGroupIndex()); }},
        {"SetScanGroupIndex 4",
            [](TAOR8200& d) {
                d.SetScanGroupIndex(4);
                return QString();
            }},
        {"GetSearchGroupIndex", [](TAOR8200& d) { return Number(d.GetSearchGroupIndex()); }},
        {"GetAudioSearchSetting", [](TAOR8200& d) { return Number(d.GetAudioSearchSetting()); }},
        {"SetAudioSearchSetting 7",
            [](TAOR8200& d) {
                d.SetAudioSearchSetting(7);
                return QString();
            }},
        {"GetLevelScanSetting", [](TAOR8200& d) { return Number(d.GetLevelScanSetting()); }},
        {"SetLevelScanSetting 255",
            [](TAOR8200& d) {
                d.SetLevelScanSetting(255);
                return QString();
            }},
        {"GetSearchPauseSecs", [](TAOR8200& d) { return Number(d.GetSearchPauseSecs()); }},
        {"GetScanPauseSecs", [](TAOR8200& d) { return Number(d.GetScanPauseSecs()); }},
        {"SetScanPauseSecs 5",
            [](TAOR8200& d) {
                d.SetScanPauseSecs(5);
                return QString();
            }},
        {"GetSearchDelayDeciSecs", [](TAOR8200& d) { return Number(d.GetSearchDelayDeciSecs()); }},
        {"GetScanDelayDeciSecs", [](TAOR8200& d) { return Number(d.GetScanDelayDeciSecs()); }},
        {"SetSearchDelayDeciSecs 5",
            [](TAOR8200& d) {
                d.SetSearchDelayDeciSecs(5);
                return QString();
            }},
        {"GetScanBankText A", [](TAOR8200& d) { return d.GetScanBankText('A'); }},
        {"SetScanBankText A",
            [](TAOR8200& d) {
                d.SetScanBankText('A', "Airband long");
                return QString();
            }},
        {"GetScanBankSize A", [](TAOR8200& d) { return Number(d.GetScanBankSize('A')); }},
        {"GetScanBankSize a", [](TAOR8200& d) { return Number(d.GetScanBankSize('a')); }},
        {"SetScanBankSize A 60",
            [](TAOR8200& d) {
                d.SetScanBankSize('A', 60);
                return QString();
            }},
        {"GetScanBankLinkGroup",
            [](TAOR8200& d) { return d.GetScanBankLinkGroup().MembersIn(ScanBankLetters); }},
        {"SetScanBankLinkGroup empty",
            [](TAOR8200& d) {
                d.SetScanBankLinkGroup({});
                return QString();
            }},
        {"SetScanBankLinkGroup Ab",
            [](TAOR8200& d) {
                d.SetScanBankLinkGroup(BankLetterSet::FromLetters("bA"));
                return QString();
            }},
        {"GetSearchBankLinkGroup",
            [](TAOR8200& d) { return d.GetSearchBankLinkGroup().MembersIn(SearchBankLetters); }},
        {"SetSearchBankLinkGroup At",
            [](TAOR8200& d) {
                d.SetSearchBankLinkGroup(BankLetterSet::FromLetters("tA"));
                return QString();
            }},
        {"SetVFOFrequency",
            [](TAOR8200& d) {
                d.SetVFOFrequency(145500049);
                return QString();
            }},
        {"StartMemoryScan b",
            [](TAOR8200& d) {
                d.StartMemoryScan('b');
                return QString();
            }},
        {"StartMemoryScan K",
            [](TAOR8200& d) {
                d.StartMemoryScan('K');
                return QString();
            }},
        {"StartSearch t",
            [](TAOR8200& d) {
                d.StartSearch('t');
                return QString();
            }},
        {"StartSearch U",
            [](TAOR8200& d) {
                d.StartSearch('U');
                return QString();
            }},
        {"AddPassFrequency",
            [](TAOR8200& d) {
                d.AddPassFrequency();
                return QString();
            }},
        {"PowerOff",
            [](TAOR8200& d) {
                d.PowerOff();
                return QString();
            }},
        {"SendCursorKey right",
            [](TAOR8200& d) {
                d.SendCursorKey(28);
                return QString();
            }},
    };
    return operations;
}

QByteArray Positions(const char* members, int count)
{
    const char* order = count == 20 ? ScanBankLetters : SearchBankLetters;
    QByteArray pattern;
    for (int i = 0; i < count; ++i)
        pattern += std::strchr(members, order[i]) ? order[i] : '-';
    return pattern;
}

} // namespace

class AOR8200EngineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commandSet_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QByteArrayList>("replies");
        QTest::addColumn<QByteArrayList>("sent");
        QTest::addColumn<QString>("result"); // the value, or "!" and the error message

        const QByteArray ok = CRLF;
        const auto row = [](const char* tag, const char* operation, QByteArrayList replies,
                             QByteArrayList sent, const QString& result) {
            QTest::newRow(tag) << QString(operation) << replies << sent << result;
        };
        row("LC", "GetSquelchReporting", {"LC", "LC1\r\n"}, {"LC"}, "1");
        row("LC out of range", "GetSquelchReporting", {"LC", "LC2\r\n"}, QByteArrayList(5, "LC"),
            "!LC GetNDigitIntegerValue");
        row("LC1", "SetSquelchReporting 1", {"LC1", ok}, {"LC1"}, "");
        row("VR", "GetFirmwareVersion", {"VR", "VR1234\r\n"}, {"VR"}, "1234");
        row("GM blank", "GetScanGroupIndex", {"GM", "GM3 "}, {"GM"}, "3");
        row("GM CR LF", "GetScanGroupIndex", {"GM", "GM3\r\n"}, QByteArrayList(5, "GM"),
            "!GM GetNDigitIntegerValue");
        row("GM4", "SetScanGroupIndex 4", {"GM4", ok}, {"GM4"}, "");
        row("GS", "GetSearchGroupIndex", {"GS", "GS9 "}, {"GS"}, "9");
        row("SA", "GetAudioSearchSetting", {"SA", "SA 128\r\n"}, {"SA"}, "128");
        row("SA007", "SetAudioSearchSetting 7", {"SA007", ok}, {"SA007"}, "");
        row("XB255", "SetLevelScanSetting 255", {"XB255", ok}, {"XB255"}, "");
        row("XB", "GetLevelScanSetting", {"XB", "XB0042\r\n"}, {"XB"}, "42");
        row("SP 61", "GetSearchPauseSecs", {"SP", "SP61\r\n"}, QByteArrayList(5, "SP"),
            "!GetSearchPauseSecs GetNDigitIntegerValue");
        row("XP 61", "GetScanPauseSecs", {"XP", "XP61\r\n"}, QByteArrayList(5, "XP"),
            "!XP GetNDigitIntegerValue");
        row("XP05", "SetScanPauseSecs 5", {"XP05", ok}, {"XP05"}, "");
        row("SD", "GetSearchDelayDeciSecs", {"SD", "SD1.5\r\n"}, {"SD"}, "15");
        row("XD", "GetScanDelayDeciSecs", {"XD", "XD0.3\r\n"}, {"XD"}, "3");
        row("XD garbled", "GetScanDelayDeciSecs", {"XD", "XD0?3\r\n"}, QByteArrayList(5, "XD"),
            "!GetScanDelayDeciSecs GetNDigitRealValue");
        row("SD05", "SetSearchDelayDeciSecs 5", {"SD05", ok}, {"SD05"}, "");
        row("TB", "GetScanBankText A", {"TBA", "TBAAirband \r\n"}, {"TBA"}, "Airband ");
        row("TB wrong bank", "GetScanBankText A", {"TBA", "TBBAirband \r\n"}, QByteArrayList(5, "TBA"),
            "!GetText TBA");
        row("TB set", "SetScanBankText A", {"*", ok}, {"TBAAirband "}, "");
        row("MW upper", "GetScanBankSize A", {"MWA", "MW A:60 a:40\r\n"}, {"MWA"}, "60");
        row("MW lower", "GetScanBankSize a", {"MWa", "MW A:60 a:40\r\n"}, {"MWa"}, "40");
        row("MW empty half", "GetScanBankSize a", {"MWa", "MW A:60 a:00\r\n"}, {"MWa"},
            "!GetScanBankSize MW");
        row("MW set is silent", "SetScanBankSize A 60", {}, QByteArrayList(5, "MWA60"), "");
        row("BM", "GetScanBankLinkGroup", {"BM", "BM " + Positions("ACJb", 20) + CRLF}, {"BM"}, "ACJb");
        row("BM bad letter", "GetScanBankLinkGroup", {"BM", "BM " + Positions("A", 19) + "K" + CRLF},
            QByteArrayList(5, "BM"), "!GetScanBankLinkGroup");
        row("BM 26 characters", "GetScanBankLinkGroup", {"BM", "BM " + Positions("A", 20) + "-" + CRLF},
            QByteArrayList(5, "BM"), "!GetScanBankLinkGroup");
        row("BM set empty", "SetScanBankLinkGroup empty",
            {"BM%% ", "BM " + Positions("", 20) + CRLF, "BM", "BM " + Positions("", 20) + CRLF},
            {"BM%% ", "BM"}, "");
        row("BM set differs", "SetScanBankLinkGroup Ab",
            {"BM%% Ab", "BM " + Positions("Ab", 20) + CRLF, "BM", "BM " + Positions("A", 20) + CRLF},
            {"BM%% Ab", "BM"},
            "!SetScanBankLinkGroup " + Positions("Ab", 20).mid(4) + "<>" + Positions("Ab", 20));
        row("BS", "GetSearchBankLinkGroup", {"BS", "BS " + Positions("Tt", 40) + CRLF}, {"BS"}, "Tt");
        row("BS set", "SetSearchBankLinkGroup At", {"BS%% At", "BS " + Positions("At", 40) + CRLF},
            {"BS%% At"}, "");
        row("BS set answered wrong", "SetSearchBankLinkGroup At",
            {"BS%% At", "BS " + Positions("A", 40) + CRLF}, {"BS%% At"}, "!SetSearchBankLinkGroup");
        row("VA", "SetVFOFrequency", {"*", ok}, {"VA0145500000"}, "");
        row("VA refused", "SetVFOFrequency", {"*", "?\r\n"}, QByteArrayList(5, "VA0145500000"),
            "!Cmd VA0145500000  Returned ==>?\r<=="); // cut to the two characters expected
        row("MS bank", "StartMemoryScan b", {"*", ok}, {"MSb"}, "");
        row("MS alone", "StartMemoryScan K", {"*", ok}, {"MS"}, "");
        row("SS bank", "StartSearch t", {"*", ok}, {"SSt"}, "");
        row("SS alone", "StartSearch U", {"*", ok}, {"SS"}, "");
        row("PW", "AddPassFrequency", {"*", ok}, {"PW"}, "");
        row("QP unanswered", "PowerOff", {}, QByteArrayList(5, "QP"), "");
        row("cursor unanswered", "SendCursorKey right", {}, {"\x1c"}, "");
    }
    void commandSet()
    {
        QFETCH(QString, operation);
        QFETCH(QByteArrayList, replies);
        QFETCH(QByteArrayList, sent);
        QFETCH(QString, result);
        Rig rig(replies);
        QString outcome;
        try {
            outcome = Operations().at(operation)(*rig.driver);
        } catch (const std::exception& e) {
            outcome = "!" + QString::fromStdString(e.what());
        }
        QCOMPARE(outcome, result);
        QCOMPARE(rig.receiver.Commands(), sent);
    }

    void withoutPortQueriesFailAfterTheirAttempts()
    {
        TAOR8200 driver;
        std::atomic<int> reads {0};
        std::atomic<int> nonEmptyReads {0};
        std::atomic<int> writes {0};
        driver.SetOnSerialRead([&](TAOR8200*, QString& text) {
            ++reads;
            if (!text.isEmpty())
                ++nonEmptyReads;
        });
        driver.SetOnSerialWrite([&](TAOR8200*, QString&) { ++writes; });
        QCOMPARE(ErrorOf([&] { driver.GetSquelchReporting(); }), QStringLiteral("LC GetNDigitIntegerValue"));
        QVERIFY2(reads >= 5 * 10, qPrintable(QString::number(reads))); // ten 20 ms passes per attempt
        QCOMPARE(nonEmptyReads.load(), 0);
        QCOMPARE(writes.load(), 0);
    }

    void replyLongerThanExpectedIsCut()
    {
        Rig rig({"LC", "LC1\r\nsurplus"});
        QCOMPARE(rig.driver->SendCommandGetResponse("LC", 5, 200), QStringLiteral("LC1\r\n"));
    }

    void shortLimitStillMakesOnePass()
    {
        Rig rig;
        rig.receiver.SetReply([](const QByteArray&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            return QByteArray("late\r\n");
        });
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(rig.driver->SendCommandGetResponse("VR", 8, 10), QString());
        QVERIFY(timer.elapsed() >= 20);
        QVERIFY2(timer.elapsed() < 150, qPrintable(QString::number(timer.elapsed())));
    }

    void heldAccessEventEmptiesTheExchangeAndCheckOKRetries()
    {
        Rig rig({"LC1", CRLF});
        QVERIFY(rig.driver->AccessEvent.WaitFor(0));
        std::thread holder([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(2300));
            rig.driver->AccessEvent.SetEvent();
        });
        QElapsedTimer timer;
        timer.start();
        rig.driver->SendCommandCheckOK("LC1", 100);
        QVERIFY(timer.elapsed() >= 2000);
        holder.join();
        QCOMPARE(rig.receiver.Commands(), QByteArrayList {"LC1"}); // the blocked attempt sent nothing
    }

    void handlersSeeAndMayChangeTheTextAndMayThrow()
    {
        Rig rig({"LC0", CRLF, "LC1", CRLF});
        QStringList seen;
        std::mutex seenMutex;
        rig.driver->SetOnSerialWrite([&](TAOR8200*, QString& text) {
            {
                std::lock_guard lock(seenMutex);
                seen << text;
            }
            text.replace("LC1", "LC0");
            throw std::runtime_error("handler failure");
        });
        rig.driver->SetOnSerialRead([](TAOR8200*, QString&) { throw 42; });
        rig.driver->SendCommandCheckOK("LC1", 100);
        QCOMPARE(rig.receiver.Commands(), QByteArrayList {"LC0"});
        std::lock_guard lock(seenMutex);
        QCOMPARE(seen, QStringList {"LC1\r\n"});
    }

    void setCommPortNumber()
    {
        Rig rig({"*", CRLF});
        rig.driver->SetCommPortNumber(1);
        QCOMPARE(rig.driver->GetCommPortNumber(), std::uint8_t(1));
        rig.driver->SetCommPortNumber(0);
        QCOMPARE(rig.driver->GetCommPortNumber(), std::uint8_t(0));
        QTest::qWait(50);
        QCOMPARE(rig.receiver.Received(), QByteArray()); // closing writes nothing to the receiver
        QCOMPARE(
            ErrorOf([&] { rig.driver->SetCommPortNumber(2); }).left(16), QStringLiteral("SerialComm [0] ("));
        QCOMPARE(rig.driver->GetCommPortNumber(), std::uint8_t(0));
        QVERIFY(rig.driver->AccessEvent.WaitFor(0)); // no lock left taken by the failure
        rig.driver->AccessEvent.SetEvent();
        QVERIFY(rig.driver->SettingsEvent.WaitFor(0));
        rig.driver->SettingsEvent.SetEvent();
    }

    void destructionSaysGoodbyeWithoutTheHandler()
    {
        Rig rig;
        int writes = 0;
        rig.driver->SetOnSerialWrite([&](TAOR8200*, QString&) { ++writes; });
        rig.driver.reset();
        QTRY_COMPARE(rig.receiver.Commands(), QByteArrayList {"EX"});
        QCOMPARE(writes, 0);
    }

    void vanishedReceiverRaisesAndLeavesNoLock()
    {
        Rig rig({"*", CRLF});
        rig.driver->SendCommandCheckOK("LC1", 100);
        rig.receiver.Stop();
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(ErrorOf([&] { rig.driver->SendCommandCheckOK("LC1", 100); }),
            QStringLiteral("Cmd LC1  Returned ==><=="));
        QVERIFY(timer.elapsed() < 2000);
        QVERIFY(rig.driver->AccessEvent.WaitFor(500));
        rig.driver->AccessEvent.SetEvent();
        // A new receiver on another device works with the same driver.
        PtyReceiver second([](const QByteArray&) { return QByteArray(CRLF); });
        SetSerialPortTable({rig.receiver.DevicePath(), second.DevicePath()});
        rig.driver->SetCommPortNumber(2);
        rig.driver->SendCommandCheckOK("LC1", 100);
    }
};

QTEST_GUILESS_MAIN(AOR8200EngineTest)
#include "AOR8200EngineTest.moc"
