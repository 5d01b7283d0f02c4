#include "audio/AudioControllerUnit.h"

#include "app/EventLogUnit.h"
#include "audio/AudioTraceUnit.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <functional>

namespace {

constexpr int WaitTurns = 51;
constexpr int WaitTurnsWithoutComplaint = 45;
constexpr int WaitSliceMilliseconds = 100;

// At most 51 turns of processing events (the devices' hand-backs are posted calls) and sleeping 100 ms, until
// consumed() holds. Returns the turns taken, or -1 when it never held.
int WaitForBuffersToBeConsumed(const std::function<bool()>& consumed)
{
    for (int turn = 1; turn <= WaitTurns; ++turn) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (consumed()) {
            return turn;
        }
        QThread::msleep(WaitSliceMilliseconds);
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return consumed() ? WaitTurns : -1;
}

void LogError(const QString& text)
{
    AddToEventLog(text, clRed, true);
}

// What would reach the application's message loop from a device notification.
void LogUnhandled(const std::exception& error)
{
    LogError("--->" + QString::fromStdString(error.what()));
}

} // namespace

TAudioController::TAudioController(QObject* parent)
    : TAudioController(
        std::make_unique<TQtAudioCaptureDevice>(), std::make_unique<TQtAudioOutputDevice>(), parent)
{
}

TAudioController::TAudioController(
    std::unique_ptr<TAudioCaptureDevice> capture, std::unique_ptr<TAudioOutputDevice> output, QObject* parent)
    : QObject(parent)
    , Capture(std::move(capture))
    , Output(std::move(output))
    , FInputFormat(InitialAudioFormat())
    , FOutputFormat(InitialAudioFormat())
{
    connect(&Recorder, &TRecorder::CaptionChanged, this, &TAudioController::CaptionChanged);
    connect(&Recorder, &TRecorder::TraceColourChanged, this, &TAudioController::TraceColourChanged);
}

TAudioController::~TAudioController()
{
    // The window normally closes both in its close query. Here no events may be processed any more (the owner
    // may be half destroyed), so the devices are closed without waiting: they drop their buffers unplayed.
    Recorder.StopRecording();
    FOutputAudioOn = false;
    FInputAudioOn = false;
    try {
        Output->Close();
        Capture->Close();
    } catch (const std::exception&) {
    }
}

// ---- formats

void TAudioController::SetInputFormat(const TAudioFormat& format)
{
    const TAudioFormat completed = CompleteAudioFormat(format);
    if (completed == FInputFormat) {
        return;
    }
    const bool inputWasOn = FInputAudioOn;
    const bool outputWasOn = FOutputAudioOn;
    SetAudioInput(false); // closes the output too
    FInputFormat = completed;
    if (inputWasOn) {
        SetAudioInput(true);
        if (outputWasOn) {
            SetAudioOutput(true);
        }
    }
}

void TAudioController::SetOutputFormat(const TAudioFormat& format)
{
    const TAudioFormat completed = CompleteAudioFormat(format);
    if (completed == FOutputFormat) {
        return;
    }
    const bool outputWasOn = FOutputAudioOn;
    SetAudioOutput(false);
    FOutputFormat = completed;
    if (outputWasOn) {
        SetAudioOutput(true);
    }
}

void TAudioController::SetInputChannels(int channels)
{
    TAudioFormat format = FInputFormat;
    format.Channels = quint16(channels);
    SetInputFormat(format);
}

void TAudioController::SetInputSamplesPerSec(int samplesPerSec)
{
    TAudioFormat format = FInputFormat;
    format.SamplesPerSec = quint32(samplesPerSec);
    SetInputFormat(format);
}

void TAudioController::SetInputBitsPerSample(int bitsPerSample)
{
    TAudioFormat format = FInputFormat;
    format.BitsPerSample = quint16(bitsPerSample);
    SetInputFormat(format);
}

void TAudioController::SetOutputChannels(int channels)
{
    TAudioFormat format = FOutputFormat;
    format.Channels = quint16(channels);
    SetOutputFormat(format);
}

void TAudioController::SetOutputSamplesPerSec(int samplesPerSec)
{
    TAudioFormat format = FOutputFormat;
    format.SamplesPerSec = quint32(samplesPerSec);
    SetOutputFormat(format);
}

