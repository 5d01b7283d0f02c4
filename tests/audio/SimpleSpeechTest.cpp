// Speech on eSpeak NG: the voice rule and synthesis into memory (no sound device needed).

#include "audio/SimpleSpeechUnit.h"

#include <QElapsedTimer>
#include <QTest>

class SimpleSpeechTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void preferredVoice_data();
    void preferredVoice();
    void synthesisesIntoMemory();
    void onlyOneSynthesiserServesSpeak();
};

void SimpleSpeechTest::preferredVoice_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("present") << QStringList({"English (Great Britain)", "Microsoft Mary"})
                             << "Microsoft Mary";
    QTest::newRow("absent") << QStringList({"English (Great Britain)", "Mary"}) << "";
    QTest::newRow("case matters") << QStringList({"microsoft mary"}) << "";
    QTest::newRow("none") << QStringList() << "";
}

void SimpleSpeechTest::preferredVoice()
{
    QFETCH(QStringList, installed);
    QFETCH(QString, chosen);
    QCOMPARE(PreferredVoiceName(installed), chosen);
}

void SimpleSpeechTest::synthesisesIntoMemory()
{
    TSimpleSpeech speech;
    if (!speech.HasVoice()) {
        QSKIP("eSpeak NG has no voice data here");
    }
    QCOMPARE(speech.VoiceName(), QString("en"));
    const QByteArray samples = speech.Synthesize("Frequency held.. 145.5 megahertz");
    const double seconds = samples.size() / 2.0 / speech.SampleRate();
    QVERIFY2(seconds > 1.0 && seconds < 10.0, qPrintable(QString::number(seconds)));
    QVERIFY(speech.Synthesize("").isEmpty());

    // Asynchronous speech and a purge return at once, whether or not a device is there.
    QElapsedTimer timer;
    timer.start();
    QVERIFY(Speak("Frequency held", SpeakAsync));
    QVERIFY(Speak("", SpeakAsync | SpeakPurgeBeforeSpeak));
    QVERIFY(!speech.IsSpeaking());
    QVERIFY(timer.elapsed() < 2000);
}

void SimpleSpeechTest::onlyOneSynthesiserServesSpeak()
{
    TSimpleSpeech first;
    TSimpleSpeech second;
    QVERIFY(!second.HasVoice());
    QCOMPARE(Speak("", SpeakAsync | SpeakPurgeBeforeSpeak), first.HasVoice());
}

QTEST_MAIN(SimpleSpeechTest)
#include "SimpleSpeechTest.moc"
