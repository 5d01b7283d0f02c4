// The simulator answers the receiver's commands byte for byte, over a real pseudo-terminal.

#include "PtyClient.h"
#include "ReceiverProtocol.h"
#include "ReceiverSimulator.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTest>

#include <cerrno>

namespace {

// A small receiver: a few memories, one search bank with two pass frequencies, banks A/a split 50/50.
ReceiverState Fixture()
{
    ReceiverState state = ReceiverState::Empty();
    *state.Memory('A', 0) = {false, false, 118100000, 25000, false, SimMode::AM, false, "TOWER       "};
    *state.Memory('A', 1) = {false, true, 121500000, 25000, false, SimMode::AM, false, "GUARD       "};
    *state.Memory('b', 3) = {false, false, 156800000, 25000, false, SimMode::NFM, true, "CH16        "};
    state.BankText('A') = "AIRBAND ";
    *state.SearchBank('A')
        = {false, 118000000, 136975000, 25000, false, SimMode::AM, 0, "AIR", {121500000, 126600000}};
    state.scanGroups[1].links = "Ab";
    state.searchGroups[1].links = "A";
    state.scanGroups[1].audio = 40;
    return state;
}

SimulatorOptions FixtureOptions()
{
    SimulatorOptions options;
    options.state = Fixture();
    options.resortMs = 300;
    return options;
}

const QByteArray Ok = "\r\n";
const QByteArray Invalid = "?\r\n";

} // namespace

class SimulatorProtocolTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void answersCommands_data();
    void answersCommands();
    void reportsSquelchOnlyWhileSwitchedOn();
    void addsPassFrequencyWhereTheSearchStopped();
    void bankSizeResortsAndGoesDeaf();
    void recordsCommandsAndTranscript();
    void pacesBytesAtTheLineRate();
    void stopMakesTheDeviceVanish();
};

