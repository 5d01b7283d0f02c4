#include "audio/SimpleSpeechUnit.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QThread>

#include <espeak-ng/speak_lib.h>

namespace {

TSimpleSpeech* ProgramVoice = nullptr;
const char* const DefaultEnglishVoice = "en";
constexpr int WaitSliceMilliseconds = 10;
constexpr qint64 SpokenWaitSlackMilliseconds = 5000;

// eSpeak NG is initialised once per process: initialising it again after a terminate hangs in the next
// terminate.
struct TSynthesiser {
    TSynthesiser()
        : SampleRate(espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT))
    {
    }
    ~TSynthesiser()
    {
        if (SampleRate > 0) {
            espeak_Terminate();
        }
    }
    const int SampleRate;
};

int SynthesiserSampleRate()
{
    static const TSynthesiser synthesiser;
    return synthesiser.SampleRate;
}

int CollectSamples(short* samples, int count, espeak_EVENT* events)
{
    if (samples != nullptr && count > 0 && events != nullptr && events->user_data != nullptr) {
        static_cast<QByteArray*>(events->user_data)
            ->append(reinterpret_cast<const char*>(samples), qsizetype(count) * qsizetype(sizeof(short)));
    }
    return 0; // go on
}

} // namespace

QString PreferredVoiceName(const QStringList& voiceNames)
{
    return voiceNames.contains(PreferredVoice) ? PreferredVoice : QString();
}

TSimpleSpeech::TSimpleSpeech(QObject* parent)
    : QObject(parent)
{
    if (ProgramVoice != nullptr) {
        return; // eSpeak NG holds one synthesiser per process; it belongs to the first module
    }
    ProgramVoice = this;
    const int rate = SynthesiserSampleRate();
    if (rate <= 0) {
        return;
    }
    IsProgramVoice = true;
    FSampleRate = rate;
    espeak_SetSynthCallback(CollectSamples);
    const QString preferred = PreferredVoiceName(VoiceNames());
    const QByteArray chosen = preferred.isEmpty() ? QByteArray(DefaultEnglishVoice) : preferred.toUtf8();
    VoiceReady = espeak_SetVoiceByName(chosen.constData()) == EE_OK;
    if (VoiceReady) {
        FVoiceName = QString::fromUtf8(chosen);
    }
}

TSimpleSpeech::~TSimpleSpeech()
{
    Purge();
    if (ProgramVoice == this) {
        ProgramVoice = nullptr;
    }
}

QStringList TSimpleSpeech::VoiceNames() const
{
    QStringList names;
    if (!IsProgramVoice) {
        return names;
    }
    for (const espeak_VOICE** voice = espeak_ListVoices(nullptr); voice != nullptr && *voice != nullptr;
         ++voice) {
        if ((*voice)->name != nullptr) {
            names.append(QString::fromUtf8((*voice)->name));
        }
    }
    return names;
}

QByteArray TSimpleSpeech::Synthesize(const QString& text) const
{
    QByteArray samples;
    if (!VoiceReady || text.isEmpty()) {
        return samples;
    }
    const QByteArray utf8 = text.toUtf8();
    espeak_Synth(
        utf8.constData(), size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, &samples);
    return samples;
}

bool TSimpleSpeech::Speak(const QString& text, int flags)
{
    if (!VoiceReady) {
        return false;
    }
    if (flags & SpeakPurgeBeforeSpeak) {
        Purge();
    }
    const QByteArray samples = Synthesize(text);
    if (samples.isEmpty()) {
        return true;
    }
    Queue.push_back(samples);
    if (!Sink) {
        PlayNext();
    }
    if (!(flags & SpeakAsync)) {
        WaitUntilSilent(samples.size());
    }
    return true;
}

bool TSimpleSpeech::IsSpeaking() const
{
    return Sink != nullptr || !Queue.empty();
}

void TSimpleSpeech::Purge()
{
    Queue.clear();
    if (Sink) {
        Sink->disconnect(this);
        Sink->stop();
    }
    Sink.reset();
    Playing.reset();
}

void TSimpleSpeech::PlayNext()
{
    if (Sink) {
        Sink->disconnect(this);
    }
    Sink.reset();
    Playing.reset();
    if (Queue.empty()) {
        return;
    }
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        Queue.clear(); // nowhere to speak: silence
        return;
    }
    QAudioFormat format;
    format.setSampleRate(FSampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    Playing = std::make_unique<QBuffer>();
    Playing->setData(Queue.front());
    Queue.pop_front();
    Playing->open(QIODevice::ReadOnly);
    Sink = std::make_unique<QAudioSink>(device, format);
    connect(Sink.get(), &QAudioSink::stateChanged, this, [this, sink = Sink.get()](QAudio::State state) {
        // Idle: all played; Stopped: the device gave up. Either way the next sentence follows, once: a late
        // notification of a sink already replaced changes nothing.
        if (state == QAudio::IdleState || state == QAudio::StoppedState) {
            QMetaObject::invokeMethod(
                this,
                [this, sink] {
                    if (Sink.get() == sink) {
                        PlayNext();
                    }
                },
                Qt::QueuedConnection);
        }
    });
    Sink->start(Playing.get());
    if (Sink->error() != QAudio::NoError) {
        Purge();
    }
}

void TSimpleSpeech::WaitUntilSilent(qint64 bytes)
{
    const qint64 limit = bytes * 1000 / (qint64(FSampleRate) * 2) + SpokenWaitSlackMilliseconds;
    QElapsedTimer waited;
    waited.start();
    while (IsSpeaking() && waited.elapsed() < limit) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::msleep(WaitSliceMilliseconds);
    }
}

bool Speak(const QString& text, int flags)
{
    return ProgramVoice != nullptr && ProgramVoice->Speak(text, flags);
}