void TAudioController::SetOutputBitsPerSample(int bitsPerSample)
{
    TAudioFormat format = FOutputFormat;
    format.BitsPerSample = quint16(bitsPerSample);
    SetOutputFormat(format);
}

void TAudioController::UseRunningFormats()
{
    SetInputFormat(RunningAudioFormat());
    SetOutputFormat(RunningAudioFormat());
}

// ---- capture

bool TAudioController::SetAudioInput(bool on)
{
    if (on == FInputAudioOn) {
        return true;
    }
    try {
        if (on) {
            OpenCapture();
        } else {
            CloseCapture();
        }
        return true;
    } catch (const std::exception& error) {
        LogError("TVarnockMainForm.SetAudioInput " + QString::fromStdString(error.what()));
        return false;
    }
}

void TAudioController::OpenCapture()
{
    FInputAudioOn = true;
    try {
        Capture->Open(FInputFormat, [this](TCaptureBuffer* buffer) { HandleCaptureBufferFull(buffer); });
        Capture->Start();
        for (int ordinal = 1; ordinal <= CaptureBufferCount; ++ordinal) {
            QueueCaptureBuffer(ordinal);
        }
    } catch (...) {
        // Nothing half-open stays behind: the device forgets its buffers and they go.
        FInputAudioOn = false;
        try {
            Capture->Close();
        } catch (const std::exception&) {
        }
        InputBuffers.clear();
        throw;
    }
    Q_EMIT InputAudioOnChanged(true);
}

void TAudioController::QueueCaptureBuffer(int ordinal)
{
    auto buffer = std::make_unique<TCaptureBuffer>();
    buffer->Data = QByteArray(CaptureBufferBytes(FInputFormat), '\0');
    buffer->UserWord = ordinal;
    InputBuffers.push_back(std::move(buffer));
    try {
        Capture->AddBuffer(InputBuffers.back().get());
    } catch (...) {
        InputBuffers.pop_back();
        throw;
    }
}

void TAudioController::CloseCapture()
{
    // Output buffers share capture memory: the output always goes first.
    SetAudioOutput(false);
    FInputAudioOn = false; // from now on every buffer handed back is freed, not re-queued
    Capture->Reset(); // hands back the queued buffers with what they hold, so a recording loses nothing
    const int turns = WaitForBuffersToBeConsumed([this] { return InputBuffers.empty(); });
    try {
        Capture->Close();
    } catch (...) {
        InputBuffers.clear();
        Q_EMIT InputAudioOnChanged(false);
        throw;
    }
    // The device no longer knows any buffer, so the ones it never handed back can go safely.
    InputBuffers.clear();
    Q_EMIT InputAudioOnChanged(false);
    if (turns < 0 || turns > WaitTurnsWithoutComplaint) {
        throw EAudioDevice("WaitForBuffersToBeConsumed");
    }
}

bool TAudioController::IsInputBuffer(const TCaptureBuffer* buffer) const
{
    return std::any_of(InputBuffers.begin(), InputBuffers.end(),
        [buffer](const auto& owned) { return owned.get() == buffer; });
}

void TAudioController::HandleCaptureBufferFull(TCaptureBuffer* buffer)
{
    // A hand-back of a buffer already freed carries nothing to touch.
    if (buffer == nullptr || !IsInputBuffer(buffer)) {
        return;
    }
    Recorder.WriteWaveData(buffer->Data.constData(), buffer->BytesRecorded);
    DealWithTheWaveData(*buffer);
    if (!buffer->Done) {
        return;
    }
    try {
        QueueOutputBuffer(buffer->Data, buffer->BytesRecorded, buffer->UserWord);
    } catch (const std::exception& error) {
        LogUnhandled(error); // capture goes on with the next buffer
    }
    if (FInputAudioOn) {
        RequeueCaptureBuffer(buffer);
    } else {
        FreeWaveHdrAndDataMemory(buffer);
    }
}

void TAudioController::RequeueCaptureBuffer(TCaptureBuffer* buffer)
{
    buffer->BytesRecorded = 0;
    buffer->Done = false;
    try {
        Capture->AddBuffer(buffer);
    } catch (const std::exception& error) {
        // A buffer the device refused is nobody's: free it rather than leave it to stall the next close.
        FreeWaveHdrAndDataMemory(buffer);
        LogUnhandled(error);
    }
}

