// The main window's capture, recording and live output with their actions. (Stubs until they are wired in.)

#include "monitor/MainFormUnit.h"

struct TMainFormAudioState { };

void TMainFormAudioStateDeleter::operator()(TMainFormAudioState* state) const
{
    delete state;
}

bool TVarnockMainForm::SquelchRecordOn() const
{
    return false; // recording on squelch is not wired in yet
}

bool TVarnockMainForm::OutputAudioOn() const
{
    return false; // live output is not wired in yet
}

bool TVarnockMainForm::AudioAutoSwitchOn() const
{
    return false; // the auto switch-on is not wired in yet
}

void TVarnockMainForm::SetAudioAutoSwitchOn(bool /*value*/)
{
    // Stores the flag and captions Autoswitchon1.
}

void TVarnockMainForm::SetAudioInput(bool /*on*/)
{
    // Opens or closes capture.
}

void TVarnockMainForm::SetAudioOutput(bool /*on*/)
{
    // Opens or closes live output.
}

QString TVarnockMainForm::RecordingDirectory() const
{
    return {}; // the recording folder, ending in a path delimiter
}

QString TVarnockMainForm::MakeWaveFileName(std::int32_t /*frequency*/) const
{
    return {}; // the folder + frequency text + "_" + time + ".Wav"
}

bool TVarnockMainForm::StartRecording(const QString& /*fileName*/)
{
    return false; // starts a recording of the capture into the file
}

void TVarnockMainForm::StopRecording()
{
    // Ends the recording in progress, if any.
}

void TVarnockMainForm::SetTraceColour(TColor /*colour*/)
{
    // Colours both audio trace series.
}

void TVarnockMainForm::FormCreateRecordingDirectory()
{
    // Start-up step 2: works out the recording folder and creates it.
}

void TVarnockMainForm::FormCreateAudio()
{
    // Start-up step 8: the buffer lists and both audio formats.
}

void TVarnockMainForm::FreeAudioBuffers()
{
    // Close query: frees the output and capture buffer lists.
}

void TVarnockMainForm::AudioOffActionExecute()
{
    // Live output off.
}

void TVarnockMainForm::AudioOnActionExecute()
{
    // Live output on.
}

void TVarnockMainForm::AudioToggleActionExecute()
{
    // The Audio tool button: on when off, off when on.
}

void TVarnockMainForm::SquelchRecordActionExecute()
{
    // The Record tool button: RecordOff when recording on squelch, else RecordOn.
}

void TVarnockMainForm::RecordOnActionExecute()
{
    // Records from the next squelch opening.
}

void TVarnockMainForm::RecordOffActionExecute()
{
    // Stops recording at once.
}

void TVarnockMainForm::Autoswitchon1Click()
{
    // Toggles AudioAutoSwitchOn.
}
