// The controller's buffer cycle on fake devices: the order of the full-buffer handling, closing, failures.

#include "EventLogCapture.h"
#include "audio/AudioControllerUnit.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <deque>

namespace {

// Records what happens, in order, across the fakes and the controller's signals.
QStringList Steps;

class TFakeCapture : public QObject, public TAudioCaptureDevice {
public:
    void Open(const TAudioFormat& format, BufferHandler onFull) override
    {
        ++Opens;
        if (FailOpen) {
            throw EAudioDevice("waveInOpen 2 (no sound input device)");
        }
        Format = format;
        OnFull = std::move(onFull);
        IsOpen = true;
    }
    void Start() override { }
    void AddBuffer(TCaptureBuffer* buffer) override
    {
        if (RefuseAdds > 0) {
            --RefuseAdds;
            throw EAudioDevice("FAILED - waveInAddBuffer (refused)");
        }
        Steps.append("requeue " + QString::number(buffer->UserWord));
        Queued.push_back(buffer);
    }
    void Reset() override
    {
        while (!Queued.empty()) {
            HandBack();
        }
    }
    void Close() override
    {
        Queued.clear();
        IsOpen = false;
    }

    // The device fills the front buffer with a byte value and hands it back, as a posted call.
    void Fill(char value)
    {
        TCaptureBuffer* buffer = Queued.front();
        buffer->Data.fill(value);
        buffer->BytesRecorded = buffer->Data.size();
        HandBack();
    }

    int Opens = 0;
    bool FailOpen = false;
    bool IsOpen = false;
    int RefuseAdds = 0;
    TAudioFormat Format;
    std::deque<TCaptureBuffer*> Queued;

private:
    void HandBack()
    {
        TCaptureBuffer* buffer = Queued.front();
        Queued.pop_front();
        buffer->Done = true;
        QMetaObject::invokeMethod(
            this, [handler = OnFull, buffer] { handler(buffer); }, Qt::QueuedConnection);
    }

    BufferHandler OnFull;
};

class TFakeOutput : public QObject, public TAudioOutputDevice {
public:
    void Open(const TAudioFormat&, BufferHandler onDone) override
    {
        ++Opens;
        if (FailOpen) {
            throw EAudioDevice("waveOutOpen 2 (no sound output device)");
        }
        OnDone = std::move(onDone);
    }
    void Write(TOutputBuffer* buffer) override
    {
        Steps.append("output " + QString::number(buffer->UserWord));
        Written.push_back(buffer);
        WrittenData.push_back(buffer->Data.constData());
        if (PlayAtOnce) {
            Play();
        }
    }
    void Reset() override
    {
        while (!Written.empty()) {
            Play();
        }
    }
    void Close() override { Written.clear(); }

    void Play()
    {
        TOutputBuffer* buffer = Written.front();
        Written.pop_front();
        buffer->Done = true;
        QMetaObject::invokeMethod(
            this, [handler = OnDone, buffer] { handler(buffer); }, Qt::QueuedConnection);
    }

    int Opens = 0;
    bool FailOpen = false;
    bool PlayAtOnce = true;
    std::deque<TOutputBuffer*> Written;
    std::vector<const char*> WrittenData;

private:
    BufferHandler OnDone;
};

struct TRig {
    TRig()
    {
        auto captureDevice = std::make_unique<TFakeCapture>();
        auto outputDevice = std::make_unique<TFakeOutput>();
        capture = captureDevice.get();
        output = outputDevice.get();
        controller = std::make_unique<TAudioController>(std::move(captureDevice), std::move(outputDevice));
        controller->UseRunningFormats();
        Steps.clear();
    }
    TFakeCapture* capture;
    TFakeOutput* output;
    std::unique_ptr<TAudioController> controller;
};

void RunPosted()
{
    QCoreApplication::processEvents();
}

} // namespace

class AudioControllerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opensFourQuarterSecondBuffers();
    void fullBufferIsRecordedTracedPlayedAndRequeued();
    void closingFreesEveryBufferAndClosesOutputFirst();
    void refusedRequeueFreesTheBuffer();
    void openFailuresAreLoggedOnceAndLeaveTheDeviceOff();
    void formatChangeReopensCapture();
    void recordOffStopsTheRecording();
    void autoSwitchOnCaption();
};

void AudioControllerTest::opensFourQuarterSecondBuffers()
{
    TRig rig;
    QVERIFY(rig.controller->SetAudioInput(true));
    QCOMPARE(rig.controller->InputBufferCount(), 4);
    QCOMPARE(rig.capture->Queued.size(), std::size_t(4));
    for (const TCaptureBuffer* buffer : rig.capture->Queued) {
        QCOMPARE(buffer->Data.size(), 22048);
    }
    QCOMPARE(rig.capture->Format, RunningAudioFormat());
    QCOMPARE(Steps, QStringList({"requeue 1", "requeue 2", "requeue 3", "requeue 4"}));
    QVERIFY(rig.controller->SetAudioInput(true)); // already on: nothing
    QCOMPARE(rig.capture->Opens, 1);
}

void AudioControllerTest::fullBufferIsRecordedTracedPlayedAndRequeued()
{
    QTemporaryDir folder;
    TEventLogCapture log;
    TRig rig;
    TAudioController& controller = *rig.controller;
    QVERIFY(controller.SetAudioInput(true));
    QVERIFY(controller.SetAudioOutput(true));
    const QString name = folder.filePath("cycle.Wav");
    QVERIFY(controller.StartRecording(name));
    QObject::connect(&controller, &TAudioController::TraceChanged, [&](const QList<QPointF>& points) {
        // By the time the trace is drawn the buffer is already in the file.
        Steps.append(
            QString("trace %1 points, %2 recorded").arg(points.size()).arg(controller.RecordedDataBytes()));
    });
    Steps.clear();

    const char* firstData = rig.capture->Queued.front()->Data.constData();
    rig.capture->Fill('\x05');
    RunPosted();

    QCOMPARE(Steps, QStringList({"trace 551 points, 22048 recorded", "output 1", "requeue 1"}));
    QCOMPARE(rig.output->WrittenData.front(), firstData); // played from the capture memory, not a copy
    RunPosted();
    QCOMPARE(controller.OutputBufferCount(), 0);
    QCOMPARE(controller.TracePoints().first().y(), double(0x0505));
    controller.StopRecording();
    QCOMPARE(QFile(name).size(), 44 + 22048);
}

void AudioControllerTest::closingFreesEveryBufferAndClosesOutputFirst()
{
    TEventLogCapture log;
    TRig rig;
    TAudioController& controller = *rig.controller;
    QVERIFY(controller.SetAudioInput(true));
    QVERIFY(controller.SetAudioOutput(true));
    rig.output->PlayAtOnce = false;
    rig.capture->Fill('\x01');
    RunPosted();
    QCOMPARE(controller.OutputBufferCount(), 1); // not yet played
    Steps.clear();
    QSignalSpy outputs(&controller, &TAudioController::OutputAudioOnChanged);
    // The device plays the queued buffer while the close waits for it.
    QTimer::singleShot(300, rig.output, [&rig] { rig.output->Play(); });

    QVERIFY(controller.SetAudioInput(false));
    QVERIFY(!controller.OutputAudioOn());
    QCOMPARE(outputs.size(), 1);
    QCOMPARE(controller.OutputBufferCount(), 0);
    QCOMPARE(controller.InputBufferCount(), 0);
    QVERIFY(!rig.capture->IsOpen);
    QVERIFY(!Steps.join(' ').contains("requeue")); // handed back after the close began: freed, not re-queued
    QVERIFY2(log.Lines.empty(), qPrintable(log.Messages().join('\n')));
}