// Each row: command, reply, command, reply, ... on a fresh receiver holding Fixture().
void SimulatorProtocolTest::answersCommands_data()
{
    QTest::addColumn<QByteArrayList>("exchanges");
    QTest::newRow("report switch") << QByteArrayList {
        "LC", "LC0\r\n", "LC1", Ok, "LC", "LC1\r\n", "LC2", Invalid};
    QTest::newRow("firmware") << QByteArrayList {"VR", "VR0102\r\n"};
    QTest::newRow("group indexes end in a blank") << QByteArrayList {"GM", "GM1 \r\n", "GM7", Ok, "GM",
        "GM7 \r\n", "GS", "GS1 \r\n", "GS0", Ok, "GS", "GS0 \r\n", "GMA", Invalid};
    QTest::newRow("squelch settings, four characters back") << QByteArrayList {"SA007", Ok, "SA",
        "SA0007\r\n", "SB255", Ok, "SB", "SB0255\r\n", "XB256", Invalid, "XA", "XA0040\r\n"};
    QTest::newRow("pause in seconds up to 60")
        << QByteArrayList {"SP60", Ok, "SP", "SP60\r\n", "XP05", Ok, "XP", "XP05\r\n", "XP61", Invalid};
    QTest::newRow("delay set in tenths, read in seconds")
        << QByteArrayList {"SD25", Ok, "SD", "SD2.5\r\n", "XD05", Ok, "XD", "XD0.5\r\n"};
    QTest::newRow("scan settings belong to the scan group") << QByteArrayList {
        "GM2", Ok, "XA100", Ok, "GM3", Ok, "XA", "XA0000\r\n", "GM2", Ok, "XA", "XA0100\r\n"};
    QTest::newRow("bank text, 8 characters")
        << QByteArrayList {"TBA", "TBAAIRBAND \r\n", "TBa", "TBa        \r\n", "TBaLONGERTHAN8", Ok, "TBa",
               "TBaLONGERTH\r\n", "TBaMIL     ", Ok, "TBa", "TBaMIL     \r\n", "TBK", Invalid};
    QTest::newRow("bank size of a pair") << QByteArrayList {"MWa", "MW A:50 a:50\r\n", "MWA",
        "MW A:50 a:50\r\n", "MWK", Invalid, "MWA0", Invalid, "MWA100", Invalid};
    QTest::newRow("scan link group, 20 positions") << QByteArrayList {"BM", "BM A----------b--------\r\n",
        "BM%% Aj", "BM%% AjA------------------j\r\n", "BM", "BM A------------------j\r\n", "BM%% ",
        "BM%% --------------------\r\n", "BM", "BM --------------------\r\n", "BM%% K", Invalid};
    QTest::newRow("search link group, 40 positions")
        << QByteArrayList {"BS", "BS A---------------------------------------\r\n", "BS%% Tat",
               "BS -------------------Ta------------------t\r\n", "BS%% Au", Invalid};
    QTest::newRow("memory recall and report") << QByteArrayList {"MRA00\r\nRX",
        "\r\nMR MXA00 MP0 RF0118100000 ST025000 AU0 MD2 AT0 TMTOWER       \r\n", "MRb03\r\nRX",
        "\r\nMR MXb03 MP0 RF0156800000 ST025000 AU0 MD1 AT1 TMCH16        \r\n"};
    QTest::newRow("empty channel recall") << QByteArrayList {
        "VA0145500000", Ok, "MRB07\r\nRX", "?\r\nVA RF0145500000 ST012500 AU0 MD1 AT0\r\n"};
    QTest::newRow("memory write as the driver sends it")
        << QByteArrayList {"MXA05 RF0145500000 AU0 ST012500 MD1 AT1 TMHELLO       \r\n", Ok, "MRA05\r\nRX",
               "\r\nMR MXA05 MP0 RF0145500000 ST012500 AU0 MD1 AT1 TMHELLO       \r\n", "MP1", Ok,
               "MRA05\r\nRX", "\r\nMR MXA05 MP1 RF0145500000 ST012500 AU0 MD1 AT1 TMHELLO       \r\n"};
    QTest::newRow("rewriting clears the pass flag")
        << QByteArrayList {"MXA01 RF0121500000 AU0 ST025000 MD2 AT0 TMGUARD       \r\n", Ok, "MRA01\r\nRX",
               "\r\nMR MXA01 MP0 RF0121500000 ST025000 AU0 MD2 AT0 TMGUARD       \r\n"};
    QTest::newRow("auto mode picks step and mode")
        << QByteArrayList {"MXA06 RF0118100000 AU1 ST005000 MD0 AT0 TMAUTO        \r\n", Ok, "AU1", Ok,
               "MRA06\r\nRX", "\r\nMR MXA06 MP0 RF0118100000 ST025000 AU1 MD2 AT0 TMAUTO        \r\n"};
    QTest::newRow("malformed memory writes") << QByteArrayList {
        "MXA05 RF0000001000 AU0 ST012500 MD1 AT0 TMLOW", Invalid,
        "MXA05 RF01455000x0 AU0 ST012500 MD1 AT0 TMX", Invalid, "MXK05 RF0145500000 AU0 ST012500 MD1 AT0 TMX",
        Invalid, "MXA05 RF0145500000 AU0 ST012500 MD9 AT0 TMX", Invalid,
        "MXA05 RF0145500000 AU2 ST012500 MD1 AT0 TMX", Invalid,
        "MXA05 RF0145500000 AU0 ST012500 MD1 AT0 TMTHIRTEEN CHRS", Invalid,
        "MXA05 RF0145500000 AU0 ST012500 MD1 AT0 ZZ1 TMX", Invalid, "MRA05", Invalid};
    QTest::newRow("channels beyond the bank size") << QByteArrayList {"MWA10", Ok, "MRA10", Invalid, "MRa89",
        Invalid, "MRa90", Invalid, "MXA10 RF0145500000 AU0 ST012500 MD1 AT0 TMX", Invalid};
    QTest::newRow("delete recalled channel and whole bank") << QByteArrayList {"MRA00\r\nRX",
        "\r\nMR MXA00 MP0 RF0118100000 ST025000 AU0 MD2 AT0 TMTOWER       \r\n", "MQ00", Ok, "MRA00", Invalid,
        "MRA01", Ok, "MQA%%", Ok, "MRA01", Invalid, "MQK%%", Invalid};
    QTest::newRow("search bank read and write")
        << QByteArrayList {"SRA", "SRA SL0118000000 SU0136975000 ST025000 AU0 MD2 AT0 TTAIR         \r\n",
               "SRC", "SRC ---\r\n", "SEC SL0145000000 SU0146000000 AU0 ST012500 MD1 AT3 TT2M BAND", Ok,
               "SRC", "SRC SL0145000000 SU0146000000 ST012500 AU0 MD1 AT3 TT2M BAND     \r\n", "AU1", Ok,
               "SRC", "SRC SL0145000000 SU0146000000 ST012500 AU1 MD1 AT3 TT2M BAND     \r\n", "SRU", Invalid,
               "SEU SL0145000000 SU0146000000 AU0 ST012500 MD1 AT0 TTX", Invalid,
               "SEC SL0145000000 AU0 ST012500 MD1 AT0 TTX", Invalid};
    QTest::newRow("pass frequencies close up when one goes")
        << QByteArrayList {"PRA00", "PRA00 0121500000\r\n", "PRA01", "PRA01 0126600000\r\n", "PRA02",
               "PRA02 ---\r\n", "PRA50", Invalid, "PRU00", Invalid, "PDA00", Ok, "PRA00",
               "PRA00 0126600000\r\n", "PDA05", Invalid, "PDA%%", Ok, "PRA00", "PRA00 ---\r\n"};
    QTest::newRow("tuning, scanning, searching") << QByteArrayList {"VA0145512300", Ok, "RX",
        "VA RF0145512300 ST012500 AU0 MD1 AT0\r\n", "VA0000000001", Invalid, "MS", Ok, "MSb", Ok, "MSF",
        Invalid, "MSK", Invalid, "SS", Ok, "SSA", Ok, "SSB", Invalid, "SSU", Invalid};
    QTest::newRow("cursor keys move but answer ?") << QByteArrayList {"VA0145500000", Ok, "\x1e", Invalid,
        "RX", "VA RF0145512500 ST012500 AU0 MD1 AT0\r\n", "\x1f", Invalid, "\x1f", Invalid, "RX",
        "VA RF0145487500 ST012500 AU0 MD1 AT0\r\n"};
    QTest::newRow("unknown and malformed")
        << QByteArrayList {"XX", Invalid, "ZZZ", Invalid, "L", Invalid, "VR1", Invalid, "PW", Invalid};
    QTest::newRow("power off leaves it silent") << QByteArrayList {"QP", Ok, "LC", "", "VR", ""};
    QTest::newRow("exit switches reports off") << QByteArrayList {"LC1", Ok, "EX", Ok, "LC", "LC0\r\n"};
}