void TAudioController::FreeWaveHdrAndDataMemory(TCaptureBuffer* buffer)
{
    const auto found = std::find_if(InputBuffers.begin(), InputBuffers.end(),
        [buffer](const auto& owned) { return owned.get() == buffer; });
    if (found == InputBuffers.end()) {
        LogError("--->MMWIMDATA - FreeWaveHdrAndDataMemory");
        return;
    }
    InputBuffers.erase(found);
}

void TAudioController::DealWithTheWaveData(const TCaptureBuffer& buffer)
{
    try {
        FTracePoints = ExtractTraceChannel(buffer.Data.constData(), buffer.BytesRecorded, FInputFormat);
    } catch (const std::exception& error) {
        LogError("DealWithTheWaveData " + QString::fromStdString(error.what()));
        return;
    }
    if (FInputFormat.Channels > TracedChannel) {
        Q_EMIT TraceChanged(FTracePoints);
    }
}

// ---- live output

bool TAudioController::SetAudioOutput(bool on)
{
    if (on == FOutputAudioOn) {
        return true;
    }
    try {
        if (on) {
            OpenOutput();
        } else {
            CloseOutput();
        }
        return true;
    } catch (const std::exception& error) {
        LogError("TVarnockMainForm.SetAudioOutput " + QString::fromStdString(error.what()));
        return false;
    }
}

void TAudioController::OpenOutput()
{
    FOutputAudioOn = true;
    try {
        Output->Open(FOutputFormat, [this](TOutputBuffer* buffer) { HandleOutputBufferDone(buffer); });
    } catch (...) {
        FOutputAudioOn = false;
        throw;
    }
    Q_EMIT OutputAudioOnChanged(true);
}

void TAudioController::CloseOutput()
{
    FOutputAudioOn = false; // no new buffers from now on
    // Let what is queued play out; no complaint when it does not.
    WaitForBuffersToBeConsumed([this] { return OutputBuffers.empty(); });
    Output->Reset();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    try {
        Output->Close();
    } catch (...) {
        OutputBuffers.clear();
        Q_EMIT OutputAudioOnChanged(false);
        throw;
    }
    OutputBuffers.clear();
    Q_EMIT OutputAudioOnChanged(false);
}

void TAudioController::QueueOutputBuffer(const QByteArray& data, qint64 count, int userWord)
{
    if (!FOutputAudioOn) {
        return;
    }
    auto header = std::make_unique<TOutputBuffer>();
    header->Data = data;
    header->Length = std::clamp<qint64>(count, 0, data.size());
    header->UserWord = userWord;
    OutputBuffers.push_back(std::move(header));
    try {
        Output->Write(OutputBuffers.back().get());
    } catch (...) {
        OutputBuffers.pop_back();
        throw;
    }
}

void TAudioController::HandleOutputBufferDone(TOutputBuffer* buffer)
{
    const auto found = std::find_if(OutputBuffers.begin(), OutputBuffers.end(),
        [buffer](const auto& owned) { return owned.get() == buffer; });
    if (found == OutputBuffers.end()) {
        return; // handed back after the output was closed
    }
    if (!buffer->Done) {
        return;
    }
    OutputBuffers.erase(found);
}

void TAudioController::SetAudioAutoSwitchOn(bool on)
{
    FAudioAutoSwitchOn = on;
    Q_EMIT AudioAutoSwitchOnChanged(on, AutoSwitchOnCaption(on));
}

QString TAudioController::AutoSwitchOnCaption(bool on)
{
    return on ? QStringLiteral("Disable Auto Switch On") : QStringLiteral("Enable Auto Switch On");
}

// ---- recording

void TAudioController::SetupRecordingDirectory(const QString& optionValue)
{
    Recorder.SetRecordingDirectory(MakeRecordingDirectory(optionValue));
}

bool TAudioController::StartRecording(const QString& fileName)
{
    return Recorder.StartRecording(fileName, FInputFormat);
}

void TAudioController::StopRecording()
{
    Recorder.StopRecording();
}

void TAudioController::RecordOn()
{
    FSquelchRecordOn = true;
    Q_EMIT SquelchRecordOnChanged(true);
}

void TAudioController::RecordOff()
{
    StopRecording();
    FSquelchRecordOn = false;
    Q_EMIT SquelchRecordOnChanged(false);
}

void TAudioController::ToggleSquelchRecord()
{
    if (FSquelchRecordOn) {
        RecordOff();
    } else {
        RecordOn();
    }
}
