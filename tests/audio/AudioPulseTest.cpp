// Capture, recording, live output and speech against a real PulseAudio server (scripts/pulse-start): a 1 kHz
// tone played into the null sink must show up in the recording.

#include "EventLogCapture.h"
#include "audio/AudioControllerUnit.h"
#include "audio/SimpleSpeechUnit.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

namespace {

QString PulseDir;
QString PulseProblem;

QString Script(const char* name)
{
    return QString::fromLocal8Bit(qgetenv("VARNOCK_SOURCE_DIR")) + "/scripts/" + name;
}

// Runs before Qt: the sound backend reads the environment when it first connects.
void StartPulse()
{
    PulseDir = QDir::tempPath() + "/varnock-audio-test-" + QString::number(getpid());
    qputenv("VARNOCK_PULSE_DIR", PulseDir.toLocal8Bit());
    if (qgetenv("VARNOCK_SOURCE_DIR").isEmpty()) {
        PulseProblem = "VARNOCK_SOURCE_DIR is not set";
        return;
    }
    FILE* script = popen((Script("pulse-start") + " 2>&1").toLocal8Bit().constData(), "r");
    QByteArray output;
    char chunk[256];
    while (script != nullptr && fgets(chunk, sizeof chunk, script) != nullptr) {
        output += chunk;
    }
    const int status = script != nullptr ? pclose(script) : -1;
    const QByteArray prefix = "export XDG_RUNTIME_DIR=";
    const qsizetype at = output.indexOf(prefix);
    if (status != 0 || at < 0) {
        PulseProblem = "the PulseAudio server cannot start: " + QString::fromLocal8Bit(output).trimmed();
        return;
    }
    qputenv("XDG_RUNTIME_DIR", output.mid(at + prefix.size()).trimmed());
}

void StopPulse()
{
    if (!PulseDir.isEmpty() && PulseProblem.isEmpty()) {
        std::system(Script("pulse-stop").toLocal8Bit().constData());
        QDir(PulseDir).removeRecursively();
    }
}

// Fraction of a block's energy at the frequency (Goertzel), for the left channel of 16-bit stereo samples.
double ToneShare(const QByteArray& samples, qsizetype firstFrame, int frames, double frequency, double rate)
{
    const double coefficient = 2 * std::cos(2 * std::numbers::pi * frequency / rate);
    double s1 = 0, s2 = 0, energy = 0;
    for (int i = 0; i < frames; ++i) {
        const double x = qFromLittleEndian<qint16>(samples.constData() + (firstFrame + i) * 4);
        const double s0 = x + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
        energy += x * x;
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2; // |X(f)|^2
    return energy > 0 ? 2 * power / (frames * energy) : 0;
}

void WaitFor(QProcess& process, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (process.state() != QProcess::NotRunning && timer.elapsed() < milliseconds) {
        QTest::qWait(50);
    }
}

} // namespace

class AudioPulseTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void capturedToneIsRecorded();
    void liveOutputPlaysAndCloses();
    void synchronousSpeechWaitsForTheSentence();

private:
    QTemporaryDir Folder;
};

void AudioPulseTest::initTestCase()
{
    if (!PulseProblem.isEmpty()) {
        QSKIP(qPrintable(PulseProblem));
    }
    for (const char* tool : {"sox", "paplay"}) {
        if (QStandardPaths::findExecutable(tool).isEmpty()) {
            QSKIP(qPrintable(QString(tool) + " is not installed"));
        }
    }
}

void AudioPulseTest::capturedToneIsRecorded()
{
    const QString tone = Folder.filePath("tone.wav");
    QCOMPARE(
        QProcess::execute("sox",
            {"-n", "-r", "22050", "-c", "2", "-b", "16", tone, "synth", "2", "sine", "1000", "vol", "0.5"}),
        0);
    TEventLogCapture log;
    TAudioController controller;
    controller.UseRunningFormats();
    int traces = 0; // full buffers; the ones handed back at the close are shorter
    connect(&controller, &TAudioController::TraceChanged, this,
        [&](const QList<QPointF>& points) { traces += points.size() == 551 ? 1 : 0; });
    QVERIFY2(controller.SetAudioInput(true), qPrintable(log.Messages().join('\n')));
    const QString recording = Folder.filePath("capture.Wav");
    QVERIFY(controller.StartRecording(recording));

    QProcess player;
    player.start("paplay", {"-d", "varnull", tone});
    WaitFor(player, 10000);
    QTest::qWait(1500); // the first capture after the server starts may come late
    controller.StopRecording();
    QVERIFY(controller.SetAudioInput(false));
    QCOMPARE(controller.InputBufferCount(), 0);

    QFile file(recording);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray samples = file.readAll().mid(44);
    QVERIFY2(samples.size() >= 4 * 22048, qPrintable(QString::number(samples.size())));
    QCOMPARE(samples.size() % 4, 0); // whole frames only
    QVERIFY(traces >= 4);
    const int block = 2205; // a tenth of a second
    int toneBlocks = 0;
    for (qsizetype frame = 0; frame + block <= samples.size() / 4; frame += block) {
        if (ToneShare(samples, frame, block, 1000, 22050) > 0.9) {
            ++toneBlocks;
        }
    }
    qInfo("%lld sample bytes captured, %d tenths of a second carry the tone", qlonglong(samples.size()),
        toneBlocks);
    QVERIFY2(toneBlocks >= 10, qPrintable(QString("%1 blocks carry the tone").arg(toneBlocks)));
    for (const EventLogLine& line : log.Lines) {
        QVERIFY2(line.colour != clRed, qPrintable(line.text));
    }
}

void AudioPulseTest::liveOutputPlaysAndCloses()
{
    TEventLogCapture log;
    TAudioController controller;
    controller.UseRunningFormats();
    QVERIFY(controller.SetAudioInput(true));
    QVERIFY(controller.SetAudioOutput(true));
    QTest::qWait(1200);
    QVERIFY(controller.SetAudioInput(false)); // takes the output down first
    QVERIFY(!controller.OutputAudioOn());
    QCOMPARE(controller.OutputBufferCount(), 0);
    QCOMPARE(controller.InputBufferCount(), 0);
    QVERIFY2(log.Lines.empty(), qPrintable(log.Messages().join('\n')));
}

void AudioPulseTest::synchronousSpeechWaitsForTheSentence()
{
    TSimpleSpeech speech;
    if (!speech.HasVoice()) {
        QSKIP("eSpeak NG has no voice data here");
    }
    const double seconds = speech.Synthesize("Frequency held").size() / 2.0 / speech.SampleRate();
    QElapsedTimer timer;
    timer.start();
    QVERIFY(speech.Speak("Frequency held", SpeakSynchronous));
    QVERIFY(!speech.IsSpeaking());
    QVERIFY2(timer.elapsed() >= seconds * 1000 * 0.8, qPrintable(QString::number(timer.elapsed())));
}

int main(int argc, char** argv)
{
    StartPulse();
    int result = 0;
    {
        QApplication application(argc, argv);
        AudioPulseTest test;
        result = QTest::qExec(&test, argc, argv);
    }
    StopPulse();
    return result;
}

#include "AudioPulseTest.moc"
