#pragma once
// Windows keep their placement in the options table under their object name (see TDataModule1).

class QWidget;

// Both do nothing without a window, a window name or a data module.
void StoreFormLocation(QWidget* form);
// A stored width or height of 0 or less keeps the design placement; otherwise the stored one, kept on the
// screen.
void RestoreFormLocation(QWidget* form);
