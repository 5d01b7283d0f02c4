// The squelch event pipeline of the main window and the held-frequency announcements. (Stubs until they are
// wired in.)

#include "monitor/MainFormUnit.h"

struct TMainFormSquelchState { };

void TMainFormSquelchStateDeleter::operator()(TMainFormSquelchState* state) const
{
    delete state;
}

void TVarnockMainForm::FormCreateSquelch()
{
    // After start-up step 7: whatever the pipeline needs beside its fields.
}

void TVarnockMainForm::HandleAOR8200Squelch(TAOR8200* /*sender*/, bool /*squelchOpen*/,
    std::uint8_t /*signalLevel*/, std::int32_t /*frequency*/, bool /*isSearch*/, char /*bank*/,
    std::int32_t /*channel*/)
{
    // One squelch report: level, event log, recording, frequency log, special attributes, charts.
}

void TVarnockMainForm::ApplySpecialFrequencyOnOpen(
    std::int32_t /*frequency*/, bool /*isSearch*/, char /*bank*/, std::int32_t /*channel*/)
{
    // Audio switch-on and hold of a special frequency.
}

TColor TVarnockMainForm::ApplySpecialFrequencyOnClose(std::int32_t /*frequency*/)
{
    return 0; // read-only marking; the special frequency's colour, or 0
}

void TVarnockMainForm::AnnounceHeldFrequency(TDateTime /*now*/)
{
    // The clock timer's announcement of a held frequency.
}
