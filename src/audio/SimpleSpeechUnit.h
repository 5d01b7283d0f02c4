#pragma once
// Spoken announcements on eSpeak NG: the text is synthesised into memory and played on the default output.
// No synthesiser, no voice data or no output device means silence; speech never reports an error.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <deque>
#include <memory>

class QAudioSink;
class QBuffer;

// Flags of Speak, with the values the program has always passed.
constexpr int SpeakSynchronous = 0; // returns when the sentence has been spoken
constexpr int SpeakAsync = 1; // returns at once, the sentence is queued
constexpr int SpeakPurgeBeforeSpeak = 2; // first silences and drops whatever is spoken or queued

inline const QString PreferredVoice = QStringLiteral("Microsoft Mary");

// The voice to select among those installed: the preferred one when present, else empty (the default English
// voice).
QString PreferredVoiceName(const QStringList& voiceNames);

class TSimpleSpeech : public QObject {
    Q_OBJECT
public:
    // Starts the synthesiser (once per process) and chooses the voice. Only the first module alive speaks; it
    // also serves Speak().
    explicit TSimpleSpeech(QObject* parent = nullptr);
    ~TSimpleSpeech() override;

    bool HasVoice() const { return VoiceReady; }
    QString VoiceName() const { return FVoiceName; }
    QStringList VoiceNames() const;
    int SampleRate() const { return FSampleRate; }

    // True when a voice exists. An empty text with the purge flag only silences.
    bool Speak(const QString& text, int flags);
    bool IsSpeaking() const;

    // 16-bit mono samples at SampleRate(); empty without a voice.
    QByteArray Synthesize(const QString& text) const;

private:
    void Purge();
    void PlayNext();
    void WaitUntilSilent(qint64 bytes);

    bool VoiceReady = false;
    bool IsProgramVoice = false;
    int FSampleRate = 0;
    QString FVoiceName;
    std::deque<QByteArray> Queue;
    std::unique_ptr<QAudioSink> Sink;
    std::unique_ptr<QBuffer> Playing;
};

// Speaks through the program's voice (the first TSimpleSpeech alive); false when there is none.
bool Speak(const QString& text, int flags);