void SimulatorProtocolTest::answersCommands()
{
    QFETCH(QByteArrayList, exchanges);
    ReceiverSimulator simulator(FixtureOptions());
    PtyClient line(simulator.DevicePath());
    QVERIFY(line.IsOpen());
    for (int i = 0; i + 1 < exchanges.size(); i += 2) {
        const QByteArray& command = exchanges.at(i);
        const QByteArray& expected = exchanges.at(i + 1);
        const QByteArray reply = line.Exchange(command, expected.size(), expected.isEmpty() ? 150 : 30);
        QVERIFY2(reply == expected,
            qPrintable("after " + EscapeBytes(command) + ": " + EscapeBytes(reply)
                + " != " + EscapeBytes(expected)));
        if (command.startsWith("MW") && command.size() > 3)
            QTest::qWait(350); // the re-sort
    }
}

void SimulatorProtocolTest::reportsSquelchOnlyWhileSwitchedOn()
{
    ReceiverSimulator simulator(FixtureOptions());
    PtyClient line(simulator.DevicePath());
    simulator.OpenSquelch(SquelchSource::MemoryChannel('A', 0), 123);
    simulator.CloseSquelch(12);
    QVERIFY(simulator.WaitUntilIdle());
    QCOMPARE(line.Read(1, 100), QByteArray());

    QCOMPARE(line.Exchange("LC1", 2), Ok);
    simulator.OpenSquelch(SquelchSource::MemoryChannel('A', 0), 123);
    simulator.CloseSquelch(12);
    simulator.OpenSquelch(SquelchSource::Search('b', 145500000), 300);
    simulator.CloseSquelch(5);
    const QByteArray expected
        = "LC123 MXA00 RF0118100000\r\nLC%012 MXA00\r\nLC300 SRb RF0145500000\r\nLC%005 SRb\r\n";
    QCOMPARE(line.Read(expected.size(), 1000, 50), expected);
    const QList<SquelchReport> reports = simulator.SentReports();
    QCOMPARE(reports.size(), 4);
    QCOMPARE(reports.at(0), (SquelchReport {true, 123, false, 'A', 0, 118100000}));
    QCOMPARE(reports.at(3), (SquelchReport {false, 5, true, 'b', -1, 0}));
}

void SimulatorProtocolTest::addsPassFrequencyWhereTheSearchStopped()
{
    ReceiverSimulator simulator(FixtureOptions());
    PtyClient line(simulator.DevicePath());
    QCOMPARE(line.Exchange("SSA", 2), Ok);
    QCOMPARE(line.Exchange("PW", 3), Invalid); // not stopped on anything yet
    simulator.OpenSquelch(SquelchSource::Search('A', 119000000));
    QVERIFY(simulator.WaitUntilIdle());
    QCOMPARE(line.Exchange("PW", 2), Ok);
    QCOMPARE(line.Exchange("PRA02", 18), QByteArray("PRA02 0119000000\r\n"));
    QCOMPARE(line.Exchange("PW", 2), Ok); // already there: not added twice
    QCOMPARE(line.Exchange("PRA03", 11), QByteArray("PRA03 ---\r\n"));
}

