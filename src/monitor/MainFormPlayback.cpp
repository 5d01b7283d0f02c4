// The recorded wave library and its playback in the main window. (Stubs until they are wired in.)

#include "monitor/MainFormUnit.h"

struct TMainFormPlaybackState { };

void TMainFormPlaybackStateDeleter::operator()(TMainFormPlaybackState* state) const
{
    delete state;
}

void TVarnockMainForm::FormCreatePlayback()
{
    // Start-up steps 4 and 5: PlayedWaves and the media player's width.
}

void TVarnockMainForm::PlayWavesActionExecute()
{
    // Starts or stops playing the recordings, oldest first.
}

void TVarnockMainForm::DeletePlayedWavesActionExecute()
{
    // Moves the played recordings into "Deleted".
}

void TVarnockMainForm::SavePlayedWavesActionExecute()
{
    // Moves the played recordings into "Saved".
}

void TVarnockMainForm::PurgeDeletedWavesActionExecute()
{
    // Empties "Deleted".
}

void TVarnockMainForm::MediaPlayerScrollBarScroll()
{
    // Seeks the media player to the scroll bar's position.
}
