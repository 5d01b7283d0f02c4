#include "audio/AudioDeviceUnit.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QAudioSource>
#include <QMediaDevices>
#include <QTimer>

#include <algorithm>
#include <string>

namespace {

// The sound API's "bad device" number, for a machine without a default device.
constexpr int NoDeviceResult = 2;
constexpr int OutputRetryMilliseconds = 20;

std::string ResultText(const char* operation, int result, const char* reason)
{
    return std::string(operation) + " " + std::to_string(result) + " (" + reason + ")";
}

const char* ErrorReason(QAudio::Error error)
{
    switch (error) {
    case QAudio::NoError:
        return "no error";
    case QAudio::OpenError:
        return "the device could not be opened";
    case QAudio::IOError:
        return "the device failed to read or write";
    case QAudio::UnderrunError:
        return "the device was not fed in time";
    case QAudio::FatalError:
        return "the device is not usable";
    }
    return "unknown error";
}

} // namespace

QAudioFormat ToQAudioFormat(const TAudioFormat& format)
{
    QAudioFormat qt;
    qt.setSampleRate(int(format.SamplesPerSec));
    qt.setChannelCount(format.Channels);
    qt.setSampleFormat(BytesPerSample(format) == 1 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    return qt;
}

// ---- capture

TQtAudioCaptureDevice::TQtAudioCaptureDevice(QObject* parent)
    : QObject(parent)
{
}

TQtAudioCaptureDevice::~TQtAudioCaptureDevice()
{
    if (Source) {
        Source->stop();
    }
}

void TQtAudioCaptureDevice::Open(const TAudioFormat& format, BufferHandler onFull)
{
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull()) {
        throw EAudioDevice(ResultText("waveInOpen", NoDeviceResult, "no sound input device"));
    }
    OnFull = std::move(onFull);
    Source = std::make_unique<QAudioSource>(device, ToQAudioFormat(format));
    Source->setBufferSize(int(CaptureBufferBytes(format)));
    if (Source->error() != QAudio::NoError) {
        const QAudio::Error error = Source->error();
        Source.reset();
        throw EAudioDevice(ResultText("waveInOpen", int(error), ErrorReason(error)));
    }
}

void TQtAudioCaptureDevice::Start()
{
    if (!Source) {
        throw EAudioDevice(ResultText("waveInStart", NoDeviceResult, "the device is not open"));
    }
    Stream = Source->start();
    if (Stream == nullptr || Source->error() != QAudio::NoError) {
        const QAudio::Error error = Source->error();
        Stream = nullptr;
        throw EAudioDevice(ResultText("waveInStart", int(error), ErrorReason(error)));
    }
    connect(Stream, &QIODevice::readyRead, this, &TQtAudioCaptureDevice::ReadAvailable);
}

void TQtAudioCaptureDevice::AddBuffer(TCaptureBuffer* buffer)
{
    if (!Source || buffer == nullptr || buffer->Data.isEmpty()) {
        throw EAudioDevice("FAILED - waveInAddBuffer (the device is not open or the buffer is empty)");
    }
    buffer->Done = false;
    Queued.push_back(buffer);
}

void TQtAudioCaptureDevice::ReadAvailable()
{
    if (Stream == nullptr) {
        return;
    }
    char discard[4096];
    for (;;) {
        if (Queued.empty()) {
            // No buffer queued: the data is lost, as with a device that has nowhere to put it.
            if (Stream->read(discard, sizeof discard) <= 0) {
                return;
            }
            continue;
        }
        TCaptureBuffer* buffer = Queued.front();
        const qint64 room = buffer->Data.size() - buffer->BytesRecorded;
        const qint64 got = Stream->read(buffer->Data.data() + buffer->BytesRecorded, room);
        if (got <= 0) {
            return;
        }
        buffer->BytesRecorded += got;
        if (buffer->BytesRecorded == buffer->Data.size()) {
            Queued.pop_front();
            HandBack(buffer);
        }
    }
}

