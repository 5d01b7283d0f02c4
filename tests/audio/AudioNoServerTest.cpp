// Without a sound server the program goes on silently: one red line for capture, one for output, no speech.

#include "EventLogCapture.h"
#include "audio/AudioControllerUnit.h"
#include "audio/SimpleSpeechUnit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

class AudioNoServerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void devicesFailWithOneRedLineEach();
    void speechIsSilent();
};

void AudioNoServerTest::devicesFailWithOneRedLineEach()
{
    TEventLogCapture log;
    TAudioController controller;
    controller.UseRunningFormats();
    QVERIFY(!controller.SetAudioInput(true));
    QVERIFY(!controller.SetAudioOutput(true));
    QVERIFY(!controller.InputAudioOn());
    QVERIFY(!controller.OutputAudioOn());
    QCOMPARE(log.Colours(), std::vector<TColor>({clRed, clRed}));
    QVERIFY(log.Lines[0].text.startsWith("TVarnockMainForm.SetAudioInput waveInOpen "));
    QVERIFY(log.Lines[1].text.startsWith("TVarnockMainForm.SetAudioOutput waveOutOpen "));

    // Shutting down has nothing to close and says nothing more.
    QVERIFY(controller.SetAudioOutput(false));
    QVERIFY(controller.SetAudioInput(false));
    QCOMPARE(log.Lines.size(), std::size_t(2));
}

void AudioNoServerTest::speechIsSilent()
{
    TSimpleSpeech speech;
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(speech.Speak("Frequency held", SpeakSynchronous), speech.HasVoice());
    QVERIFY(!speech.IsSpeaking());
    QVERIFY(timer.elapsed() < 3000);
}

int main(int argc, char** argv)
{
    // A server address that cannot answer, and no runtime folder of a real session.
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    qputenv("PULSE_SERVER", (runtime.path() + "/no-server").toLocal8Bit());
    QApplication application(argc, argv);
    AudioNoServerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "AudioNoServerTest.moc"
