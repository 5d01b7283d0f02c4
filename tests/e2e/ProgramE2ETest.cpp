// The real program, offscreen, beside the simulated receiver and a real sound server: a special frequency
// holds the receiver and switches live audio on; SIGTERM closes the program as a user would and the next
// start carries on where it stopped.

#include "ProgramFixture.h"

#include <QFileInfo>
#include <QTest>

namespace {
const QString DistributionSeries
    = QStringLiteral("SELECT Abscissa, Ordinate FROM FrequencyDistributionSeriesTable_");
const QString ActivitySeries
    = QStringLiteral("SELECT Abscissa, Ordinate FROM ActivityChartActivitySeriesTable_");
const QString SquelchSeries
    = QStringLiteral("SELECT Abscissa, Ordinate FROM ActivityChartSquelchSeriesTable_");

bool IsWritable(const QString& file)
{
    return QFileInfo(file).permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther);
}

QString Listing(const QStringList& files)
{
    QStringList lines;
    for (const QString& file : files)
        lines << QStringLiteral("%1 %2 bytes%3")
                     .arg(file)
                     .arg(QFileInfo(file).size())
                     .arg(IsWritable(file) ? "" : " read-only");
    return lines.join(u'\n');
}

qint32 StoredFrequency(const ReceiverSimulator& simulator, char bank, int channel)
{
    return simulator.State().Memory(bank, channel)->frequency;
}

qint64 SquelchCount(const TProgramFolder& folder, qint32 frequency)
{
    const auto rows = folder.Rows(
        QStringLiteral("SELECT SquelchCount FROM FrequencyLogTable_ WHERE Frequency = %1").arg(frequency));
    return rows.isEmpty() ? 0 : rows.first().first().toLongLong();
}
} // namespace

class ProgramE2ETest : public QObject {
    Q_OBJECT
private:
    void Opening(ReceiverSimulator& simulator, char bank, int channel, int milliseconds)
    {
        simulator.OpenSquelch(SquelchSource::MemoryChannel(bank, channel), 120);
        QTest::qWait(milliseconds);
        simulator.CloseSquelch(20);
        QVERIFY(simulator.WaitUntilIdle());
    }

private Q_SLOTS:
    void specialFrequencyHoldsTheReceiverSwitchesAudioOnAndKeepsItsRecording()
    {
        TProgramFolder folder;
        QVERIFY(folder.IsValid());
        TPulseServer pulse(folder.Path(QStringLiteral("pulse")));
        QVERIFY2(pulse.IsRunning(), qPrintable(pulse.Problem()));
        ReceiverSimulator simulator(QuickReceiver());
        const qint32 held = StoredFrequency(simulator, 'A', 5);
        folder.SetOption(QStringLiteral("SerialPortDevices"), simulator.DevicePath());
        folder.SetOption(QStringLiteral("SquelchRecordOn"), QStringLiteral("T"));
        folder.SetOption(QStringLiteral("AudioAutoSwitchOn"), QStringLiteral("T"));
        folder.Execute(
            QStringLiteral("INSERT INTO SpecialFrequenciesTable_ VALUES (%1, 255, 1, 1, 1)").arg(held));

        TProgram program(folder, pulse);
        program.Start();
        QVERIFY2(WaitForStartUp(simulator, pulse), qPrintable(program.Output()));
        const int streamsBefore = pulse.PlayingStreams();
        QCOMPARE(CommandCount(simulator, "MRA05"), 0);
        // The first capture after the server started may come late.
        QTest::qWait(2000);

        simulator.OpenSquelch(SquelchSource::MemoryChannel('A', 5), 120);
        // The recall stops the scan on the channel.
        QVERIFY2(WaitUntil([&] { return CommandCount(simulator, "MRA05") == 1; }, 10000),
            qPrintable(QString::fromLatin1(simulator.Transcript().right(2000))));
        QVERIFY(WaitUntil([&] { return simulator.State().activity == SimActivity::Memory; }, 5000));
        QCOMPARE(simulator.State().currentBank, 'A');
        QCOMPARE(simulator.State().currentChannel, 5);
        // Live audio plays into the sound server.
        QVERIFY2(WaitUntil([&] { return pulse.PlayingStreams() > streamsBefore; }, 10000),
            qPrintable(
                QStringLiteral("%1 streams before, %2 now").arg(streamsBefore).arg(pulse.PlayingStreams())));
        QTest::qWait(2000);
        simulator.CloseSquelch(20);
        QVERIFY(simulator.WaitUntilIdle());
        QVERIFY2(WaitUntil(
                     [&] {
                         const QStringList files = folder.Recordings();
                         return files.size() == 1 && !IsWritable(files.first());
                     },
                     10000),
            qPrintable(Listing(folder.Recordings())));

        // Held already: the next opening is recorded and counted, but not recalled again.
        Opening(simulator, 'A', 5, 1200);
        QVERIFY(WaitUntil([&] { return folder.Recordings().size() == 2; }, 10000));
        QTest::qWait(500);
        QCOMPARE(CommandCount(simulator, "MRA05"), 1);
        QCOMPARE(program.Terminate(), 0);

        for (const QString& file : folder.Recordings()) {
            QVERIFY2(!IsWritable(file), qPrintable(file));
            QVERIFY2(IsClosedWave(file), qPrintable(file));
        }
        QCOMPARE(SquelchCount(folder, held), 2);
        // The switched-on audio is what the closing stored.
        QCOMPARE(folder.Option(QStringLiteral("OutputAudioOn")), QStringLiteral("T"));
    }

