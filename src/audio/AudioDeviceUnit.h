#pragma once
// The sound devices behind two small interfaces, so that tests can feed buffers without a sound server.
// Both hand buffers back on the main thread as posted calls, the way the devices' notifications arrive: a
// wait that processes events sees them.

#include "audio/AudioFormatUnit.h"

#include <QAudioFormat>
#include <QByteArray>
#include <QObject>

#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>

class QAudioSink;
class QAudioSource;
class QIODevice;
class QTimer;

class EAudioDevice : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One capture buffer: allocated once, filled by the device, handed back when full (or at a reset).
struct TCaptureBuffer {
    QByteArray Data; // fixed size: one quarter of a second
    qint64 BytesRecorded = 0;
    int UserWord = 0; // the buffer's ordinal, 1 to 4
    bool Done = false;
};

// One buffer queued for live output. Data shares the capture buffer's bytes (no copy is made); should the
// capture device refill them while the output still holds them, the sharing detaches instead of the output
// playing overwritten or freed memory.
struct TOutputBuffer {
    QByteArray Data;
    qint64 Length = 0;
    int UserWord = 0;
    bool Done = false;
};

class TAudioCaptureDevice {
public:
    using BufferHandler = std::function<void(TCaptureBuffer*)>;
    virtual ~TAudioCaptureDevice() = default;
    // Opens the default input; full buffers go to onFull. Raises "waveInOpen " + a number.
    virtual void Open(const TAudioFormat& format, BufferHandler onFull) = 0;
    // Raises "waveInStart " + a number.
    virtual void Start() = 0;
    // Queues a buffer for filling. Raises "FAILED - waveInAddBuffer" + reason.
    virtual void AddBuffer(TCaptureBuffer* buffer) = 0;
    // Hands every queued buffer back, marked done, with what it holds so far.
    virtual void Reset() = 0;
    // Stops and forgets every buffer without handing any back. Raises "waveInClose " + a number.
    virtual void Close() = 0;
};

class TAudioOutputDevice {
public:
    using BufferHandler = std::function<void(TOutputBuffer*)>;
    virtual ~TAudioOutputDevice() = default;
    // Opens the default output; played buffers go to onDone. Raises "waveOutOpen " + a number.
    virtual void Open(const TAudioFormat& format, BufferHandler onDone) = 0;
    // Queues a buffer for playing. Raises "waveOutWrite " + a number.
    virtual void Write(TOutputBuffer* buffer) = 0;
    virtual void Reset() = 0;
    virtual void Close() = 0;
};

// Capture from the default input through QAudioSource.
class TQtAudioCaptureDevice : public QObject, public TAudioCaptureDevice {
    Q_OBJECT
public:
    explicit TQtAudioCaptureDevice(QObject* parent = nullptr);
    ~TQtAudioCaptureDevice() override;

    void Open(const TAudioFormat& format, BufferHandler onFull) override;
    void Start() override;
    void AddBuffer(TCaptureBuffer* buffer) override;
    void Reset() override;
    void Close() override;

private:
    void ReadAvailable();
    void HandBack(TCaptureBuffer* buffer);

    std::unique_ptr<QAudioSource> Source;
    QIODevice* Stream = nullptr; // owned by Source
    BufferHandler OnFull;
    std::deque<TCaptureBuffer*> Queued;
};

// Live output to the default output through QAudioSink. Qt copies what it accepts, so a buffer is done as
// soon as the sink has taken all of it; what the sink cannot take yet is offered again shortly.
class TQtAudioOutputDevice : public QObject, public TAudioOutputDevice {
    Q_OBJECT
public:
    explicit TQtAudioOutputDevice(QObject* parent = nullptr);
    ~TQtAudioOutputDevice() override;

    void Open(const TAudioFormat& format, BufferHandler onDone) override;
    void Write(TOutputBuffer* buffer) override;
    void Reset() override;
    void Close() override;

private:
    void WritePending();
    void HandBack(TOutputBuffer* buffer);

    std::unique_ptr<QAudioSink> Sink;
    QIODevice* Stream = nullptr; // owned by Sink
    QTimer* RetryTimer = nullptr;
    BufferHandler OnDone;
    std::deque<TOutputBuffer*> Pending;
    qint64 PendingOffset = 0; // bytes of the front buffer already taken by the sink
};

// The Qt Multimedia sample layout for a program format (8 bits unsigned, 16 bits signed).
QAudioFormat ToQAudioFormat(const TAudioFormat& format);
