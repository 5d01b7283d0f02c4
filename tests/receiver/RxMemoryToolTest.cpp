// varnock-rx discovery and memory commands against the simulated receiver: CSV out and in, the database
// copy, and rows that do not parse.

#include "../app/TestDatabase.h"
#include "PtyReceiver.h"
#include "ReceiverProtocol.h"
#include "ReceiverSimulator.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run RunRx(const QStringList& arguments)
{
    QProcess process;
    process.start(qEnvironmentVariable("VARNOCK_BINARY_DIR") + "/bin/varnock-rx", arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        QString::fromLocal8Bit(process.readAllStandardOutput()),
        QString::fromLocal8Bit(process.readAllStandardError())};
}

SimulatorOptions WithState(const ReceiverState& state = ReceiverState::Empty())
{
    SimulatorOptions options;
    options.state = state;
    return options;
}

int CountPrefixed(const QByteArrayList& commands, const QByteArray& prefix)
{
    int count = 0;
    for (const QByteArray& command : commands)
        count += command.startsWith(prefix) ? 1 : 0;
    return count;
}

const QString Header = QStringLiteral("Bank,Channel,Empty,Pass,Frequency,Step,Auto,Mode,Attenuator,Text\n");

} // namespace

class RxMemoryToolTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findPrintsTheDeviceOrFails()
    {
        PtyReceiver silent1;
        PtyReceiver silent2;
        ReceiverSimulator simulator(WithState());
        const Run found = RunRx({"find", silent1.DevicePath(), silent2.DevicePath(), simulator.DevicePath()});
        QCOMPARE(found.exitCode, 0);
        QCOMPARE(found.out, simulator.DevicePath() + "\n");
        QCOMPARE(silent1.Commands().count("LC1"), 5);

        const Run missing = RunRx({"find", silent1.DevicePath()});
        QCOMPARE(missing.exitCode, 1);
        QCOMPARE(missing.out, QString());
        QCOMPARE(missing.err, QStringLiteral("AOR8200 not found\n"));
    }

    void writeReadAndDeleteAMemory()
    {
        ReceiverSimulator simulator(WithState());
        const QString port = simulator.DevicePath();
        QCOMPARE(RunRx({"--port", port, "write-memory", "b", "7", "156800000", "25000", "nfm", "--pass",
                           "--att", "--text", "Ch 16, call"})
                     .exitCode,
            0);
        QCOMPARE(RunRx({"--port", port, "read-memory", "b", "7"}).out,
            Header + "b,7,0,1,156800000,25000,0,NFM,1,\"Ch 16, call \"\n");
        QCOMPARE(RunRx({"--port", port, "delete-memory", "b", "7"}).exitCode, 0);
        QCOMPARE(
            RunRx({"--port", port, "read-memory", "b", "7"}).out, Header + "b,7,1,0,0,0,0,WFM,0,Empty\n");
        const Run bad = RunRx({"--port", port, "read-memory", "K", "7"});
        QCOMPARE(bad.exitCode, 2);
        QVERIFY(bad.err.contains("'K' is no scan bank letter"));
    }

    void dumpLoadsBackIntoAnotherReceiver()
    {
        ReceiverSimulator source; // the realistic default state
        const Run dump = RunRx({"--port", source.DevicePath(), "dump-memories", "C", "a"});
        QCOMPARE(dump.exitCode, 0);
        const ReceiverState original = source.State();
        QCOMPARE(dump.out.count('\n'), 1 + original.BankSize('C') + original.BankSize('a'));

        QTemporaryDir folder;
        const QString file = folder.filePath("memories.csv");
        QFile csv(file);
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write(dump.out.toLocal8Bit());
        csv.close();

        // Loaded into the same receiver, everything already matches: nothing is written.
        source.ClearRecords();
        QCOMPARE(RunRx({"--port", source.DevicePath(), "load-memories", file}).exitCode, 0);
        QCOMPARE(CountPrefixed(source.ReceivedCommands(), "MX"), 0);
        QCOMPARE(CountPrefixed(source.ReceivedCommands(), "MQ"), 0);

        ReceiverState state = ReceiverState::Empty();
        state.SetBankSize('C', original.BankSize('C'));
        ReceiverSimulator target(WithState(state));
        const Run load = RunRx({"--port", target.DevicePath(), "load-memories", file});
        QCOMPARE(load.err, QString());
        QCOMPARE(load.exitCode, 0);
        for (const char bank : {'C', 'a'})
            for (int channel = 0; channel < original.BankSize(bank); ++channel)
                QCOMPARE(MemoryLine(bank, channel, *target.State().Memory(bank, channel)),
                    MemoryLine(bank, channel, *original.Memory(bank, channel)));
    }

    void rowsThatDoNotParseStopTheLoadBeforeAnyWrite_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("error");
        QTest::newRow("frequency") << "A,2,0,0,14x,12500,0,NFM,0,Bad"
                                   << "line 3, column Frequency: '14x'";
        QTest::newRow("bank") << "K,2,0,0,145000000,12500,0,NFM,0,Bad"
                              << "line 3, column Bank: 'K'";
        QTest::newRow("mode") << "A,2,0,0,145000000,12500,0,FM,0,Bad"
                              << "line 3, column Mode: 'FM'";
        QTest::newRow("flag") << "A,2,0,2,145000000,12500,0,NFM,0,Bad"
                              << "line 3, column Pass: '2'";
        QTest::newRow("text too long") << "A,2,0,0,145000000,12500,0,NFM,0,Thirteen char"
                                       << "line 3, column Text";
        QTest::newRow("missing column") << "A,2,0,0,145000000,12500,0,NFM,0"
                                        << "line 3, column Text: missing";
        QTest::newRow("open quote") << "A,2,0,0,145000000,12500,0,NFM,0,\"Bad"
                                    << "line 3, column Text: quote";
    }
    void rowsThatDoNotParseStopTheLoadBeforeAnyWrite()
    {
        QFETCH(QString, row);
        QFETCH(QString, error);
        ReceiverSimulator simulator(WithState());
        QTemporaryDir folder;
        QFile csv(folder.filePath("bad.csv"));
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write((Header + "A,1,0,0,145500000,12500,0,NFM,0,Calling\n" + row + "\n").toLocal8Bit());
        csv.close();
        const Run run = RunRx({"--port", simulator.DevicePath(), "load-memories", csv.fileName()});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(error), qPrintable(run.err));
        // Everything the tool sent arrives before its closing "EX".
        QTRY_COMPARE(simulator.ReceivedCommands(), QByteArrayList {"EX"});
    }

    void databaseCopyAnswersWithoutTraffic()
    {
        ReceiverSimulator simulator;
        QTemporaryDir folder;
        const QString database = PrepareProgramFolder(folder);
        QVERIFY(!database.isEmpty());
        const QStringList read {"--port", simulator.DevicePath(), "--db", database, "read-memory", "A", "1"};
        const Run first = RunRx(read);
        QCOMPARE(first.exitCode, 0);
        QCOMPARE(CountPrefixed(simulator.ReceivedCommands(), "MRA01"), 1);
        simulator.ClearRecords();
        QCOMPARE(RunRx(read).out, first.out);
        QCOMPARE(CountPrefixed(simulator.ReceivedCommands(), "MR"), 0);
        QCOMPARE(RunRx(read + QStringList {"--no-copy"}).out, first.out);
        QCOMPARE(CountPrefixed(simulator.ReceivedCommands(), "MRA01"), 1);
    }

    void searchBanksAndPassFrequencies()
    {
        ReceiverState state = ReceiverState::Empty();
        state.SearchBank('A')->passFrequencies = {118000000, 119000000};
        ReceiverSimulator simulator(WithState(state));
        const QString port = simulator.DevicePath();
        QCOMPARE(RunRx({"--port", port, "write-search", "t", "430000049", "440000000", "25000", "NFM",
                           "--att", "3", "--text", "70 cm"})
                     .exitCode,
            0);
        QCOMPARE(RunRx({"--port", port, "read-search", "t"}).out,
            QStringLiteral("Bank,Empty,Lower,Upper,Step,Auto,Mode,Attenuator,Text\n"
                           "t,0,430000000,440000000,25000,0,NFM,3,\"70 cm       \"\n"));
        QCOMPARE(RunRx({"--port", port, "read-pass", "A", "1"}).out, QStringLiteral("119000000\n"));
        QCOMPARE(RunRx({"--port", port, "delete-pass", "A", "0"}).exitCode, 0);
        QCOMPARE(RunRx({"--port", port, "read-pass", "A", "0"}).out, QStringLiteral("119000000\n"));
        QCOMPARE(RunRx({"--port", port, "delete-pass", "A", "all"}).exitCode, 0);
        QCOMPARE(RunRx({"--port", port, "read-pass", "A", "0"}).out, QStringLiteral("-1\n"));
    }
};

QTEST_GUILESS_MAIN(RxMemoryToolTest)
#include "RxMemoryToolTest.moc"
