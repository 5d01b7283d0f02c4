#pragma once
// The main window's receiver search: hourglass cursor, the start-up window as progress window over the owner
// (or the screen), and the "AOR8200 not found" box when the search fails.

class QWidget;
class TAOR8200;

// owner: the window to centre the progress window and the box on; none at start-up.
void FindAOR8200(TAOR8200& driver, QWidget* owner);
