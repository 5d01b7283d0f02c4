#pragma once
// The main window's sound: capture with its four circulating buffers, the WAV recording of the capture, the
// waveform trace and the live output. The window owns one controller, calls its operations from its actions
// and the squelch pipeline, and shows what the signals report. Everything runs on the main thread.
//
// Device failures never escape: a capture or output that cannot be opened is logged in red once and stays
// off, and the program goes on without it.

#include "audio/AudioDeviceUnit.h"
#include "audio/AudioFormatUnit.h"
#include "audio/RecordingUnit.h"
#include "support/Colour.h"

#include <QList>
#include <QObject>
#include <QPointF>

#include <memory>
#include <vector>

class TAudioController : public QObject {
    Q_OBJECT
public:
    // On the default devices through Qt Multimedia.
    explicit TAudioController(QObject* parent = nullptr);
    // On the given devices (tests feed buffers through fakes).
    TAudioController(std::unique_ptr<TAudioCaptureDevice> capture, std::unique_ptr<TAudioOutputDevice> output,
        QObject* parent = nullptr);
    // Stops recording, then closes output before capture without waiting (call SetAudioOutput(false) and
    // SetAudioInput(false) first for an orderly close).
    ~TAudioController() override;

    // ---- formats: the setters do nothing for an unchanged value, otherwise close the device concerned,
    // change the value, recompute the derived fields and reopen what was open
    const TAudioFormat& InputFormat() const { return FInputFormat; }
    const TAudioFormat& OutputFormat() const { return FOutputFormat; }
    void SetInputChannels(int channels);
    void SetInputSamplesPerSec(int samplesPerSec);
    void SetInputBitsPerSample(int bitsPerSample);
    void SetOutputChannels(int channels);
    void SetOutputSamplesPerSec(int samplesPerSec);
    void SetOutputBitsPerSample(int bitsPerSample);
    // Start-up: both formats as the program runs them (2 channels, 22050 per second, 16 bits).
    void UseRunningFormats();

    // ---- capture
    bool InputAudioOn() const { return FInputAudioOn; }
    // Opens (true) or closes (false) capture; returns false after logging a failure. Closing capture closes
    // the live output first: output buffers share the capture buffers' memory.
    bool SetAudioInput(bool on);
    int InputBufferCount() const { return int(InputBuffers.size()); }
    static constexpr int CaptureBufferCount = 4;

    // ---- live output
    bool OutputAudioOn() const { return FOutputAudioOn; }
    // Opens or closes the live output; a failed open is logged and leaves OutputAudioOn false, so the next
    // Audio On tries again and Audio Off has nothing to close.
    bool SetAudioOutput(bool on);
    // Plays a captured buffer while the output is on (its bytes are shared, not copied). Raises EAudioDevice.
    void QueueOutputBuffer(const QByteArray& data, qint64 count, int userWord);
    int OutputBufferCount() const { return int(OutputBuffers.size()); }

    bool AudioAutoSwitchOn() const { return FAudioAutoSwitchOn; }
    // Stores the value and reports it with the caption of the Audio button's pop-up item.
    void SetAudioAutoSwitchOn(bool on);
    static QString AutoSwitchOnCaption(bool on);

    // ---- recording
    // Works out the recording folder from the option "RecordedWaveFileDirectory" and creates it.
    void SetupRecordingDirectory(const QString& optionValue);
    QString RecordingDirectory() const { return Recorder.RecordingDirectory(); }
    QString MakeWaveFileName(qint32 frequency) const { return Recorder.MakeWaveFileName(frequency); }
    // False when the file could not be opened (already logged in red); the caller goes on without a
    // recording.
    bool StartRecording(const QString& fileName);
    void StopRecording();
    QString CurrentRecordingFileName() const { return Recorder.CurrentRecordingFileName(); }
    qint64 RecordedDataBytes() const { return Recorder.RecordedDataBytes(); }

    // Record while the squelch is open. RecordOn takes effect at the next opening; RecordOff stops at once.
    bool SquelchRecordOn() const { return FSquelchRecordOn; }
    void RecordOn();
    void RecordOff();
    void ToggleSquelchRecord();

    // ---- trace: channel 1 of the last buffer, every tenth frame (the audio chart's first trace series)
    const QList<QPointF>& TracePoints() const { return FTracePoints; }

    // ---- device notifications (public for the devices' posted calls)
    void HandleCaptureBufferFull(TCaptureBuffer* buffer); // full-buffer handler
    void HandleOutputBufferDone(TOutputBuffer* buffer); // played-buffer handler

Q_SIGNALS:
    // The first trace series gets these points; the second stays empty.
    void TraceChanged(const QList<QPointF>& points);
    void TraceColourChanged(TColor colour);
    // The main window's caption while recording ("Varnock " + file name) and after ("Varnock").
    void CaptionChanged(const QString& caption);
    void InputAudioOnChanged(bool on);
    void OutputAudioOnChanged(bool on);
    void SquelchRecordOnChanged(bool on);
    void AudioAutoSwitchOnChanged(bool on, const QString& caption);

private:
    void OpenCapture();
    void CloseCapture();
    void OpenOutput();
    void CloseOutput();
    void QueueCaptureBuffer(int ordinal);
    void RequeueCaptureBuffer(TCaptureBuffer* buffer);
    void FreeWaveHdrAndDataMemory(TCaptureBuffer* buffer);
    void DealWithTheWaveData(const TCaptureBuffer& buffer);
    bool IsInputBuffer(const TCaptureBuffer* buffer) const;
    void SetInputFormat(const TAudioFormat& format);
    void SetOutputFormat(const TAudioFormat& format);

    // Declared first so that they are destroyed last: the buffers they point to go before them, but only
    // after the destructor has closed them.
    std::unique_ptr<TAudioCaptureDevice> Capture;
    std::unique_ptr<TAudioOutputDevice> Output;

    TAudioFormat FInputFormat;
    TAudioFormat FOutputFormat;
    bool FInputAudioOn = false;
    bool FOutputAudioOn = false;
    bool FAudioAutoSwitchOn = false;
    bool FSquelchRecordOn = false;
    std::vector<std::unique_ptr<TCaptureBuffer>> InputBuffers;
    std::vector<std::unique_ptr<TOutputBuffer>> OutputBuffers;
    TRecorder Recorder;
    QList<QPointF> FTracePoints;
};