    void sigtermStoresEverythingAndTheNextStartRestoresIt()
    {
        TProgramFolder folder;
        QVERIFY(folder.IsValid());
        TPulseServer pulse(folder.Path(QStringLiteral("pulse")));
        QVERIFY2(pulse.IsRunning(), qPrintable(pulse.Problem()));
        ReceiverSimulator simulator(QuickReceiver());
        folder.SetOption(QStringLiteral("SerialPortDevices"), simulator.DevicePath());
        folder.SetOption(QStringLiteral("SquelchRecordOn"), QStringLiteral("T"));
        QVERIFY(folder.Option(QStringLiteral("AnnouncementInterval")).isEmpty());
        QVERIFY(folder.Option(QStringLiteral("VarnockMainForm_Width")).isEmpty());

        TProgram program(folder, pulse);
        program.Start();
        QVERIFY2(WaitForStartUp(simulator, pulse), qPrintable(program.Output()));
        Opening(simulator, 'A', 1, 700);
        Opening(simulator, 'A', 2, 700);
        Opening(simulator, 'A', 1, 700);
        // The signal comes while a recording runs.
        simulator.OpenSquelch(SquelchSource::MemoryChannel('A', 3), 120);
        const QString name = QString::number(StoredFrequency(simulator, 'A', 3) / 1e6, 'f', 6) + " MHz";
        QString running;
        QVERIFY(WaitUntil(
            [&] {
                const QStringList open = program.OpenFiles(QStringLiteral(".Wav"));
                running = open.size() == 1 && open.first().contains(name) ? open.first() : QString();
                return !running.isEmpty() && ReadWaveSizes(running).dataSize > 0;
            },
            10000));
        QCOMPARE(program.Terminate(), 0);

        // The options the closing writes.
        QCOMPARE(folder.Option(QStringLiteral("SquelchRecordOn")), QStringLiteral("T"));
        QCOMPARE(folder.Option(QStringLiteral("OutputAudioOn")), QStringLiteral("F"));
        QCOMPARE(folder.Option(QStringLiteral("AudioAutoSwitchOn")), QStringLiteral("F"));
        QCOMPARE(folder.Option(QStringLiteral("AnnouncementInterval")), QStringLiteral("23"));
        QVERIFY(folder.Option(QStringLiteral("VarnockMainForm_Width")).toInt() > 0);
        // The running recording was closed with its final sizes.
        QVERIFY2(IsClosedWave(running), qPrintable(running));
        QVERIFY(ReadWaveSizes(running).dataSize > 0);
        QVERIFY(SoxDuration(running) > 0);
        QCOMPARE(SquelchCount(folder, StoredFrequency(simulator, 'A', 1)), 2);
        QCOMPARE(SquelchCount(folder, StoredFrequency(simulator, 'A', 3)), 1);
        // Two frequencies closed, so two bars; every closing is an activity point.
        const auto bars = folder.Rows(DistributionSeries);
        const auto activity = folder.Rows(ActivitySeries);
        const auto squelch = folder.Rows(SquelchSeries);
        QCOMPARE(bars.size(), 2);
        QVERIFY(!activity.isEmpty() || !squelch.isEmpty());

        // The next start shows them again, and its closing stores them unchanged.
        program.Start();
        QVERIFY2(WaitForStartUp(simulator, pulse, 2), qPrintable(program.Output()));
        QCOMPARE(program.Terminate(), 0);
        QCOMPARE(folder.Rows(DistributionSeries), bars);
        QCOMPARE(folder.Rows(ActivitySeries), activity);
        QCOMPARE(folder.Rows(SquelchSeries), squelch);
        QCOMPARE(SquelchCount(folder, StoredFrequency(simulator, 'A', 1)), 2);
    }
};

QTEST_GUILESS_MAIN(ProgramE2ETest)
#include "ProgramE2ETest.moc"
