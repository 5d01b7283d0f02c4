// Retrieval from the receiver and the duplicate check, run from the main window. (Stubs until they are wired
// in.)

#include "monitor/MainFormUnit.h"

void TVarnockMainForm::RetrieveSearchFromRadioActionExecute()
{
    // Reads the search banks from the receiver.
}

void TVarnockMainForm::RetrieveScanFromRadioActionExecute()
{
    // Reads the scan banks from the receiver.
}

void TVarnockMainForm::RetrieveAllInfoFromRadioActionExecute()
{
    // Reads everything from the receiver.
}

void TVarnockMainForm::CheckForDuplicateScanMemoriesActionExecute()
{
    // Lists the scan memories that hold the same frequency.
}
