#pragma once
// Control helpers shared by the editors: loading values without firing handlers, enabling group contents.

#include <Qt>

class QCheckBox;
class QGroupBox;
class QLabel;
class QObject;
class QScrollBar;
class QSpinBox;
class QString;
class TRadioGroup;

// Each setter changes the value with the control's signals blocked, then repaints it. A null control is
// ignored.
void SetCheckBoxSilently(QCheckBox* checkBox, bool checked);
void SetCheckBoxSilently(QCheckBox* checkBox, Qt::CheckState state);
void SetScrollBarSilently(QScrollBar* scrollBar, int position);
void SetSpinEditSilently(QSpinBox* spinEdit, int value);
// An index outside the items selects nothing.
void SetRadioGroupSilently(TRadioGroup* radioGroup, int index);

// Enables or disables every widget below owner whose parent is groupBox.
void EnableGroupBoxControls(QObject* owner, QGroupBox* groupBox, bool enabled);

// label := text + "  " + the scroll bar's position, or "Off" at position 0.
void ShowScrollBarValue(QScrollBar* scrollBar, QLabel* label, const QString& text);
