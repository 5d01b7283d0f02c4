// Retrieval from the receiver and the duplicate check, run from the main window. The work is the bank
// editors'; this window supplies the frame: port check, squelch reports off, live audio off meanwhile.

#include "monitor/MainFormUnit.h"

#include "receiver/DBAOR8200Unit.h"
#include "tables/ReceiverBracketUnit.h"
#include "tables/ScanBankMemoriesFormUnit.h"
#include "tables/SearchBankMemoriesFormUnit.h"

#include <QAction>

namespace {

TLiveAudio LiveAudioOf(TVarnockMainForm* form)
{
    return {[form] { return form->OutputAudioOn(); }, [form] { form->AudioToggleAction->trigger(); }};
}

} // namespace

void TVarnockMainForm::RetrieveSearchFromRadioActionExecute()
{
    RunRetrieveFrame(Driver.get(), this, LiveAudioOf(this), [this] {
        if (SearchBankMemoriesForm)
            SearchBankMemoriesForm->RetrieveSearchBanksFromRadio(this);
    });
}

void TVarnockMainForm::RetrieveScanFromRadioActionExecute()
{
    RunRetrieveFrame(Driver.get(), this, LiveAudioOf(this), [this] {
        if (ScanBankMemoriesForm)
            ScanBankMemoriesForm->RetrieveScanBanksFromRadio(this);
    });
}

void TVarnockMainForm::RetrieveAllInfoFromRadioActionExecute()
{
    // The inner frames find the reports and the audio off, so they leave both alone.
    RunRetrieveFrame(Driver.get(), this, LiveAudioOf(this), [this] {
        RetrieveSearchFromRadioActionExecute();
        RetrieveScanFromRadioActionExecute();
    });
}

void TVarnockMainForm::CheckForDuplicateScanMemoriesActionExecute()
{
    if (ScanBankMemoriesForm)
        ScanBankMemoriesForm->CheckForDuplicateScanMemories(this);
}
