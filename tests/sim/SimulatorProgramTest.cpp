// varnock-sim as a program: device path first, link, script, audio command, transcript, state saved at
// SIGTERM.

#include "PtyClient.h"
#include "ReceiverState.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class SimulatorProgramTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void runsUntilTerminatedAndSavesState();
    void refusesBadArguments_data();
    void refusesBadArguments();
};

void SimulatorProgramTest::runsUntilTerminatedAndSavesState()
{
    QTemporaryDir folder;
    const QString link = folder.filePath("receiver");
    const QString saved = folder.filePath("saved.json");
    const QString transcript = folder.filePath("transcript.txt");
    const QString heard = folder.filePath("heard.txt");
    const QString script = folder.filePath("script.txt");
    QFile scriptFile(script);
    QVERIFY(scriptFile.open(QIODevice::WriteOnly));
    scriptFile.write("wait 300\nopen A 0 77\nwait 50\nclose 3\n");
    scriptFile.close();

    QProcess program;
    program.start(VARNOCK_SIM_PROGRAM,
        {"--link", link, "--save-state", saved, "--transcript", transcript, "--script", script,
            "--reports-on", "--audio-command",
            "echo $VARNOCK_SIM_BANK $VARNOCK_SIM_CHANNEL $VARNOCK_SIM_FREQUENCY >>" + heard});
    QVERIFY(program.waitForStarted());
    QVERIFY(program.waitForReadyRead(5000));
    const QString device = QString::fromLocal8Bit(program.readLine()).trimmed();
    QVERIFY2(device.startsWith("/dev/pts/"), qPrintable(device));
    QCOMPARE(QFileInfo(link).symLinkTarget(), device);

    PtyClient line(link);
    QVERIFY(line.IsOpen());
    QCOMPARE(line.Read(40, 2000), QByteArray("LC077 MXA00 RF0118100000\r\nLC%003 MXA00\r\n"));
    QCOMPARE(line.Exchange("TBBSAVED", 2), QByteArray("\r\n"));
    QTRY_VERIFY(QFile::exists(heard));

    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(5000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
    QCOMPARE(ReceiverState::LoadFile(saved).BankText('B'), QByteArray("SAVED   "));
    QFile transcriptFile(transcript);
    QVERIFY(transcriptFile.open(QIODevice::ReadOnly));
    const QByteArray lines = transcriptFile.readAll();
    QVERIFY(lines.contains(" > LC077 MXA00 RF0118100000\\r\\n\n"));
    QVERIFY(lines.contains(" < TBBSAVED\\r\\n\n"));
    QFile heardFile(heard);
    QVERIFY(heardFile.open(QIODevice::ReadOnly));
    QCOMPARE(heardFile.readAll(), QByteArray("A 0 118100000\n"));
}

void SimulatorProgramTest::refusesBadArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("unknown option") << QStringList {"--bogus"} << 2;
    QTest::newRow("rate out of range") << QStringList {"--drop", "2"} << 2;
    QTest::newRow("missing value") << QStringList {"--seed"} << 2;
    QTest::newRow("missing state file") << QStringList {"--state", "/nonexistent/state.json"} << 1;
}

void SimulatorProgramTest::refusesBadArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QProcess program;
    program.start(VARNOCK_SIM_PROGRAM, arguments);
    QVERIFY(program.waitForFinished(5000));
    QCOMPARE(program.exitCode(), exitCode);
    QVERIFY(program.readAllStandardOutput().isEmpty());
    QVERIFY(program.readAllStandardError().startsWith("varnock-sim: "));
}

QTEST_GUILESS_MAIN(SimulatorProgramTest)
#include "SimulatorProgramTest.moc"
