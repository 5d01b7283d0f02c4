// Faults the program must survive without losing anything, each against the real program offscreen, the
// simulated receiver and a private sound server. scripts/faults runs them (short or long); the figures go to
// standard output.
//   VARNOCK_FAULTS_TRAFFIC_SECONDS  length of the random traffic (default 600)
//   VARNOCK_FAULTS_SEED             seed of the traffic (default 1)

#include "ProgramFixture.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <map>

namespace {
int EnvironmentInteger(const char* name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

void Figure(const QString& text)
{
    std::printf("faults: %s\n", qPrintable(text));
    std::fflush(stdout);
}

// As the squelch pipeline rounds: to the nearest 50 Hz, an exact half to the even multiple.
qint32 RoundTo50(qint32 frequency)
{
    const qint64 low = qint64(frequency) / 50 * 50;
    const qint64 rest = qint64(frequency) - low;
    if (rest > 25 || (rest == 25 && (low / 50) % 2 != 0))
        return qint32(low + 50);
    return qint32(low);
}

QByteArray FileHash(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&f);
    return hash.result().toHex();
}

// Every row of every table, in a fixed order, so that two databases can be compared by content.
QList<QVariantList> Content(const QString& file)
{
    QList<QVariantList> content;
    const auto tables = DatabaseRows(
        file, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));
    for (const QVariantList& table : tables) {
        const QString name = table.first().toString();
        content << QVariantList {name};
        QList<QVariantList> rows = DatabaseRows(file, QStringLiteral("SELECT * FROM %1").arg(name));
        std::sort(rows.begin(), rows.end(), [](const QVariantList& a, const QVariantList& b) {
            return QVariant(a).toStringList() < QVariant(b).toStringList();
        });
        content << rows;
    }
    return content;
}

// The parts of one run: folder, sound server, receiver and the program.
struct TRun {
    TProgramFolder Folder;
    TPulseServer Pulse {Folder.Path(QStringLiteral("pulse"))};
    std::unique_ptr<ReceiverSimulator> Simulator;
    TProgram Program {Folder, Pulse};

    explicit TRun(const SimulatorOptions& options = QuickReceiver())
        : Simulator(std::make_unique<ReceiverSimulator>(options))
    {
        if (Folder.IsValid()) {
            Folder.SetOption(QStringLiteral("SerialPortDevices"), Simulator->DevicePath());
            Folder.SetOption(QStringLiteral("SquelchRecordOn"), QStringLiteral("T"));
        }
    }
    bool IsReady() const { return Folder.IsValid() && Pulse.IsRunning(); }
};
} // namespace