// The pair is sorted by frequency with empty channels last, then split at the new boundary; meanwhile the
// receiver answers nothing.
void SimulatorProtocolTest::bankSizeResortsAndGoesDeaf()
{
    SimulatorOptions options = FixtureOptions();
    options.resortMs = 400;
    ReceiverState& state = *options.state;
    *state.Memory('A', 0) = {};
    *state.Memory('A', 7) = {false, false, 446006250, 6250, false, SimMode::NFM, false, "PMR 1       "};
    *state.Memory('a', 2) = {false, false, 145500000, 12500, false, SimMode::NFM, false, "CALLING     "};
    ReceiverSimulator simulator(options);
    PtyClient line(simulator.DevicePath());
    QCOMPARE(line.Exchange("MWA1", 2), Ok);
    QCOMPARE(line.Exchange("LC", 5, 150), QByteArray());
    QTest::qWait(400);
    QCOMPARE(line.Exchange("MWa", 14), QByteArray("MW A:01 a:99\r\n"));
    const ReceiverState after = simulator.State();
    QCOMPARE(after.Memory('A', 0)->frequency, 121500000);
    QCOMPARE(after.Memory('a', 0)->frequency, 145500000);
    QCOMPARE(after.Memory('a', 1)->frequency, 446006250);
    QVERIFY(after.Memory('a', 2)->isEmpty);
}

void SimulatorProtocolTest::recordsCommandsAndTranscript()
{
    ReceiverSimulator simulator(FixtureOptions());
    PtyClient line(simulator.DevicePath());
    line.Exchange("MXA05 RF0145500000 AU0 ST012500 MD1 AT0 TMX           \r\n", 2);
    line.Exchange("MRA05\r\nRX", 65);
    QCOMPARE(simulator.ReceivedCommands(),
        (QByteArrayList {"MXA05 RF0145500000 AU0 ST012500 MD1 AT0 TMX           ", "MRA05", "RX"}));
    const QByteArray transcript = simulator.Transcript();
    QVERIFY(transcript.contains(" < MXA05 RF0145500000 AU0 ST012500 MD1 AT0 TMX           \\r\\n\\r\\n\n"));
    QVERIFY(transcript.contains(" > \\r\\n\n"));
    QVERIFY(transcript.contains(" > MR MXA05 MP0 RF0145500000 ST012500 AU0 MD1 AT0 TMX           \\r\\n\n"));
    simulator.ClearRecords();
    QVERIFY(simulator.Transcript().isEmpty());
    QVERIFY(simulator.ReceivedCommands().isEmpty());
}

// At 19200 baud a byte takes 10/19200 s: the recall exchange (11 bytes in, 65 out) cannot be quicker.
void SimulatorProtocolTest::pacesBytesAtTheLineRate()
{
    SimulatorOptions options = FixtureOptions();
    options.pace = true;
    ReceiverSimulator simulator(options);
    PtyClient line(simulator.DevicePath());
    QElapsedTimer timer;
    timer.start();
    const QByteArray reply = line.Exchange("MRA00\r\nRX", 65, 0);
    QCOMPARE(reply.size(), 65);
    QVERIFY2(timer.elapsed() >= (11 + 65) * 10 * 1000 / 19200, qPrintable(QString::number(timer.elapsed())));
}

void SimulatorProtocolTest::stopMakesTheDeviceVanish()
{
    ReceiverSimulator simulator(FixtureOptions());
    const QString device = simulator.DevicePath();
    PtyClient line(device);
    QCOMPARE(line.Exchange("LC", 5), QByteArray("LC0\r\n"));
    simulator.Stop();
    QVERIFY(simulator.IsStopped());
    char byte;
    QTRY_VERIFY_WITH_TIMEOUT(line.ReadRaw(&byte, 1) == 0 || (errno != EAGAIN && errno != EINTR), 1000);
    QVERIFY(!QFileInfo::exists(device));
    simulator.OpenSquelch(SquelchSource::MemoryChannel('A', 0)); // ignored, never hangs
    QVERIFY(simulator.WaitUntilIdle(100));
}

QTEST_GUILESS_MAIN(SimulatorProtocolTest)
#include "SimulatorProtocolTest.moc"
