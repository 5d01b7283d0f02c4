// Faults and traffic follow the seed: the same seed gives the same line, byte for byte.

#include "PtyClient.h"
#include "ReceiverProtocol.h"
#include "ReceiverSimulator.h"

#include <QTest>

#include <functional>

namespace {

const QByteArrayList Commands
    = {"LC", "VR", "GM", "SA", "XD", "TBA", "MWA", "BM", "BS", "SRA", "PRA00", "MRA00\r\nRX"};

// Sends every command in turn, waiting out each reply, and returns what came back; the transcript's times
// are dropped so that two runs compare.
QByteArray Session(ReceiverSimulator& simulator, int rounds)
{
    PtyClient line(simulator.DevicePath());
    QByteArray received;
    for (int round = 0; round < rounds; ++round)
        for (const QByteArray& command : Commands) {
            line.Write(command + "\r\n");
            received += line.ReadUntilQuiet(40);
        }
    return received;
}

QByteArray Untimed(const QByteArray& transcript)
{
    QByteArray lines;
    for (const QByteArray& line : transcript.split('\n'))
        lines += line.mid(line.indexOf(' ') + 1) + '\n';
    return lines;
}

SimulatorOptions Faulty(quint64 seed)
{
    SimulatorOptions options;
    options.seed = seed;
    options.faults.dropReplyRate = 0.25;
    options.faults.garbleRate = 0.25;
    options.faults.splitRate = 0.25;
    return options;
}

} // namespace

class SimulatorFaultsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sameSeedSameFaults();
    void xoffXonOnlyAroundChosenWrites();
    void silentPortReadsButNeverAnswers();
    void noiseNeverMakesOrBreaksAReport();
    void trafficFollowsWhatTheReceiverDoes();
};

void SimulatorFaultsTest::sameSeedSameFaults()
{
    ReceiverSimulator first(Faulty(7));
    const QByteArray firstLine = Session(first, 3);
    ReceiverSimulator second(Faulty(7));
    const QByteArray secondLine = Session(second, 3);
    ReceiverSimulator other(Faulty(8));
    const QByteArray otherLine = Session(other, 3);
    QCOMPARE(secondLine, firstLine);
    QCOMPARE(Untimed(second.Transcript()), Untimed(first.Transcript()));
    QVERIFY(otherLine != firstLine);

    // The faults really happened: replies are missing and others differ from the clean answers.
    ReceiverState clean = ReceiverState::Default();
    QByteArray expected;
    for (int round = 0; round < 3; ++round)
        for (const QByteArray& command : Commands)
            for (const QByteArray& part : command.split('\r'))
                expected += AnswerCommand(clean, part.startsWith('\n') ? part.mid(1) : part, {}).reply;
    QVERIFY(firstLine.size() < expected.size());
    QVERIFY(first.Transcript().contains(" ! "));
    QVERIFY(firstLine != expected);
}

void SimulatorFaultsTest::xoffXonOnlyAroundChosenWrites()
{
    SimulatorOptions options;
    options.faults.xoffXonOnWrites = true;
    ReceiverSimulator simulator(options);
    PtyClient line(simulator.DevicePath());
    QCOMPARE(line.Exchange("SEC SL0145000000 SU0146000000 AU0 ST012500 MD1 AT0 TTX", 4),
        QByteArray("\x13\x11\r\n"));
    QCOMPARE(line.Exchange("TBAX", 2), QByteArray("\r\n"));
    QCOMPARE(line.Exchange("SRC", 67).left(3), QByteArray("SRC"));
    FaultOptions faults;
    faults.xoffXonOnWrites = true;
    faults.xoffXonCommands = {"SE", "MX", "TB"};
    simulator.SetFaults(faults);
    QCOMPARE(line.Exchange("TBAX", 4), QByteArray("\x13\x11\r\n"));
    QCOMPARE(line.Exchange("TBA", 13), QByteArray("TBAX       \r\n")); // a query is not a write
}

void SimulatorFaultsTest::silentPortReadsButNeverAnswers()
{
    ReceiverSimulator simulator;
    simulator.SetSilent(true);
    PtyClient line(simulator.DevicePath());
    QCOMPARE(line.Exchange("LC1", 2, 150), QByteArray());
    QCOMPARE(simulator.ReceivedCommands(), QByteArrayList {"LC1"});
    QVERIFY(simulator.State().squelchReporting); // heard, obeyed, unanswered
    simulator.SetSilent(false);
    QCOMPARE(line.Exchange("LC", 5), QByteArray("LC1\r\n"));
}

