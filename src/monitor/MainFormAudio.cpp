// The main window's capture, recording and live output with their actions. The sound itself lives in the
// window's TAudioController; this file wires it to the window's actions, buttons, caption and options.

#include "monitor/MainFormUnit.h"

#include "app/DataModuleUnit.h"
#include "audio/AudioControllerUnit.h"
#include "support/ImageListUnit.h"

#include <QAction>
#include <QApplication>
#include <QCursor>

namespace {

constexpr int AudioOffImage = 0;
constexpr int AudioOnImage = 1;
constexpr int RecordOnImage = 22;
constexpr int RecordOffImage = 23;

// Devices handed in for the next window (tests); the default devices when empty.
std::unique_ptr<TAudioCaptureDevice> NextCaptureDevice;
std::unique_ptr<TAudioOutputDevice> NextOutputDevice;

void SetActionImage(QAction* action, int imageIndex)
{
    action->setProperty("imageIndex", imageIndex);
    action->setIcon(ImageListIcon(imageIndex));
}

// The hourglass for the scope of an audio action, put away also when it raises.
class THourglass {
public:
    THourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~THourglass() { QApplication::restoreOverrideCursor(); }
    THourglass(const THourglass&) = delete;
    THourglass& operator=(const THourglass&) = delete;
};

} // namespace

struct TMainFormAudioState {
    std::unique_ptr<TAudioController> Controller;
    TColor TraceColour = clGray;

    // The controller's last words (the recording stopped, caption and colours reset) would reach a window
    // that is already half gone.
    ~TMainFormAudioState()
    {
        if (Controller)
            Controller->blockSignals(true);
    }
};

void TMainFormAudioStateDeleter::operator()(TMainFormAudioState* state) const
{
    delete state;
}

void TVarnockMainForm::UseAudioDevicesForTesting(
    std::unique_ptr<TAudioCaptureDevice> capture, std::unique_ptr<TAudioOutputDevice> output)
{
    NextCaptureDevice = std::move(capture);
    NextOutputDevice = std::move(output);
}

TAudioController* TVarnockMainForm::AudioController() const
{
    return AudioState ? AudioState->Controller.get() : nullptr;
}

bool TVarnockMainForm::SquelchRecordOn() const
{
    return AudioController() && AudioController()->SquelchRecordOn();
}

bool TVarnockMainForm::OutputAudioOn() const
{
    return AudioController() && AudioController()->OutputAudioOn();
}

bool TVarnockMainForm::AudioAutoSwitchOn() const
{
    return AudioController() && AudioController()->AudioAutoSwitchOn();
}

void TVarnockMainForm::SetAudioAutoSwitchOn(bool value)
{
    AudioController()->SetAudioAutoSwitchOn(value);
    Autoswitchon1->setText(TAudioController::AutoSwitchOnCaption(value));
}

void TVarnockMainForm::SetAudioInput(bool on)
{
    AudioController()->SetAudioInput(on);
}

void TVarnockMainForm::SetAudioOutput(bool on)
{
    AudioController()->SetAudioOutput(on);
}

QString TVarnockMainForm::RecordingDirectory() const
{
    return AudioController()->RecordingDirectory();
}

QString TVarnockMainForm::MakeWaveFileName(std::int32_t frequency) const
{
    return AudioController()->MakeWaveFileName(frequency);
}

bool TVarnockMainForm::StartRecording(const QString& fileName)
{
    return AudioController()->StartRecording(fileName);
}

void TVarnockMainForm::StopRecording()
{
    if (AudioController())
        AudioController()->StopRecording();
}

void TVarnockMainForm::SetTraceColour(TColor colour)
{
    // The controller's signal is what the audio chart follows, whoever sets the colour.
    Q_EMIT AudioController()->TraceColourChanged(colour);
}

TColor TVarnockMainForm::TraceColour() const
{
    return AudioState ? AudioState->TraceColour : clGray;
}

void TVarnockMainForm::FormCreateRecordingDirectory()
{
    // The controller comes first: every later step of the start-up may use it.
    AudioState.reset(new TMainFormAudioState);
    if (NextCaptureDevice && NextOutputDevice)
        AudioState->Controller
            = std::make_unique<TAudioController>(std::move(NextCaptureDevice), std::move(NextOutputDevice));
    else
        AudioState->Controller = std::make_unique<TAudioController>();
    NextCaptureDevice.reset();
    NextOutputDevice.reset();
    TAudioController* controller = AudioState->Controller.get();
    connect(controller, &TAudioController::CaptionChanged, this, &QWidget::setWindowTitle);
    connect(controller, &TAudioController::TraceColourChanged, this,
        [this](TColor colour) { AudioState->TraceColour = colour; });

    const QString option
        = DataModule1 ? DataModule1->GetOptionString(QStringLiteral("RecordedWaveFileDirectory")) : QString();
    controller->SetupRecordingDirectory(option);
}

void TVarnockMainForm::FormCreateAudio()
{
    // The buffers live in the controller; the formats start as PCM mono and are set to what the program runs.
    AudioController()->UseRunningFormats();
}

void TVarnockMainForm::FreeAudioBuffers()
{
    // Closing capture has freed every buffer already, and the output's headers with it.
}

void TVarnockMainForm::AudioOnActionExecute()
{
    THourglass hourglass;
    SetAudioOutput(true);
    // A device that would not open leaves the button up, so the next press tries again.
    const bool on = OutputAudioOn();
    SetActionImage(AudioToggleAction, on ? AudioOnImage : AudioOffImage);
    AudioToggleAction->setChecked(on);
}

void TVarnockMainForm::AudioOffActionExecute()
{
    THourglass hourglass;
    SetAudioOutput(false);
    SetActionImage(AudioToggleAction, AudioOffImage);
    AudioToggleAction->setChecked(false);
}

void TVarnockMainForm::AudioToggleActionExecute()
{
    if (OutputAudioOn())
        AudioOffActionExecute();
    else
        AudioOnActionExecute();
    AudioToggleAction->setChecked(OutputAudioOn());
}

void TVarnockMainForm::SquelchRecordActionExecute()
{
    if (SquelchRecordOn())
        RecordOffActionExecute();
    else
        RecordOnActionExecute();
}

void TVarnockMainForm::RecordOnActionExecute()
{
    AudioController()->RecordOn();
    SetActionImage(SquelchRecordAction, RecordOnImage);
    SquelchRecordAction->setChecked(true);
}

void TVarnockMainForm::RecordOffActionExecute()
{
    AudioController()->RecordOff(); // stops the recording at once
    SetActionImage(SquelchRecordAction, RecordOffImage);
    SquelchRecordAction->setChecked(false);
}

void TVarnockMainForm::Autoswitchon1Click()
{
    SetAudioAutoSwitchOn(!AudioAutoSwitchOn());
}
