#include "support/MiscellaneousRoutinesUnit.h"

#include "monitor/FrequencyTextUnit.h"
#include "support/RadioGroupUnit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>

#include <vector>

void SetCheckBoxSilently(QCheckBox* checkBox, bool checked)
{
    SetCheckBoxSilently(checkBox, checked ? Qt::Checked : Qt::Unchecked);
}

void SetCheckBoxSilently(QCheckBox* checkBox, Qt::CheckState state)
{
    if (!checkBox)
        return;
    const QSignalBlocker blocker(checkBox);
    checkBox->setCheckState(state);
    checkBox->update();
}

void SetScrollBarSilently(QScrollBar* scrollBar, int position)
{
    if (!scrollBar)
        return;
    const QSignalBlocker blocker(scrollBar);
    scrollBar->setValue(position);
    scrollBar->update();
}

void SetSpinEditSilently(QSpinBox* spinEdit, int value)
{
    if (!spinEdit)
        return;
    const QSignalBlocker blocker(spinEdit);
    spinEdit->setValue(value);
    spinEdit->update();
}

void SetRadioGroupSilently(TRadioGroup* radioGroup, int index)
{
    if (!radioGroup)
        return;
    // The selection signals come from the button group and the buttons, not from the box itself.
    const QSignalBlocker boxBlocker(radioGroup);
    const QSignalBlocker groupBlocker(radioGroup->buttonGroup());
    const QList<QAbstractButton*> buttons = radioGroup->buttonGroup()->buttons();
    std::vector<QSignalBlocker> buttonBlockers;
    buttonBlockers.reserve(buttons.size());
    for (QAbstractButton* button : buttons)
        buttonBlockers.emplace_back(button);
    radioGroup->setItemIndex(index < radioGroup->count() ? index : -1);
    radioGroup->update();
}

void EnableGroupBoxControls(QObject* owner, QGroupBox* groupBox, bool enabled)
{
    if (!owner || !groupBox)
        return;
    for (QWidget* widget : owner->findChildren<QWidget*>())
        if (widget->parentWidget() == groupBox)
            widget->setEnabled(enabled);
}

void ShowScrollBarValue(QScrollBar* scrollBar, QLabel* label, const QString& text)
{
    if (!scrollBar || !label)
        return;
    label->setText(ScrollBarValueText(text, scrollBar->value()));
}