class FaultsE2E : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Random traffic with noise between the reports and recording on, no command exchange running: every
    // opening the receiver reported is counted once, nothing else is, and no recording stays open.
    void randomTrafficIsCountedExactlyOnce()
    {
        const int seconds = EnvironmentInteger("VARNOCK_FAULTS_TRAFFIC_SECONDS", 600);
        const int seed = EnvironmentInteger("VARNOCK_FAULTS_SEED", 1);
        SimulatorOptions options = QuickReceiver();
        options.seed = quint64(seed);
        options.faults.noiseBetweenReports = true;
        TRun run(options);
        QVERIFY2(run.IsReady(), qPrintable(run.Pulse.Problem()));
        run.Program.Start();
        QVERIFY2(WaitForStartUp(*run.Simulator, run.Pulse), qPrintable(run.Program.Output()));
        QTest::qWait(2000);
        const qint64 rssStart = run.Program.ResidentKilobytes();

        TrafficOptions traffic;
        traffic.openingsPerSecond = 10;
        traffic.noise = true;
        run.Simulator->StartTraffic(traffic);
        QElapsedTimer timer;
        timer.start();
        QStringList rssByMinute;
        while (timer.elapsed() < seconds * 1000LL) {
            QTest::qWait(1000);
            QVERIFY2(run.Program.IsRunning(), qPrintable(run.Program.Output()));
            if (timer.elapsed() / 60000 > rssByMinute.size())
                rssByMinute << QString::number(run.Program.ResidentKilobytes());
        }
        run.Simulator->StopTraffic();
        QVERIFY(run.Simulator->WaitUntilIdle());
        // The monitor polls every 100 ms; give the last reports time to arrive.
        QTest::qWait(1500);
        const qint64 rssEnd = run.Program.ResidentKilobytes();
        const QStringList open = run.Program.OpenFiles(QStringLiteral(".Wav"));
        QCOMPARE(run.Program.Terminate(), 0);

        std::map<qint32, qint64> reported;
        int reports = 0;
        for (const SquelchReport& report : run.Simulator->SentReports()) {
            ++reports;
            if (report.open && RoundTo50(report.frequency) > 0)
                ++reported[RoundTo50(report.frequency)];
        }
        std::map<qint32, qint64> logged;
        for (const QVariantList& row :
            run.Folder.Rows(QStringLiteral("SELECT Frequency, SquelchCount FROM FrequencyLogTable_")))
            logged[row[0].toInt()] = row[1].toLongLong();
        qint64 openings = 0;
        for (const auto& [frequency, count] : reported)
            openings += count;
        int missing = 0, invented = 0;
        for (const auto& [frequency, count] : reported)
            missing += int(std::max<qint64>(0, count - (logged.count(frequency) ? logged[frequency] : 0)));
        for (const auto& [frequency, count] : logged)
            invented
                += int(std::max<qint64>(0, count - (reported.count(frequency) ? reported[frequency] : 0)));
        const QStringList recordings = run.Folder.Recordings();
        int brokenRecordings = 0;
        for (const QString& file : recordings)
            brokenRecordings += IsClosedWave(file) ? 0 : 1;
        Figure(QStringLiteral("traffic %1 s, seed %2: %3 reports, %4 openings on %5 frequencies; logged %6 "
                              "frequencies; %7 missing, %8 invented")
                   .arg(seconds)
                   .arg(seed)
                   .arg(reports)
                   .arg(openings)
                   .arg(reported.size())
                   .arg(logged.size())
                   .arg(missing)
                   .arg(invented));
        Figure(QStringLiteral("recordings %1, %2 with wrong sizes, %3 open at the end")
                   .arg(recordings.size())
                   .arg(brokenRecordings)
                   .arg(open.size()));
        Figure(QStringLiteral("resident memory %1 kB at the start, %2 kB at the end; after each minute: %3")
                   .arg(rssStart)
                   .arg(rssEnd)
                   .arg(rssByMinute.join(u' ')));

        QVERIFY(openings >= seconds * 5); // the traffic really ran
        QCOMPARE(missing, 0);
        QCOMPARE(invented, 0);
        QVERIFY(logged == reported);
        QVERIFY2(open.isEmpty(), qPrintable(open.join(u' ')));
        QCOMPARE(brokenRecordings, 0);
        // Flat: what a long run may add is bounded by the capped event log, not by the traffic.
        QVERIFY2(rssEnd - rssStart < 64 * 1024, qPrintable(QString::number(rssEnd - rssStart)));
    }

    // kill -9 in the middle of a recording: the file plays up to its last whole buffer, the database is sound
    // and holds the opening, and the next start backs up exactly what the crash left.
    void killDuringRecordingLosesNothing()
    {
        TRun run;
        QVERIFY2(run.IsReady(), qPrintable(run.Pulse.Problem()));
        run.Program.Start();
        QVERIFY2(WaitForStartUp(*run.Simulator, run.Pulse), qPrintable(run.Program.Output()));
        run.Simulator->OpenSquelch(SquelchSource::MemoryChannel('A', 1), 140);
        QVERIFY(WaitUntil([&] { return run.Program.OpenFiles(QStringLiteral(".Wav")).size() == 1; }, 10000));
        const QString recording = run.Program.OpenFiles(QStringLiteral(".Wav")).first();
        QElapsedTimer recordingFor;
        recordingFor.start();
        QVERIFY(
            WaitUntil([&] { return ReadWaveSizes(recording).dataSize >= 4 * CaptureBufferBytes; }, 15000));
        QTest::qWait(300);
        const double recordedSeconds = recordingFor.elapsed() / 1000.0;
        run.Program.Kill();

        const TWaveSizes sizes = ReadWaveSizes(recording);
        const double playable = SoxDuration(recording);
        Figure(
            QStringLiteral("kill -9 after %1 s of recording: the file holds %2 bytes of samples, the header "
                           "%3; sox plays %4 s")
                .arg(recordedSeconds, 0, 'f', 2)
                .arg(sizes.fileSize - 44)
                .arg(sizes.dataSize)
                .arg(playable, 0, 'f', 2));
        QVERIFY(sizes.dataSize > 0);
        QCOMPARE(sizes.riffSize, sizes.dataSize + 36);
        QVERIFY(sizes.dataSize <= sizes.fileSize - 44);
        QVERIFY(sizes.fileSize - 44 - sizes.dataSize <= CaptureBufferBytes);
        QVERIFY(playable > 0);

        // A copy keeps the crashed files as they are for the comparison with the next backup.
        const QString copy = run.Folder.Path(QStringLiteral("crashed.ABS"));
        QVERIFY(QFile::copy(run.Folder.Database(), copy));
        if (QFile::exists(run.Folder.Database() + "-wal"))
            QVERIFY(QFile::copy(run.Folder.Database() + "-wal", copy + "-wal"));
        QCOMPARE(DatabaseRows(copy, QStringLiteral("PRAGMA integrity_check")).first().first().toString(),
            QStringLiteral("ok"));
        const qint32 frequency = run.Simulator->State().Memory('A', 1)->frequency;
        QCOMPARE(DatabaseRows(copy,
                     QStringLiteral("SELECT SquelchCount FROM FrequencyLogTable_ WHERE Frequency = %1")
                         .arg(frequency))
                     .size(),
            1);
        const auto crashed = Content(copy);

        run.Simulator->CloseSquelch();
        run.Program.Start();
        QVERIFY2(WaitForStartUp(*run.Simulator, run.Pulse, 2), qPrintable(run.Program.Output()));
        QCOMPARE(run.Program.Terminate(), 0);
        QCOMPARE(DatabaseRows(run.Folder.Backup(), QStringLiteral("PRAGMA integrity_check")).first().first(),
            QVariant(QStringLiteral("ok")));
        QCOMPARE(Content(run.Folder.Backup()), crashed);
        Figure(QStringLiteral(
            "kill -9: integrity ok, the next start's backup equals the crashed database (%1 rows)")
                   .arg(crashed.size()));
    }

    // A second copy started while one runs: it hands over to the first and ends with exit code 0, touching
    // neither the database nor its backup nor the receiver.
    void secondStartLeavesTheFirstInCharge()
    {
        TRun run;
        QVERIFY2(run.IsReady(), qPrintable(run.Pulse.Problem()));
        run.Program.Start();
        QVERIFY2(WaitForStartUp(*run.Simulator, run.Pulse), qPrintable(run.Program.Output()));
        QTest::qWait(500);
        const QStringList files
            = {run.Folder.Database(), run.Folder.Database() + "-wal", run.Folder.Backup()};
        QStringList before;
        for (const QString& file : files)
            before << QString::fromLatin1(FileHash(file))
                    + QFileInfo(file).lastModified().toString(Qt::ISODateWithMs);
        const int commandsBefore = int(run.Simulator->ReceivedCommands().size());

        TProgram second(run.Folder, run.Pulse);
        QElapsedTimer timer;
        timer.start();
        second.Start();
        QCOMPARE(second.WaitForExit(20000), 0);
        Figure(QStringLiteral("second start ended after %1 ms with exit code 0").arg(timer.elapsed()));
        QVERIFY(run.Program.IsRunning());
        QTest::qWait(500);
        QStringList after;
        for (const QString& file : files)
            after << QString::fromLatin1(FileHash(file))
                    + QFileInfo(file).lastModified().toString(Qt::ISODateWithMs);
        QCOMPARE(after, before);
        QCOMPARE(int(run.Simulator->ReceivedCommands().size()), commandsBefore);
        QCOMPARE(run.Program.Terminate(), 0);
    }
};

QTEST_GUILESS_MAIN(FaultsE2E)
#include "FaultsE2E.moc"
