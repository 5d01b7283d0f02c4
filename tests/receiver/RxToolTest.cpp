// varnock-rx against the simulated receiver: what it prints and how it exits.

#include "ReceiverSimulator.h"

#include <QProcess>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run RunRx(const QStringList& arguments, int timeoutMs = 20000)
{
    QProcess process;
    process.start(qEnvironmentVariable("VARNOCK_BINARY_DIR") + "/bin/varnock-rx", arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        QString::fromLatin1(process.readAllStandardOutput()),
        QString::fromLatin1(process.readAllStandardError())};
}

} // namespace

class RxToolTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commands_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QByteArrayList>("commands");
        QTest::newRow("raw") << QStringList {"raw", "LC", "--expect", "5"} << "LC0\\r\\n\n"
                             << QByteArrayList {"LC", "EX"};
        QTest::newRow("raw escapes") << QStringList {"raw", "\\x4cC"} << "LC0\\r\\n\n"
                                     << QByteArrayList {"LC", "EX"};
        QTest::newRow("get firmware") << QStringList {"get", "firmware"} << "102\n"
                                      << QByteArrayList {"VR", "EX"};
        QTest::newRow("get bank text")
            << QStringList {"get", "scan-bank-text", "A"} << "" << QByteArrayList {"TBA", "EX"};
        QTest::newRow("set search delay")
            << QStringList {"set", "search-delay", "15"} << "" << QByteArrayList {"SD15", "EX"};
        QTest::newRow("set scan link group")
            << QStringList {"set", "scan-link-group", "bA"} << "" << QByteArrayList {"BM%% Ab", "BM", "EX"};
        QTest::newRow("vfo") << QStringList {"vfo", "118100049"} << ""
                             << QByteArrayList {"VA0118100000", "EX"};
        QTest::newRow("scan all") << QStringList {"scan"} << "" << QByteArrayList {"MS", "EX"};
        QTest::newRow("search bank") << QStringList {"search", "A"} << "" << QByteArrayList {"SSA", "EX"};
        QTest::newRow("key") << QStringList {"key", "down"} << "" << QByteArrayList {"\x1f", "EX"};
    }
    void commands()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, output);
        QFETCH(QByteArrayList, commands);
        ReceiverSimulator simulator;
        const Run run = RunRx(QStringList {"--port", simulator.DevicePath()} + arguments);
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        if (!output.isEmpty())
            QCOMPARE(run.out, output);
        QTRY_COMPARE(simulator.ReceivedCommands(), commands);
    }

    void getPrintsTheValueAlone()
    {
        ReceiverSimulator simulator;
        const QString port = simulator.DevicePath();
        QCOMPARE(RunRx({"--port", port, "set", "scan-bank-text", "c", "Harbour"}).exitCode, 0);
        QCOMPARE(RunRx({"--port", port, "get", "scan-bank-text", "c"}).out, QStringLiteral("Harbour \n"));
        QCOMPARE(RunRx({"--port", port, "set", "search-link-group", ""}).exitCode, 0);
        QCOMPARE(RunRx({"--port", port, "get", "search-link-group"}).out, QStringLiteral("\n"));
    }

    void monitorPrintsEachReport()
    {
        ReceiverSimulator simulator;
        QProcess rx;
        rx.start(qEnvironmentVariable("VARNOCK_BINARY_DIR") + "/bin/varnock-rx",
            {"--port", simulator.DevicePath(), "monitor", "--count", "3", "--seconds", "20"});
        QVERIFY(rx.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(simulator.State().squelchReporting, 10000);
        simulator.OpenSquelch(SquelchSource::MemoryChannel('A', 5), 123);
        simulator.CloseSquelch(12);
        simulator.OpenSquelch(SquelchSource::Search('b', 145500000), 200);
        QVERIFY(rx.waitForFinished(10000));
        QCOMPARE(rx.exitCode(), 0);
        const QStringList lines
            = QString::fromLatin1(rx.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines[0].startsWith("open 123 memory A 5 "), qPrintable(lines[0]));
        QCOMPARE(lines[1], QStringLiteral("close 12 memory A 5 0"));
        QCOMPARE(lines[2], QStringLiteral("open 200 search b - 145500000"));
        QVERIFY(!simulator.State().squelchReporting); // switched off again on exit
    }

    void errors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("errorStart");
        QTest::newRow("no port") << QStringList {"get", "firmware"} << 2 << "varnock-rx: --port";
        QTest::newRow("unknown command") << QStringList {"--port", "/dev/null", "fly"} << 2 << "varnock-rx: ";
        QTest::newRow("missing device") << QStringList {"--port", "/dev/no-such-device", "get", "firmware"}
                                        << 1 << "SerialComm [0] ($Revision$) error: 1\nLastError ";
        QTest::newRow("unknown setting")
            << QStringList {"get", "volume", "--port", "@sim"} << 2 << "varnock-rx: ";
        QTest::newRow("bad bank") << QStringList {"--port", "@sim", "get", "scan-bank-size", "K"} << 2
                                  << "varnock-rx: ";
        QTest::newRow("value out of range")
            << QStringList {"--port", "@sim", "set", "scan-group", "10"} << 2 << "varnock-rx: ";
        QTest::newRow("refused by the receiver")
            << QStringList {"--port", "@sim", "add-pass"} << 1 << "Cmd PW  Returned ==>?\n<==";
        QTest::newRow("silent receiver")
            << QStringList {"--port", "@silent", "set", "scan-group", "3"} << 1 << "Cmd GM3  Returned ==><==";
    }
    void errors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, errorStart);
        SimulatorOptions options;
        options.faults.silent = arguments.contains("@silent");
        ReceiverSimulator simulator(options);
        arguments.replaceInStrings(QRegularExpression("^@(sim|silent)$"), simulator.DevicePath());
        const Run run = RunRx(arguments);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.startsWith(errorStart), qPrintable(run.err));
    }

    void help()
    {
        const Run run = RunRx({"--help"});
        QCOMPARE(run.exitCode, 0);
        for (const char* word : {"raw", "get", "set", "vfo", "scan", "search", "add-pass", "power-off", "key",
                 "monitor", "--count", "--seconds", "scan-link-group", "search-delay"})
            QVERIFY2(run.out.contains(word), word);
    }
};

QTEST_GUILESS_MAIN(RxToolTest)
#include "RxToolTest.moc"
