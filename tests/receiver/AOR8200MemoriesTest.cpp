// Memory channels, search banks and pass frequencies on the driver, against the simulated receiver (and, for
// replies the simulator never gives, a scripted pseudo-terminal).

#include "PtyReceiver.h"
#include "ReceiverProtocol.h"
#include "SimulatedReceiver.h"

#include <QTest>

namespace {

using Action = std::function<void(TAOR8200&)>;

// A scripted line on port 1: "MR"/"MX"/... answered by the given replies.
struct ScriptedReceiver {
    explicit ScriptedReceiver(PtyReceiver::ReplyFunction reply)
        : pty(std::move(reply))
    {
        SetSerialPortTable({pty.DevicePath()});
        driver = std::make_unique<TAOR8200>();
        driver->SetCommPortNumber(1);
    }
    ~ScriptedReceiver()
    {
        driver.reset();
        SetSerialPortTable({});
    }
    int Count(const QByteArray& prefix) const
    {
        int count = 0;
        for (const QByteArray& command : pty.Commands())
            count += command.startsWith(prefix) ? 1 : 0;
        return count;
    }
    PtyReceiver pty;
    std::unique_ptr<TAOR8200> driver;
};

QByteArray ReportOf(char bank, int channel, const SimMemory& memory)
{
    return "MR " + MemoryLine(bank, channel, memory);
}

} // namespace

