// One squelch period through the whole program: the simulated receiver opens the squelch on a memory channel
// while a 1 kHz tone plays into the private sound server, then closes it. The real program, offscreen, must
// leave one recording named by the rule that carries the tone and a frequency log row with count 1 and the
// open time. (The event log's lines and colours are checked on the window itself: the program keeps its log
// file only when the user closes the log window.)

#include "ProgramFixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <cmath>

namespace {

constexpr double ToneHz = 1000;

// sox's rough frequency and RMS amplitude of a recording's first channel.
std::pair<double, double> ToneOf(const QString& file)
{
    QProcess sox;
    sox.setProcessChannelMode(QProcess::MergedChannels);
    sox.start(QStringLiteral("sox"),
        {file, QStringLiteral("-n"), QStringLiteral("remix"), QStringLiteral("1"), QStringLiteral("stat")});
    if (!sox.waitForFinished(30000))
        return {-1, -1};
    const QString report = QString::fromLocal8Bit(sox.readAll());
    auto value = [&](const QString& name) {
        const QRegularExpression pattern(
            QRegularExpression::escape(name) + QStringLiteral(R"(:\s*([-0-9.]+))"));
        const auto match = pattern.match(report);
        return match.hasMatch() ? match.captured(1).toDouble() : -1.0;
    };
    return {value(QStringLiteral("Rough   frequency")), value(QStringLiteral("RMS     amplitude"))};
}

bool MakeTone(const QString& file, int seconds)
{
    return QProcess::execute(QStringLiteral("sox"),
               {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("22050"), QStringLiteral("-c"),
                   QStringLiteral("2"), QStringLiteral("-b"), QStringLiteral("16"), file,
                   QStringLiteral("synth"), QString::number(seconds), QStringLiteral("sine"),
                   QString::number(ToneHz), QStringLiteral("vol"), QStringLiteral("0.5")})
        == 0;
}

} // namespace

class SquelchRecordingE2ETest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void toneRecordedCountedTimedAndLogged()
    {
        TProgramFolder folder;
        QVERIFY(folder.IsValid());
        TPulseServer pulse(folder.Path(QStringLiteral("pulse")));
        QVERIFY2(pulse.IsRunning(), qPrintable(pulse.Problem()));
        SimulatorOptions options;
        options.resortMs = 0;
        ReceiverSimulator simulator(options);
        const qint32 stored = simulator.State().Memory('A', 5)->frequency;
        QVERIFY(stored > 0);
        folder.SetOption(QStringLiteral("SerialPortDevices"), simulator.DevicePath());
        folder.SetOption(QStringLiteral("SquelchRecordOn"), QStringLiteral("T"));
        const QString tone = folder.Path(QStringLiteral("tone.wav"));
        QVERIFY(MakeTone(tone, 8));

        TProgram program(folder, pulse);
        program.Start();
        QVERIFY2(WaitForStartUp(simulator, pulse), qPrintable(program.Output()));

        QProcess player;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), pulse.RuntimeDirectory());
        player.setProcessEnvironment(environment);
        player.start(QStringLiteral("paplay"), {QStringLiteral("-d"), QStringLiteral("varnull"), tone});
        QVERIFY(player.waitForStarted());
        QTest::qWait(500); // the tone reaches the capture before the squelch opens

        QElapsedTimer period;
        simulator.OpenSquelch(SquelchSource::MemoryChannel('A', 5), 150);
        QVERIFY(simulator.WaitUntilIdle());
        period.start();
        QTest::qWait(3000);
        simulator.CloseSquelch(12);
        QVERIFY(simulator.WaitUntilIdle());
        const double openSeconds = period.elapsed() / 1000.0;
        QVERIFY(WaitUntil(
            [&] { return folder.Recordings().size() == 1 && program.OpenFiles(".Wav").isEmpty(); }, 10000));
        player.kill();
        player.waitForFinished();
        QCOMPARE(program.Terminate(), 0);

        // One recording, named by the rule (the frequency keeps its leading blank), holding the tone.
        const QStringList recordings = folder.Recordings();
        QCOMPARE(recordings.size(), 1);
        const QString name = QFileInfo(recordings.first()).fileName();
        const QString frequencyText = QString::asprintf("%11.6f MHz", stored / 1e6);
        QVERIFY2(QRegularExpression(
                     "^" + QRegularExpression::escape(frequencyText) + R"(_\d{8}_\d{6}\.\d{3}\.Wav$)")
                     .match(name)
                     .hasMatch(),
            qPrintable(name));
        QVERIFY(IsClosedWave(recordings.first()));
        const double recorded = SoxDuration(recordings.first());
        // The sound server delivers about a second late, so the period's end goes unrecorded.
        QVERIFY2(recorded >= 0.75, qPrintable(QStringLiteral("%1 s recorded").arg(recorded)));
        const auto [frequency, amplitude] = ToneOf(recordings.first());
        QVERIFY2(std::abs(frequency - ToneHz) < 50 && amplitude > 0.1,
            qPrintable(QStringLiteral("%1 Hz, RMS %2").arg(frequency).arg(amplitude)));

        // The frequency log: counted once, open for about as long as the simulator held the squelch open.
        const auto rows = folder.Rows(QStringLiteral(
            "SELECT SquelchCount, SquelchDuration FROM FrequencyLogTable_ WHERE Frequency = %1")
                                          .arg(stored));
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.first().at(0).toInt(), 1);
        const double loggedSeconds = rows.first().at(1).toDouble() * 86400;
        QVERIFY2(std::abs(loggedSeconds - openSeconds) < 0.3,
            qPrintable(QStringLiteral("logged %1 s, open %2 s").arg(loggedSeconds).arg(openSeconds)));
        qInfo("open %.3f s, logged %.3f s, %.3f s recorded", openSeconds, loggedSeconds, recorded);
    }
};

QTEST_GUILESS_MAIN(SquelchRecordingE2ETest)
#include "SquelchRecordingE2ETest.moc"