// Noise goes between reports and holds no "L", so it can neither start a report nor hide one.
void SimulatorFaultsTest::noiseNeverMakesOrBreaksAReport()
{
    SimulatorOptions options;
    options.faults.noiseBetweenReports = true;
    ReceiverSimulator simulator(options);
    PtyClient line(simulator.DevicePath());
    QCOMPARE(line.Exchange("LC1", 2), QByteArray("\r\n"));
    for (int i = 0; i < 30; ++i) {
        simulator.OpenSquelch(SquelchSource::MemoryChannel('A', i % 10), 100 + i);
        simulator.CloseSquelch(i);
    }
    QVERIFY(simulator.WaitUntilIdle());
    const QByteArray bytes = line.Read(100000, 300);
    QByteArray expected;
    for (const SquelchReport& report : simulator.SentReports())
        expected += FormatSquelchReport(report);
    QCOMPARE(simulator.SentReports().size(), 60);
    QCOMPARE(bytes.count('L'), 60);
    QVERIFY(bytes.size() > expected.size());
    qsizetype from = 0;
    for (const SquelchReport& report : simulator.SentReports()) {
        from = bytes.indexOf(FormatSquelchReport(report), from);
        QVERIFY(from >= 0);
        ++from;
    }
}

namespace {

// Switches the receiver to another activity with a command and returns the reports sent while it did that.
QList<SquelchReport> TrafficWhile(ReceiverSimulator& simulator, PtyClient& line, const QByteArray& command,
    const std::function<bool(const ReceiverState&)>& switched)
{
    line.Write(command + "\r\n");
    if (!QTest::qWaitFor([&] { return switched(simulator.State()); }, 1000))
        return {};
    simulator.ClearRecords();
    QTest::qWait(300);
    QList<SquelchReport> reports = simulator.SentReports();
    if (!reports.isEmpty() && !reports.first().open)
        reports.removeFirst(); // closes an opening of the activity before
    return reports;
}

} // namespace

// Scanning opens on the scanned bank's channels but never on one marked pass; a held memory opens only
// there; searching stays on the bank's steps and off its pass frequencies; openings and closings alternate.
void SimulatorFaultsTest::trafficFollowsWhatTheReceiverDoes()
{
    SimulatorOptions options;
    options.seed = 3;
    ReceiverSimulator simulator(options);
    const ReceiverState state = simulator.State();
    PtyClient line(simulator.DevicePath());
    QCOMPARE(line.Exchange("LC1", 2), QByteArray("\r\n"));
    simulator.StartTraffic({100, 0.5, false});

    const auto alternate = [](const QList<SquelchReport>& reports) {
        for (int i = 1; i < reports.size(); ++i)
            if (reports.at(i).open == reports.at(i - 1).open)
                return false;
        return reports.size() > 6;
    };
    const QList<SquelchReport> scanning
        = TrafficWhile(simulator, line, "MSB", [](auto& s) { return s.scanBank == 'B'; });
    QVERIFY(alternate(scanning));
    for (const SquelchReport& report : scanning) {
        QCOMPARE(report.bank, 'B');
        QVERIFY(!state.Memory('B', report.channel)->isEmpty && !state.Memory('B', report.channel)->pass);
    }
    const QList<SquelchReport> held = TrafficWhile(
        simulator, line, "MRD03\r\nRX", [](auto& s) { return s.activity == SimActivity::Memory; });
    QVERIFY(alternate(held));
    for (const SquelchReport& report : held)
        QVERIFY(report.bank == 'D' && report.channel == 3 && !report.isSearch);
    const QList<SquelchReport> searching
        = TrafficWhile(simulator, line, "SSB", [](auto& s) { return s.currentSearchBank == 'B'; });
    QVERIFY(alternate(searching));
    const SimSearchBank& bank = *state.SearchBank('B');
    for (const SquelchReport& report : searching) {
        QVERIFY(report.isSearch && report.bank == 'B' && report.channel == -1);
        if (report.open) {
            QVERIFY(report.frequency >= bank.lower && report.frequency <= bank.upper);
            QCOMPARE((report.frequency - bank.lower) % bank.step, 0);
            QVERIFY(!bank.passFrequencies.contains(report.frequency));
        }
    }
    simulator.StopTraffic();
    QVERIFY(simulator.WaitUntilIdle());
}

QTEST_GUILESS_MAIN(SimulatorFaultsTest)
#include "SimulatorFaultsTest.moc"