void AudioControllerTest::refusedRequeueFreesTheBuffer()
{
    TEventLogCapture log;
    TRig rig;
    TAudioController& controller = *rig.controller;
    QVERIFY(controller.SetAudioInput(true));
    rig.capture->RefuseAdds = 1;
    rig.capture->Fill('\x02');
    RunPosted();

    QCOMPARE(controller.InputBufferCount(), 3);
    QCOMPARE(log.Lines.size(), std::size_t(1));
    QCOMPARE(log.Lines[0].colour, clRed);
    QVERIFY(log.Lines[0].text.contains("waveInAddBuffer"));
    // The next close does not wait for the lost buffer and complains about nothing.
    QVERIFY(controller.SetAudioInput(false));
    QCOMPARE(log.Lines.size(), std::size_t(1));
}

void AudioControllerTest::openFailuresAreLoggedOnceAndLeaveTheDeviceOff()
{
    TEventLogCapture log;
    TRig rig;
    TAudioController& controller = *rig.controller;
    rig.capture->FailOpen = true;
    rig.output->FailOpen = true;

    QVERIFY(!controller.SetAudioInput(true));
    QVERIFY(!controller.InputAudioOn());
    QCOMPARE(controller.InputBufferCount(), 0);
    QVERIFY(!controller.SetAudioOutput(true));
    QVERIFY(!controller.OutputAudioOn());
    QCOMPARE(log.Messages(),
        QStringList({"TVarnockMainForm.SetAudioInput waveInOpen 2 (no sound input device)",
            "TVarnockMainForm.SetAudioOutput waveOutOpen 2 (no sound output device)"}));
    QCOMPARE(log.Colours(), std::vector<TColor>({clRed, clRed}));

    // Audio Off has nothing to close; the next Audio On tries again.
    QVERIFY(controller.SetAudioOutput(false));
    rig.output->FailOpen = false;
    QVERIFY(controller.SetAudioOutput(true));
    QCOMPARE(rig.output->Opens, 2);
    QCOMPARE(log.Lines.size(), std::size_t(2));
}

void AudioControllerTest::formatChangeReopensCapture()
{
    TRig rig;
    TAudioController& controller = *rig.controller;
    QVERIFY(controller.SetAudioInput(true));
    QVERIFY(controller.SetAudioOutput(true));
    controller.SetInputChannels(2); // unchanged: nothing happens
    QCOMPARE(rig.capture->Opens, 1);

    controller.SetInputChannels(1);
    QCOMPARE(rig.capture->Opens, 2);
    QCOMPARE(controller.InputFormat().BlockAlign, 2);
    QCOMPARE(controller.InputFormat().AvgBytesPerSec, 44100u);
    QCOMPARE(rig.capture->Queued.front()->Data.size(), 11024);
    QVERIFY(controller.InputAudioOn());
    QVERIFY(controller.OutputAudioOn());
}

void AudioControllerTest::recordOffStopsTheRecording()
{
    QTemporaryDir folder;
    TEventLogCapture log;
    TRig rig;
    TAudioController& controller = *rig.controller;
    QSignalSpy record(&controller, &TAudioController::SquelchRecordOnChanged);
    controller.ToggleSquelchRecord();
    QVERIFY(controller.SquelchRecordOn());
    QVERIFY(controller.StartRecording(folder.filePath("r.Wav")));
    controller.ToggleSquelchRecord();
    QVERIFY(!controller.SquelchRecordOn());
    QVERIFY(controller.CurrentRecordingFileName().isEmpty());
    QCOMPARE(record.size(), 2);
}

void AudioControllerTest::autoSwitchOnCaption()
{
    TRig rig;
    QSignalSpy changes(rig.controller.get(), &TAudioController::AudioAutoSwitchOnChanged);
    rig.controller->SetAudioAutoSwitchOn(false);
    rig.controller->SetAudioAutoSwitchOn(true);
    QCOMPARE(changes.at(0).at(1).toString(), QString("Enable Auto Switch On"));
    QCOMPARE(changes.at(1).at(1).toString(), QString("Disable Auto Switch On"));
}

QTEST_MAIN(AudioControllerTest)
#include "AudioControllerTest.moc"