void TQtAudioCaptureDevice::HandBack(TCaptureBuffer* buffer)
{
    buffer->Done = true;
    QMetaObject::invokeMethod(
        this, [handler = OnFull, buffer] { handler(buffer); }, Qt::QueuedConnection);
}

void TQtAudioCaptureDevice::Reset()
{
    std::deque<TCaptureBuffer*> returned;
    returned.swap(Queued);
    for (TCaptureBuffer* buffer : returned) {
        HandBack(buffer);
    }
}

void TQtAudioCaptureDevice::Close()
{
    Queued.clear();
    if (Source) {
        Source->stop();
        Source.reset();
    }
    Stream = nullptr;
}

// ---- live output

TQtAudioOutputDevice::TQtAudioOutputDevice(QObject* parent)
    : QObject(parent)
    , RetryTimer(new QTimer(this))
{
    RetryTimer->setInterval(OutputRetryMilliseconds);
    RetryTimer->setSingleShot(true);
    connect(RetryTimer, &QTimer::timeout, this, &TQtAudioOutputDevice::WritePending);
}

TQtAudioOutputDevice::~TQtAudioOutputDevice()
{
    if (Sink) {
        Sink->stop();
    }
}

void TQtAudioOutputDevice::Open(const TAudioFormat& format, BufferHandler onDone)
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        throw EAudioDevice(ResultText("waveOutOpen", NoDeviceResult, "no sound output device"));
    }
    OnDone = std::move(onDone);
    Sink = std::make_unique<QAudioSink>(device, ToQAudioFormat(format));
    // Room for four capture buffers: a whole cycle can wait in the sink before it starves or refuses data.
    Sink->setBufferSize(int(4 * CaptureBufferBytes(format)));
    Stream = Sink->start();
    if (Stream == nullptr || Sink->error() != QAudio::NoError) {
        const QAudio::Error error = Sink->error();
        Sink.reset();
        Stream = nullptr;
        throw EAudioDevice(ResultText("waveOutOpen", int(error), ErrorReason(error)));
    }
}

void TQtAudioOutputDevice::Write(TOutputBuffer* buffer)
{
    if (Stream == nullptr || buffer == nullptr) {
        throw EAudioDevice(ResultText("waveOutWrite", NoDeviceResult, "the device is not open"));
    }
    buffer->Done = false;
    Pending.push_back(buffer);
    WritePending();
}

void TQtAudioOutputDevice::WritePending()
{
    while (Stream != nullptr && !Pending.empty()) {
        TOutputBuffer* buffer = Pending.front();
        const qint64 left = buffer->Length - PendingOffset;
        const qint64 taken = left > 0 ? Stream->write(buffer->Data.constData() + PendingOffset, left) : 0;
        if (taken < 0) {
            // The sink failed: this buffer cannot be played, but it must still come back.
            PendingOffset = buffer->Length;
        } else {
            PendingOffset += taken;
        }
        if (PendingOffset < buffer->Length) {
            RetryTimer->start();
            return;
        }
        Pending.pop_front();
        PendingOffset = 0;
        HandBack(buffer);
    }
}

void TQtAudioOutputDevice::HandBack(TOutputBuffer* buffer)
{
    buffer->Done = true;
    QMetaObject::invokeMethod(
        this, [handler = OnDone, buffer] { handler(buffer); }, Qt::QueuedConnection);
}

void TQtAudioOutputDevice::Reset()
{
    RetryTimer->stop();
    std::deque<TOutputBuffer*> returned;
    returned.swap(Pending);
    PendingOffset = 0;
    for (TOutputBuffer* buffer : returned) {
        HandBack(buffer);
    }
}

void TQtAudioOutputDevice::Close()
{
    RetryTimer->stop();
    Pending.clear();
    PendingOffset = 0;
    if (Sink) {
        Sink->stop();
        Sink.reset();
    }
    Stream = nullptr;
}