class AOR8200MemoriesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recallReportsHeldAndEmptyChannels()
    {
        ReceiverState state = ReceiverState::Empty();
        SimMemory held = HeldMemory(118100000, "Tower");
        held.pass = true;
        held.attenuator = true;
        *state.Memory('j', 7) = held;
        SimulatedReceiver rx(QuickOptions(state));

        MemoryChannelRecord record;
        rx.driver->ReadMemoryRecord('j', 7, record);
        QCOMPARE(rx.TakeCommands(), (QByteArrayList {"MRj07", "RX"}));
        MemoryChannelRecord expected;
        expected.Bank = 'j';
        expected.Channel = 7;
        expected.PassFlag = true;
        expected.Frequency = 118100000;
        expected.StepSize = 25000;
        expected.ReceiveMode = AOR8200RxModeAM;
        expected.Attenuator = true;
        expected.Text = QStringLiteral("Tower       ");
        QCOMPARE(record, expected);

        rx.driver->ReadMemoryRecord('A', 0, record);
        MemoryChannelRecord empty;
        empty.Bank = 'A';
        empty.IsEmpty = true;
        empty.Text = QStringLiteral("Empty");
        QCOMPARE(record, empty);
    }

    void recallRejectsWrongReplies_data()
    {
        QTest::addColumn<QByteArray>("report");
        const SimMemory memory = HeldMemory(118100000, "Tower");
        const QByteArray good = ReportOf('A', 5, memory);
        QTest::newRow("another channel") << ReportOf('A', 6, memory);
        QTest::newRow("another bank") << ReportOf('a', 5, memory);
        QTest::newRow("bank letter K") << QByteArray(good).replace("MXA", "MXK");
        QTest::newRow("mode digit 9") << QByteArray(good).replace(" MD2", " MD9");
        QTest::newRow("pass flag 2") << QByteArray(good).replace(" MP0", " MP2");
        QTest::newRow("text short") << QByteArray(good).replace("Tower       ", "Tower");
    }
    void recallRejectsWrongReplies()
    {
        QFETCH(QByteArray, report);
        ScriptedReceiver rx([&](const QByteArray& command) -> QByteArray {
            return command == "RX" ? report : QByteArray("\r\n");
        });
        QCOMPARE(ErrorOf([&] {
            MemoryChannelRecord record;
            rx.driver->ReadMemoryRecord('A', 5, record);
        }),
            QStringLiteral("RecallMemory"));
        QCOMPARE(rx.Count("MRA05"), rx.driver->RetryCount);
    }

    void writeMemoryVerifiesAndSendsOnlyWhatIsMissing_data()
    {
        QTest::addColumn<bool>("held"); // the receiver holds 118.1 MHz AM 25 kHz "Tower north " at A05
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("autoMode");
        QTest::addColumn<bool>("pass");
        QTest::addColumn<QByteArrayList>("writes"); // the commands other than the verifying reads
        const QByteArray line = "MXA05 RF0118100000 AU0 ST025000 MD2 AT0 TMTower north ";
        QTest::newRow("already held: nothing sent")
            << true << "Tower north " << false << false << QByteArrayList {};
        QTest::newRow("short text is written once")
            << true << "Tower north" << false << false << QByteArrayList {line};
        QTest::newRow("empty channel") << false << "Tower north" << false << false << QByteArrayList {line};
        QTest::newRow("pass flag after the line")
            << false << "Tower north " << false << true << QByteArrayList {line, "MP1"};
        // The receiver picks step and mode itself (25 kHz AM in the air band, not 5 kHz NFM as sent).
        QTest::newRow("auto mode: step and mode not compared")
            << false << "Tower north " << true << false
            << QByteArrayList {"MXA05 RF0118100000 AU1 ST005000 MD1 AT0 TMTower north ", "AU1"};
    }
    void writeMemoryVerifiesAndSendsOnlyWhatIsMissing()
    {
        QFETCH(bool, held);
        QFETCH(QString, text);
        QFETCH(bool, autoMode);
        QFETCH(bool, pass);
        QFETCH(QByteArrayList, writes);
        ReceiverState state = ReceiverState::Empty();
        if (held)
            *state.Memory('A', 5) = HeldMemory(118100000, "Tower north");
        SimulatedReceiver rx(QuickOptions(state));
        const std::int32_t step = autoMode ? 5000 : 25000;
        const AOR8200RxModeType mode = autoMode ? AOR8200RxModeNFM : AOR8200RxModeAM;

        rx.driver->WriteMemory('A', 5, pass, 118100000, step, autoMode, mode, false, text);

        QByteArrayList sent = rx.TakeCommands();
        sent.removeAll("MRA05");
        sent.removeAll("RX");
        QCOMPARE(sent, writes);
        const SimMemory stored = *rx.simulator.State().Memory('A', 5);
        QCOMPARE(stored.frequency, 118100000);
        QCOMPARE(stored.pass, pass);
        QCOMPARE(stored.autoMode, autoMode);
        QCOMPARE(stored.text, QByteArray("Tower north "));
    }

    void writeThatNeverVerifiesEndsWithTheLastCommand()
    {
        const SimMemory other = HeldMemory(121500000, "Guard");
        ScriptedReceiver rx([&](const QByteArray& command) -> QByteArray {
            if (command.isEmpty())
                return {};
            return command == "RX" ? ReportOf('B', 1, other) : QByteArray("\r\n");
        });
        const QString error = ErrorOf([&] {
            rx.driver->WriteMemory('B', 1, false, 118100000, 25000, false, AOR8200RxModeAM, false, "Tower");
        });
        QCOMPARE(error,
            QStringLiteral(
                "Cmd String MXB01 RF0118100000 AU0 ST025000 MD2 AT0 TMTower       \r\nInvalid reply "));
        QCOMPARE(rx.Count("MX"), rx.driver->RetryCount);
    }

    void deletingMemories()
    {
        ReceiverState state = ReceiverState::Empty();
        *state.Memory('A', 5) = HeldMemory(118100000, "Tower");
        for (int channel = 0; channel < 3; ++channel)
            *state.Memory('B', channel) = HeldMemory(156800000 + channel, "Marine");
        SimulatedReceiver rx(QuickOptions(state));

        rx.driver->DeleteMemory('A', 6);
        QCOMPARE(rx.TakeCommands(), (QByteArrayList {"MRA06", "RX"}));
        rx.driver->DeleteMemory('A', 5);
        QCOMPARE(rx.TakeCommands(), (QByteArrayList {"MRA05", "RX", "MQ05"}));
        rx.driver->DeleteCurrentBank('B');
        QCOMPARE(rx.TakeCommands(), QByteArrayList {"MQB%%"});
        const ReceiverState after = rx.simulator.State();
        QVERIFY(after.Memory('A', 5)->isEmpty);
        for (int channel = 0; channel < 3; ++channel)
            QVERIFY(after.Memory('B', channel)->isEmpty);
    }

    void searchBanksRoundTrip()
    {
        SimulatorOptions options = QuickOptions();
        options.faults.xoffXonOnWrites = true; // "SE" acknowledged by DC3 DC1 CR LF
        SimulatedReceiver rx(options);

        rx.driver->SetSearchData('c', 145512345, 146000049, 12502, false, AOR8200RxModeNFM, 1, "2m band");
        QCOMPARE(rx.TakeCommands(),
            QByteArrayList {"SEc SL0145512300 SU0146000000 AU0 ST012500 MD1 AT1 TT2m band"});
        SearchBankRecord expected;
        expected.Bank = 'c';
        expected.LowerFrequency = 145512300;
        expected.UpperFrequency = 146000000;
        expected.StepSize = 12500;
        expected.ReceiveMode = AOR8200RxModeNFM;
        expected.Attenuator = 1;
        expected.Text = QStringLiteral("2m band     ");
        QCOMPARE(rx.driver->ReadSearchBankRecord('c'), expected);
        QCOMPARE(rx.TakeCommands(), QByteArrayList {"SRc"});

        rx.driver->SetSearchData('T', 430000000, 440000000, 25000, true, AOR8200RxModeNFM, 0, "70cm");
        QCOMPARE(rx.TakeCommands(),
            (QByteArrayList {"SET SL0430000000 SU0440000000 AU1 ST025000 MD1 AT0 TT70cm", "AU1"}));
        QVERIFY(rx.simulator.State().SearchBank('T')->autoMode);

        SearchBankRecord empty;
        empty.Bank = 'A';
        empty.IsEmpty = true;
        QCOMPARE(rx.driver->ReadSearchBankRecord('A'), empty);
        QCOMPARE(rx.driver->GetSearchBankText('c'), QStringLiteral("2m band     "));
    }

    void passFrequencies()
    {
        ReceiverState state = ReceiverState::Empty();
        state.SearchBank('A')->passFrequencies = {118000000, 0, 119000000, 120000000};
        SimulatedReceiver rx(QuickOptions(state));
        QCOMPARE(rx.driver->ReadPassFrequency('A', 0), 118000000);
        QCOMPARE(rx.driver->ReadPassFrequency('A', 9), -1);
        QCOMPARE(
            ErrorOf([&] { rx.driver->ReadPassFrequency('A', 1); }), QStringLiteral("ReadPassFrequency PR"));
        rx.TakeCommands();

        rx.driver->DeletePassFrequencyIndex('A', 1);
        QCOMPARE(rx.TakeCommands(), QByteArrayList {"PDA01"});
        QCOMPARE(rx.simulator.State().SearchBank('A')->passFrequencies,
            (QList<qint32> {118000000, 119000000, 120000000}));
        // An index beyond the list is refused by the receiver.
        QCOMPARE(ErrorOf([&] { rx.driver->DeletePassFrequencyIndex('A', 7); }),
            QStringLiteral("DeletePassFrequencyIndex ?\r"));
        rx.driver->DeleteAllPassFrequencies('A');
        QVERIFY(rx.simulator.State().SearchBank('A')->passFrequencies.isEmpty());
    }

    void passDeletionWithoutAcknowledgementSucceeds()
    {
        ReceiverState state = ReceiverState::Empty();
        state.SearchBank('b')->passFrequencies = {118000000, 119000000};
        SimulatorOptions options = QuickOptions(state);
        options.acknowledgePassDelete = false;
        SimulatedReceiver rx(options);
        rx.driver->DeletePassFrequencyIndex('b', 0);
        QCOMPARE(rx.simulator.State().SearchBank('b')->passFrequencies, QList<qint32> {119000000});
    }

    void outOfRangeFailsBeforeAnythingIsSent_data()
    {
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("message");
        QTest::newRow("recall K") << Action([](TAOR8200& d) {
            MemoryChannelRecord r;
            d.ReadMemoryRecord('K', 0, r);
        }) << "RecallMemory - invalid ScanBankChar [K]";
        QTest::newRow("write k") << Action([](TAOR8200& d) {
            d.WriteMemory('k', 0, false, 1, 1, false, AOR8200RxModeAM, false, "");
        }) << "WriteMemory - invalid ScanBankChar [k]";
        QTest::newRow("write channel 100") << Action([](TAOR8200& d) {
            d.WriteMemory('A', 100, false, 1, 1, false, AOR8200RxModeAM, false, "");
        }) << "WriteMemory - invalid channel [100]";
        QTest::newRow("delete channel -1")
            << Action([](TAOR8200& d) { d.DeleteMemory('A', -1); }) << "DeleteMemory - invalid channel [-1]";
        QTest::newRow("delete bank u") << Action([](TAOR8200& d) { d.DeleteCurrentBank('u'); })
                                       << "DeleteCurrentBank - invalid ScanBankChar [u]";
        QTest::newRow("search U") << Action([](TAOR8200& d) {
            d.SetSearchData('U', 1, 2, 3, false, AOR8200RxModeAM, 0, "");
        }) << "SetSearchData - invalid SearchBankChar [U]";
        QTest::newRow("read search u") << Action([](TAOR8200& d) { d.ReadSearchBankRecord('u'); })
                                       << "GetSearchBankData - invalid SearchBankChar [u]";
        QTest::newRow("pass index 100") << Action([](TAOR8200& d) { d.ReadPassFrequency('A', 100); })
                                        << "ReadPassFrequency - invalid index [100]";
        QTest::newRow("delete passes of ?") << Action([](TAOR8200& d) { d.DeleteAllPassFrequencies('?'); })
                                            << "DeleteAllPassFrequencies - invalid SearchBankChar [?]";
    }
    void outOfRangeFailsBeforeAnythingIsSent()
    {
        QFETCH(Action, action);
        QFETCH(QString, message);
        SimulatedReceiver rx(QuickOptions());
        QCOMPARE(ErrorOf([&] { action(*rx.driver); }), message);
        QCOMPARE(rx.TakeCommands(), QByteArrayList {});
    }
};

QTEST_GUILESS_MAIN(AOR8200MemoriesTest)
#include "AOR8200MemoriesTest.moc"
